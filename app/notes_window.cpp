#include "app/notes_window.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/help_texts.h"
#include "base/event_log.h"
#include "doc/settings.h"
#include "ui/ui_context.h"

namespace {

constexpr int kTextId = 100;
constexpr int kCloseId = 1;

HWND g_notes = nullptr;

void LayOutNotes(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  if (HWND text = GetDlgItem(window, kTextId))
    MoveWindow(text, Scaled(10), Scaled(10), std::max(w - Scaled(20), 0), std::max(h - Scaled(58), 0), TRUE);
  if (HWND close = GetDlgItem(window, kCloseId))
    MoveWindow(close, w - Scaled(110), h - Scaled(40), Scaled(100), Scaled(30), TRUE);
}

}  // namespace

LRESULT CALLBACK NotesWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      LayOutNotes(window);
      return 0;
    case WM_COMMAND:
      if ((LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) && HIWORD(wParam) == 0) DestroyWindow(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_CTLCOLORSTATIC:
      // The read-only text field asks with this message; it stays white.
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_DESTROY:
      if (g_notes == window) g_notes = nullptr;
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void ShowNotes(const std::wstring& title, const std::wstring& header, const std::wstring& body) {
  if (g_notes) DestroyWindow(g_notes);
  const std::wstring text = NotesFieldText(header, body);
  HWND owner = g_app.mainWindow;
  const int width = Scaled(660), height = Scaled(540);
  RECT ownerRect = {0, 0, width, height};
  if (owner) GetWindowRect(owner, &ownerRect);
  const int x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
  const int y = ownerRect.top + Scaled(60);
  HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, L"FVNotes", title.c_str(),
                                WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, x, y, width, height, owner, nullptr,
                                g_ui.instance, nullptr);
  if (!window) {
    LogEvent(L"notes window \"%ls\" couldn't be made: error %lu", title.c_str(), GetLastError());
    return;
  }
  g_notes = window;
  HWND field = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", text.c_str(),
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 0,
                               0, 0, 0, window, reinterpret_cast<HMENU>(INT_PTR(kTextId)), g_ui.instance, nullptr);
  HWND close = CreateWindowExW(0, L"BUTTON", L"Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0,
                               0, 0, window, reinterpret_cast<HMENU>(INT_PTR(kCloseId)), g_ui.instance, nullptr);
  for (HWND child : {field, close})
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_ui.fontNormal), FALSE);
  if (field) SendMessageW(field, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(Scaled(8), Scaled(8)));
  LayOutNotes(window);
  ShowWindow(window, SW_SHOW);
  if (close) SetFocus(close);
}

void ShowHowToUse(HWND) { ShowNotes(L"How to use Folivex", L"", kHowToUseText); }

void ShowReleaseNotes(HWND) {
  ShowNotes(L"Folivex Release Notes",
            FormatCapped(200, L"Folivex release notes \u2014 you have version %ls\n\n", kFolivexVersion),
            kReleaseNotesText);
}

void ShowWhatsNewAfterUpdate(HWND) {
  ShowNotes(L"Folivex was updated",
            FormatCapped(300, L"Folivex was updated to version %ls. Here's what's new:\n\n", kFolivexVersion),
            ReleaseNotesOf(kReleaseNotesText, kFolivexVersion));
}

void ShowAbout(HWND main) {
  const wchar_t* updates =
      g_settings.AutoUpdate ? L"checks automatically every 6 hours" : L"automatic checks are off (Settings tab)";
  std::wstring text = FormatCapped(1200, kAboutFormat, kFolivexVersion, updates, kDownloadPageAddress);
  MessageBoxW(main, text.c_str(), L"About Folivex", MB_OK | MB_ICONINFORMATION);
}

// Whether the browser came up is the browser's business: nothing to tell.
void OpenUserGuide(HWND main) { OpenWithShell(main, kUserGuideAddress); }
void OpenDownloadPage(HWND main) { OpenWithShell(main, kDownloadPageAddress); }
