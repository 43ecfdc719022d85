// The search rules of find: occurrences, the search form's space and case
// rules (checked against the C library's own lowercase where one is there),
// surrogate pairs, and the match list across page edits.
#include <gtest/gtest.h>

#include <clocale>
#include <cwctype>
#include <string>
#include <vector>

#include "doc/text_index.h"

namespace {

std::vector<int> Find(const std::wstring& text, const std::wstring& query) {
  std::vector<int> starts;
  FindOccurrences(SearchForm(text), SearchForm(query), kMaxMatches, starts);
  return starts;
}

TEST(TextSearch, OccurrencesDontOverlapAndLongQueriesFindNothing) {
  EXPECT_EQ(Find(L"abab ab", L"ab"), (std::vector<int>{0, 2, 5}));
  EXPECT_EQ(Find(L"aaaa", L"aa"), (std::vector<int>{0, 2}));
  EXPECT_TRUE(Find(L"abc", L"abcd").empty());
  EXPECT_TRUE(Find(L"", L"a").empty());
  EXPECT_TRUE(Find(L"abc", L"").empty());
  std::vector<int> starts;
  FindOccurrences(L"xaxaxa", L"a", 2, starts);
  EXPECT_EQ(starts, (std::vector<int>{1, 3}));  // the limit
}

TEST(TextSearch, SpacesLineBreaksAndTabsCountAsOneSpaceEach) {
  EXPECT_EQ(Find(L"NEW YORK", L"New York").size(), 1u);
  EXPECT_EQ(Find(L"New\nYork", L"New York").size(), 1u);
  EXPECT_EQ(Find(L"New\rYork", L"New York").size(), 1u);
  EXPECT_EQ(Find(L"New\tYork", L"New York").size(), 1u);
  EXPECT_EQ(Find(L"New\u00A0York", L"New York").size(), 1u);
  EXPECT_TRUE(Find(L"New\r\nYork", L"New York").empty());  // two spaces
  EXPECT_TRUE(Find(L"New  York", L"New York").empty());
  EXPECT_TRUE(Find(L"NewYork", L"New York").empty());
  EXPECT_EQ(SearchForm(L"a\r\n\t\u00A0b").size(), 6u);  // never shorter or longer
}

// Case rules beyond ASCII: capitals of Latin, Greek and Cyrillic find their
// small letters and the other way round; accents and the sharp s are kept
// (an accent makes a different letter, and the search never changes a
// text's length); the Greek final sigma is a sigma; characters written as
// surrogate pairs keep their case.
TEST(TextSearch, CaseRulesBeyondAscii) {
  EXPECT_EQ(Find(L"L'\u00E9cole \u00E6\u00F8\u00E5 \u0153uvre", L"L'\u00C9COLE \u00C6\u00D8\u00C5 \u0152UVRE").size(),
            1u);
  EXPECT_TRUE(Find(L"\u00E9cole", L"ecole").empty());
  EXPECT_TRUE(Find(L"Stra\u00DFe", L"STRASSE").empty());
  EXPECT_EQ(Find(L"\u0130stanbul", L"istanbul").size(), 1u);       // capital I with dot
  EXPECT_TRUE(Find(L"\u0131stanbul", L"istanbul").empty());        // dotless i is its own letter
  EXPECT_EQ(Find(L"\u039C\u039F\u03A3\u039A\u0391 \u039F\u0394\u039F\u03A3", L"\u03BC\u03BF\u03C3\u03BA\u03B1 "
                 L"\u03BF\u03B4\u03BF\u03C2").size(), 1u);          // Greek, final sigma typed
  EXPECT_TRUE(Find(L"\u03BF\u03B4\u03CC\u03C2", L"\u03BF\u03B4\u03BF\u03C2").empty());  // tonos kept
  EXPECT_EQ(Find(L"\u041C\u041E\u0421\u041A\u0412\u0410 \u0401\u041B\u041A\u0410",
                 L"\u043C\u043E\u0441\u043A\u0432\u0430 \u0451\u043B\u043A\u0430").size(), 1u);  // Cyrillic
  EXPECT_EQ(SearchFoldUnit(0xD801), wchar_t(0xD801));
  EXPECT_EQ(SearchFoldUnit(0xDC00), wchar_t(0xDC00));
}

#ifndef _WIN32
// Every character the C library lowers is searched like its lowercase.
TEST(TextSearch, CapitalsMatchTheirLowercaseAsTheCLibraryHasIt) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  int checked = 0;
  for (wint_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const wint_t lower = std::towlower(c);
    if (lower == c || lower > 0xFFFF) continue;
    ++checked;
    EXPECT_EQ(SearchFoldUnit(wchar_t(c)), SearchFoldUnit(wchar_t(lower))) << std::hex << unsigned(c);
  }
  EXPECT_GT(checked, 900);
  std::setlocale(LC_CTYPE, "C");
}
#endif

TEST(TextSearch, SurrogatePairsMatchWholeAndKeepTheirCase) {
  const std::wstring deseretCapital = {wchar_t(0xD801), wchar_t(0xDC00)};  // U+10400
  const std::wstring deseretSmall = {wchar_t(0xD801), wchar_t(0xDC28)};    // U+10428
  const std::wstring smile = {wchar_t(0xD83D), wchar_t(0xDE00)};           // U+1F600
  EXPECT_EQ(Find(L"a" + smile + L"b" + smile, smile), (std::vector<int>{1, 4}));
  EXPECT_EQ(Find(L"x" + smile + L"y", L"x" + smile + L"Y"), (std::vector<int>{0}));
  EXPECT_TRUE(Find(deseretCapital, deseretSmall).empty());
  // A lone half of a pair never matches inside a pair, only on its own.
  const std::wstring low = {wchar_t(0xDE00)};
  const std::wstring high = {wchar_t(0xD83D)};
  EXPECT_EQ(Find(smile + low, low), (std::vector<int>{2}));
  EXPECT_EQ(Find(smile + high, high), (std::vector<int>{2}));
}

// Three pages, every one holding "fox" at known places.
class FindList : public ::testing::Test {
 protected:
  void SetUp() override {
    index_[0].chars = L"fox fox";
    index_[1].chars = L"no match";
    index_[2].chars = L"a FOX";
    find_.query = SearchForm(L"fox");
    positionOf_ = {0, 1, 2};
    for (int page = 0; page < 3; ++page) SearchPage(find_, index_, page, positionOf_);
    SortMatches(find_, positionOf_);
  }
  std::vector<int> Pages() const {
    std::vector<int> pages;
    for (const FindMatch& m : find_.matches) pages.push_back(m.page * 100 + m.start);
    return pages;
  }
  TextIndex index_;
  FindState find_;
  std::vector<int> positionOf_;
};

TEST_F(FindList, StepsWrapAroundAndCountInTheStatus) {
  EXPECT_EQ(Pages(), (std::vector<int>{0, 4, 202}));
  EXPECT_EQ(FindStatusText(find_, true, 3, 3), L"3 found");
  EXPECT_EQ(FindStatusText(find_, true, 2, 3), L"Searching\u2026 3 found so far (2 of 3 pages read)");
  ASSERT_TRUE(ChooseCurrentMatch(find_, 1));  // from the page being read on
  EXPECT_EQ(find_.current, 2);
  EXPECT_EQ(FindStatusText(find_, true, 3, 3), L"3 of 3");
  EXPECT_EQ(StepMatch(find_, +1), FindStep::WrappedToFirst);
  EXPECT_EQ(find_.current, 0);
  EXPECT_EQ(StepMatch(find_, -1), FindStep::WrappedToLast);
  EXPECT_EQ(StepMatch(find_, -1), FindStep::Moved);
  EXPECT_EQ(find_.current, 1);
  FindState none;
  none.query = L"zzz";
  EXPECT_EQ(StepMatch(none, +1), FindStep::Beep);
  EXPECT_EQ(FindStatusText(none, true, 3, 3), L"No matches");
}

// After a page edit: a moved page's matches follow it and the current match
// stays the same match; a deleted page's matches go, and with them the
// current one when it was there.
TEST_F(FindList, MatchesFollowPageEdits) {
  find_.current = 2;  // page 2's "FOX"
  positionOf_ = {1, 2, 0};  // page 2 moved to the front
  for (int page = 0; page < 3; ++page) SearchPage(find_, index_, page, positionOf_);
  SortMatches(find_, positionOf_);
  EXPECT_EQ(Pages(), (std::vector<int>{202, 0, 4}));
  EXPECT_EQ(find_.current, 0);
  EXPECT_EQ(MatchesOfPosition(find_, 1).first, 1u);
  EXPECT_EQ(MatchesOfPosition(find_, 1).end, 3u);

  positionOf_ = {0, 1, -1};  // page 2 deleted
  SortMatches(find_, positionOf_);
  EXPECT_EQ(Pages(), (std::vector<int>{0, 4}));
  EXPECT_EQ(find_.current, -1);
}

TEST(TextIndexBounds, OnlySixtyEntriesKeepTheirBoxesAndVisibleOnesStay) {
  TextIndex index;
  for (int page = 0; page < 70; ++page) {
    index[page].hasBoxes = true;
    index[page].boxes = {1};
    index[page].stamp = uint32_t(0xFFFFFF00u + page * 10);  // the tick count wraps on the way
  }
  LimitBoxedEntries(index, [](int page) { return page < 12; });  // the oldest are on screen
  int boxed = 0;
  for (const auto& [page, entry] : index) boxed += entry.hasBoxes;
  EXPECT_EQ(boxed, 60);
  for (int page = 0; page < 12; ++page) EXPECT_TRUE(index[page].hasBoxes) << page;
  for (int page = 12; page < 22; ++page) EXPECT_FALSE(index[page].hasBoxes) << page;
}

// Whole reads (painting) and background reads (find) of the same page
// arrive in any order.
TEST(TextIndexBounds, ABackgroundReadNeverTakesAWholeReadsBoxesAndLinks) {
  PageLink link;
  link.targetPage = 3;
  const PageText whole{L"ab", {NormBox(1), NormBox(2)}, {link}}, charsOnly{L"ab", {}, {}};
  TextEntry entry;
  EXPECT_TRUE(StoreTextRead(entry, true, false, PageText(whole), 5));
  EnsureSearchForm(entry);
  // The same text read in the background meanwhile: nothing changes.
  EXPECT_FALSE(StoreTextRead(entry, true, true, PageText(charsOnly), 6));
  EXPECT_TRUE(entry.hasBoxes);
  EXPECT_EQ(entry.boxes.size(), 2u);
  EXPECT_EQ(entry.links.size(), 1u);
  EXPECT_EQ(entry.lowerText, L"ab");
  // Other text in the background: the new characters only, to be read
  // whole again when painted.
  EXPECT_TRUE(StoreTextRead(entry, true, true, PageText{L"xyz", {}, {}}, 7));
  EXPECT_FALSE(entry.hasBoxes);
  EXPECT_TRUE(entry.boxes.empty() && entry.links.empty() && entry.lowerText.empty());
  EXPECT_EQ(entry.chars, L"xyz");
  // Read whole again: same text, now with boxes (one per character).
  EXPECT_FALSE(StoreTextRead(entry, true, false, PageText{L"xyz", {NormBox(9)}, {}}, 8));
  EXPECT_TRUE(entry.hasBoxes);
  EXPECT_EQ(entry.boxes.size(), 3u);
  // A failed read: no text, and not asked for again.
  EXPECT_TRUE(StoreTextRead(entry, false, true, PageText(charsOnly), 9));
  EXPECT_TRUE(entry.hasBoxes);
  EXPECT_TRUE(entry.chars.empty());
  EXPECT_EQ(entry.stamp, 9u);
}

}  // namespace
