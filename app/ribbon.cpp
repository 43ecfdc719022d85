#include "app/ribbon.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/app_state.h"
#include "app/ribbon_icons.h"
#include "app/ribbon_internal.h"
#include "app/settings_tab.h"
#include "base/handles.h"
#include "doc/document.h"
#include "ui/paint.h"

RibbonRuntime g_ribbon;

namespace {


// Text width in the normal UI font, in device pixels.
int MeasureText(HDC dc, std::wstring_view text) {
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.data(), int(text.size()), &size);
  return size.cx;
}

void Repaint() {
  if (g_ribbon.window) InvalidateRect(g_ribbon.window, nullptr, FALSE);
}

bool Busy() { return g_busy.printing || g_busy.saving; }

// Removes every tool of the ribbon's tooltip control and adds one per
// button, one per tab and one for the version link.
void RebuildTooltips() {
  HWND tip = g_ribbon.tooltip;
  if (!tip) return;
  while (SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) > 0) {
    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    if (!SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti))) break;
    SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  UINT_PTR id = 1;
  auto add = [&](const RibbonRect& r, const wchar_t* text) {
    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = g_ribbon.window;
    ti.uId = id++;
    ti.rect = {r.left, r.top, r.right, r.bottom};
    ti.hinst = nullptr;
    ti.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  };
  const RibbonLayout& layout = g_ribbon.layout;
  for (int i = 0; i < layout.buttonCount; ++i) add(layout.buttons[i], layout.buttonEntries[i]->tooltip);
  std::span<const RibbonTab> tabs = RibbonTabs();
  for (int i = 0; i < kRibbonTabCount; ++i) add(layout.tabs[i], tabs[size_t(i)].description);
  add(layout.versionLink, kRibbonVersionTip);
}

// Shows the Settings controls at their places on the Settings tab and hides
// them on every other tab.
void PlaceSettingsControls() {
  bool onSettings = g_ribbon.currentTab == kRibbonSettingsTab;
  const RibbonLayout& layout = g_ribbon.layout;
  for (int i = 0; i < g_ribbon.controlCount; ++i) {
    const RibbonSettingsControl& c = g_ribbon.controls[i];
    if (onSettings && c.group < layout.groupCount) {
      int x = layout.groups[c.group].left + Scaled(c.x);
      int y = Scaled(kRibbonStripHeight) + Scaled(c.y);
      SetWindowPos(c.window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else {
      ShowWindow(c.window, SW_HIDE);
    }
  }
  // A hidden control must not keep the keyboard.
  HWND focus = GetFocus();
  if (!onSettings && focus && IsChild(g_ribbon.window, focus)) SetFocus(GetParent(g_ribbon.window));
}

void SelectTab(int tab) {
  if (tab == g_ribbon.currentTab || tab < 0 || tab >= kRibbonTabCount) return;
  g_ribbon.currentTab = tab;
  g_ribbon.hoveredButton = -1;
  g_ribbon.pressedButton = -1;
  LayOutRibbonWindow();
}

POINT ClientPoint(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

void OnMouseMove(HWND window, POINT p) {
  const RibbonLayout& layout = g_ribbon.layout;
  int tab = RibbonTabAt(layout, p.x, p.y);
  int button = RibbonButtonAt(layout, p.x, p.y);
  bool link = layout.versionLink.Contains(p.x, p.y);
  if (tab != g_ribbon.hoveredTab || button != g_ribbon.hoveredButton || link != g_ribbon.linkHovered) {
    g_ribbon.hoveredTab = tab;
    g_ribbon.hoveredButton = button;
    g_ribbon.linkHovered = link;
    Repaint();
  }
  if (!g_ribbon.tracking) {
    TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, window, 0};
    g_ribbon.tracking = TrackMouseEvent(&tme) != FALSE;
  }
}

void OnButtonDown(HWND window, POINT p) {
  const RibbonLayout& layout = g_ribbon.layout;
  int tab = RibbonTabAt(layout, p.x, p.y);
  if (tab >= 0) {
    SelectTab(tab);  // the current tab: nothing changes
    return;
  }
  if (layout.versionLink.Contains(p.x, p.y)) {
    SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(CMD_ABOUT, 0), 0);
    return;
  }
  int button = RibbonButtonAt(layout, p.x, p.y);
  if (button < 0) return;
  RibbonStateChanged();  // judge the button by the program's state of this moment
  unsigned short command = layout.buttonEntries[button]->command;
  if (!Busy() && RibbonCommandEnabled(command, g_ribbon.state, g_ribbon.positions)) {
    g_ribbon.pressedButton = button;
    SetCapture(window);
    Repaint();
  } else {
    g_ribbon.pressedButton = -1;
  }
}

void OnButtonUp(HWND window, POINT p) {
  int pressed = g_ribbon.pressedButton;
  g_ribbon.pressedButton = -1;
  if (GetCapture() == window) ReleaseCapture();
  if (pressed < 0) return;
  Repaint();
  const RibbonLayout& layout = g_ribbon.layout;
  if (RibbonButtonAt(layout, p.x, p.y) != pressed) return;
  unsigned short command = layout.buttonEntries[pressed]->command;
  SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void OnWheel(HWND window, WPARAM wParam, LPARAM lParam) {
  POINT screen = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT r;
  if (!GetWindowRect(window, &r) || !PtInRect(&r, screen)) return;
  SelectTab(RibbonTabAfterWheel(g_ribbon.currentTab, GET_WHEEL_DELTA_WPARAM(wParam)));
}

}  // namespace

HWND CreateTooltipControl(HWND owner, int initialDelayMs) {
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, UiInstance(),
                             nullptr);
  if (!tip) return nullptr;
  SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, Scaled(440));
  SendMessageW(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(32000, 0));
  if (initialDelayMs >= 0) SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(initialDelayMs, 0));
  return tip;
}

HWND CreateRibbon(HWND parent, HWND settingsTooltip) {
  if (RibbonIcons().Empty()) LoadRibbonIcons();
  RibbonFactsSource source = g_ribbon.factsSource;
  g_ribbon = RibbonRuntime{};
  g_ribbon.factsSource = source;
  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, L"FVRibbon", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                0, 0, 0, RibbonHeight(), parent, nullptr, UiInstance(), nullptr);
  if (!window) return nullptr;
  g_ribbon.window = window;
  g_ribbon.tooltip = CreateTooltipControl(window, 450);
  CreateSettingsTabControls(window, settingsTooltip);
  RibbonStateChanged();
  LayOutRibbonWindow();
  return window;
}

HWND RibbonWindow() { return g_ribbon.window; }
HWND RibbonTooltip() { return g_ribbon.tooltip; }

int RibbonHeight() { return RibbonHeightAt(g_ui.dpi); }

void SetRibbonFactsSource(RibbonFactsSource source) {
  g_ribbon.factsSource = source;
  RibbonStateChanged();
}

void RibbonStateChanged() {
  RibbonFacts facts = g_ribbon.factsSource ? g_ribbon.factsSource() : RibbonFacts{};
  uint32_t state = RibbonStateWord(facts, g_busy.printing, g_busy.saving);
  g_ribbon.positions = facts.loaded ? facts.positions : 0;
  if (state != g_ribbon.state) {
    g_ribbon.state = state;
    Repaint();
  }
}

uint32_t RibbonState() { return g_ribbon.state; }

HWND AddRibbonSettingsControl(const wchar_t* className, const wchar_t* text, DWORD style, int group, int x, int y,
                              int width, int height, int id) {
  HWND control = CreateWindowExW(0, className, text, WS_CHILD | style, 0, 0, Scaled(width), Scaled(height),
                                 g_ribbon.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), UiInstance(),
                                 nullptr);
  if (!control) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_ui.fontNormal), FALSE);
  if (g_ribbon.controlCount < kMaxSettingsControls)
    g_ribbon.controls[g_ribbon.controlCount++] = {control, group, x, y};
  return control;
}

void LayOutRibbonWindow() {
  HWND window = g_ribbon.window;
  if (!window) return;
  RECT client = {};
  GetClientRect(window, &client);
  {
    WindowDc windowDc(window);
    HDC dc = windowDc.Get();
    SelectedObject font(dc, g_ui.fontNormal);
    g_ribbon.layout = LayOutRibbon(g_ribbon.currentTab, client.right, g_ui.dpi,
                                   [dc](std::wstring_view text) { return dc ? MeasureText(dc, text) : 0; });
  }
  PlaceSettingsControls();
  RebuildTooltips();
  Repaint();
}

int RibbonCurrentTab() { return g_ribbon.currentTab; }
const RibbonLayout& RibbonCurrentLayout() { return g_ribbon.layout; }

LRESULT CALLBACK RibbonWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (window == g_ribbon.window) LayOutRibbonWindow();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(window, PaintRibbon);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(window, ClientPoint(lParam));
      return 0;
    case WM_MOUSELEAVE:
      g_ribbon.tracking = false;
      g_ribbon.hoveredTab = -1;
      g_ribbon.hoveredButton = -1;
      g_ribbon.linkHovered = false;
      Repaint();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnButtonDown(window, ClientPoint(lParam));
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(window, ClientPoint(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      // Capture taken away in the middle of a press (another window, a
      // dialog): the press is over and nothing is sent.
      if (g_ribbon.pressedButton >= 0 && reinterpret_cast<HWND>(lParam) != window) {
        g_ribbon.pressedButton = -1;
        Repaint();
      }
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(window, wParam, lParam);
      return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
      // From the Settings controls: the main window handles them.
      return SendMessageW(GetParent(window), message, wParam, lParam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, RGB(255, 255, 255));
      SetTextColor(dc, RGB(30, 30, 30));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_DESTROY:
      if (window == g_ribbon.window) {
        g_ribbon.window = nullptr;
        g_ribbon.controlCount = 0;
      }
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
