// The Email Server window and the text-message fallback driven from
// outside the real program. This Wine has neither the mail component nor a
// UI Automation client, so a test email ends in the component's message
// and a text (without Quenlo) in the copied message and Phone Link's
// instructions.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "share/mail_window.h"
#include "share/send_ids.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

const wchar_t* const kMailValues[] = {L"MailServer", L"MailPort", L"MailSSL", L"MailUser",
                                      L"MailFromName", L"MailFromAddress", L"MailPassword"};

// The mail values start empty and are removed again afterwards.
struct CleanMailValues {
  CleanMailValues() { Clear(); }
  ~CleanMailValues() { Clear(); }
  static void Clear() {
    for (const wchar_t* name : kMailValues) Forget(name);
  }
};

std::vector<uint8_t> StoredPassword() {
  DWORD size = 0;
  const wchar_t key[] = L"Software\\Corvane\\Folivex";
  if (RegGetValueW(HKEY_CURRENT_USER, key, L"MailPassword", RRF_RT_REG_BINARY, nullptr, nullptr, &size) !=
      ERROR_SUCCESS)
    return {};
  std::vector<uint8_t> data(size);
  if (RegGetValueW(HKEY_CURRENT_USER, key, L"MailPassword", RRF_RT_REG_BINARY, nullptr, data.data(), &size) !=
      ERROR_SUCCESS)
    return {};
  data.resize(size);
  return data;
}

TEST(MailGui, EmailServerWindowSavesAsTypedAndTestsTheSettings) {
  using namespace mail_id;
  CleanMailValues clean;
  FolivexApp app(L"");
  HWND main = app.MainWindow();
  ASSERT_TRUE(main);
  app.Command(CMD_EMAIL_SERVER);
  HWND mail = app.WaitForWindow(L"FVMail", 15000);
  ASSERT_TRUE(mail);
  app.Settle();
  EXPECT_EQ(TextOf(mail), L"Email Server");
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_EQ(ItemText(mail, kPort), L"465");

  // Only the server: the test email asks for the rest first.
  Type(GetDlgItem(mail, kServer), L"  smtp.example.net ");
  Press(mail, kTest);
  HWND box = WaitForDialog(app, L"Email Server");
  ASSERT_TRUE(box);
  EXPECT_EQ(DialogMessage(box), L"Fill in at least the mail server and your email address first.");
  PostMessageW(box, WM_CLOSE, 0, 0);
  app.Settle();

  Type(GetDlgItem(mail, kFromName), L"Eve \"Boss\", <x@y>");
  Type(GetDlgItem(mail, kFromAddress), L"eve@example.net");
  Type(GetDlgItem(mail, kUser), L"eve");
  EXPECT_EQ(ReadText(L"MailServer"), L"smtp.example.net");
  EXPECT_EQ(ReadText(L"MailFromName"), L"Eve \"Boss\", <x@y>");
  EXPECT_EQ(ReadText(L"MailFromAddress"), L"eve@example.net");

  // A port out of range is stored as 465 and the window says why; the box
  // keeps what was typed. Digits that would overflow do the same.
  DWORD port = 0;
  for (const wchar_t* typed : {L"70000", L"4294967321", L"0"}) {
    Type(GetDlgItem(mail, kPort), typed);
    ASSERT_TRUE(ReadNumber(L"MailPort", port));
    EXPECT_EQ(port, 465u) << Narrow(typed);
    EXPECT_EQ(ItemText(mail, kPort), typed);
    EXPECT_EQ(ItemText(mail, kStatus), L"Ports go from 1 to 65535, so 465 is used until you type one of those.");
  }
  Type(GetDlgItem(mail, kPort), L"465");
  // SSL off with the SSL port: the port becomes 25, and back.
  PostMessageW(GetDlgItem(mail, kSsl), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitForItemText(mail, kPort, L"25"));
  ASSERT_TRUE(ReadNumber(L"MailPort", port));
  EXPECT_EQ(port, 25u);
  DWORD ssl = 1;
  ASSERT_TRUE(ReadNumber(L"MailSSL", ssl));
  EXPECT_EQ(ssl, 0u);
  PostMessageW(GetDlgItem(mail, kSsl), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitForItemText(mail, kPort, L"465"));

  // The password is stored protected, never as its text.
  const std::wstring secret = L"Tr0ub4dor&3";
  Type(GetDlgItem(mail, kPassword), secret);
  const std::vector<uint8_t> stored = StoredPassword();
  ASSERT_FALSE(stored.empty());
  const uint8_t* s = reinterpret_cast<const uint8_t*>(secret.data());
  EXPECT_EQ(std::search(stored.begin(), stored.end(), s, s + secret.size() * 2), stored.end());
  const std::string narrow = Narrow(secret);
  EXPECT_EQ(std::search(stored.begin(), stored.end(), narrow.begin(), narrow.end()), stored.end());
  // Emptying the box keeps it; Clear password removes it.
  Type(GetDlgItem(mail, kPassword), L"");
  EXPECT_EQ(StoredPassword(), stored);
  app.Screenshot(L"mail_server_window");

  // The test email: this Wine has no mail component.
  Press(mail, kTest);
  box = WaitForDialog(app, L"Email Server");
  ASSERT_TRUE(box);
  EXPECT_EQ(DialogMessage(box), L"Windows' built-in mail component (CDO) isn't available on this PC.");
  EXPECT_EQ(ItemText(mail, kStatus), L"The test email failed.");
  app.Screenshot(L"mail_test_email_result");
  PostMessageW(box, WM_CLOSE, 0, 0);
  app.Settle();
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(mail, kTest)));

  Press(mail, kClearPassword);
  app.Settle();
  EXPECT_TRUE(StoredPassword().empty());
  EXPECT_EQ(ItemText(mail, kStatus), L"The saved password was removed.");

  // Esc closes it and gives the main window back.
  PostMessageW(mail, WM_COMMAND, IDCANCEL, 0);
  app.Settle();
  EXPECT_FALSE(IsWindow(mail));
  EXPECT_TRUE(IsWindowEnabled(main));
}

// No Quenlo and no UI Automation: the message is on the clipboard and the
// user is told how to send it in Phone Link themselves.
TEST(MailGui, TextMessageFallsBackToTheClipboard) {
  using namespace send_id;
  SetNumber(L"ShareVia", 1);
  FolivexApp app(L"");
  ASSERT_TRUE(app.MainWindow());
  app.Command(CMD_SEND_TEXT);
  HWND send = app.WaitForWindow(L"FVShare", 15000);
  ASSERT_TRUE(send);
  app.Settle();
  Type(GetDlgItem(send, kTo), L"Ann");
  Type(GetDlgItem(send, kMobile), L"(973) 555-1234");
  Type(GetDlgItem(send, kMessage), L"Hello Ann,\r\nthis is Folivex.");
  Press(send, kSend);
  HWND box = WaitForDialog(app, L"Send", 30000);
  ASSERT_TRUE(box);
  EXPECT_EQ(DialogMessage(box),
            L"Windows UI Automation isn't available.\n\nThe message has been copied. In Phone Link, click New "
            L"message, enter the number, click in the message box and press Ctrl+V, then Send.");
  EXPECT_EQ(ClipboardText(), L"Hello Ann,\nthis is Folivex.");
  EXPECT_EQ(ItemText(send, kStatus), L"The text wasn't sent automatically.");
  app.Screenshot(L"text_message_fallback");
  PostMessageW(box, WM_CLOSE, 0, 0);
  app.Settle();
  EXPECT_EQ(ItemText(send, kSend), L"Send");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(send, kSend)));
}

}  // namespace
