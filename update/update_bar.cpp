#include "update/update_bar.h"

#include <commctrl.h>

#include "ui/paint.h"
#include "ui/ui_context.h"

namespace {

constexpr int kUpdateNow = 41020, kWhatsNew = 41021, kLater = 41022;
constexpr COLORREF kBackground = RGB(255, 243, 205);
constexpr COLORREF kEdge = RGB(230, 200, 120);
constexpr COLORREF kText = RGB(60, 45, 0);

constexpr wchar_t kTipUpdateNow[] =
    L"Downloads the new version, checks it isn't damaged or tampered with (SHA-256 checksum and version check), "
    L"swaps it in place of this copy and restarts Folivex \u2014 usually in a few seconds. Your settings are kept "
    L"and the PDF you're reading reopens at the same page.";
constexpr wchar_t kTipWhatsNew[] = L"Shows the full list of what changed in the new version.";
constexpr wchar_t kTipLater[] =
    L"Hides this bar for now. Folivex will remind you at the next check (every 6 hours), or use Help \u2192 Check "
    L"for Updates any time.";

struct Bar {
  HWND window = nullptr;
  HWND updateNow = nullptr, whatsNew = nullptr, later = nullptr;
  UpdateBarIconPainter icon = nullptr;
  std::wstring text;
} g_bar;

HWND Button(HWND parent, const wchar_t* text, int id, DWORD style, HFONT font, HWND tooltip, const wchar_t* tip) {
  HWND b = CreateWindowExW(0, WC_BUTTONW, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, Scaled(104),
                           Scaled(28), parent, reinterpret_cast<HMENU>(INT_PTR(id)), UiInstance(), nullptr);
  if (!b) return nullptr;
  SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (tooltip) {
    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = parent;
    ti.uId = reinterpret_cast<UINT_PTR>(b);
    ti.lpszText = const_cast<wchar_t*>(tip);
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  return b;
}

// From the right edge leftwards: Later, What's new, Update now.
void PlaceButtons(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const int w = Scaled(104), h = Scaled(28), gap = Scaled(6);
  const int top = (client.bottom - h) / 2;
  int x = client.right - Scaled(10) - w;
  for (HWND b : {g_bar.later, g_bar.whatsNew, g_bar.updateNow}) {
    if (b) MoveWindow(b, x, top, w, h, TRUE);
    x -= w + gap;
  }
}

void Draw(HDC dc, const RECT& client) {
  FillColour(dc, client, kBackground);
  RECT edge = {0, client.bottom - 1, client.right, client.bottom};
  FillColour(dc, edge, kEdge);
  const int iconSize = Scaled(22);
  if (g_bar.icon) g_bar.icon(dc, Scaled(12), (client.bottom - iconSize) / 2);
  SetBkMode(dc, TRANSPARENT);
  RECT text = {Scaled(42), 0, client.right - Scaled(350), client.bottom};
  if (text.right > text.left)
    DrawLabel(dc, g_bar.text.c_str(), text, kText, g_ui.fontBold,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS);
}

}  // namespace

LRESULT CALLBACK UpdateBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      PlaceButtons(window);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(window, Draw);
      return 0;
    case WM_COMMAND:
      // The buttons' clicks are the main window's commands.
      if (HWND parent = GetParent(window)) return SendMessageW(parent, WM_COMMAND, wParam, lParam);
      return 0;
    case WM_CTLCOLORBTN: {
      SetDCBrushColor(reinterpret_cast<HDC>(wParam), kBackground);
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateUpdateBar(HWND parent, HWND tooltip, UpdateBarIconPainter icon) {
  g_bar = Bar{};
  g_bar.icon = icon;
  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, L"FVUpdBar", nullptr, WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0,
                                UpdateBarHeight(), parent, nullptr, UiInstance(), nullptr);
  if (!window) return nullptr;
  g_bar.window = window;
  g_bar.updateNow = Button(window, L"Update now", kUpdateNow, BS_DEFPUSHBUTTON, g_ui.fontBold, tooltip, kTipUpdateNow);
  g_bar.whatsNew = Button(window, L"What's new", kWhatsNew, BS_PUSHBUTTON, g_ui.fontNormal, tooltip, kTipWhatsNew);
  g_bar.later = Button(window, L"Later", kLater, BS_PUSHBUTTON, g_ui.fontNormal, tooltip, kTipLater);
  PlaceButtons(window);
  return window;
}

HWND UpdateBarWindow() { return g_bar.window; }

int UpdateBarHeight() { return Scaled(44); }

void SetUpdateBarText(const std::wstring& text) {
  g_bar.text = text;
  if (g_bar.window) InvalidateRect(g_bar.window, nullptr, FALSE);
}

void SetUpdateBarDownloading(bool downloading) {
  if (g_bar.updateNow) ShowWindow(g_bar.updateNow, downloading ? SW_HIDE : SW_SHOW);
  if (g_bar.whatsNew) ShowWindow(g_bar.whatsNew, downloading ? SW_HIDE : SW_SHOW);
  if (g_bar.later) SetWindowTextW(g_bar.later, downloading ? L"Cancel" : L"Later");
  if (g_bar.window) InvalidateRect(g_bar.window, nullptr, FALSE);
}
