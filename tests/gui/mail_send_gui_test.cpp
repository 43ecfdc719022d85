// Email through the real program, end to end. Wine has no mail component,
// so these tests register our stand-in (tests/share/cdo_standin) as
// "CDO.Message" for their duration; it speaks SMTP to a local server
// (smtp_server.py) that writes down what arrives, and Python's MIME parser
// (mail_check.py) reads it back. The SMTP password goes in through the
// Email Server window, so it reaches the server only through the program's
// protected store.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "share/mail_window.h"
#include "share/send_ids.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

const wchar_t kStandInClass[] = L"{8E0F5C2A-3B7D-4C61-A9E4-6D2B1F0C7A53}";
const wchar_t kLogin[] = L"eve";
const wchar_t kSecret[] = L"S3cret-pass42";
const std::wstring kHint =
    L"\n\nCheck the email server settings (Share tab \u2192 Email Server): the server name, port, SSL setting, user "
    L"name and password.";

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::wstring FromUtf8(const std::string& s) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
  return w;
}

std::string ToUtf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// The stand-in as the class of "CDO.Message" (Wine keeps the classes of
// the whole prefix under HKLM), removed again afterwards.
struct MailComponentStandIn {
  MailComponentStandIn() {
    const std::wstring dll = BuildDir() + L"\\cdo_standin.dll";
    const std::wstring cls = std::wstring(L"Software\\Classes\\CLSID\\") + kStandInClass;
    Set(L"Software\\Classes\\CDO.Message\\CLSID", nullptr, kStandInClass);
    Set(cls + L"\\InprocServer32", nullptr, dll);
    Set(cls + L"\\InprocServer32", L"ThreadingModel", L"Both");
    Set(cls + L"\\ProgID", nullptr, L"CDO.Message");
  }
  ~MailComponentStandIn() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CDO.Message");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\CLSID\\") + kStandInClass).c_str());
  }
  static void Set(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                    DWORD((value.size() + 1) * sizeof(wchar_t)));
  }
};

// The local SMTP server on the Linux side, with its three ports.
class SmtpServer {
 public:
  SmtpServer() : work_(UnixPath(BuildDir()) + "/mail_server") {
    // The server empties its folder before it writes the ports; the
    // command itself may still be running when RunOnLinux returns.
    DeleteFileW(File("ports").c_str());
    RunOnLinux("mkdir -p '" + work_ + "'; setsid /usr/bin/python3 '" + FV_SOURCE_DIR + "/tests/gui/smtp_server.py' '" +
               work_ + "' '" + ToUtf8(kLogin) + "' '" + ToUtf8(kSecret) + "' >'" + work_ + ".log' 2>&1 </dev/null &");
    if (WaitForFile(File("ports"), 20000)) std::istringstream(ReadAll(File("ports"))) >> smtp >> silent >> refused;
  }
  ~SmtpServer() { RunOnLinux("kill $(cat '" + work_ + "/smtp.pid')"); }

  // What the parser found in the n-th message received: key -> values.
  std::map<std::string, std::vector<std::wstring>> Received(int n, const std::wstring& attachment = L"") {
    const std::string eml = work_ + "/mail-" + std::to_string(n) + ".eml", out = eml + ".txt";
    std::map<std::string, std::vector<std::wstring>> found;
    if (!WaitForFile(WindowsPath(eml), 10000)) return found;
    RunOnLinux("python3 '" + std::string(FV_SOURCE_DIR) + "/tests/gui/mail_check.py' '" + eml + "' '" +
               (attachment.empty() ? "-" : UnixPath(attachment)) + "' '" + out + "'");
    WaitForFile(WindowsPath(out));
    std::istringstream lines(ReadAll(WindowsPath(out)));
    for (std::string line; std::getline(lines, line);) {
      const size_t space = line.find(' ');
      std::string value;
      for (size_t i = space + 1; space != std::string::npos && i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
          const char c = line[++i];
          value += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else {
          value += line[i];
        }
      }
      found[line.substr(0, space)].push_back(FromUtf8(value));
    }
    return found;
  }
  bool HasMessage(int n) {
    return GetFileAttributesW(File("mail-" + std::to_string(n) + ".eml").c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  int smtp = 0, silent = 0, refused = 0;

 private:
  std::wstring File(const std::string& name) const { return WindowsPath(work_ + "/" + name); }
  std::string work_;
};

// The mail and sharing values start empty and are removed afterwards.
struct CleanValues {
  CleanValues() { Clear(); }
  ~CleanValues() { Clear(); }
  static void Clear() {
    for (const wchar_t* name : {L"MailServer", L"MailPort", L"MailSSL", L"MailUser", L"MailFromName",
                                L"MailFromAddress", L"MailPassword", L"ShareYourName"})
      Forget(name);
  }
};

std::wstring One(std::map<std::string, std::vector<std::wstring>>& found, const std::string& key) {
  return found[key].size() == 1 ? found[key][0] : L"(" + std::to_wstring(found[key].size()) + L" values)";
}

// The Email Server window of a freshly started program with the server's
// settings, SSL off, and the password typed in.
HWND OpenMailWindow(FolivexApp& app, int port, const std::wstring& password) {
  using namespace mail_id;
  if (!app.MainWindow()) return nullptr;
  app.Command(CMD_EMAIL_SERVER);
  HWND mail = app.WaitForWindow(L"FVMail", 15000);
  if (!mail) return nullptr;
  app.Settle();
  if (SendMessageW(GetDlgItem(mail, kSsl), BM_GETCHECK, 0, 0) == BST_CHECKED) {
    PostMessageW(GetDlgItem(mail, kSsl), BM_CLICK, 0, 0);
    app.Settle();
  }
  Type(GetDlgItem(mail, kServer), L"127.0.0.1");
  Type(GetDlgItem(mail, kPort), std::to_wstring(port));
  Type(GetDlgItem(mail, kUser), kLogin);
  Type(GetDlgItem(mail, kPassword), password);
  return mail;
}

TEST(MailSendGui, EmailArrivesAsSentWithHostileSenderNamesAndThePdf) {
  if (!UnderWine()) GTEST_SKIP() << "the local mail server runs on the Linux side of Wine";
  CleanValues clean;
  MailComponentStandIn standIn;
  SmtpServer server;
  ASSERT_NE(server.smtp, 0);
  // A sender name that tries to end the header and start another one.
  SetText(L"MailFromName", L"Eve \"Boss\" \\, <boss@evil.example>\r\nBcc: victim@example.net");
  SetText(L"MailFromAddress", L"eve@example.net");
  SetNumber(L"ShareWhat", 0);
  SetNumber(L"ShareVia", 0);
  const std::wstring pdf = TestPdf(L"sample.pdf");
  FolivexApp app(Quoted(pdf));
  ASSERT_TRUE(app.MainWindow());
  ASSERT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));
  HWND mail = OpenMailWindow(app, server.smtp, kSecret);
  ASSERT_TRUE(mail);

  // The test email goes to the sender's own address.
  Press(mail, mail_id::kTest);
  ASSERT_TRUE(WaitForItemText(mail, mail_id::kStatus, L"It works! A test email was sent to eve@example.net."))
      << Narrow(ItemText(mail, mail_id::kStatus));
  app.Screenshot(L"mail_test_email_sent");
  auto test = server.Received(1);
  EXPECT_EQ(One(test, "from-count"), L"1");
  EXPECT_EQ(One(test, "from-name"), L"Eve \"Boss\" \\, <boss@evil.example>  Bcc: victim@example.net");
  EXPECT_EQ(One(test, "from-address"), L"eve@example.net");
  EXPECT_EQ(One(test, "to"), L"eve@example.net");
  EXPECT_EQ(One(test, "subject"), L"Folivex test email");
  EXPECT_EQ(One(test, "headers"), L"From,To,Subject,Date,MIME-Version,Content-Type,Content-Transfer-Encoding");
  EXPECT_EQ(One(test, "body"),
            L"This is a test from Folivex. If you're reading it, Folivex can send email through your mail server.");
  EXPECT_TRUE(test["attachment"].empty());
  EXPECT_EQ(One(test, "defects"), L"0");

  // Now a name beyond ASCII, typed, and the open PDF from the Send window.
  const std::wstring name = L"Zo\u00eb \"the boss\", <x@y> \u00dcn\u00efc\u00f8d\u00e9 \u6587\u4ef6 = ?= end";
  Type(GetDlgItem(mail, mail_id::kFromName), name);
  PostMessageW(mail, WM_COMMAND, IDCANCEL, 0);
  app.Settle();
  app.Command(CMD_SEND);
  HWND send = app.WaitForWindow(L"FVShare", 15000);
  ASSERT_TRUE(send);
  app.Settle();
  Type(GetDlgItem(send, send_id::kEmail), L"ann@example.com");
  Type(GetDlgItem(send, send_id::kSubject), L"Pages for r\u00e9view \u2014 sample");
  Type(GetDlgItem(send, send_id::kMessage), L"Hello Ann,\r\nthe pages, as promised: \u00fcml\u00e4ut.\n\nEve");
  Press(send, send_id::kSend);
  ASSERT_TRUE(WaitForItemText(send, send_id::kStatus, L"Email sent to ann@example.com."))
      << Narrow(ItemText(send, send_id::kStatus));
  auto sent = server.Received(2, pdf);
  EXPECT_EQ(One(sent, "from-name"), name);
  EXPECT_EQ(One(sent, "from-address"), L"eve@example.net");
  EXPECT_EQ(One(sent, "to"), L"ann@example.com");
  EXPECT_EQ(One(sent, "subject"), L"Pages for r\u00e9view \u2014 sample");
  EXPECT_EQ(One(sent, "body"), L"Hello Ann,\r\nthe pages, as promised: \u00fcml\u00e4ut.\r\n\r\nEve");
  EXPECT_EQ(One(sent, "attachment"), L"sample.pdf");
  EXPECT_EQ(One(sent, "attachment-type"), L"application/pdf");
  EXPECT_EQ(One(sent, "attachment-same"), L"yes");
  EXPECT_EQ(One(sent, "defects"), L"0");
}

// Each way the server can fail ends in the Email Server window's warning
// with the component's own words; nothing arrives.
TEST(MailSendGui, RefusedLoginRefusedConnectionAndSilenceEachTellTheUser) {
  if (!UnderWine()) GTEST_SKIP() << "the local mail server runs on the Linux side of Wine";
  CleanValues clean;
  MailComponentStandIn standIn;
  SmtpServer server;
  ASSERT_NE(server.smtp, 0);
  SetText(L"MailFromAddress", L"eve@example.net");
  FolivexApp app(L"");
  HWND mail = OpenMailWindow(app, server.smtp, L"wrong password");
  ASSERT_TRUE(mail);

  struct Case {
    int port;
    const wchar_t* text;
    DWORD atLeastMs;
  };
  const Case cases[] = {
      {server.smtp,
       L"The message could not be sent to the SMTP server. The transport error code was 0x80040217. The server "
       L"response was not available",
       0},
      {server.refused, L"The transport failed to connect to the server.", 0},
      // The program allows the server 30 seconds.
      {server.silent, L"The transport lost its connection to the server.", 29000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    Type(GetDlgItem(mail, mail_id::kPort), std::to_wstring(c.port));
    const ULONGLONG start = GetTickCount64();
    Press(mail, mail_id::kTest);
    HWND box = WaitForDialog(app, L"Email Server", 60000);
    ASSERT_TRUE(box);
    EXPECT_GE(GetTickCount64() - start, c.atLeastMs);
    EXPECT_EQ(DialogMessage(box), L"The email wasn't sent.\n\n" + std::wstring(c.text) + kHint);
    EXPECT_EQ(ItemText(mail, mail_id::kStatus), L"The test email failed.");
    if (c.port == server.smtp) app.Screenshot(L"mail_test_email_login_refused");
    PostMessageW(box, WM_CLOSE, 0, 0);
    app.Settle();
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(mail, mail_id::kTest)));
  }
  EXPECT_FALSE(server.HasMessage(1));
}

}  // namespace
