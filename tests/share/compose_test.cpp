// The text rules of sharing, checked against values worked out by hand from
// the rules (not taken from the code's output).
#include "share/compose.h"

#include <gtest/gtest.h>

namespace {

TEST(PercentEncode, KeepsUnreservedAndEncodesEverythingElseAsUtf8) {
  EXPECT_EQ(PercentEncode(L"a b"), L"a%20b");
  EXPECT_EQ(PercentEncode(L"AZaz09-._~"), L"AZaz09-._~");
  EXPECT_EQ(PercentEncode(L"Q3 & Q4 #1 +x"), L"Q3%20%26%20Q4%20%231%20%2Bx");
  EXPECT_EQ(PercentEncode(L"jane@x.com/?=%"), L"jane%40x.com%2F%3F%3D%25");
  EXPECT_EQ(PercentEncode(L"\u00e9"), L"%C3%A9");
  EXPECT_EQ(PercentEncode(L"\u20ac"), L"%E2%82%AC");
  // An emoji outside the basic plane: one four-byte sequence, however the
  // platform stores it.
  EXPECT_EQ(PercentEncode(L"\U0001F600"), L"%F0%9F%98%80");
  // Line ends: the carriage return goes, the line feed stays as %0A.
  EXPECT_EQ(PercentEncode(L"a\r\nb"), L"a%0Ab");
  EXPECT_EQ(PercentEncode(L"a\rb\n\n"), L"ab%0A%0A");
  // Text that isn't valid UTF-16 is sent as the replacement character.
  EXPECT_EQ(PercentEncode(std::wstring(1, wchar_t(0xD800)) + L"x"), L"%EF%BF%BDx");
  EXPECT_EQ(PercentEncode(L""), L"");
}

TEST(NormaliseMobile, NorthAmericanAndInternationalForms) {
  EXPECT_EQ(NormaliseMobile(L"(973) 555-1234"), L"19735551234");
  EXPECT_EQ(NormaliseMobile(L"1-973-555-1234"), L"19735551234");
  EXPECT_EQ(NormaliseMobile(L"973.555.1234"), L"19735551234");
  EXPECT_EQ(NormaliseMobile(L"+1 (973) 555-1234"), L"19735551234");
  EXPECT_EQ(NormaliseMobile(L"+44 7700 900123"), L"447700900123");
  EXPECT_EQ(NormaliseMobile(L"+49 30 1234567"), L"49301234567");
  EXPECT_EQ(NormaliseMobile(L" +33 6 12 34 56 78 "), L"33612345678");
  EXPECT_EQ(NormaliseMobile(L"+12345678"), L"12345678");  // eight digits are enough
  // Incomplete numbers.
  EXPECT_EQ(NormaliseMobile(L"555-1234"), L"");
  EXPECT_EQ(NormaliseMobile(L"+1234567"), L"");
  EXPECT_EQ(NormaliseMobile(L"2 973 555 1234"), L"");    // 11 digits not starting with 1
  EXPECT_EQ(NormaliseMobile(L"0044 7700 900123"), L"");  // no "+": not taken as international
  EXPECT_EQ(NormaliseMobile(L"call me"), L"");
  // A "+" after a digit doesn't make the number international.
  EXPECT_EQ(NormaliseMobile(L"1+2345678"), L"");
  EXPECT_EQ(NormaliseMobile(L"1+973 555 1234"), L"19735551234");
}

TEST(MessengerHandle, ReducesPastedProfileLinks) {
  EXPECT_EQ(MessengerHandle(L"jane.doe"), L"jane.doe");
  EXPECT_EQ(MessengerHandle(L"https://www.facebook.com/jane.doe/"), L"jane.doe");
  EXPECT_EQ(MessengerHandle(L"https://www.facebook.com/jane.doe?ref=bookmarks"), L"jane.doe");
  EXPECT_EQ(MessengerHandle(L"facebook.com/jane.doe//"), L"jane.doe");
  EXPECT_EQ(MessengerHandle(L"https://www.facebook.com/profile.php?id=100012345678&ref=xyz"), L"100012345678");
  EXPECT_EQ(MessengerHandle(L"https://www.facebook.com/profile.php?id=100012345678"), L"100012345678");
  EXPECT_EQ(MessengerHandle(L"https://www.facebook.com/"), L"www.facebook.com");
}

TEST(ComposeMessage, GreetingLineAndSignature) {
  ComposedMessage m = ComposeMessage(L"Jane Doe", kShareWhatsApp, true, L"report.pdf", L"Sam", L"https://x/");
  EXPECT_EQ(m.message, L"Hi Jane,\n\nI'm sending you report.pdf.\n\nSam");
  EXPECT_EQ(m.subject, L"report.pdf");
  m = ComposeMessage(L"", kShareWhatsApp, true, L"report.pdf", L"", L"https://x/");
  EXPECT_EQ(m.message, L"Hi,\n\nI'm sending you report.pdf.");
  m = ComposeMessage(L"Jane", kShareEmail, true, L"report.pdf", L"", L"");
  EXPECT_EQ(m.message, L"Hi Jane,\n\nHere's report.pdf (attached).");
  // Only a blank ends the first word.
  m = ComposeMessage(L"Ann\tLee", kShareGmail, true, L"a.pdf", L"", L"");
  EXPECT_EQ(m.message.substr(0, 11), L"Hi Ann\tLee,");
}

TEST(ComposeMessage, NoteEndsWithTheLinkAndTheSender) {
  ComposedMessage m = ComposeMessage(L"Jane", kShareGmail, false, L"report.pdf", L"Sam", L"https://dl.example/");
  EXPECT_EQ(m.subject, L"Check out Folivex - a tiny PDF viewer for Windows");
  EXPECT_EQ(m.message.rfind(L"Hi Jane,\n\nCheck out Folivex, a tiny PDF viewer", 0), 0u);
  const std::wstring tail = L"keeps itself up to date):\nhttps://dl.example/\n\nSam";
  ASSERT_GE(m.message.size(), tail.size());
  EXPECT_EQ(m.message.substr(m.message.size() - tail.size()), tail);
  // With no link the note ends with its own line feed.
  m = ComposeMessage(L"", kShareGmail, false, L"", L"", L"");
  EXPECT_EQ(m.message.substr(m.message.size() - 3), L"):\n");
}

TEST(ChatLink, OneExactAddressPerWay) {
  const std::wstring email = L"jane.doe+work@example.com";
  const std::wstring digits = L"19735551234";
  const std::wstring subject = L"Q3 & Q4 #1.pdf";
  const std::wstring message = L"Hi Jane,\n\nI'm sending you Q3 & Q4 #1.pdf.";
  const std::wstring enc = L"Hi%20Jane%2C%0A%0AI%27m%20sending%20you%20Q3%20%26%20Q4%20%231.pdf.";
  const std::wstring to = L"jane.doe%2Bwork%40example.com";
  EXPECT_EQ(ChatLink(kShareWhatsApp, email, digits, L"", false, subject, message),
            L"https://wa.me/19735551234?text=" + enc);
  EXPECT_EQ(ChatLink(kShareMessenger, email, digits, L"jane.doe", true, subject, message),
            L"https://m.me/jane.doe?text=" + enc);
  EXPECT_EQ(ChatLink(kShareMessenger, email, digits, L"", false, subject, message), L"https://www.messenger.com/new");
  // A Messenger name that reduces to nothing still takes the short link.
  EXPECT_EQ(ChatLink(kShareMessenger, email, digits, L"", true, subject, L"x"), L"https://m.me/?text=x");
  EXPECT_EQ(ChatLink(kShareTeams, email, digits, L"", false, subject, message),
            L"msteams:/l/chat/0/0?users=" + to + L"&message=" + enc);
  EXPECT_EQ(TeamsWebLink(email, message), L"https://teams.microsoft.com/l/chat/0/0?users=" + to + L"&message=" + enc);
  EXPECT_EQ(ChatLink(kShareGmail, email, digits, L"", false, subject, message),
            L"https://mail.google.com/mail/?view=cm&fs=1&to=" + to + L"&su=Q3%20%26%20Q4%20%231.pdf&body=" + enc);
  EXPECT_EQ(ChatLink(kShareOutlook, email, digits, L"", false, subject, message),
            L"https://outlook.live.com/mail/0/deeplink/compose?to=" + to +
                L"&subject=Q3%20%26%20Q4%20%231.pdf&body=" + enc);
  // Empty values still go in.
  EXPECT_EQ(ChatLink(kShareGmail, L"", L"", L"", false, L"", L""),
            L"https://mail.google.com/mail/?view=cm&fs=1&to=&su=&body=");
  for (int way : {int(kShareEmail), int(kShareText), int(kShareJustCopy), 8})
    EXPECT_EQ(ChatLink(way, email, digits, L"", false, subject, message), L"");
}

}  // namespace
