// The main window as a whole: its status bar and title, Go to Page, files
// dropped on it and the second window beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/handles.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

std::string StatusDump(FolivexApp& app) {
  std::string all;
  for (const std::wstring& part : app.StatusParts()) all += "[" + Narrow(part) + "]";
  return all;
}

// Every field of the status bar shows text on the screen; a field may be
// drawn a little late, never not at all.
bool StatusFieldsShowText(FolivexApp& app) {
  ULONGLONG end = GetTickCount64() + 3000;
  do {
    std::vector<RECT> fields = app.StatusFieldRects();
    bool all = !fields.empty();
    for (RECT r : fields) {
      InflateRect(&r, -2, -2);
      all = all && DarkPixels(r) > 20;
    }
    if (all) return true;
    app.Settle(150);
  } while (GetTickCount64() < end);
  return false;
}

class MainWindowGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber(L"ReopenLast", 0);
    SetNumber(L"DefaultZoom", 0);
    Forget(L"WindowPlacement");
  }
};

TEST_F(MainWindowGui, StatusBarAndTitleFollowTheDocument) {
  FolivexApp app(L"");
  ASSERT_NE(app.MainWindow(), nullptr);
  ASSERT_TRUE(WaitForStatus(app, 0, L"  No document")) << StatusDump(app);
  std::vector<std::wstring> parts = app.StatusParts();
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[1], L"");
  EXPECT_EQ(parts[2], L"");
  EXPECT_EQ(app.Title(), L"Folivex");

  app.Command(CMD_OPEN);
  HWND dialog = WaitForDialog(app, nullptr, 20000);
  ASSERT_NE(dialog, nullptr);
  HWND name = GetDlgItem(dialog, 0x47C);
  if (!name) name = GetDlgItem(dialog, 0x480);
  Type(name, TestPdf(L"sample.pdf"));
  Press(dialog, IDOK);
  ASSERT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));
  EXPECT_TRUE(WaitForStatus(app, 0, L"  Page 1 of 12")) << StatusDump(app);
  parts = app.StatusParts();
  EXPECT_EQ(parts[1].rfind(L"  Zoom ", 0), 0u);
  EXPECT_NE(parts[1].find(L"% (fit width)"), std::wstring::npos) << Narrow(parts[1]);
  EXPECT_EQ(parts[2], L"  Rotation 0\u00B0");

  app.Command(CMD_ACTUAL_SIZE);  // actual size
  EXPECT_TRUE(WaitForStatus(app, 1, L"  Zoom 100%")) << StatusDump(app);
  app.Command(CMD_FIT_PAGE);  // fit page
  app.Settle();
  EXPECT_NE(app.StatusParts()[1].find(L"% (fit page)"), std::wstring::npos) << StatusDump(app);
  app.Command(CMD_ROTATE_RIGHT);
  app.Command(CMD_ROTATE_RIGHT);
  EXPECT_TRUE(WaitForStatus(app, 2, L"  Rotation 180\u00B0")) << StatusDump(app);

  // Go to Page: the prompt shows the range and the current page.
  app.Command(CMD_GOTO_PAGE);
  HWND prompt = WaitForDialog(app, L"Go to page");
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(DialogMessage(prompt), L"Go to page (1 - 12):");
  HWND edit = FindWindowExW(prompt, nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(TextOf(edit), L"1");
  Type(edit, L"3");
  Press(prompt, IDOK);
  EXPECT_TRUE(WaitForStatus(app, 0, L"  Page 3 of 12")) << StatusDump(app);
  app.Screenshot(L"main-window-page3");

  app.Command(CMD_CLOSE);  // close
  EXPECT_TRUE(WaitForStatus(app, 0, L"  No document")) << StatusDump(app);
  EXPECT_EQ(app.StatusParts()[1], L"");
  EXPECT_EQ(app.Title(), L"Folivex");
}

TEST_F(MainWindowGui, OnlyTheFirstDroppedFileOpens) {
  FolivexApp app(L"");
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(app.DropFiles({TestPdf(L"sample20.pdf"), TestPdf(L"sample.pdf"), TestPdf(L"not_a_pdf.pdf")}));
  EXPECT_TRUE(WaitForTitle(app, L"sample20.pdf - Folivex")) << Narrow(app.Title());
  EXPECT_TRUE(WaitForStatus(app, 0, L"  Page 1 of 20")) << StatusDump(app);
  // Neither of the others was opened or reported.
  EXPECT_EQ(WaitForDialog(app, nullptr, 1000), nullptr);
  EXPECT_EQ(app.Title(), L"sample20.pdf - Folivex");

  // A path too long for the program's buffer is refused, never cut short.
  std::wstring longPath = TestPdf(L"") + std::wstring(1100, L'x') + L".pdf";
  ASSERT_TRUE(app.DropFiles({longPath}));
  app.Settle();
  EXPECT_EQ(app.Title(), L"sample20.pdf - Folivex");
  EXPECT_EQ(WaitForDialog(app, nullptr, 500), nullptr);
}

// A process the test did not start but must not leave running, however the
// test ends.
struct EndedAtExit {
  UniqueHandle process;
  ~EndedAtExit() {
    if (!process) return;
    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), 5000);
  }
};

TEST_F(MainWindowGui, SecondWindowStartsBesideThisOne) {
  FolivexApp app(TestPdf(L"sample.pdf").insert(0, L"\"") + L"\"");
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));
  app.Command(CMD_SECOND_PDF);
  HWND dialog = WaitForDialog(app, L"Open a second PDF beside this one", 20000);
  ASSERT_NE(dialog, nullptr);
  HWND name = GetDlgItem(dialog, 0x47C);
  if (!name) name = GetDlgItem(dialog, 0x480);
  Type(name, TestPdf(L"sample20.pdf"));
  Press(dialog, IDOK);

  HWND other = nullptr;
  for (int i = 0; i < 200 && !other; ++i) {
    Sleep(100);
    other = OtherMainWindow(app.ProcessId());
  }
  ASSERT_NE(other, nullptr) << "no second window";
  DWORD otherPid = 0;
  GetWindowThreadProcessId(other, &otherPid);
  EndedAtExit otherProcess{UniqueHandle(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, otherPid))};

  MONITORINFO info = {sizeof(info)};
  GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& work = info.rcWork;
  const int half = (work.right - work.left) / 2;
  app.Settle(500);
  RECT mine = {}, theirs = {};
  GetWindowRect(main, &mine);
  GetWindowRect(other, &theirs);
  EXPECT_EQ(mine.left, work.left);
  EXPECT_EQ(mine.right - mine.left, half);
  EXPECT_EQ(theirs.left, work.left + half);
  EXPECT_EQ(theirs.right, work.right);
  EXPECT_EQ(theirs.bottom - theirs.top, work.bottom - work.top);
  wchar_t title[256] = {};
  for (int i = 0; i < 100; ++i) {
    GetWindowTextW(other, title, 256);
    if (wcscmp(title, L"sample20.pdf - Folivex") == 0) break;
    Sleep(100);
  }
  EXPECT_STREQ(title, L"sample20.pdf - Folivex");
  std::vector<std::wstring> parts = app.StatusParts();
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[3],
            L"  Drag a page from one window's page panel into the other's to copy it. Hold Shift to move it instead.");
  // Moved and made taller, this window still draws every field.
  EXPECT_TRUE(StatusFieldsShowText(app)) << StatusDump(app);
  app.Screenshot(L"second-window");
}

}  // namespace
