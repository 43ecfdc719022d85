#include <gtest/gtest.h>

#include "tests/gui/gui_harness.h"

namespace {

RECT WindowRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return r;
}

TEST(StartupGui, MainWindowRunsAndCloses) {
  FolivexApp app(L"");
  ASSERT_TRUE(app.Started());
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr) << "no FolivexMain window appeared";
  EXPECT_EQ(app.Title(), L"Folivex");
  app.Settle();
  EXPECT_FALSE(app.Screenshot(L"startup").empty());

  // Exit command: the window closes and the process ends with code 0.
  app.Command(40004);
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

}  // namespace
