// Opening and closing documents in the real program: from the command line,
// at start from the last file, through the Open command, with a password,
// and the message for a file that is not a PDF.
#include <gtest/gtest.h>

#include <string>

#include "base/handles.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {


// Whether nobody holds the file open (an exclusive open succeeds), waiting
// a little for the worker to let go of it.
bool FileIsFree(const std::wstring& path, DWORD timeoutMs = 5000) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file) return true;
    Sleep(50);
  } while (GetTickCount64() < end);
  return false;
}

class OpenGui : public ::testing::Test {
 protected:
  // Every test starts from no remembered document and leaves none behind,
  // so other start-up tests open nothing.
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    Forget(L"LastFile");
    Forget(L"LastPage");
    Forget(L"ReopenLast");
  }
};

TEST_F(OpenGui, CommandLinePdfOpensAndClosingEmptiesTheViewAndFreesTheFile) {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring copy = std::wstring(temp) + L"fv-gui-open-close.pdf";
  ASSERT_TRUE(CopyFileW(TestPdf(L"sample.pdf").c_str(), copy.c_str(), FALSE));
  {
    FolivexApp app(Quoted(copy));
    ASSERT_NE(app.MainWindow(), nullptr);
    ASSERT_TRUE(WaitForTitle(app, L"fv-gui-open-close.pdf - Folivex")) << "title: " << app.Title().c_str();
    app.Settle();
    app.Screenshot(L"open_from_command_line");
    EXPECT_EQ(ReadText(L"LastFile"), copy);
    EXPECT_FALSE(FileIsFree(copy, 0)) << "the open document should be held by the engine";

    app.Command(CMD_CLOSE);  // Close
    EXPECT_TRUE(WaitForTitle(app, L"Folivex"));
    EXPECT_TRUE(FileIsFree(copy));
    EXPECT_TRUE(DeleteFileW(copy.c_str()));

    app.Command(CMD_EXIT);
    DWORD code = 1;
    ASSERT_TRUE(app.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
  }
  DeleteFileW(copy.c_str());
}

TEST_F(OpenGui, ReopenLastStartsWithTheLastFileAtItsLastPage) {
  const std::wstring sample20 = TestPdf(L"sample20.pdf");
  SetNumber(L"ReopenLast", 1);
  SetText(L"LastFile", sample20);
  SetNumber(L"LastPage", 7);
  {
    FolivexApp app(L"");
    ASSERT_NE(app.MainWindow(), nullptr);
    ASSERT_TRUE(WaitForTitle(app, L"sample20.pdf - Folivex")) << "title: " << app.Title().c_str();
    app.Command(CMD_EXIT);
    ASSERT_TRUE(app.WaitForExit(10000));
  }
  // Closing the window remembers the page it was on: the one it opened at.
  DWORD page = 0;
  ASSERT_TRUE(ReadNumber(L"LastPage", page));
  EXPECT_EQ(page, 7u);

  // /page on the command line wins over the remembered page.
  {
    FolivexApp app(L"/page 5 " + Quoted(sample20));
    ASSERT_NE(app.MainWindow(), nullptr);
    ASSERT_TRUE(WaitForTitle(app, L"sample20.pdf - Folivex"));
    app.Command(CMD_EXIT);
    ASSERT_TRUE(app.WaitForExit(10000));
  }
  ASSERT_TRUE(ReadNumber(L"LastPage", page));
  EXPECT_EQ(page, 4u);

  // With ReopenLast off the window starts empty.
  SetNumber(L"ReopenLast", 0);
  {
    FolivexApp app(L"");
    ASSERT_NE(app.MainWindow(), nullptr);
    app.Settle(1500);
    EXPECT_EQ(app.Title(), L"Folivex");
  }
}

TEST_F(OpenGui, AFileThatIsNotAPdfIsReported) {
  const std::wstring path = TestPdf(L"not_a_pdf.pdf");
  FolivexApp app(Quoted(path));
  ASSERT_NE(app.MainWindow(), nullptr);
  HWND box = WaitForDialog(app, L"Folivex");
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(DialogMessage(box), L"Could not open this file as a PDF:\n\n" + path +
                                    L"\n\n(Error 0x80004005 - the file may be damaged or not a PDF.)");
  app.Screenshot(L"open_not_a_pdf");
  Press(box, IDOK);
  app.Settle();
  EXPECT_EQ(WaitForDialog(app, nullptr, 500), nullptr);
  EXPECT_EQ(app.Title(), L"Folivex");
  EXPECT_EQ(ReadText(L"LastFile"), L"");
}

TEST_F(OpenGui, AProtectedPdfAsksForItsPasswordUntilItIsRight) {
  FolivexApp app(Quoted(TestPdf(L"encrypted.pdf")));
  ASSERT_NE(app.MainWindow(), nullptr);
  HWND prompt = WaitForDialog(app, L"Password required");
  ASSERT_NE(prompt, nullptr) << "no password prompt";
  EXPECT_EQ(DialogMessage(prompt), L"This PDF is password protected. Enter the password to open it:");
  HWND edit = GetDlgItem(prompt, 1002);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0), 0x25CF);  // masked
  Type(edit, L"wrong");
  app.Screenshot(L"open_password_prompt");
  Press(prompt, IDOK);

  HWND again = WaitForDialog(app, L"Password required", 15000, prompt);
  ASSERT_NE(again, nullptr) << "no second prompt after a wrong password";
  EXPECT_EQ(DialogMessage(again), L"That password was not accepted. Try again:");
  Type(GetDlgItem(again, 1002), L"user");
  Press(again, IDOK);
  EXPECT_TRUE(WaitForTitle(app, L"encrypted.pdf - Folivex")) << "title: " << app.Title().c_str();
  EXPECT_EQ(WaitForDialog(app, nullptr, 300), nullptr);
}

TEST_F(OpenGui, CancellingThePasswordPromptLeavesNothingOpen) {
  FolivexApp app(Quoted(TestPdf(L"encrypted.pdf")));
  ASSERT_NE(app.MainWindow(), nullptr);
  HWND prompt = WaitForDialog(app, L"Password required");
  ASSERT_NE(prompt, nullptr);
  Press(prompt, IDCANCEL);
  app.Settle(500);
  EXPECT_EQ(WaitForDialog(app, nullptr, 1000), nullptr) << "no message box after Cancel";
  EXPECT_EQ(app.Title(), L"Folivex");
}

TEST_F(OpenGui, TheOpenCommandOpensThePickedFile) {
  SetNumber(L"ReopenLast", 0);
  FolivexApp app(L"");
  ASSERT_NE(app.MainWindow(), nullptr);
  app.Command(CMD_OPEN);
  HWND dialog = WaitForDialog(app, nullptr, 20000);
  ASSERT_NE(dialog, nullptr) << "no open dialog";
  // The file name box: the combo box of the Explorer-style dialog, or the
  // plain edit field of the older one.
  HWND name = GetDlgItem(dialog, 0x47C);
  if (!name) name = GetDlgItem(dialog, 0x480);
  ASSERT_NE(name, nullptr);
  Type(name, TestPdf(L"sample.pdf"));
  Press(dialog, IDOK);
  EXPECT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex")) << "title: " << app.Title().c_str();
}

}  // namespace
