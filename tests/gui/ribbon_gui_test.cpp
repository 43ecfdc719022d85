// The ribbon of the real program, driven with the real mouse and keyboard:
// which buttons are dimmed with no document, presses that must send
// nothing, the wheel over the tabs, and the Settings tab writing the
// registry. Button positions come from the ribbon's own layout rules,
// measured with the same font the program uses.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/ribbon_rules.h"
#include "app/window_geometry.h"
#include "base/handles.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

// Sets a number value for one test and puts the old one back afterwards.
class TemporaryNumber {
 public:
  TemporaryNumber(const wchar_t* name, DWORD value) : name_(name) {
    had_ = ReadNumber(name, old_);
    SetNumber(name, value);
  }
  ~TemporaryNumber() {
    if (had_) SetNumber(name_, old_);
    else Forget(name_);
  }

 private:
  const wchar_t* name_;
  DWORD old_ = 0;
  bool had_ = false;
};

// The commands that work without a document.
const std::set<unsigned short> kAlwaysEnabled = {
    CMD_OPEN,          CMD_SEND,          CMD_SEND_EMAIL,    CMD_SEND_MESSENGER, CMD_SEND_WHATSAPP,
    CMD_SEND_TEXT,     CMD_COPY_LINK,     CMD_HOW_TO_USE,    CMD_CHECK_UPDATES,  CMD_DOWNLOAD_PAGE,
    CMD_RELEASE_NOTES, CMD_ABOUT,         CMD_SEND_TEAMS,    CMD_EMAIL_SERVER,   CMD_TOGGLE_PANEL,
    CMD_DIAGNOSTIC_REPORT, CMD_SECOND_PDF, CMD_USER_GUIDE};

// The program's ribbon, seen from outside.
class Ribbon {
 public:
  explicit Ribbon(FolivexApp& app) : app_(app) {
    main_ = app.MainWindow();
    ribbon_ = main_ ? FindWindowExW(main_, nullptr, L"FVRibbon", nullptr) : nullptr;
    dpi_ = GetDeviceCaps(WindowDc(nullptr).Get(), LOGPIXELSX);
    font_.Reset(CreateFontW(-ScalePx(12, dpi_), 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            L"Segoe UI"));
  }

  HWND window() const { return ribbon_; }
  int S(int v) const { return ScalePx(v, dpi_); }

  RibbonLayout Layout(int tab) const {
    RECT client = {};
    GetClientRect(ribbon_, &client);
    WindowDc screen(nullptr);
    SelectedObject font(screen.Get(), font_.Get());
    HDC dc = screen.Get();
    return LayOutRibbon(tab, client.right, dpi_, [dc](std::wstring_view text) {
      SIZE size = {};
      GetTextExtentPoint32W(dc, text.data(), int(text.size()), &size);
      return int(size.cx);
    });
  }

  POINT Screen(int x, int y) const {
    POINT p = {x, y};
    ClientToScreen(ribbon_, &p);
    return p;
  }
  static POINT Centre(const RibbonRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

  void Front() {
    SetForegroundWindow(main_);
    app_.Settle(100);
  }
  // Mouse events go in through SendInput with their position, so that each
  // one lands where it is meant to (a separate SetCursorPos can arrive late).
  void MoveTo(POINT client) {
    at_ = Screen(client.x, client.y);
    Send(MOUSEEVENTF_MOVE);
  }
  void Press(bool down) { Send(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); }
  void Send(DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((at_.x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = LONG((at_.y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(in));
    app_.Settle(120);
  }
  void Click(POINT client) {
    MoveTo(client);
    Press(true);
    Press(false);
  }
  void Wheel(int delta) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = DWORD(delta);
    SendInput(1, &in, sizeof(in));
    app_.Settle(200);
  }
  void SelectTab(int tab) {
    Click(Centre(Layout(tab).tabs[tab]));
    // Park the cursor on the empty strip so no button is hovered.
    MoveTo({Layout(tab).tabs[kRibbonTabCount - 1].right + S(40), S(15)});
  }

  HWND Capture() const {
    GUITHREADINFO info = {sizeof(info)};
    DWORD thread = GetWindowThreadProcessId(main_, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndCapture : nullptr;
  }

  // The ribbon's pixels as the screen shows them, 0x00RRGGBB, row by row.
  std::vector<uint32_t> Pixels(int& width, int& height) const {
    RECT r = {};
    GetClientRect(ribbon_, &r);
    width = r.right;
    height = r.bottom;
    POINT origin = Screen(0, 0);
    return ScreenPixels(origin.x, origin.y, width, height);
  }

  // The current tab carries the blue bar under its name.
  bool IsCurrentTab(int tab) const {
    int w = 0, h = 0;
    std::vector<uint32_t> px = Pixels(w, h);
    const RibbonRect& r = Layout(tab).tabs[tab];
    int x = r.left + S(10) + 2, y = r.bottom - S(2);
    return x < w && y < h && px[size_t(y) * size_t(w) + size_t(x)] == 0x0067C0;
  }

  // The darkest grey level in a button's label: near 30 when enabled, near
  // 160 when dimmed.
  static int LabelDarkness(const std::vector<uint32_t>& px, int w, const RibbonRect& b, int s40) {
    int darkest = 255;
    for (int y = b.top + s40; y < b.bottom; ++y)
      for (int x = b.left + 2; x < b.right - 2; ++x) {
        uint32_t p = px[size_t(y) * size_t(w) + size_t(x)];
        int level = (int((p >> 16) & 255) + int((p >> 8) & 255) + int(p & 255)) / 3;
        darkest = std::min(darkest, level);
      }
    return darkest;
  }

 private:
  FolivexApp& app_;
  HWND main_ = nullptr;
  HWND ribbon_ = nullptr;
  int dpi_ = 96;
  Gdi<HFONT> font_;
  POINT at_ = {0, 0};  // where the mouse is, on the screen
};

struct DialogSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[32] = {};
  GetClassNameW(window, cls, 32);
  if (pid == s->pid && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(window)) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

// A dialog box of the program (the open dialog), waiting up to `ms` for it.
HWND DialogWithin(const FolivexApp& app, DWORD ms) {
  ULONGLONG end = GetTickCount64() + ms;
  do {
    DialogSearch s = {app.ProcessId(), nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    Sleep(100);
  } while (GetTickCount64() < end);
  return nullptr;
}

const wchar_t* kTabShots[] = {L"ribbon-home", L"ribbon-organize", L"ribbon-settings", L"ribbon-share", L"ribbon-help"};

TEST(RibbonGui, WithNoDocumentOnlyTheAlwaysSetIsEnabled) {
  TemporaryNumber noReopen(L"ReopenLast", 0);
  FolivexApp app(L"");
  Ribbon ribbon(app);
  ASSERT_NE(ribbon.window(), nullptr) << "no FVRibbon in the main window";
  app.Settle(500);
  ribbon.Front();
  for (int tab = 0; tab < kRibbonTabCount; ++tab) {
    SCOPED_TRACE(tab);
    ribbon.SelectTab(tab);
    EXPECT_TRUE(ribbon.IsCurrentTab(tab));
    EXPECT_FALSE(app.Screenshot(kTabShots[tab]).empty());
    int w = 0, h = 0;
    std::vector<uint32_t> px = ribbon.Pixels(w, h);
    RibbonLayout l = ribbon.Layout(tab);
    for (int b = 0; b < l.buttonCount; ++b) {
      unsigned short c = l.buttonEntries[b]->command;
      if (l.buttons[b].right > w) continue;  // beyond a narrow window
      int dark = Ribbon::LabelDarkness(px, w, l.buttons[b], ribbon.S(40));
      if (kAlwaysEnabled.count(c))
        EXPECT_LT(dark, 90) << "command " << c << " should be enabled";
      else
        EXPECT_GT(dark, 120) << "command " << c << " should be dimmed";
    }
  }
  // The Settings controls show only on their tab.
  HWND background = GetDlgItem(ribbon.window(), 41003);
  ASSERT_NE(background, nullptr);
  EXPECT_FALSE(IsWindowVisible(background));
  ribbon.SelectTab(2);
  EXPECT_TRUE(IsWindowVisible(background));

  // Hovering a button lights it and brings up its tooltip (for looking at).
  ribbon.SelectTab(0);
  RibbonLayout home = ribbon.Layout(0);
  ribbon.MoveTo(Ribbon::Centre(home.buttons[0]));
  ribbon.MoveTo({Ribbon::Centre(home.buttons[0]).x + 1, Ribbon::Centre(home.buttons[0]).y});
  app.Settle(1500);
  EXPECT_FALSE(app.Screenshot(L"ribbon-hover-tooltip").empty());
}

TEST(RibbonGui, PressesThatMustNotSendDoNot) {
  TemporaryNumber noReopen(L"ReopenLast", 0);
  FolivexApp app(L"");
  Ribbon ribbon(app);
  ASSERT_NE(ribbon.window(), nullptr);
  app.Settle(500);
  ribbon.Front();
  RibbonLayout l = ribbon.Layout(0);
  POINT open = Ribbon::Centre(l.buttons[0]), print = Ribbon::Centre(l.buttons[2]);
  ASSERT_EQ(l.buttonEntries[0]->command, CMD_OPEN);
  ASSERT_EQ(l.buttonEntries[2]->command, CMD_PRINT);

  // Press the dimmed Print, let go over Open: no capture, no open dialog.
  ribbon.MoveTo(print);
  ribbon.Press(true);
  EXPECT_EQ(ribbon.Capture(), nullptr);
  ribbon.MoveTo(open);
  ribbon.Press(false);
  EXPECT_EQ(DialogWithin(app, 4000), nullptr);

  // Press Open, let go over Print: the ribbon held the mouse, then sends nothing.
  ribbon.MoveTo(open);
  ribbon.Press(true);
  EXPECT_EQ(ribbon.Capture(), ribbon.window());
  EXPECT_FALSE(app.Screenshot(L"ribbon-pressed").empty());
  ribbon.MoveTo(print);
  ribbon.Press(false);
  EXPECT_EQ(ribbon.Capture(), nullptr);
  EXPECT_EQ(DialogWithin(app, 4000), nullptr);

  // A real click on Open does open the dialog.
  ribbon.Click(open);
  HWND dialog = DialogWithin(app, 15000);
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  app.Settle(500);
}

TEST(RibbonGui, TheWheelOverHomeKeepsHome) {
  TemporaryNumber noReopen(L"ReopenLast", 0);
  FolivexApp app(L"");
  Ribbon ribbon(app);
  ASSERT_NE(ribbon.window(), nullptr);
  app.Settle(500);
  ribbon.Front();
  // A click on the empty tab strip makes the window active, so that the
  // wheel goes to it; then the wheel turns over the panel.
  ribbon.Click({ribbon.Layout(0).tabs[kRibbonTabCount - 1].right + ribbon.S(40), ribbon.S(15)});
  EXPECT_TRUE(ribbon.IsCurrentTab(0));
  ribbon.MoveTo({ribbon.S(600), ribbon.S(70)});
  ribbon.Wheel(WHEEL_DELTA);
  EXPECT_TRUE(ribbon.IsCurrentTab(0));
  ribbon.Wheel(-WHEEL_DELTA);
  EXPECT_TRUE(ribbon.IsCurrentTab(1));
  ribbon.Wheel(WHEEL_DELTA);
  EXPECT_TRUE(ribbon.IsCurrentTab(0));
}

TEST(RibbonGui, ASettingsChangeIsStoredAtOnce) {
  TemporaryNumber noReopen(L"ReopenLast", 0);
  TemporaryNumber background(L"Background", 0);
  TemporaryNumber shadows(L"PageShadow", 1);
  FolivexApp app(L"");
  Ribbon ribbon(app);
  ASSERT_NE(ribbon.window(), nullptr);
  app.Settle(500);
  ribbon.Front();
  ribbon.SelectTab(2);

  // Pick "Light gray" from the Background list with the mouse and keyboard.
  HWND list = GetDlgItem(ribbon.window(), 41003);
  ASSERT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 0);
  RECT r;
  GetWindowRect(list, &r);
  MapWindowPoints(nullptr, ribbon.window(), reinterpret_cast<POINT*>(&r), 2);
  ribbon.Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  app.Key(VK_DOWN);
  app.Key(VK_RETURN);
  app.Settle(300);
  DWORD value = 99;
  EXPECT_TRUE(ReadNumber(L"Background", value));
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 1);
  // The page view shows the new background at once.
  HWND view = FindWindowExW(app.MainWindow(), nullptr, L"FolivexView", nullptr);
  ASSERT_NE(view, nullptr);
  POINT centre = {40, 40};
  ClientToScreen(view, &centre);
  std::vector<uint32_t> pixel = ScreenPixels(centre.x, centre.y, 1, 1);
  ASSERT_EQ(pixel.size(), 1u);
  EXPECT_EQ(pixel[0], 0xCED2D6u) << std::hex << pixel[0];  // light gray 206, 210, 214

  // Switch page shadows off with a click on the box.
  HWND box = GetDlgItem(ribbon.window(), 41004);
  GetWindowRect(box, &r);
  MapWindowPoints(nullptr, ribbon.window(), reinterpret_cast<POINT*>(&r), 2);
  ribbon.Click({r.left + ribbon.S(7), (r.top + r.bottom) / 2});
  EXPECT_TRUE(ReadNumber(L"PageShadow", value));
  EXPECT_EQ(value, 0u);
  EXPECT_FALSE(app.Screenshot(L"ribbon-settings-changed").empty());
}

}  // namespace
