#include <gtest/gtest.h>

#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

RECT WindowRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return r;
}

TEST(StartupGui, MainWindowRunsAndCloses) {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Corvane\\Folivex", L"WindowPlacement");
  FolivexApp app(L"");
  ASSERT_TRUE(app.Started());
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr) << "no FolivexMain window appeared";
  EXPECT_EQ(app.Title(), L"Folivex");
  app.Settle();
  EXPECT_FALSE(app.Screenshot(L"startup").empty());

  // Exit command: the window closes and the process ends with code 0.
  app.Command(CMD_EXIT);
  DWORD code = 1;
  ASSERT_TRUE(app.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(StartupGui, AtSwitchPlacesTheFrame) {
  {
    FolivexApp app(L"/at 10,10,800,600 a.pdf");
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    app.Settle();
    RECT r = WindowRect(main);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 600);
  }
  {
    // Too narrow: the rectangle is ignored and the default one is used.
    FolivexApp app(L"/at 10,10,150,900 a.pdf");
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    app.Settle();
    RECT r = WindowRect(main);
    EXPECT_NE(r.right - r.left, 150);
    EXPECT_NE(r.left, 10);
  }
}

void ForgetPlacement() {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Corvane\\Folivex", L"WindowPlacement");
}

bool SavedPlacement(WINDOWPLACEMENT& wp) {
  DWORD size = sizeof(wp), type = 0;
  return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Corvane\\Folivex", L"WindowPlacement", RRF_RT_ANY, &type,
                      &wp, &size) == ERROR_SUCCESS &&
         type == REG_BINARY && size == sizeof(wp);
}

TEST(StartupGui, WindowPlacementIsKeptAcrossStarts) {
  ForgetPlacement();
  {
    FolivexApp app(L"");
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 120, 80, 900, 700, SWP_NOZORDER | SWP_NOACTIVATE);
    app.Settle();
    app.Command(CMD_EXIT);
    ASSERT_TRUE(app.WaitForExit(10000));
  }
  WINDOWPLACEMENT wp = {};
  ASSERT_TRUE(SavedPlacement(wp));
  EXPECT_EQ(wp.rcNormalPosition.left, 120);
  {
    FolivexApp app(L"");
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    app.Settle();
    RECT r = WindowRect(main);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(r.right - r.left, 900);
    EXPECT_EQ(r.bottom - r.top, 700);
  }
  {
    // A window placed by /at neither uses nor overwrites the saved placement.
    FolivexApp app(L"/at 300,200,640,480");
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    app.Settle();
    EXPECT_EQ(WindowRect(main).left, 300);
    app.Command(CMD_EXIT);
    ASSERT_TRUE(app.WaitForExit(10000));
  }
  ASSERT_TRUE(SavedPlacement(wp));
  EXPECT_EQ(wp.rcNormalPosition.left, 120);
  ForgetPlacement();
}

}  // namespace
