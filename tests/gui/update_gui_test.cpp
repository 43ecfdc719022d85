// Updating a portable copy through the real program against a local HTTPS
// release server (tests/gui/update_server.py, started by ctest), whose test
// certificate authority is trusted only inside the test's Wine prefix. The
// program is pointed at the server through the administrator's feed value.
// Each test works on its own copy of Folivex.exe in the temporary folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/base/test_printer.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

constexpr wchar_t kPolicyKey[] = L"Software\\Corvane\\Folivex\\Policy";

std::wstring ServerDir() { return BuildDir() + L"\\update_server"; }

// A whole file's bytes (empty when it can't be read).
std::string FileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

// The test authority into the prefix's trusted roots (the machine's store,
// which asks nobody).
bool TrustTestAuthority() {
  const std::string text = FileBytes(ServerDir() + L"\\ca.pem");
  DWORD bytes = 0;
  if (text.empty() || !CryptStringToBinaryA(text.c_str(), DWORD(text.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                                            &bytes, nullptr, nullptr))
    return false;
  std::vector<BYTE> der(bytes);
  if (!CryptStringToBinaryA(text.c_str(), DWORD(text.size()), CRYPT_STRING_BASE64HEADER, der.data(), &bytes, nullptr,
                            nullptr))
    return false;
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (!store) return false;
  const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), bytes,
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  CertCloseStore(store, 0);
  return added != FALSE;
}

// The HTTPS port the release server was given by the system.
std::wstring ServerPort() {
  const std::string port = FileBytes(ServerDir() + L"\\port");
  return std::wstring(port.begin(), port.end());
}

void PointFeedAt(const std::wstring& feedCase) {
  const std::wstring address =
      L"https://localhost:" + ServerPort() + L"/" + feedCase + L"/latest.json";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"UpdateFeed", 0, REG_SZ, reinterpret_cast<const BYTE*>(address.c_str()),
                 DWORD((address.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

std::wstring TempDir() {
  wchar_t buffer[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, buffer);
  return buffer;
}

// A fresh portable copy of the program in a folder of its own.
std::wstring PortableCopy(const std::wstring& name) {
  const std::wstring dir = TempDir() + L"fvupd-" + name;
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring exe = dir + L"\\Folivex.exe";
  DeleteFileW((exe + L".old").c_str());
  EXPECT_TRUE(CopyFileW((BuildDir() + L"\\Folivex.exe").c_str(), exe.c_str(), FALSE));
  return exe;
}

std::wstring ProductVersion(const std::wstring& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<BYTE> block(size ? size : 1);
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductVersion", reinterpret_cast<void**>(&value),
                      &length))
    return L"";
  return value;
}

// Downloads (program files and installers) left in the temporary folder.
std::vector<std::wstring> LeftDownloads() {
  std::vector<std::wstring> found;
  for (const wchar_t* pattern : {L"Folivex-update-*", L"Folivex-Setup-*"}) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((TempDir() + pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) continue;
    do found.push_back(data.cFileName);
    while (FindNextFileW(search, &data));
    FindClose(search);
  }
  return found;
}

// The copy that took over from `app` (null when none started in time),
// once `app` itself has ended.
std::unique_ptr<FolivexApp> TakenOverBy(FolivexApp& app, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  HWND found = nullptr;
  while (!(found = OtherMainWindow(app.ProcessId())) && GetTickCount64() < end) Sleep(100);
  if (!found) return nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(found, &pid);
  auto copy = std::make_unique<FolivexApp>(pid);
  EXPECT_TRUE(app.WaitForExit(10000)) << "the old copy kept running";
  return copy;
}

bool WaitUntilGone(HWND window, DWORD ms = 5000) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (IsWindow(window) && IsWindowVisible(window) && GetTickCount64() < end) Sleep(50);
  return !IsWindow(window) || !IsWindowVisible(window);
}

// Answers a message box and waits until it has gone.
void Answer(HWND box, int button) {
  Press(box, button);
  WaitUntilGone(box);
}

// Runs a manual check, answers the offer with `answer` (IDYES starts the
// download) and gives back the offer's text.
std::wstring CheckAndAnswer(FolivexApp& app, int answer) {
  app.Command(CMD_CHECK_UPDATES);
  HWND box = WaitForDialog(app, L"Folivex update", 20000);
  if (!box) return L"<no box>";
  std::wstring text = DialogMessage(box);
  Answer(box, answer);
  return text;
}

class UpdateGui : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(TrustTestAuthority()) << "the test authority's certificate is missing"; }
};

TEST_F(UpdateGui, PortableCopyReplacesItselfAndRestartsOnTheSamePage) {
  PointFeedAt(L"good");
  const std::wstring exe = PortableCopy(L"good");
  const std::wstring pdf = TestPdf(L"sample20.pdf");
  FolivexApp app(exe, L"/page 5 " + Quoted(pdf));
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForStatus(app, 0, L"  Page 5 of 20"));

  const std::wstring offer = CheckAndAnswer(app, IDNO);
  EXPECT_NE(offer.find(L"Folivex 1.6.3 is available (you have 1.6.2)."), std::wstring::npos) << Narrow(offer);
  EXPECT_NE(offer.find(L"* Pages open faster"), std::wstring::npos) << Narrow(offer);
  HWND bar = FindWindowExW(main, nullptr, L"FVUpdBar", nullptr);
  ASSERT_NE(bar, nullptr);
  app.Settle(500);
  EXPECT_TRUE(IsWindowVisible(bar)) << "No left the bar hidden";
  HWND now = GetDlgItem(bar, CMD_UPDATE_NOW);
  EXPECT_EQ(TextOf(now), L"Update now");
  app.Screenshot(L"update_bar_offer");

  app.Command(CMD_UPDATE_NOW);
  std::unique_ptr<FolivexApp> restarted = TakenOverBy(app, 30000);
  ASSERT_NE(restarted, nullptr) << "no new copy started";
  FolivexApp& second = *restarted;
  ASSERT_NE(second.MainWindow(), nullptr);

  // The new copy: the same document at the same page, the update said in
  // the status bar, and what's new in the notes window.
  EXPECT_TRUE(WaitForStatus(second, 0, L"  Page 5 of 20"));
  HWND notes = second.WaitForWindow(L"FVNotes", 15000);
  ASSERT_NE(notes, nullptr) << "no what's new after the restart";
  EXPECT_EQ(TextOf(notes), L"Folivex was updated");
  SetForegroundWindow(notes);
  second.Settle(1000);
  second.Screenshot(L"update_whats_new");
  EXPECT_EQ(ProductVersion(exe), L"1.6.3") << "the program file was not replaced";
  EXPECT_TRUE(LeftDownloads().empty()) << "the download was left behind";
}

// Every download that isn't exactly the announced file is refused: the
// program file stays as it was, the download is deleted, and the program
// keeps running with the bar offering the update again. A feed whose
// version isn't plain numbers is refused as a whole.
TEST_F(UpdateGui, TamperedDownloadsAreRefusedAndNothingIsReplaced) {
  const std::wstring exe = PortableCopy(L"tampered");
  const std::string before = FileBytes(exe);
  FolivexApp app(exe, L"");
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr);
  app.Settle();

  struct Case {
    const wchar_t* feed;
    const wchar_t* expected;
    const wchar_t* orElse;  // another acceptable reason, or null
  };
  const Case cases[] = {
      {L"badsize", L"The downloaded file is the wrong size", nullptr},
      {L"badsha", L"failed its security check (checksum mismatch)", nullptr},
      // A connection that ends early: WinHTTP either says so, or the short
      // file fails its checksum.
      {L"truncated", L"The download was interrupted", L"failed its security check (checksum mismatch)"},
      {L"wrongversion", L"isn't the expected Folivex version", nullptr},
      {L"httpredirect", L"to an address that isn't secure (not HTTPS)", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.feed));
    PointFeedAt(c.feed);
    const std::wstring offer = CheckAndAnswer(app, IDYES);
    EXPECT_NE(offer.find(L"Folivex 1.6.3 is available"), std::wstring::npos) << Narrow(offer);
    HWND box = WaitForDialog(app, L"Folivex update", 30000);
    ASSERT_NE(box, nullptr) << "no failure message";
    const std::wstring message = DialogMessage(box);
    EXPECT_EQ(message.rfind(L"The update didn't install.", 0), 0u) << Narrow(message);
    EXPECT_TRUE(message.find(c.expected) != std::wstring::npos ||
                (c.orElse && message.find(c.orElse) != std::wstring::npos))
        << Narrow(message);
    Answer(box, IDOK);
    app.Settle(500);
    EXPECT_EQ(FileBytes(exe), before) << "the program file changed";
    EXPECT_TRUE(LeftDownloads().empty()) << "the refused download was left behind";
    EXPECT_FALSE(app.WaitForExit(0)) << "the program ended";
  }

  PointFeedAt(L"hostile");
  app.Command(CMD_CHECK_UPDATES);
  HWND box = WaitForDialog(app, L"Folivex update", 20000);
  ASSERT_NE(box, nullptr);
  const std::wstring message = DialogMessage(box);
  EXPECT_EQ(message.rfind(L"Couldn't check for updates.", 0), 0u) << Narrow(message);
  EXPECT_NE(message.find(L"names a version Folivex can't read"), std::wstring::npos) << Narrow(message);
  Answer(box, IDOK);
  EXPECT_EQ(FileBytes(exe), before);
}

// A server that stops sending in the middle: the bar shows the progress and
// the window stays usable; after the receive time-out (a minute) the
// download ends as interrupted with nothing replaced and its file gone.
// Closing the program during such a download also removes the partial file.
TEST_F(UpdateGui, AStalledDownloadEndsInterruptedAndClosingDuringOneRemovesItsFile) {
  PointFeedAt(L"stall");
  const std::wstring exe = PortableCopy(L"stall");
  const std::string before = FileBytes(exe);
  FolivexApp app(exe, L"/page 2 " + Quoted(TestPdf(L"sample5.pdf")));
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForStatus(app, 0, L"  Page 2 of 5"));
  CheckAndAnswer(app, IDYES);
  HWND bar = FindWindowExW(main, nullptr, L"FVUpdBar", nullptr);
  ASSERT_NE(bar, nullptr);
  // Part of the file has arrived: the download is on disk and the Later
  // button has become Cancel.
  auto waitForPartialFile = [] {
    const ULONGLONG end = GetTickCount64() + 15000;
    while (LeftDownloads().empty() && GetTickCount64() < end) Sleep(100);
    return !LeftDownloads().empty();
  };
  EXPECT_TRUE(waitForPartialFile());
  app.Settle(1500);
  EXPECT_EQ(TextOf(GetDlgItem(bar, CMD_LATER)), L"Cancel");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(bar, CMD_UPDATE_NOW)));
  app.Screenshot(L"update_bar_downloading");
  // The document can still be read meanwhile.
  app.Command(CMD_NEXT_PAGE);
  EXPECT_TRUE(WaitForStatus(app, 0, L"  Page 3 of 5"));

  HWND box = WaitForDialog(app, L"Folivex update", 100000);
  ASSERT_NE(box, nullptr) << "the stalled download never ended";
  const std::wstring message = DialogMessage(box);
  // A time-out: WinHTTP's 12002, which Wine gives as the socket's 10060.
  const std::wstring interrupted = L"The update didn't install.\n\nThe download was interrupted (error ";
  EXPECT_TRUE(message == interrupted + L"12002)." || message == interrupted + L"10060).") << Narrow(message);
  app.Screenshot(L"update_download_interrupted");
  Answer(box, IDOK);
  app.Settle(500);
  EXPECT_EQ(FileBytes(exe), before) << "the program file changed";
  EXPECT_TRUE(LeftDownloads().empty()) << "the interrupted download was left behind";
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(bar, CMD_UPDATE_NOW))) << "the bar doesn't offer the update again";
  EXPECT_EQ(TextOf(GetDlgItem(bar, CMD_LATER)), L"Later");
  app.Command(CMD_NEXT_PAGE);
  EXPECT_TRUE(WaitForStatus(app, 0, L"  Page 4 of 5"));

  // Again, and the program is closed while the server holds back.
  app.Command(CMD_UPDATE_NOW);
  EXPECT_TRUE(waitForPartialFile());
  app.Settle(1500);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.WaitForExit(15000)) << "the program didn't end";
  EXPECT_TRUE(LeftDownloads().empty()) << "the partial download was left behind";
  EXPECT_EQ(FileBytes(exe), before);
}

// The size of a file (-1 when there is none), without opening it.
int64_t SizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The status bar's message part.
std::wstring StatusMessage(FolivexApp& app) {
  const std::vector<std::wstring> parts = app.StatusParts();
  return parts.size() > 3 ? parts[3] : L"";
}

// The server holds the download back until the test lets it go. Cancelled
// meanwhile, the download ends without a word, leaves no file and the bar
// offers the update again. A verified update that arrives while the program
// prints waits for the print job to end (a restart would cut it off) and is
// put in place on the timer after it: the whole document reaches the
// printer, then the new version starts on the same page.
TEST_F(UpdateGui, ACancelledDownloadEndsQuietlyAndOneArrivingDuringAPrintInstallsAfterIt) {
  char buildDir[1024] = {};
  GetEnvironmentVariableA("FV_BUILD_DIR", buildDir, sizeof(buildDir));
  const std::string unixDir = std::string(buildDir) + "/update-print-test";
  CreateDirectoryW(WindowsPath(unixDir).c_str(), nullptr);
  const std::wstring printed = WindowsPath(unixDir + "/printed.ps");
  DeleteFileW(printed.c_str());
  std::wstring error;
  ASSERT_TRUE(PrepareTestPrinter(std::wstring(unixDir.begin(), unixDir.end()) + L"/printed.ps", error))
      << Narrow(error);
  const std::wstring gate = ServerDir() + L"\\gate";
  DeleteFileW(gate.c_str());

  PointFeedAt(L"gated");
  const std::wstring exe = PortableCopy(L"print");
  const int64_t fullSize = SizeOf(exe);
  FolivexApp app(exe, L"/page 7 " + Quoted(TestPdf(L"sample20.pdf")));
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForStatus(app, 0, L"  Page 7 of 20"));
  HWND bar = FindWindowExW(main, nullptr, L"FVUpdBar", nullptr);
  ASSERT_NE(bar, nullptr);
  const std::wstring download = TempDir() + L"Folivex-update-1.6.3.exe";
  auto waitForPartialFile = [&] {
    const ULONGLONG end = GetTickCount64() + 15000;
    while (SizeOf(download) <= 0 && GetTickCount64() < end) Sleep(100);
    return SizeOf(download) > 0;
  };
  auto letTheRestGo = [&] {
    CloseHandle(CreateFileW(gate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  };

  CheckAndAnswer(app, IDYES);
  ASSERT_TRUE(waitForPartialFile()) << "the download didn't start";
  app.Settle(500);
  // Cancel is pressed (and handled) before the rest of the file comes.
  SendMessageTimeoutW(GetDlgItem(bar, CMD_LATER), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  letTheRestGo();
  ULONGLONG end = GetTickCount64() + 20000;
  while (!IsWindowVisible(GetDlgItem(bar, CMD_UPDATE_NOW)) && GetTickCount64() < end) Sleep(100);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(bar, CMD_UPDATE_NOW))) << "the bar doesn't offer the update again";
  EXPECT_EQ(TextOf(GetDlgItem(bar, CMD_LATER)), L"Later");
  EXPECT_EQ(WaitForDialog(app, nullptr, 1500), nullptr) << "a cancelled download showed a box";
  EXPECT_TRUE(LeftDownloads().empty()) << "the cancelled download was left behind";
  EXPECT_EQ(ProductVersion(exe), L"1.6.2");

  app.Command(CMD_UPDATE_NOW);
  ASSERT_TRUE(waitForPartialFile()) << "the download didn't start";

  app.Command(CMD_PRINT);
  HWND dialog = WaitForDialog(app, L"Print", 20000);
  ASSERT_NE(dialog, nullptr);
  Press(dialog, IDOK);
  end = GetTickCount64() + 20000;
  while (StatusMessage(app).rfind(L"  Printing page ", 0) != 0 && GetTickCount64() < end) Sleep(20);
  ASSERT_EQ(StatusMessage(app).rfind(L"  Printing page ", 0), 0u) << "the print didn't start";
  letTheRestGo();
  // The rest of the file arrives while the pages are still going out.
  end = GetTickCount64() + 20000;
  while (SizeOf(download) != fullSize && GetTickCount64() < end) Sleep(20);
  ASSERT_EQ(SizeOf(download), fullSize);
  ASSERT_EQ(StatusMessage(app).rfind(L"  Printing page ", 0), 0u) << "the print ended before the download";
  app.Screenshot(L"update_waits_for_print");

  std::unique_ptr<FolivexApp> restarted = TakenOverBy(app, 120000);
  ASSERT_NE(restarted, nullptr) << "the waiting update wasn't installed after the print";
  FolivexApp& second = *restarted;
  ASSERT_NE(second.MainWindow(), nullptr);
  EXPECT_TRUE(WaitForStatus(second, 0, L"  Page 7 of 20"));
  EXPECT_EQ(ProductVersion(exe), L"1.6.3");
  EXPECT_TRUE(LeftDownloads().empty());
  // Every page reached the printer's file, and the print job was over
  // before the new program file was written.
  const std::string job = FileBytes(printed);
  int pages = 0;
  for (size_t at = job.find("%%Page: "); at != std::string::npos; at = job.find("%%Page: ", at + 1)) ++pages;
  EXPECT_EQ(pages, 20);
  WIN32_FILE_ATTRIBUTE_DATA printedInfo, exeInfo;
  ASSERT_TRUE(GetFileAttributesExW(printed.c_str(), GetFileExInfoStandard, &printedInfo));
  ASSERT_TRUE(GetFileAttributesExW(exe.c_str(), GetFileExInfoStandard, &exeInfo));
  auto ticks = [](const FILETIME& t) { return (int64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  const int64_t afterPrintMs = (ticks(exeInfo.ftLastWriteTime) - ticks(printedInfo.ftLastWriteTime)) / 10000;
  EXPECT_GT(afterPrintMs, 0) << "the program file was replaced during the print";
  // On the next turn of the 5-second timer.
  EXPECT_LT(afterPrintMs, 7000);
}

// How often the release server has been asked for a feed, from its log.
int FeedRequests(const std::wstring& feedCase) {
  const std::string log = FileBytes(ServerDir() + L"\\server.log");
  const std::string line = "\"GET /" + std::string(feedCase.begin(), feedCase.end()) + "/latest.json ";
  int count = 0;
  for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
  return count;
}

bool WaitForBar(HWND bar, bool shown, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (bool(IsWindowVisible(bar)) != shown && GetTickCount64() < end) Sleep(100);
  return bool(IsWindowVisible(bar)) == shown;
}

// Automatic checks follow "Check for updates automatically": off, the
// program asks the server nothing; switched on, it asks within seconds, and
// a copy started with it on asks by itself. What they find shows in the bar
// without a question; its What's new shows the feed's notes and Later hides
// it.
TEST_F(UpdateGui, AutomaticChecksFollowTheirBoxAndTheBarOffersWhatsNewAndLater) {
  constexpr int kAutoUpdateBox = 41008;
  PointFeedAt(L"auto");
  SetNumber(L"AutoUpdate", 0);
  struct Restore {
    ~Restore() { Forget(L"AutoUpdate"); }
  } restore;
  const int before = FeedRequests(L"auto");
  {
    FolivexApp app(L"");
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    HWND bar = FindWindowExW(main, nullptr, L"FVUpdBar", nullptr);
    ASSERT_NE(bar, nullptr);
    // The first automatic check would be due 8 s after the start, on the
    // 5-second timer.
    Sleep(16000);
    EXPECT_EQ(FeedRequests(L"auto"), before) << "a check ran with automatic checks off";
    EXPECT_FALSE(IsWindowVisible(bar));

    HWND ribbon = FindWindowExW(main, nullptr, L"FVRibbon", nullptr);
    PostMessageW(GetDlgItem(ribbon, kAutoUpdateBox), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitForBar(bar, true, 12000)) << "switching the checks on found nothing";
    EXPECT_EQ(FeedRequests(L"auto"), before + 1);
    DWORD stored = 0;
    EXPECT_TRUE(ReadNumber(L"AutoUpdate", stored));
    EXPECT_EQ(stored, 1u);
    EXPECT_EQ(WaitForDialog(app, nullptr, 1000), nullptr) << "an automatic check asked a question";
  }
  FolivexApp app(L"");
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr);
  HWND bar = FindWindowExW(main, nullptr, L"FVUpdBar", nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(WaitForBar(bar, true, 20000)) << "no automatic check at the start";
  EXPECT_EQ(FeedRequests(L"auto"), before + 2);
  EXPECT_EQ(WaitForDialog(app, nullptr, 1000), nullptr) << "an automatic check asked a question";

  PostMessageW(GetDlgItem(bar, CMD_WHATS_NEW), BM_CLICK, 0, 0);
  HWND notes = app.WaitForWindow(L"FVNotes", 10000);
  ASSERT_NE(notes, nullptr) << "What's new showed nothing";
  EXPECT_EQ(TextOf(notes), L"What's new in Folivex");
  const std::wstring text = LongTextOf(GetDlgItem(notes, 100));
  EXPECT_EQ(text.rfind(L"Folivex 1.6.3 \u2014 what's new (you have 1.6.2)", 0), 0u) << Narrow(text);
  EXPECT_NE(text.find(L"* Pages open faster"), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.find(L"* The update bar shows the download"), std::wstring::npos) << Narrow(text);
  app.Settle(500);
  app.Screenshot(L"update_whats_new_from_bar");
  PostMessageW(notes, WM_CLOSE, 0, 0);
  app.Settle(300);

  PostMessageW(GetDlgItem(bar, CMD_LATER), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitForBar(bar, false, 3000)) << "Later left the bar";
  app.Settle(300);
  EXPECT_FALSE(app.WaitForExit(0));
}

// An installed copy (the uninstall entry of this person names its folder)
// runs the new installer silently and waits for it: a failing installer
// leaves the copy running with the installer's code in a message; one that
// succeeds restarts the copy after the update.
TEST_F(UpdateGui, InstalledCopyRunsTheInstallerAndWaitsForIt) {
  constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Folivex";
  constexpr wchar_t kTests[] = L"Software\\Corvane\\FolivexTests";
  PointFeedAt(L"installed");
  const std::wstring exe = PortableCopy(L"installed");
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  struct Forget {
    const wchar_t* a;
    const wchar_t* b;
    ~Forget() {
      RegDeleteTreeW(HKEY_CURRENT_USER, a);
      RegDeleteTreeW(HKEY_CURRENT_USER, b);
    }
  } forget{kUninstall, kTests};
  const std::wstring location = folder + L"\\";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUninstall, L"InstallLocation", REG_SZ, location.c_str(),
                            DWORD((location.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  auto exitWith = [&](DWORD code) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kTests, L"SetupExitCode", REG_DWORD, &code, sizeof(code));
  };
  auto arguments = [&] {
    wchar_t value[1024] = {};
    DWORD bytes = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, kTests, L"SetupArguments", RRF_RT_REG_SZ, nullptr, value, &bytes);
    return std::wstring(value);
  };
  const std::string before = FileBytes(exe);

  exitWith(3);
  FolivexApp app(exe, L"");
  ASSERT_NE(app.MainWindow(), nullptr);
  app.Settle();
  CheckAndAnswer(app, IDYES);
  HWND box = WaitForDialog(app, L"Folivex update", 30000);
  ASSERT_NE(box, nullptr);
  const std::wstring message = DialogMessage(box);
  EXPECT_EQ(message.rfind(L"The installer couldn't finish the update (code 3). Folivex was not changed.", 0), 0u)
      << Narrow(message);
  EXPECT_EQ(arguments(), L"/S /UPDATE /CURRENTUSER /D=" + folder);
  Answer(box, IDOK);
  EXPECT_TRUE(IsWindowEnabled(app.MainWindow())) << "the main window stayed disabled";
  EXPECT_FALSE(app.WaitForExit(0));
  EXPECT_EQ(FileBytes(exe), before);
  EXPECT_TRUE(LeftDownloads().empty());

  exitWith(0);
  CheckAndAnswer(app, IDYES);
  std::unique_ptr<FolivexApp> restarted = TakenOverBy(app, 30000);
  ASSERT_NE(restarted, nullptr) << "the copy didn't restart after the installer";
  FolivexApp& second = *restarted;
  ASSERT_NE(second.MainWindow(), nullptr);
  EXPECT_TRUE(WaitForStatus(second, 3, L"  Folivex was updated from 1.6.2 to 1.6.2. Your settings were kept."));
}

}  // namespace
