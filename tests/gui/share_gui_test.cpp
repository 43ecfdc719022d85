// The Send window driven from outside: the ways that open a link hand the
// shell exactly the expected address (a recorder registered for the web and
// Teams schemes stands in for the browser) and put the PDF on the clipboard
// as a file; Just copy it fills the clipboard; the window's keys; two
// programs adding different people both keep their person.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "share/send_ids.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

using namespace send_id;

const wchar_t kJane[] = L"Jane Doe\x1fjane.doe+work@example.com\x1f(973) 555-1234\x1fhttps://www.facebook.com/jane.doe/";

// Reads a file of UTF-16 text.
std::wstring ReadWide(const std::wstring& path) {
  std::wstring text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  DWORD size = GetFileSize(file, nullptr), got = 0;
  text.resize(size / sizeof(wchar_t));
  if (!ReadFile(file, text.data(), DWORD(text.size() * sizeof(wchar_t)), &got, nullptr)) text.clear();
  CloseHandle(file);
  return text;
}

// The recorder as the handler of https and msteams links, for the life of
// the object; the addresses it is started with are read back one by one.
class LinkRecorder {
 public:
  LinkRecorder() {
    log_ = BuildDir() + L"\\share_links.txt";
    DeleteFileW(log_.c_str());
    SetEnvironmentVariableW(L"FV_URL_LOG", log_.c_str());
    original_ = ReadCommand(L"https");
    WriteCommand(L"https");
  }
  ~LinkRecorder() {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\https\\shell\\open\\command", nullptr, REG_SZ,
                    original_.c_str(), DWORD((original_.size() + 1) * sizeof(wchar_t)));
    RemoveTeamsApp();
    DeleteFileW(log_.c_str());
  }
  // The Teams app's own scheme, present or not.
  void AddTeamsApp() {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\msteams", L"URL Protocol", REG_SZ, L"", sizeof(wchar_t));
    WriteCommand(L"msteams");
  }
  void RemoveTeamsApp() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\msteams"); }

  // The address of the next start of the recorder (empty after 10 s without one).
  std::wstring Next() {
    for (int i = 0; i < 200; ++i) {
      std::wstring text = ReadWide(log_);
      size_t line = 0;
      for (size_t n = 0; n < seen_; ++n) line = text.find(L'\n', line) + 1;
      const size_t end = text.find(L'\n', line);
      if (end != std::wstring::npos) {
        ++seen_;
        int argc = 0;
        std::wstring commandLine = text.substr(line, end - line);
        LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &argc);
        std::wstring address = argv && argc >= 2 ? argv[1] : L"(no argument) " + commandLine;
        LocalFree(argv);
        return address;
      }
      Sleep(50);
    }
    return std::wstring();
  }

 private:
  static std::wstring ReadCommand(const wchar_t* scheme) {
    wchar_t text[1024] = {};
    DWORD size = sizeof(text);
    std::wstring key = std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command";
    RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
  }
  static void WriteCommand(const wchar_t* scheme) {
    const std::wstring command = Quoted(BuildDir() + L"\\fv_url_recorder.exe") + L" \"%1\"";
    std::wstring key = std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command";
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, command.c_str(),
                    DWORD((command.size() + 1) * sizeof(wchar_t)));
  }
  std::wstring log_;
  std::wstring original_;
  size_t seen_ = 0;
};

// The sharing values the tests set, put back as they were afterwards.
class ShareRegistry {
 public:
  ShareRegistry() {
    contacts_ = ReadText(L"Contacts");
    for (const wchar_t* name : {L"ShareYourName", L"MailFromName", L"ShareLink"}) Forget(name);
  }
  ~ShareRegistry() { SetText(L"Contacts", contacts_); }

 private:
  std::wstring contacts_;
};

// A click as the mouse makes it: the button checks itself and tells its window.
void Click(HWND window, int id) { PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

bool Checked(HWND window, int id) {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(GetDlgItem(window, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  return state == BST_CHECKED;
}

// Picks the first saved person in the To box, as choosing them from its list does.
void PickFirstPerson(HWND window) {
  HWND to = GetDlgItem(window, kTo);
  SendMessageTimeoutW(to, CB_SETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(kTo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(to),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
}

std::wstring ClipboardFile() {
  std::wstring path;
  for (int attempt = 0; attempt < 20 && !OpenClipboard(nullptr); ++attempt) Sleep(100);
  if (HANDLE data = GetClipboardData(CF_HDROP)) {
    HDROP drop = static_cast<HDROP>(data);
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
      wchar_t file[1024] = {};
      DragQueryFileW(drop, 0, file, 1024);
      path = file;
    }
  }
  CloseClipboard();
  return path;
}

void EmptyTheClipboard() {
  for (int attempt = 0; attempt < 20 && !OpenClipboard(nullptr); ++attempt) Sleep(100);
  EmptyClipboard();
  CloseClipboard();
}

// Keys typed into the Send window (it must be in front to get them).
void KeyInto(HWND window, UINT vk) {
  SetForegroundWindow(window);
  Sleep(200);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = WORD(vk);
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// File Explorer's windows showing the test documents' folder: counted, or
// closed (their process ends with them).
struct ExplorerSearch {
  bool close;
  int found;
};
BOOL CALLBACK FolderWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ExplorerSearch*>(param);
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  if (wcscmp(cls, L"ExplorerWClass") != 0 || !IsWindowVisible(window) || TextOf(window) != L"testdata") return TRUE;
  ++search->found;
  if (search->close) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}
int FolderWindows(bool close) {
  ExplorerSearch search = {close, 0};
  EnumWindows(FolderWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
bool WaitForFolderWindow() {
  for (int i = 0; i < 200; ++i) {
    if (FolderWindows(false) > 0) return true;
    Sleep(50);
  }
  return false;
}
void CloseFolderWindows() {
  for (int i = 0; i < 100 && FolderWindows(true) > 0; ++i) Sleep(50);
}

const std::wstring kSentLine = L"Hi%20Jane%2C%0A%0AI%27m%20sending%20you%20sample.pdf.";

TEST(ShareGui, LinkWaysOpenTheExpectedAddressesAndCopyThePdf) {
  ShareRegistry registry;
  LinkRecorder links;
  SetText(L"Contacts", kJane);
  SetNumber(L"ShareWhat", 0);
  SetNumber(L"ShareVia", 7);
  const std::wstring pdf = TestPdf(L"sample.pdf");
  FolivexApp app(Quoted(pdf));
  HWND main = app.MainWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));

  app.Command(CMD_SEND);
  HWND send = app.WaitForWindow(L"FVShare", 15000);
  ASSERT_TRUE(send);
  app.Settle();
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_TRUE(Checked(send, kMethodFirst + 7));
  EXPECT_TRUE(Checked(send, kPdf));
  EXPECT_EQ(ItemText(send, kPdf), L"The PDF I'm reading: sample.pdf");
  PickFirstPerson(send);
  EXPECT_EQ(ItemText(send, kTo), L"Jane Doe");
  EXPECT_EQ(ItemText(send, kEmail), L"jane.doe+work@example.com");
  EXPECT_EQ(ItemText(send, kMobile), L"(973) 555-1234");
  EXPECT_EQ(ItemText(send, kMessage), L"Hi Jane,\r\n\r\nI'm sending you sample.pdf.");
  EXPECT_EQ(ItemText(send, kSubject), L"sample.pdf");
  app.Screenshot(L"share_send_pdf_96dpi");

  struct Way {
    int method;
    const wchar_t* label;
    bool teamsApp;
    std::wstring address;
  };
  const std::wstring to = L"jane.doe%2Bwork%40example.com";
  const Way ways[] = {
      {2, L"WhatsApp", false, L"https://wa.me/19735551234?text=" + kSentLine},
      {3, L"Messenger", false, L"https://m.me/jane.doe?text=" + kSentLine},
      {4, L"Microsoft Teams", true, L"msteams:/l/chat/0/0?users=" + to + L"&message=" + kSentLine},
      // Without the Teams app its web app opens instead.
      {4, L"Microsoft Teams", false,
       L"https://teams.microsoft.com/l/chat/0/0?users=" + to + L"&message=" + kSentLine},
      {5, L"Gmail (web)", false,
       L"https://mail.google.com/mail/?view=cm&fs=1&to=" + to + L"&su=sample.pdf&body=" + kSentLine},
      {6, L"Outlook.com (web)", false,
       L"https://outlook.live.com/mail/0/deeplink/compose?to=" + to + L"&subject=sample.pdf&body=" + kSentLine},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(Narrow(way.address));
    if (way.teamsApp)
      links.AddTeamsApp();
    else
      links.RemoveTeamsApp();
    EmptyTheClipboard();
    Click(send, kMethodFirst + way.method);
    app.Settle(100);
    ASSERT_TRUE(Checked(send, kMethodFirst + way.method));
    Click(send, kSend);
    HWND box = WaitForDialog(app, L"Send");
    ASSERT_TRUE(box);
    EXPECT_EQ(DialogMessage(box).rfind(std::wstring(way.label) + L" is opening with the message filled in.", 0), 0u)
        << Narrow(DialogMessage(box));
    EXPECT_EQ(links.Next(), way.address);
    EXPECT_EQ(_wcsicmp(ClipboardFile().c_str(), pdf.c_str()), 0) << Narrow(ClipboardFile());
    Press(box, IDOK);
    app.Settle();
    EXPECT_EQ(ItemText(send, kStatus), L"The PDF is on the clipboard \u2014 press Ctrl+V in the chat, then Send.");
    // The web-mail ways also show the file in File Explorer.
    if (way.method == 5 || way.method == 6) {
      EXPECT_TRUE(WaitForFolderWindow());
      CloseFolderWindows();
    }
    EXPECT_EQ(FolderWindows(false), 0);
  }

  // The note by Outlook.com: the note's subject, and the download link at the
  // end of the message.
  Click(send, kNote);
  app.Settle(100);
  EXPECT_EQ(ItemText(send, kSubject), L"Check out Folivex - a tiny PDF viewer for Windows");
  Click(send, kSend);
  const std::wstring note = links.Next();
  EXPECT_EQ(note.rfind(L"https://outlook.live.com/mail/0/deeplink/compose?to=" + to +
                           L"&subject=Check%20out%20Folivex%20-%20a%20tiny%20PDF%20viewer%20for%20Windows"
                           L"&body=Hi%20Jane%2C%0A%0ACheck%20out%20Folivex%2C%20",
                       0),
            0u)
      << Narrow(note);
  const std::wstring linkEnd = L"%0Ahttps%3A%2F%2Fwww.corvane.com%2Ffolivex%2Fdownload%2F";
  EXPECT_EQ(note.substr(note.size() - std::min(note.size(), linkEnd.size())), linkEnd);
  EXPECT_TRUE(WaitForDialog(app, L"Send", 1000) == nullptr);
  EXPECT_EQ(ItemText(send, kStatus), L"Outlook.com (web) opened with the message filled in \u2014 just press Send.");

  // Messenger without a Messenger name opens the web app and copies the message.
  SetWindowTextW(GetDlgItem(send, kMessenger), L"");
  Click(send, kMethodFirst + 3);
  app.Settle(100);
  Click(send, kSend);
  EXPECT_EQ(links.Next(), L"https://www.messenger.com/new");
  app.Settle();
  std::wstring message = ItemText(send, kMessage);
  std::wstring withoutCr;
  for (wchar_t c : message)
    if (c != L'\r') withoutCr += c;
  EXPECT_EQ(ClipboardText(), withoutCr);
}

TEST(ShareGui, KeysJustCopyItAndOneWindowAtATime) {
  ShareRegistry registry;
  SetText(L"Contacts", L"");
  SetNumber(L"ShareWhat", 0);
  SetNumber(L"ShareVia", 0);
  const std::wstring pdf = TestPdf(L"sample.pdf");
  FolivexApp app(Quoted(pdf));
  HWND main = app.MainWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));
  app.Command(CMD_SEND_WHATSAPP);
  HWND send = app.WaitForWindow(L"FVShare", 15000);
  ASSERT_TRUE(send);
  app.Settle();
  EXPECT_TRUE(Checked(send, kMethodFirst + 2));
  // A second Share command brings the same window forward with its way.
  app.Command(CMD_SEND_TEXT);
  app.Settle();
  EXPECT_EQ(app.WaitForWindow(L"FVShare", 1000), send);
  EXPECT_TRUE(Checked(send, kMethodFirst + 1));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(send, kPdf)));
  EXPECT_TRUE(Checked(send, kNote));
  // The way given by a command is not stored; a click on a way is.
  DWORD via = 99;
  EXPECT_TRUE(ReadNumber(L"ShareVia", via));
  EXPECT_EQ(via, 0u);
  Click(send, kMethodFirst + 7);
  app.Settle();
  EXPECT_TRUE(ReadNumber(L"ShareVia", via));
  EXPECT_EQ(via, 7u);
  EXPECT_TRUE(Checked(send, kPdf));  // the PDF is back once the way can carry it

  // Enter in the To box is Send: Just copy it puts the PDF on the clipboard.
  EmptyTheClipboard();
  SetForegroundWindow(send);
  SendMessageTimeoutW(send, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  KeyInto(send, VK_RETURN);
  app.Settle(500);
  EXPECT_EQ(_wcsicmp(ClipboardFile().c_str(), pdf.c_str()), 0) << Narrow(ClipboardFile());
  EXPECT_EQ(ItemText(send, kStatus), L"The PDF is copied \u2014 paste it into any chat, email or folder with Ctrl+V.");

  // The note: the message as text, with single line feeds.
  Click(send, kNote);
  Type(GetDlgItem(send, kTo), L"Ann");
  SendMessageTimeoutW(send, WM_COMMAND, MAKEWPARAM(kTo, CBN_EDITCHANGE),
                      reinterpret_cast<LPARAM>(GetDlgItem(send, kTo)), SMTO_ABORTIFHUNG, 5000, nullptr);
  Click(send, kSend);
  app.Settle();
  const std::wstring copied = ClipboardText();
  EXPECT_EQ(copied.rfind(L"Hi Ann,\n\nCheck out Folivex, a tiny PDF viewer for Windows 10 and 11.", 0), 0u)
      << Narrow(copied);
  EXPECT_EQ(copied.find(L'\r'), std::wstring::npos);
  EXPECT_EQ(ItemText(send, kStatus), L"Message copied \u2014 paste it anywhere with Ctrl+V.");
  // Nobody was remembered: only a name was given.
  EXPECT_EQ(ReadText(L"Contacts"), L"");

  // Tab leaves the message box for the next control.
  GUITHREADINFO gui = {sizeof(gui)};
  PostMessageW(GetDlgItem(send, kMessage), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(GetDlgItem(send, kMessage), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  app.Settle();
  KeyInto(send, VK_TAB);
  app.Settle();
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(send, nullptr), &gui));
  EXPECT_EQ(gui.hwndFocus, GetDlgItem(send, kReset));

  // Esc closes the window and gives the main window back.
  KeyInto(send, VK_ESCAPE);
  app.Settle(500);
  EXPECT_FALSE(IsWindow(send));
  EXPECT_TRUE(IsWindowEnabled(main));

  // The main window's Copy Link and Show in Folder.
  app.Command(CMD_COPY_LINK);
  EXPECT_TRUE(WaitForStatus(app, 3, L"  Download link copied \u2014 paste it anywhere with Ctrl+V."));
  EXPECT_EQ(ClipboardText(), L"https://www.corvane.com/folivex/download/");
  app.Command(CMD_SHOW_IN_FOLDER);
  EXPECT_TRUE(WaitForFolderWindow());
  CloseFolderWindows();
}

// Two programs, each with its Send window, each adding a person: the one that
// stores last must not lose the other's.
TEST(ShareGui, TwoWindowsAddingPeopleKeepBoth) {
  ShareRegistry registry;
  SetText(L"Contacts", L"");
  SetNumber(L"ShareVia", 7);
  SetNumber(L"ShareWhat", 1);
  FolivexApp first(L"");
  FolivexApp second(L"");
  ASSERT_TRUE(first.MainWindow());
  ASSERT_TRUE(second.MainWindow());
  first.Command(CMD_SEND);
  second.Command(CMD_SEND);
  HWND a = first.WaitForWindow(L"FVShare", 15000);
  HWND b = second.WaitForWindow(L"FVShare", 15000);
  ASSERT_TRUE(a && b);
  first.Settle();
  second.Settle();
  Type(GetDlgItem(a, kTo), L"Ann One");
  Type(GetDlgItem(a, kEmail), L"ann@example.com");
  Type(GetDlgItem(b, kTo), L"Bob Two");
  Type(GetDlgItem(b, kMobile), L"+44 7700 900123");
  Click(a, kSend);
  first.Settle();
  Click(b, kSend);
  second.Settle();
  EXPECT_EQ(ReadText(L"Contacts"),
            L"Ann One\x1f" L"ann@example.com\x1f\x1f\x1e" L"Bob Two\x1f\x1f+44 7700 900123\x1f");
  // The second window's To list now offers both.
  DWORD_PTR count = 0;
  SendMessageTimeoutW(GetDlgItem(b, kTo), CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(ItemText(b, kTo), L"Bob Two");
  // Forgetting in the first window keeps the second one's person.
  Type(GetDlgItem(a, kTo), L"ann one");
  Click(a, kForget);
  first.Settle();
  EXPECT_EQ(ItemText(a, kStatus), L"ann one was removed from your saved people.");
  EXPECT_EQ(ReadText(L"Contacts"), L"Bob Two\x1f\x1f+44 7700 900123\x1f");
}

}  // namespace

namespace {

// The screen's DPI as Wine reads it at a program's start, for the life of
// the object.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    DWORD size = sizeof(old_);
    had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
           ERROR_SUCCESS;
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
  }
  ~ScreenDpi() {
    if (had_)
      RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &old_, sizeof(old_));
    else
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels");
  }

 private:
  static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
  DWORD old_ = 96;
  bool had_ = false;
};

// Pictures of the Send window to look at: a saved person picked, for a PDF
// and for the note, at 96 and 144 DPI. The window must fit its controls at
// both: the last line sits inside the client area.
TEST(ShareGui, SendWindowPictures) {
  ShareRegistry registry;
  SetText(L"Contacts", kJane);
  SetNumber(L"ShareVia", 2);
  for (DWORD dpi : {96u, 144u}) {
    ScreenDpi screen(dpi);
    for (bool withPdf : {true, false}) {
      SetNumber(L"ShareWhat", withPdf ? 0 : 1);
      FolivexApp app(Quoted(TestPdf(L"sample.pdf")));
      ASSERT_TRUE(app.MainWindow());
      ASSERT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));
      app.Command(CMD_SEND);
      HWND send = app.WaitForWindow(L"FVShare", 15000);
      ASSERT_TRUE(send);
      PickFirstPerson(send);
      app.Settle(500);
      RECT client = {}, line = {};
      GetClientRect(send, &client);
      GetWindowRect(GetDlgItem(send, kMailLine), &line);
      MapWindowPoints(nullptr, send, reinterpret_cast<POINT*>(&line), 2);
      EXPECT_LE(line.bottom, client.bottom);
      EXPECT_EQ(client.right, MulDiv(640, int(dpi), 96));
      app.Screenshot(std::wstring(L"share_send_") + (withPdf ? L"pdf_" : L"note_") + std::to_wstring(dpi) + L"dpi");
    }
  }
}

// Sending a rearranged PDF after saving it first from the Send window: the
// save doesn't give the main window back while the Send window is open.
TEST(ShareGui, SavingFirstKeepsTheMainWindowDisabled) {
  ShareRegistry registry;
  SetText(L"Contacts", L"");
  SetNumber(L"ShareWhat", 0);
  SetNumber(L"ShareVia", 7);  // Just copy it
  const std::wstring folder = BuildDir() + L"\\share-save-test";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring pdf = folder + L"\\sample5.pdf";
  SetFileAttributesW(pdf.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(CopyFileW(TestPdf(L"sample5.pdf").c_str(), pdf.c_str(), FALSE));
  FolivexApp app(Quoted(pdf));
  HWND main = app.MainWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(WaitForTitle(app, L"sample5.pdf - Folivex"));
  app.Command(CMD_MOVE_DOWN);
  ASSERT_TRUE(WaitForTitle(app, L"* sample5.pdf - Folivex"));

  app.Command(CMD_SEND);
  HWND send = app.WaitForWindow(L"FVShare", 15000);
  ASSERT_TRUE(send);
  app.Settle();
  Click(send, kSend);
  HWND question = WaitForDialog(app, L"Send");
  ASSERT_TRUE(question);
  EXPECT_EQ(DialogMessage(question).rfind(L"You rearranged the pages", 0), 0u) << Narrow(DialogMessage(question));
  Press(question, IDYES);
  EXPECT_TRUE(WaitForTitle(app, L"sample5.pdf - Folivex")) << "not saved";
  // Whatever the send says next is answered; the Send window stays open.
  if (HWND box = WaitForDialog(app, L"Send", 3000, question)) Press(box, IDOK);
  app.Settle(500);
  EXPECT_TRUE(IsWindow(send) && IsWindowVisible(send));
  EXPECT_FALSE(IsWindowEnabled(main)) << "the save gave the main window back while the Send window is open";
}

}  // namespace
