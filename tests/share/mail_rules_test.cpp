// The From header, the Port box and the Quenlo request against hand-worked
// values; the recipient check at its limits.
#include "share/mail_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A display name can't end the quoted string, start another header line or
// smuggle a second address; names beyond ASCII go as UTF-8 encoded words.
TEST(MailFromValue, NamesCantForgeOrBreakTheHeader) {
  EXPECT_EQ(MailFromValue(L"", L"me@example.com"), L"me@example.com");
  EXPECT_EQ(MailFromValue(L"Ann Lee", L"ann@x.org"), L"\"Ann Lee\" <ann@x.org>");
  EXPECT_EQ(MailFromValue(L"Eve\", boss@corp.com <boss@corp.com>\r\nBcc: all@corp.com \\", L"eve@x.org"),
            L"\"Eve\\\", boss@corp.com <boss@corp.com>  Bcc: all@corp.com \\\\\" <eve@x.org>");
  // "Zoë" is 5A 6F C3 AB in UTF-8.
  EXPECT_EQ(MailFromValue(L"Zo\u00eb", L"z@x.org"), L"=?utf-8?B?Wm/Dqw==?= <z@x.org>");
  // A long name is cut into several words of at most 75 characters, never
  // inside a character: 30 two-byte letters make 45 + 15 bytes.
  const std::wstring from = MailFromValue(std::wstring(30, L'\u00e9'), L"a@b");
  const size_t gap = from.find(L"?= =?utf-8?B?");
  ASSERT_NE(gap, std::wstring::npos);
  EXPECT_LE(gap + 2, 75u);
  EXPECT_EQ(from.substr(0, 12), L"=?utf-8?B?w6");
  // The address can't carry a line break or a second pair of brackets.
  EXPECT_EQ(MailFromValue(L"A", L"a@b\r\nBcc: c@d>"), L"\"A\" <a@bBcc: c@d>");
  EXPECT_EQ(MailFromValue(L"\r\n", L"a@b"), L"a@b");
}

TEST(MailBodyText, EveryLineEndBecomesCarriageReturnLineFeed) {
  EXPECT_EQ(MailBodyText(L"a\r\nb\nc\rd\n"), L"a\r\nb\r\ncd\r\n");
}

// Out-of-range ports fall back to 465 and say so; a long run of digits
// can't wrap round into range.
TEST(ParseMailPort, RangeAndOverflow) {
  struct Case {
    const wchar_t* text;
    int port;
    bool inRange;
  } cases[] = {
      {L" 587 ", 587, true},      {L"25x9", 25, true},     {L"65535", 65535, true},
      {L"0", 465, false},         {L"70000", 465, false},  {L"", 465, false},
      {L"x25", 465, false},       {L"65536", 465, false},
      {L"4294967321", 465, false},  // 2^32 + 25
      {L"18446744073709552081", 465, false},  // 2^64 + 465
  };
  for (const Case& c : cases) {
    const MailPort got = ParseMailPort(c.text);
    EXPECT_EQ(got.port, c.port) << c.text;
    EXPECT_EQ(got.inRange, c.inRange) << c.text;
  }
}

TEST(QuenloRequest, ExactBytes) {
  EXPECT_EQ(QuenloRequest(L"+19735551234", L"Say \"hi\" \\ now\tplease\r\nline 2\x01 caf\u00e9"),
            "{\"from\":\"Folivex\",\"to\":\"+19735551234\",\"body\":\"Say \\\"hi\\\" \\\\ now\\tplease\\nline 2\\u0001 "
            "caf\xc3\xa9\"}\n");
}

TEST(ConfirmsRecipient, DigitsAndNamesAtTheirLimits) {
  EXPECT_TRUE(ConfirmsRecipient(L"(973) 555-1234", L"19735551234", L""));
  EXPECT_FALSE(ConfirmsRecipient(L"Call 1234567895551234", L"19735551234", L""));  // 16 digits
  EXPECT_TRUE(ConfirmsRecipient(L"+1 973 555 1234 mobile", L"19735551234", L""));
  const std::wstring name = L"Ann Lee";
  EXPECT_TRUE(ConfirmsRecipient(L"Conversation with ann lee", L"1", name));
  EXPECT_TRUE(ConfirmsRecipient(L"ANN LEE" + std::wstring(40, L'.'), L"1", name));
  EXPECT_FALSE(ConfirmsRecipient(L"Ann Lee" + std::wstring(45, L'.'), L"1", name));
  EXPECT_FALSE(ConfirmsRecipient(L"Ann", L"1", name));
  EXPECT_FALSE(ConfirmsRecipient(L"Anything", L"1", L""));
}

}  // namespace
