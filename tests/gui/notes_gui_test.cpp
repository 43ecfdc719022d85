// The help windows and the diagnostic report, driven through the real
// program: the notes window, the about box, what's new after an update, the
// web-page commands (seen through what they log) and the report's file and
// clipboard text.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ui/commands.h"
#include "tests/gui/gui_harness.h"

namespace {

struct WindowSearch {
  DWORD pid;
  const wchar_t* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindows(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  if ((s->pid == 0 || pid == s->pid) && _wcsicmp(cls, s->className) == 0 && IsWindowVisible(window))
    s->found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className) {
  WindowSearch s = {pid, className, {}};
  EnumWindows(CollectWindows, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

bool StartsWith(const std::wstring& text, const std::wstring& start) { return text.compare(0, start.size(), start) == 0; }

void PressKeyIn(HWND window, UINT vk) {
  SetForegroundWindow(window);
  Sleep(150);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = WORD(vk);
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

bool WaitUntilGone(HWND window, DWORD ms = 5000) {
  ULONGLONG end = GetTickCount64() + ms;
  while (IsWindow(window) && GetTickCount64() < end) Sleep(50);
  return !IsWindow(window);
}

RECT ClientOnScreen(HWND window) {
  RECT r = {};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT ScreenRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return r;
}

TEST(NotesGui, HowToUseOpensOnceResizesAndClosesWithEsc) {
  FolivexApp app(L"");
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr);
  app.Settle();
  app.Key(VK_F1);
  HWND first = app.WaitForWindow(L"FVNotes", 5000);
  ASSERT_NE(first, nullptr) << "F1 opened no notes window";
  app.Key(VK_F1);  // F1 again, from the main window: still one notes window
  app.Settle(500);
  std::vector<HWND> notes = TopLevelWindows(app.ProcessId(), L"FVNotes");
  ASSERT_EQ(notes.size(), 1u);
  HWND window = notes[0];
  EXPECT_EQ(TextOf(window), L"How to use Folivex");
  EXPECT_EQ(GetWindow(window, GW_OWNER), main);

  HWND field = GetDlgItem(window, 100);
  HWND close = GetDlgItem(window, 1);
  ASSERT_TRUE(field && close);
  std::wstring text = LongTextOf(field);
  EXPECT_TRUE(StartsWith(text, L"FOLIVEX \u2014 HOW TO USE\r\n")) << "starts: " << text.substr(0, 40);
  EXPECT_NE(text.find(L"\r\nKEYBOARD SHORTCUTS\r\n"), std::wstring::npos);
  EXPECT_EQ(TextOf(close), L"Close");
  EXPECT_EQ(GetWindowLongW(field, GWL_STYLE) & ES_READONLY, ES_READONLY);
  app.Screenshot(L"notes_how_to_use");

  // Made small, the Close button stays in the bottom-right corner and the
  // text field shrinks above it.
  SetWindowPos(window, nullptr, 0, 0, 360, 260, SWP_NOMOVE | SWP_NOZORDER);
  app.Settle();
  RECT client = ClientOnScreen(window), button = ScreenRect(close), edit = ScreenRect(field);
  EXPECT_EQ(client.right - button.right, 10);
  EXPECT_EQ(client.bottom - button.bottom, 10);
  EXPECT_EQ(edit.right, client.right - 10);
  EXPECT_LT(edit.bottom, button.top);

  // Esc closes it; the main window still answers commands.
  PressKeyIn(window, VK_ESCAPE);
  EXPECT_TRUE(WaitUntilGone(window)) << "Esc left the notes window open";
  app.Command(CMD_RELEASE_NOTES);
  HWND notesAgain = app.WaitForWindow(L"FVNotes", 5000);
  ASSERT_NE(notesAgain, nullptr);
  EXPECT_EQ(TextOf(notesAgain), L"Folivex Release Notes");
  std::wstring notesText = LongTextOf(GetDlgItem(notesAgain, 100));
  EXPECT_TRUE(StartsWith(notesText, L"Folivex release notes \u2014 you have version 1.6.2\r\n\r\n1.6.2 (2026-11-16)\r\n"))
      << notesText.substr(0, 80);
  EXPECT_NE(notesText.find(L"\r\n\r\n1.0.0 (2026-11-04)\r\n"), std::wstring::npos);
  // Enter presses Close.
  PressKeyIn(notesAgain, VK_RETURN);
  EXPECT_TRUE(WaitUntilGone(notesAgain));
}

TEST(NotesGui, WhatsNewAfterAnUpdateOnlyOnce) {
  SetText(L"SeenVersion", L"1.6.1");
  {
    FolivexApp app(L"");
    ASSERT_NE(app.MainWindow(), nullptr);
    HWND notes = app.WaitForWindow(L"FVNotes", 10000);
    ASSERT_NE(notes, nullptr) << "no what's new after a start of a newer version";
    EXPECT_EQ(TextOf(notes), L"Folivex was updated");
    std::wstring text = LongTextOf(GetDlgItem(notes, 100));
    EXPECT_TRUE(StartsWith(text, L"Folivex was updated to version 1.6.2. Here's what's new:\r\n\r\n\u2022 "))
        << text.substr(0, 80);
    EXPECT_EQ(text.find(L"(2026-"), std::wstring::npos) << "more than this version's bullets";
    app.Screenshot(L"notes_whats_new");
    EXPECT_EQ(ReadText(L"SeenVersion"), L"1.6.2");
    app.Command(CMD_EXIT);
    ASSERT_TRUE(app.WaitForExit(10000));
  }
  {
    // The same version again: nothing. (The main window is up; give a posted
    // message time to arrive.)
    FolivexApp app(L"");
    ASSERT_NE(app.MainWindow(), nullptr);
    app.Settle(1500);
    EXPECT_TRUE(TopLevelWindows(app.ProcessId(), L"FVNotes").empty());
  }
  {
    // Restarted by the updater: the status message and what's new.
    FolivexApp app(L"/updated 1.6.1");
    ASSERT_NE(app.MainWindow(), nullptr);
    EXPECT_NE(app.WaitForWindow(L"FVNotes", 10000), nullptr);
    std::vector<std::wstring> parts = app.StatusParts();
    ASSERT_FALSE(parts.empty());
    EXPECT_EQ(parts.back(), L"  Folivex was updated from 1.6.1 to 1.6.2. Your settings were kept.");
  }
}

std::wstring AboutText(FolivexApp& app) {
  app.Command(CMD_ABOUT);
  HWND box = WaitForDialog(app, L"About Folivex");
  if (!box) return L"(no about box)";
  std::wstring text = DialogMessage(box);
  app.Screenshot(L"about_box");
  Press(box, IDOK);
  return text;
}

TEST(AboutGui, AboutBoxTellsWhetherUpdatesAreChecked) {
  DWORD saved = 1;
  bool had = ReadNumber(L"AutoUpdate", saved);
  SetNumber(L"AutoUpdate", 0);
  {
    FolivexApp app(L"");
    ASSERT_NE(app.MainWindow(), nullptr);
    std::wstring text = AboutText(app);
    EXPECT_TRUE(StartsWith(text, L"Folivex 1.6.2\n")) << text;
    EXPECT_NE(text.find(L"Updates: automatic checks are off (Settings tab)\n"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"Download page: https://"), std::wstring::npos);
  }
  SetNumber(L"AutoUpdate", 1);
  {
    FolivexApp app(L"");
    ASSERT_NE(app.MainWindow(), nullptr);
    EXPECT_NE(AboutText(app).find(L"Updates: checks automatically every 6 hours\n"), std::wstring::npos);
  }
  if (had) SetNumber(L"AutoUpdate", saved); else Forget(L"AutoUpdate");
}

std::wstring DesktopReportPath() {
  wchar_t desktop[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop);
  return std::wstring(desktop) + L"\\Folivex diagnostics.txt";
}

// The file's bytes: a BOM and then UTF-8, read back as text.
bool ReadUtf8File(const std::wstring& path, std::wstring& text) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  std::string bytes(GetFileSize(file.Get(), nullptr), '\0');
  DWORD got = 0;
  if (!ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &got, nullptr) || got != bytes.size()) return false;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") != 0) return false;
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + 3, int(bytes.size() - 3), nullptr, 0);
  text.assign(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3, int(bytes.size() - 3), text.data(), n);
  return n > 0;
}

// The editor the report was opened in, closed again.
void CloseEditors() {
  ULONGLONG end = GetTickCount64() + 3000;
  do {
    for (HWND editor : TopLevelWindows(0, L"Notepad"))
      if (TextOf(editor).find(L"Folivex diagnostics") != std::wstring::npos) PostMessageW(editor, WM_CLOSE, 0, 0);
    Sleep(200);
  } while (GetTickCount64() < end);
}

// Runs the report and returns the text the clipboard held while its
// message box was up.
std::wstring RunReport(FolivexApp& app, std::wstring& message) {
  app.Command(CMD_DIAGNOSTIC_REPORT);
  HWND box = WaitForDialog(app, L"Folivex diagnostic report");
  if (!box) return L"";
  std::wstring clipboard = ClipboardText();
  message = DialogMessage(box);
  Press(box, IDOK);
  return clipboard;
}

TEST(ReportGui, ReportOnDesktopAndClipboardWithEverySection) {
  const std::wstring path = DesktopReportPath();
  DeleteFileW(path.c_str());
  const std::wstring pdf = TestPdf(L"sample20.pdf");
  FolivexApp app(Quoted(pdf));
  ASSERT_NE(app.MainWindow(), nullptr);
  ASSERT_TRUE(WaitForTitle(app, L"sample20.pdf - Folivex"));
  app.Settle(1000);
  app.Command(CMD_USER_GUIDE);
  app.Command(CMD_DOWNLOAD_PAGE);
  app.Settle();

  std::wstring message;
  std::wstring first = RunReport(app, message);
  ASSERT_FALSE(first.empty()) << "the clipboard held no report";
  EXPECT_NE(message.find(L"The diagnostic report was saved on your Desktop as:\n" + path), std::wstring::npos)
      << message;
  EXPECT_NE(message.find(L"copied to the clipboard"), std::wstring::npos);
  std::wstring file;
  ASSERT_TRUE(ReadUtf8File(path, file)) << "no UTF-8 report with a byte-order mark at " << std::string(path.begin(), path.end());
  EXPECT_EQ(file, first) << "the file and the clipboard differ";
  CloseEditors();

  // A second report overwrites the first; it holds what the first one and
  // the web-page commands logged.
  std::wstring second = RunReport(app, message);
  ASSERT_TRUE(ReadUtf8File(path, file));
  EXPECT_EQ(file, second);
  CloseEditors();
  DeleteFileW(path.c_str());

  const wchar_t* headings[] = {
      L"Folivex diagnostic report  20", L"\r\nFolivex version: 1.6.2\r\n", L"\r\nCopy: portable (",
      L"\r\nWindows: ", L"\r\nScreen: ", L"\r\nWindow: ", L"\r\nDocument: " , L"\r\n  pages 20, order changed 0",
      L"\r\n  zoom ", L"\r\nWorker: ", L"\r\nPDF engine: PDFium  [", L"\r\nText: ",
      L"\r\n\r\nPages (pos = position on screen, file# = page number in the file; ink = share of the picture that "
      L"isn't white):\r\n",
      L"\r\n  pos 1 file# 1  paper ", L"\r\n  pos 20 file# 20  paper ",
      L"\r\n\r\nRecent events (oldest first; the number is a clock in milliseconds, now = "};
  for (const wchar_t* heading : headings)
    EXPECT_NE(second.find(heading), std::wstring::npos) << "missing: " << std::wstring(heading).c_str();
  EXPECT_NE(second.find(L"\r\nDocument: " + pdf + L"\r\n"), std::wstring::npos);
  EXPECT_NE(second.find(L"this document: PDFium\r\n"), std::wstring::npos);
  EXPECT_EQ(second.find(L"\r\n  pos 21 "), std::wstring::npos);
  // The first page was drawn: its picture is described with its ink.
  size_t pos1 = second.find(L"\r\n  pos 1 file# 1 ");
  ASSERT_NE(pos1, std::wstring::npos);
  std::wstring line1 = second.substr(pos1, second.find(L"\r\n", pos1 + 2) - pos1);
  EXPECT_NE(line1.find(L"big picture: "), std::wstring::npos);
  EXPECT_EQ(line1.find(L"big picture: none"), std::wstring::npos) << std::string(line1.begin(), line1.end());
  EXPECT_NE(line1.find(L"% "), std::wstring::npos);
  // Event lines: the engine's start, the two web pages, the first report and its opening.
  size_t events = second.find(L"\r\nRecent events");
  ASSERT_NE(events, std::wstring::npos);
  std::wstring log = second.substr(events);
  EXPECT_NE(log.find(L"open \"https://www.corvane.com/folivex/manual/\" with the shell: result "), std::wstring::npos);
  EXPECT_NE(log.find(L"open \"https://www.corvane.com/folivex/download/\" with the shell: result "),
            std::wstring::npos);
  EXPECT_NE(log.find(L"diagnostic report: "), std::wstring::npos);
  EXPECT_NE(log.find(L"open \"" + path + L"\" with the shell: result "), std::wstring::npos);
}

}  // namespace
