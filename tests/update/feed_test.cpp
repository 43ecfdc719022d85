// The release feed reader, the version comparison and the download rules,
// checked against values worked out by hand from the feed's format (UTF-8
// bytes, JSON escapes) rather than against the reader's own tables.
#include "update/feed.h"

#include <gtest/gtest.h>

#include <string>

#include "update/update_rules.h"

namespace {

std::wstring Value(const char* doc, const char* key, size_t capacity = 100) {
  std::wstring out = L"junk";
  if (!JsonValue(doc, key, out, capacity)) return L"<missing>";
  return out;
}

const std::string kHash(64, 'a');

std::string Feed(const std::string& version, const std::string& sha = kHash, const std::string& extra = "") {
  return "{\"version\": \"" + version + "\", \"exe\": \"https://h/x.exe\", \"sha256\": \"" + sha + "\"" + extra + "}";
}

TEST(FeedReader, StringEscapesAndBareValues) {
  // \u00e9 is U+00E9; the pair \ud83d\ude00 is U+1F600; \b and \/ are the
  // letters; \r vanishes; a lone high surrogate is not a character.
  EXPECT_EQ(Value(R"({"a":"caf\u00e9"})", "a"), L"caf\u00e9");
  EXPECT_EQ(Value(R"({"a":"x\ud83d\ude00y"})", "a"), L"x\U0001F600y");
  EXPECT_EQ(Value(R"({"a":"\b\f\/\\\"q"})", "a"), L"bf/\\\"q");
  EXPECT_EQ(Value(R"({"a":"1\r\n2\t3"})", "a"), L"1\n2\t3");
  EXPECT_EQ(Value(R"({"a":"\ud83dz"})", "a"), L"\uFFFDz");
  // Raw UTF-8 in the document (e-acute, then the euro sign).
  EXPECT_EQ(Value("{\"a\":\"\xC3\xA9\xE2\x82\xAC\"}", "a"), L"\u00e9\u20ac");
  // Blanks around the colon; bare numbers, true and null as text.
  EXPECT_EQ(Value("{\"a\" \t\r\n:\n  \"v\"}", "a"), L"v");
  EXPECT_EQ(Value(R"({"n": 123456, "b":true,"z":null})", "n"), L"123456");
  EXPECT_EQ(Value(R"({"n": 123456, "b":true,"z":null})", "b"), L"true");
  EXPECT_EQ(Value(R"({"n": 123456, "b":true,"z":null})", "z"), L"null");
  EXPECT_EQ(Value(R"({"a": ""})", "a"), L"");
  // Not a key: missing, or a first occurrence without a colon after it.
  EXPECT_EQ(Value(R"({"a": "v"})", "b"), L"<missing>");
  EXPECT_EQ(Value(R"({"x": "a", "a": "v"})", "a"), L"<missing>");
  EXPECT_EQ(Value("{\"a\"\x01:\"v\"}", "a"), L"<missing>");
  // An unterminated string and a trailing backslash end with the document.
  EXPECT_EQ(Value("{\"a\":\"abc", "a"), L"abc");
  EXPECT_EQ(Value("{\"a\":\"abc\\", "a"), L"abc\\");
  // At most capacity - 1 characters survive, and never half a pair.
  EXPECT_EQ(Value(R"({"a":"abcdefgh"})", "a", 4), L"abc");
  EXPECT_EQ(Value(R"({"a": 12345678})", "a", 4), L"123");
  EXPECT_EQ(Value(R"({"a":"ab\ud83d\ude00"})", "a", 4).substr(0, 2), L"ab");
}

TEST(FeedReader, CompletenessSizesAndHostileVersions) {
  UpdateInfo info;
  ReadFeed(Feed("1.6.3", kHash, ", \"size\": 123456, \"notes\": \"* Faster\\nMore\"").c_str(), info);
  EXPECT_TRUE(info.ok);
  EXPECT_EQ(info.version, L"1.6.3");
  EXPECT_EQ(info.exeSize, 123456u);
  EXPECT_EQ(info.setupSize, 0u);
  EXPECT_EQ(info.notes, L"* Faster\nMore");
  ReadFeed(Feed("1.6.3", kHash, ", \"size\": \"123456\", \"setup_size\": \" 99999999999\"").c_str(), info);
  EXPECT_EQ(info.exeSize, 123456u);
  EXPECT_EQ(info.setupSize, 4294967295u);

  ReadFeed(Feed("1.6.3", std::string(63, 'a')).c_str(), info);
  EXPECT_FALSE(info.ok);
  EXPECT_EQ(info.errorText, L"The update information on the server is incomplete.");
  ReadFeed("{\"version\": \"1.6.3\"}", info);
  EXPECT_FALSE(info.ok);

  // The version becomes part of a file name: only digits and dots pass.
  for (const char* hostile : {"..\\\\..\\\\x", "1.6.3/../a", "1.6.3 ", "..", "1.6:3", "1.6.3a"}) {
    ReadFeed(Feed(hostile).c_str(), info);
    EXPECT_FALSE(info.ok) << hostile;
    EXPECT_FALSE(info.errorText.empty()) << hostile;
  }
  ReadFeed(Feed("10.0.1.2").c_str(), info);
  EXPECT_TRUE(info.ok);
}

TEST(FeedReader, VersionsCompareAsNumbers) {
  EXPECT_EQ(CompareVersions(L"1.6.2", L"1.6.2"), 0);
  EXPECT_EQ(CompareVersions(L"1.6.2", L"1.6.2.0"), 0);
  EXPECT_EQ(CompareVersions(L"1.6.10", L"1.6.9"), 1);
  EXPECT_EQ(CompareVersions(L"2", L"1.9.9.9"), 1);
  EXPECT_EQ(CompareVersions(L"1.10", L"1.9"), 1);
  EXPECT_EQ(CompareVersions(L"1.6.2", L"1.6.3"), -1);
  // Only four parts count; unreadable parts are 0.
  EXPECT_EQ(CompareVersions(L"1.2.3.4.9", L"1.2.3.4"), 0);
  EXPECT_EQ(CompareVersions(L"1.x.5", L"1"), 0);
  EXPECT_EQ(CompareVersions(L"", L"0.0"), 0);
}

TEST(UpdateRules, PercentOfLargeSizesAndTexts) {
  // Sizes near the 32-bit limit: done * 100 would overflow 32 bits.
  EXPECT_EQ(DownloadPercent(4000000000ull, 4294967295ull), 93);
  EXPECT_EQ(DownloadPercent(4294967295ull, 4294967295ull), 100);
  EXPECT_EQ(DownloadPercent(5000000000ull, 4000000000ull), 100);
  EXPECT_EQ(DownloadPercent(1, 3), 33);
  EXPECT_EQ(DownloadPercent(7, 0), 0);

  uint8_t digest[32];
  for (int i = 0; i < 32; ++i) digest[i] = uint8_t(i * 8 + 1);
  const std::wstring hex = HexDigest(digest);
  EXPECT_EQ(hex.substr(0, 10), L"0109111921");
  EXPECT_TRUE(SameChecksum(hex, L"0109111921293139414951596169717981899199A1A9B1B9C1C9D1D9E1E9F1F9"));
  EXPECT_FALSE(SameChecksum(hex, hex.substr(1) + L"0"));

  EXPECT_TRUE(ExpectedProduct(L"FOLIVEX", L"1.6.3.0", false, L"1.6.3"));
  EXPECT_FALSE(ExpectedProduct(L"Folivex Setup", L"1.6.3", false, L"1.6.3"));
  EXPECT_FALSE(ExpectedProduct(L"Folivex Setup", L"1.6.2", true, L"1.6.3"));

  EXPECT_EQ(InstallerParameters(true, L"C:\\Program Files\\Folivex\\\\"),
            L"/S /UPDATE /ALLUSERS /D=C:\\Program Files\\Folivex");
  EXPECT_EQ(RestartArguments(L"1.6.2", 7, L"C:\\a b\\x.pdf"), L"/updated 1.6.2 /page 7 \"C:\\a b\\x.pdf\"");
  EXPECT_EQ(RestartArguments(L"1.6.2", 1, L""), L"/updated 1.6.2");
  EXPECT_EQ(NotesSummary(L" \u2022 * - Faster pages\nSecond"), L"Faster pages");
  EXPECT_EQ(NotesSummary(std::wstring(200, L'x')).size(), 150u);
}

}  // namespace
