// The ribbon window inside this process: a stand-in main window records
// what the ribbon sends it, and mouse messages go straight to the ribbon.
// HKEY_CURRENT_USER is redirected to a scratch key for the Settings tab.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/ribbon.h"
#include "app/ribbon_icons.h"
#include "app/settings_tab.h"
#include "base/handles.h"
#include "doc/document.h"
#include "doc/settings.h"
#include "ui/commands.h"

namespace {

struct Sent {
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Sent> g_sent;  // WM_COMMAND that reached the stand-in main window
std::vector<SettingsEffect> g_effects;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    // Like the main window: the Settings controls go to their handler.
    if (IsSettingsTabControl(LOWORD(wParam)))
      g_effects.push_back(HandleSettingsTabCommand(window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)));
    else
      g_sent.push_back({wParam, lParam});
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpfnWndProc = RibbonWndProc;
  wc.lpszClassName = L"FVRibbon";
  RegisterClassExW(&wc);
  wc.lpfnWndProc = HostProc;
  wc.lpszClassName = L"FVRibbonTestHost";
  RegisterClassExW(&wc);
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
}

RibbonFacts g_facts;
RibbonFacts TestFacts() { return g_facts; }

class RibbonWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    root_ = L"Software\\FolivexTests\\Ribbon-" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    HKEY root = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root,
                              nullptr),
              ERROR_SUCCESS);
    rootKey_.Reset(root);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, rootKey_.Get()), ERROR_SUCCESS);
    g_settings = Settings{};
    g_busy.printing = g_busy.saving = false;
    g_facts = RibbonFacts{};
    g_sent.clear();
    g_effects.clear();
    RegisterClasses();
    host_ = CreateWindowExW(0, L"FVRibbonTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1100, 400,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
    tip_ = CreateTooltipControl(host_, -1);
    SetRibbonFactsSource(nullptr);
    ribbon_ = CreateRibbon(host_, tip_);
    ASSERT_NE(ribbon_, nullptr);
    MoveWindow(ribbon_, 0, 0, 1080, RibbonHeight(), TRUE);
    ShowWindow(host_, SW_SHOWNOACTIVATE);
    Pump();
  }

  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    if (host_) DestroyWindow(host_);
    SetRibbonFactsSource(nullptr);
    g_busy.printing = g_busy.saving = false;
    g_app.pageView = nullptr;
    g_updatesOffByInstaller = false;
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    rootKey_.Reset();  // closed before its tree is deleted
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\FolivexTests");
    g_settings = Settings{};
    CoUninitialize();
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  // Centre of the button with this command on the current tab.
  POINT ButtonCentre(unsigned short command) {
    const RibbonLayout& l = RibbonCurrentLayout();
    for (int i = 0; i < l.buttonCount; ++i)
      if (l.buttonEntries[i]->command == command)
        return {(l.buttons[i].left + l.buttons[i].right) / 2, (l.buttons[i].top + l.buttons[i].bottom) / 2};
    ADD_FAILURE() << "no button " << command << " on this tab";
    return {-100, -100};
  }
  POINT TabCentre(int tab) {
    const RibbonRect& r = RibbonCurrentLayout().tabs[tab];
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  void Down(POINT p) { SendMessageW(ribbon_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
  void Move(POINT p) { SendMessageW(ribbon_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
  void Up(POINT p) { SendMessageW(ribbon_, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y)); }
  void Click(POINT p) {
    Down(p);
    Up(p);
  }
  void Wheel(int delta, POINT client) {
    ClientToScreen(ribbon_, &client);
    SendMessageW(ribbon_, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(client.x, client.y));
  }

  DWORD Stored(const wchar_t* name) {
    DWORD value = 0xDEADBEEF, size = sizeof value;
    RegGetValueW(rootKey_.Get(), kSettingsKeyPath, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
  }

  std::wstring root_;
  UniqueRegKey rootKey_;
  HWND host_ = nullptr;
  HWND tip_ = nullptr;
  HWND ribbon_ = nullptr;
};

TEST_F(RibbonWindow, PressAndReleaseOnAnEnabledButtonSendsItsCommand) {
  POINT open = ButtonCentre(CMD_OPEN);
  Down(open);
  EXPECT_EQ(GetCapture(), ribbon_);
  EXPECT_TRUE(g_sent.empty()) << "nothing is sent on the press";
  Up(open);
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_EQ(g_sent.size(), 1u);
  EXPECT_EQ(g_sent[0].wParam, MAKEWPARAM(CMD_OPEN, 0));
  EXPECT_EQ(g_sent[0].lParam, 0);
}

TEST_F(RibbonWindow, DimmedButtonsAndMovedReleasesSendNothing) {
  // Print is dimmed without a document: no capture, and nothing on release,
  // not even over Open.
  POINT print = ButtonCentre(CMD_PRINT), open = ButtonCentre(CMD_OPEN);
  Down(print);
  EXPECT_EQ(GetCapture(), nullptr);
  Up(print);
  Down(print);
  Move(open);
  Up(open);
  // Open pressed, released over Print, then over empty panel.
  Down(open);
  Move(print);
  Up(print);
  EXPECT_EQ(GetCapture(), nullptr);
  Down(open);
  Up({open.x, 120});
  Up(open);  // a second release without a press
  EXPECT_TRUE(g_sent.empty());
}

TEST_F(RibbonWindow, NothingRunsWhileBusy) {
  POINT open = ButtonCentre(CMD_OPEN);
  g_busy.printing = true;
  RibbonStateChanged();
  Click(open);
  EXPECT_EQ(GetCapture(), nullptr);
  g_busy.printing = false;
  g_busy.saving = true;
  Click(open);
  EXPECT_TRUE(g_sent.empty());
  g_busy.saving = false;
  Click(open);
  EXPECT_EQ(g_sent.size(), 1u);
}

TEST_F(RibbonWindow, ADocumentEnablesItsCommands) {
  POINT print = ButtonCentre(CMD_PRINT);
  g_facts.loaded = true;
  g_facts.positions = 4;
  g_facts.currentPosition = 0;
  SetRibbonFactsSource(&TestFacts);
  EXPECT_TRUE(RibbonState() & kStateLoaded);
  Click(print);
  ASSERT_EQ(g_sent.size(), 1u);
  EXPECT_EQ(LOWORD(g_sent[0].wParam), CMD_PRINT);
  // The state is read again at the press: a document closed without a
  // refresh still dims the button.
  g_facts = RibbonFacts{};
  Click(print);
  EXPECT_EQ(g_sent.size(), 1u);
}

TEST_F(RibbonWindow, RepaintsOnlyWhenTheStateWordChanges) {
  SetRibbonFactsSource(&TestFacts);
  UpdateWindow(ribbon_);
  RECT dirty;
  RibbonStateChanged();
  EXPECT_FALSE(GetUpdateRect(ribbon_, &dirty, FALSE)) << "same word: no repaint";
  g_facts.loaded = true;
  g_facts.positions = 2;
  g_facts.currentPosition = 0;
  RibbonStateChanged();
  EXPECT_TRUE(GetUpdateRect(ribbon_, &dirty, FALSE));
}

TEST_F(RibbonWindow, TabsVersionLinkAndWheel) {
  EXPECT_EQ(RibbonCurrentTab(), 0);
  Click(TabCentre(0));
  EXPECT_EQ(RibbonCurrentTab(), 0);
  Click(TabCentre(3));
  EXPECT_EQ(RibbonCurrentTab(), 3);
  EXPECT_EQ(RibbonCurrentLayout().buttonCount, 9);
  const RibbonRect& link = RibbonCurrentLayout().versionLink;
  Click({(link.left + link.right) / 2, (link.top + link.bottom) / 2});
  ASSERT_EQ(g_sent.size(), 1u);
  EXPECT_EQ(g_sent[0].wParam, MAKEWPARAM(CMD_ABOUT, 0));

  POINT inside = {300, 60};
  Click(TabCentre(0));
  Wheel(WHEEL_DELTA, inside);
  EXPECT_EQ(RibbonCurrentTab(), 0) << "forward over Home keeps Home";
  Wheel(-WHEEL_DELTA, inside);
  EXPECT_EQ(RibbonCurrentTab(), 1);
  Wheel(-WHEEL_DELTA, {300, RibbonHeight() + 40});
  EXPECT_EQ(RibbonCurrentTab(), 1) << "the cursor is not over the ribbon";
  for (int i = 0; i < 6; ++i) Wheel(-WHEEL_DELTA, inside);
  EXPECT_EQ(RibbonCurrentTab(), 4);
}

TEST_F(RibbonWindow, TooltipsFollowTheTab) {
  HWND tip = RibbonTooltip();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 17 + 5 + 1);
  Click(TabCentre(kRibbonSettingsTab));
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0 + 5 + 1);
  // Every Settings control has its tip in the main window's tooltip control.
  EXPECT_EQ(SendMessageW(tip_, TTM_GETTOOLCOUNT, 0, 0), 15);
}

TEST_F(RibbonWindow, SettingsControlsShowOnlyOnTheSettingsTab) {
  HWND background = GetDlgItem(ribbon_, kIdBackground);
  ASSERT_NE(background, nullptr);
  EXPECT_FALSE(IsWindowVisible(background));
  Click(TabCentre(kRibbonSettingsTab));
  EXPECT_TRUE(IsWindowVisible(background));
  RECT r;
  GetWindowRect(background, &r);
  MapWindowPoints(nullptr, ribbon_, reinterpret_cast<POINT*>(&r), 2);
  const RibbonLayout& l = RibbonCurrentLayout();
  EXPECT_EQ(r.left, l.groups[1].left + Scaled(84));
  EXPECT_EQ(r.top, Scaled(30) + Scaled(6));
  EXPECT_EQ(r.right - r.left, Scaled(106));
  Click(TabCentre(4));
  EXPECT_FALSE(IsWindowVisible(background));
  for (int id = kIdDefaultZoom; id <= kIdDefaultAppLabel; ++id) EXPECT_NE(GetDlgItem(ribbon_, id), nullptr) << id;
}

TEST_F(RibbonWindow, ASettingsChangeIsStoredAndAppliedAtOnce) {
  // A stand-in page view, to see the repaint.
  HWND view = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 200, 300, 100, host_, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  g_app.pageView = view;
  UpdateWindow(view);
  Click(TabCentre(kRibbonSettingsTab));

  // A drop-down list counts only on a selection change with a valid selection.
  HWND background = GetDlgItem(ribbon_, kIdBackground);
  SendMessageW(background, CB_SETCURSEL, 3, 0);
  SendMessageW(ribbon_, WM_COMMAND, MAKEWPARAM(kIdBackground, CBN_DROPDOWN), reinterpret_cast<LPARAM>(background));
  EXPECT_EQ(Stored(L"Background"), 0xDEADBEEFu) << "not a selection change";
  SendMessageW(ribbon_, WM_COMMAND, MAKEWPARAM(kIdBackground, CBN_SELCHANGE), reinterpret_cast<LPARAM>(background));
  EXPECT_EQ(Stored(L"Background"), 3u);
  EXPECT_EQ(g_settings.Background, 3);
  ASSERT_EQ(g_effects.size(), 2u);
  EXPECT_EQ(g_effects[1], SettingsEffect::ViewRepainted);
  RECT dirty;
  EXPECT_TRUE(GetUpdateRect(view, &dirty, FALSE)) << "the page view repaints";
  SendMessageW(background, CB_SETCURSEL, WPARAM(-1), 0);
  SendMessageW(ribbon_, WM_COMMAND, MAKEWPARAM(kIdBackground, CBN_SELCHANGE), reinterpret_cast<LPARAM>(background));
  EXPECT_EQ(g_settings.Background, 3) << "no valid selection";

  // A real click on a check box: BN_CLICKED through the ribbon.
  HWND shadows = GetDlgItem(ribbon_, kIdPageShadow);
  EXPECT_EQ(SendMessageW(shadows, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageW(shadows, BM_CLICK, 0, 0);
  EXPECT_EQ(Stored(L"PageShadow"), 0u);
  EXPECT_EQ(g_settings.PageShadow, 0);

  HWND zoom = GetDlgItem(ribbon_, kIdDefaultZoom);
  SendMessageW(zoom, CB_SETCURSEL, 2, 0);
  EXPECT_EQ(HandleSettingsTabCommand(host_, kIdDefaultZoom, CBN_SELCHANGE, zoom), SettingsEffect::ZoomModeChanged);
  EXPECT_EQ(Stored(L"DefaultZoom"), 2u);

  HWND quality = GetDlgItem(ribbon_, kIdPrintQuality);
  SendMessageW(quality, CB_SETCURSEL, 0, 0);
  HandleSettingsTabCommand(host_, kIdPrintQuality, CBN_SELCHANGE, quality);
  EXPECT_EQ(g_settings.PrintQuality, 0);
  EXPECT_EQ(Stored(L"PrintQuality"), 0u);

  HWND update = GetDlgItem(ribbon_, kIdAutoUpdate);
  SendMessageW(update, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(HandleSettingsTabCommand(host_, kIdAutoUpdate, BN_CLICKED, update), SettingsEffect::None);
  EXPECT_EQ(Stored(L"AutoUpdate"), 0u);
  SendMessageW(update, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(HandleSettingsTabCommand(host_, kIdAutoUpdate, BN_CLICKED, update), SettingsEffect::UpdateCheckSoon);
  EXPECT_EQ(Stored(L"AutoUpdate"), 1u);
  EXPECT_TRUE(g_sent.empty()) << "Settings controls never reach the command handler";
}

TEST_F(RibbonWindow, ControlsStartFromTheSettings) {
  DestroyWindow(host_);
  g_settings.DefaultZoom = 1;
  g_settings.Background = 2;
  g_settings.PageShadow = 0;
  g_settings.PrintScale = 1;
  g_settings.AutoUpdate = 0;
  host_ = CreateWindowExW(0, L"FVRibbonTestHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 300, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  ribbon_ = CreateRibbon(host_, tip_ = CreateTooltipControl(host_, -1));
  ASSERT_NE(ribbon_, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(ribbon_, kIdDefaultZoom), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageW(GetDlgItem(ribbon_, kIdBackground), CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(GetDlgItem(ribbon_, kIdBackground), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(GetDlgItem(ribbon_, kIdPageShadow), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(GetDlgItem(ribbon_, kIdPrintScale), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageW(GetDlgItem(ribbon_, kIdPrintQuality), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageW(GetDlgItem(ribbon_, kIdReopenLast), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(GetDlgItem(ribbon_, kIdAutoUpdate), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(RibbonIcons, TheSpriteDecodesAtBothSizes) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  for (int size : {32, 22}) {
    RibbonIconSet set;
    ASSERT_TRUE(LoadRibbonIconSet(set, size)) << size;
    EXPECT_EQ(set.count, kRibbonIconCount);
    EXPECT_EQ(set.size, size);
    // Every icon has something opaque near its middle and a clear corner.
    BITMAP bm = {};
    ASSERT_EQ(GetObjectW(set.bitmap.Get(), sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, kRibbonIconCount * size);
    EXPECT_EQ(bm.bmHeight, size);
    const uint8_t* bits = static_cast<const uint8_t*>(bm.bmBits);
    ASSERT_NE(bits, nullptr);
    for (int i = 0; i < set.count; ++i) {
      int maxAlpha = 0;
      for (int y = size / 4; y < size * 3 / 4; ++y)
        for (int x = size / 4; x < size * 3 / 4; ++x)
          maxAlpha = std::max<int>(maxAlpha, bits[size_t(y) * bm.bmWidthBytes + size_t(i * size + x) * 4 + 3]);
      EXPECT_GT(maxAlpha, 200) << "icon " << i;
      EXPECT_EQ(bits[size_t(i * size) * 4 + 3], 0) << "corner of icon " << i;
    }
    FreeRibbonIconSet(set);
    EXPECT_TRUE(set.Empty());
  }
  std::vector<uint8_t> pixels;
  int count = -1;
  const char notPng[] = "\x89PNG\r\n\x1a\n but then nothing";
  EXPECT_FALSE(DecodeIconStrip(notPng, sizeof notPng, 32, pixels, count));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(pixels.empty());
  CoUninitialize();
}

}  // namespace
