#include "app/help_texts.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::wstringstream in(text);
  for (std::wstring line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Every block: a "version (date)" heading, then bullet lines; versions
// newest first, each one strictly older than the one above it.
TEST(HelpTexts, ReleaseNotesAreBlocksNewestFirst) {
  std::wstring previous;
  bool headingNext = true;
  int blocks = 0;
  for (const std::wstring& line : Lines(kReleaseNotesText)) {
    if (line.empty()) {
      EXPECT_FALSE(headingNext) << "two empty lines in a row";
      headingNext = true;
      continue;
    }
    if (headingNext) {
      size_t open = line.find(L" (");
      ASSERT_NE(open, std::wstring::npos) << "heading without a date";
      EXPECT_EQ(line.back(), L')');
      EXPECT_EQ(line.size() - open, 13u) << "date of " << line.size();  // " (YYYY-MM-DD)"
      std::wstring version = line.substr(0, open);
      if (!previous.empty()) EXPECT_EQ(CompareVersions(version, previous), -1) << "not older than the one above";
      previous = version;
      headingNext = false;
      ++blocks;
    } else {
      EXPECT_EQ(line.compare(0, 2, L"\u2022 "), 0) << "not a bullet line";
    }
  }
  EXPECT_EQ(blocks, 12);
  EXPECT_EQ(previous, L"1.0.0");
}

TEST(HelpTexts, WhatsNewIsTheBulletsOfOneBlockOnly) {
  const std::wstring notes = L"2.0.0 (2027-01-02)\n\u2022 a\n\u2022 b\n\n1.9.0 (2026-12-01)\n\u2022 c\n";
  EXPECT_EQ(ReleaseNotesOf(notes, L"2.0.0"), L"\u2022 a\n\u2022 b\n");
  EXPECT_EQ(ReleaseNotesOf(notes, L"1.9.0"), L"\u2022 c\n");
  // "1.9" must not pick the block of "1.9.0"; an unknown version gives nothing.
  EXPECT_EQ(ReleaseNotesOf(notes, L"1.9"), L"");
  EXPECT_EQ(ReleaseNotesOf(notes, L"3.0.0"), L"");
  // The program's own what's new is not empty and holds no heading.
  std::wstring own = ReleaseNotesOf(kReleaseNotesText, L"1.6.2");
  ASSERT_FALSE(own.empty());
  EXPECT_EQ(own.find(L"(2026-"), std::wstring::npos);
}

TEST(HelpTexts, VersionsCompareByNumberAndWhatsNewFollows) {
  EXPECT_EQ(CompareVersions(L"1.10.0", L"1.9.9"), 1);
  EXPECT_EQ(CompareVersions(L"1.6.1", L"1.6.2"), -1);
  EXPECT_EQ(CompareVersions(L"1.6", L"1.6.0"), 0);
  EXPECT_EQ(CompareVersions(L"2", L"10"), -1);
  // Never seen (first start) shows nothing; an older one or /updated does;
  // the same or a newer version (an older copy started again) doesn't.
  EXPECT_FALSE(ShouldShowWhatsNew(L"", false, L"1.6.2"));
  EXPECT_TRUE(ShouldShowWhatsNew(L"", true, L"1.6.2"));
  EXPECT_TRUE(ShouldShowWhatsNew(L"1.5.1", false, L"1.6.2"));
  EXPECT_FALSE(ShouldShowWhatsNew(L"1.6.2", false, L"1.6.2"));
  EXPECT_FALSE(ShouldShowWhatsNew(L"1.10.0", false, L"1.6.2"));
}

TEST(HelpTexts, NotesFieldBreaksEveryLineWithCrLf) {
  std::wstring text = NotesFieldText(L"Head\n\n", L"a\nb\r\nc\n");
  EXPECT_EQ(text, L"Head\r\n\r\na\r\nb\r\nc\r\n");
  // The how-to-use text comes out with no bare line feed at all.
  std::wstring help = NotesFieldText(L"", kHowToUseText);
  for (size_t i = 0; i < help.size(); ++i)
    if (help[i] == L'\n') ASSERT_TRUE(i > 0 && help[i - 1] == L'\r') << "bare line feed at " << i;
}

TEST(HelpTexts, FormatCappedCutsInsteadOfFailing) {
  std::wstring longPath(5000, L'x');
  std::wstring line = FormatCapped(1200, L"Document: %ls", longPath.c_str());
  EXPECT_EQ(line.size(), 1199u);
  EXPECT_EQ(line.compare(0, 10, L"Document: "), 0);
  EXPECT_EQ(FormatCapped(200, L"%d%% of %ls", 42, L"\u00e9t\u00e9"), L"42% of \u00e9t\u00e9");
}

}  // namespace
