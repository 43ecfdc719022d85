#include "engine/engine_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "engine/bookmark_walk.h"
#include "engine/pdfium_api.h"

TEST(NormBox, PacksClampsAndSorts) {
  NormBox box = PackNormBox(10, 20, 30, 40);
  EXPECT_EQ(box, 10ull | 20ull << 16 | 30ull << 32 | 40ull << 48);
  EXPECT_EQ(NormBoxLeft(box), 10);
  EXPECT_EQ(NormBoxTop(box), 20);
  EXPECT_EQ(NormBoxRight(box), 30);
  EXPECT_EQ(NormBoxBottom(box), 40);

  // Corners in any order come out sorted.
  EXPECT_EQ(PackNormBox(30, 40, 10, 20), box);
  EXPECT_EQ(PackNormBox(30, 20, 10, 40), box);

  // Values off the page are clamped to it, without spilling into the
  // neighbouring field.
  NormBox wide = PackNormBox(-5, -100000, 70000, 1LL << 40);
  EXPECT_EQ(NormBoxLeft(wide), 0);
  EXPECT_EQ(NormBoxTop(wide), 0);
  EXPECT_EQ(NormBoxRight(wide), 65535);
  EXPECT_EQ(NormBoxBottom(wide), 65535);
  EXPECT_EQ(PackNormBox(65535, 65535, 65535, 65535), ~0ull);
}

TEST(EngineText, CharacterCodes) {
  EXPECT_EQ(PageCharFromCode(0), L' ');
  EXPECT_EQ(PageCharFromCode('A'), L'A');
  EXPECT_EQ(PageCharFromCode(0xFFFF), wchar_t(0xFFFF));
  EXPECT_EQ(PageCharFromCode(0x1F600), wchar_t(0xFFFD));
  EXPECT_EQ(PageCharFromCode(0xFFFFFFFFu), wchar_t(0xFFFD));
  // Surrogate halves reported on their own are kept as they are.
  EXPECT_EQ(PageCharFromCode(0xD83D), wchar_t(0xD83D));
}

TEST(EngineText, TitlesStopAtNullAndLoseControls) {
  const uint16_t units[] = {'A', '\t', 'B', '\n', 'C', 31, 32, 0, 'X', 'Y'};
  EXPECT_EQ(BookmarkTitle(units, 10), L"A B C  ");
  // Never reads past the count it is given, even without a null.
  EXPECT_EQ(BookmarkTitle(units, 3), L"A B");
  EXPECT_EQ(BookmarkTitle(units, 0), L"");
  EXPECT_EQ(TextUpToNull(units, 10), std::wstring(L"A\tB\nC\x1f "));

  std::vector<uint16_t> huge(kMaxTitleChars + 50, 'x');
  EXPECT_EQ(BookmarkTitle(huge.data(), huge.size()).size(), kMaxTitleChars);
}

TEST(EngineText, Utf8ToWide) {
  EXPECT_EQ(WideFromUtf8("https://x.org/a?b=1", 19), L"https://x.org/a?b=1");
  EXPECT_EQ(WideFromUtf8("ab\0cd", 5), L"ab");
  EXPECT_EQ(WideFromUtf8("abc", 2), L"ab");
  EXPECT_EQ(WideFromUtf8("\xc3\xbc", 2), L"\u00fc");
  std::wstring smile = WideFromUtf8("\xf0\x9f\x98\x80", 4);
  ASSERT_EQ(smile.size(), 2u);  // one surrogate pair
  EXPECT_EQ(unsigned(smile[0]), 0xD83Du);
  EXPECT_EQ(unsigned(smile[1]), 0xDE00u);
  // Broken input: a lone continuation byte, a cut sequence, an overlong form.
  EXPECT_EQ(WideFromUtf8("a\x80z", 3), L"a\xfffdz");
  EXPECT_EQ(WideFromUtf8("a\xe2\x82", 3), L"a\xfffd");
  EXPECT_EQ(WideFromUtf8("\xe0\x80\xaf!", 4), L"\xfffd!");
  EXPECT_EQ(WideFromUtf8("\xc3(", 2), L"\xfffd(");
}

TEST(PageSides, ScaledFlooredAndCapped) {
  EXPECT_FLOAT_EQ(PageSideFromPoints(612), 816.0f);
  EXPECT_FLOAT_EQ(PageSideFromPoints(792), 1056.0f);
  EXPECT_FLOAT_EQ(PageSideFromPoints(0.5), 1.0f);  // 0.67 px
  EXPECT_FLOAT_EQ(PageSideFromPoints(0), 1.0f);
  EXPECT_FLOAT_EQ(PageSideFromPoints(-300), 1.0f);
  EXPECT_FLOAT_EQ(PageSideFromPoints(std::nan("")), 1.0f);
  EXPECT_FLOAT_EQ(PageSideFromPoints(14400), 19200.0f);
  EXPECT_FLOAT_EQ(PageSideFromPoints(1e6), 19200.0f);
  EXPECT_FLOAT_EQ(PageSideFromPoints(std::numeric_limits<double>::infinity()), 19200.0f);
  EXPECT_FLOAT_EQ(PageSideFromPixels(0.25), 1.0f);
  EXPECT_FLOAT_EQ(PageSideFromPixels(500.5), 500.5f);
  EXPECT_FLOAT_EQ(PageSideFromPixels(1e9), 19200.0f);
}

// A 3 x 2 picture (W = 3, H = 2) with distinct pixels, turned all four ways.
TEST(TurnPixels, AllRotations) {
  const uint32_t from[] = {1, 2, 3,   //
                           4, 5, 6};
  uint32_t to[6];
  TurnPixels(from, 3, 2, 0, to);
  EXPECT_EQ(std::vector<uint32_t>(to, to + 6), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
  TurnPixels(from, 3, 2, 1, to);  // 2 wide, 3 high: the left column read bottom-up becomes the top row
  EXPECT_EQ(std::vector<uint32_t>(to, to + 6), (std::vector<uint32_t>{4, 1, 5, 2, 6, 3}));
  TurnPixels(from, 3, 2, 2, to);
  EXPECT_EQ(std::vector<uint32_t>(to, to + 6), (std::vector<uint32_t>{6, 5, 4, 3, 2, 1}));
  TurnPixels(from, 3, 2, 3, to);  // 2 wide, 3 high
  EXPECT_EQ(std::vector<uint32_t>(to, to + 6), (std::vector<uint32_t>{3, 6, 2, 5, 1, 4}));
}

TEST(TurnPixels, QuarterTurnOfPortraitPicture) {
  const int w = 600, h = 800;
  std::vector<uint32_t> from(size_t(w) * h), to(from.size());
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j) from[size_t(i) * w + j] = uint32_t(i) << 16 | uint32_t(j);
  TurnPixels(from.data(), w, h, 1, to.data());
  // Now 800 wide and 600 high: the top-left pixel is the source's bottom-left.
  EXPECT_EQ(to[0], from[size_t(h - 1) * w]);
  EXPECT_EQ(to[799], from[0]);                            // top-right: source top-left
  EXPECT_EQ(to[size_t(599) * 800 + 799], from[w - 1]);    // bottom-right: source top-right
}

TEST(BmpRetry, FirstFailureSwitchesBmpOffForGood) {
  bool bmpMode = true;
  std::vector<bool> attempts;
  std::vector<std::pair<int32_t, bool>> failures;
  // A system on which BMP output fails and the default format works.
  auto attempt = [&](bool bmp) {
    attempts.push_back(bmp);
    return bmp ? int32_t(0x88982F50) : 0;
  };
  auto report = [&](int32_t hr, bool bmp) { failures.push_back({hr, bmp}); };

  EXPECT_EQ(RenderWithBmpRetry(bmpMode, attempt, report), 0);
  EXPECT_FALSE(bmpMode);
  EXPECT_EQ(attempts, (std::vector<bool>{true, false}));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].first, int32_t(0x88982F50));
  EXPECT_TRUE(failures[0].second);

  // Every later page renders at once without BMP and without a failure.
  attempts.clear();
  for (int page = 0; page < 3; ++page) EXPECT_EQ(RenderWithBmpRetry(bmpMode, attempt, report), 0);
  EXPECT_EQ(attempts, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(failures.size(), 1u);
}

TEST(BmpRetry, WorkingBmpStaysOnAndFailuresWithoutBmpAreNotRetried) {
  bool bmpMode = true;
  int calls = 0;
  int reports = 0;
  auto ok = [&](bool) { return ++calls, int32_t(0); };
  auto report = [&](int32_t, bool) { ++reports; };
  EXPECT_EQ(RenderWithBmpRetry(bmpMode, ok, report), 0);
  EXPECT_TRUE(bmpMode);
  EXPECT_EQ(calls, 1);

  // Both formats fail: two reports, the second attempt's error comes back.
  calls = 0;
  auto bad = [&](bool bmp) { return ++calls, bmp ? int32_t(-1) : int32_t(-2); };
  EXPECT_EQ(RenderWithBmpRetry(bmpMode, bad, report), -2);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(reports, 2);
  EXPECT_FALSE(bmpMode);
  calls = reports = 0;
  EXPECT_EQ(RenderWithBmpRetry(bmpMode, bad, report), -2);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(reports, 1);
}

namespace {

// A bookmark tree held in maps; items are addresses of its nodes.
struct Node {
  std::wstring title;
  int page = -1;
  std::vector<int> kids;
};

class FakeTree : public BookmarkSource {
 public:
  std::vector<Node> nodes;           // node 0 is the invisible root
  std::map<int, int> forcedSibling;  // makes a loop: node -> node met earlier
  int titleCalls = 0;

  int Add(int parent, std::wstring title, int page = -1) {
    nodes.push_back({std::move(title), page, {}});
    int id = int(nodes.size() - 1);
    nodes[size_t(parent)].kids.push_back(id);
    return id;
  }
  const void* FirstChild(const void* parent) override {
    int p = parent ? Id(parent) : 0;
    return nodes[size_t(p)].kids.empty() ? nullptr : Handle(nodes[size_t(p)].kids[0]);
  }
  const void* NextSibling(const void* item) override {
    int id = Id(item);
    if (auto f = forcedSibling.find(id); f != forcedSibling.end()) return Handle(f->second);
    for (const Node& n : nodes) {
      for (size_t k = 0; k < n.kids.size(); ++k)
        if (n.kids[k] == id) return k + 1 < n.kids.size() ? Handle(n.kids[k + 1]) : nullptr;
    }
    return nullptr;
  }
  std::wstring Title(const void* item) override { return ++titleCalls, nodes[size_t(Id(item))].title; }
  int Page(const void* item) override { return nodes[size_t(Id(item))].page; }

 private:
  // Handles are 1-based ids disguised as pointers; they are never dereferenced.
  static const void* Handle(int id) { return reinterpret_cast<const void*>(uintptr_t(id) * 16); }
  static int Id(const void* handle) { return int(reinterpret_cast<uintptr_t>(handle) / 16); }
};

}  // namespace

TEST(BookmarkWalk, DepthLimitEmptyTitlesAndControls) {
  FakeTree tree;
  tree.nodes.push_back({});
  int parent = 0;
  for (int level = 0; level < 30; ++level) parent = tree.Add(parent, L"Level " + std::to_wstring(level), level);
  int untitled = tree.Add(0, L"");
  tree.Add(untitled, L"Child A", 1);
  tree.Add(untitled, L"Child B", 2);
  tree.Add(0, L"Tab\there\nnewline", 0);

  std::vector<BookmarkEntry> list = CollectBookmarks(tree);
  ASSERT_EQ(list.size(), 25u + 3u);
  for (int level = 0; level < 25; ++level) {
    EXPECT_EQ(list[size_t(level)].title, L"Level " + std::to_wstring(level));
    EXPECT_EQ(list[size_t(level)].depth, level);
    EXPECT_EQ(list[size_t(level)].page, level);
  }
  EXPECT_EQ(list[25].title, L"Child A");
  EXPECT_EQ(list[25].depth, 1);
  EXPECT_EQ(list[26].title, L"Child B");
  EXPECT_EQ(list[26].page, 2);
  EXPECT_EQ(list[27].title, L"Tab here newline");
  EXPECT_EQ(list[27].depth, 0);
}

TEST(BookmarkWalk, StopsAtEntryLimit) {
  FakeTree tree;
  tree.nodes.push_back({});
  for (int i = 0; i < 3000; ++i) {
    int top = tree.Add(0, L"T");
    tree.Add(top, L"C");
  }
  std::vector<BookmarkEntry> list = CollectBookmarks(tree);
  EXPECT_EQ(list.size(), kBookmarkEntryLimit);
  EXPECT_LE(tree.titleCalls, int(kBookmarkEntryLimit));  // nothing read beyond the limit
}

TEST(BookmarkWalk, LoopsEnd) {
  FakeTree tree;
  tree.nodes.push_back({});
  int a = tree.Add(0, L"A");
  int b = tree.Add(0, L"B");
  int c = tree.Add(b, L"C");
  tree.forcedSibling[b] = a;  // B's next is A again
  tree.forcedSibling[c] = b;  // C's next is its own parent
  std::vector<BookmarkEntry> list = CollectBookmarks(tree);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].title, L"A");
  EXPECT_EQ(list[1].title, L"B");
  EXPECT_EQ(list[2].title, L"C");
  EXPECT_EQ(list[2].depth, 1);
}

TEST(PdfiumBinding, BindsAllInOrderAndNamesTheFirstMissing) {
  ASSERT_STREQ(kPdfiumFunctionNames[0], "FPDF_InitLibrary");
  ASSERT_STREQ(kPdfiumFunctionNames[6], "FPDF_LoadPage");
  ASSERT_STREQ(kPdfiumFunctionNames[41], "FPDF_SaveAsCopy");

  static char dummy[kPdfiumFunctionCount];
  std::vector<std::string> asked;
  auto all = [&](const char* name) -> void* {
    asked.push_back(name);
    return &dummy[asked.size() - 1];
  };
  PdfiumApi api;
  std::string missing = "stale";
  ASSERT_TRUE(BindPdfiumApi(all, api, missing));
  EXPECT_EQ(missing, "");
  ASSERT_EQ(asked.size(), size_t(kPdfiumFunctionCount));
  for (int i = 0; i < kPdfiumFunctionCount; ++i) EXPECT_EQ(asked[size_t(i)], kPdfiumFunctionNames[i]);
  EXPECT_EQ(reinterpret_cast<void*>(api.FPDF_InitLibrary), &dummy[0]);
  EXPECT_EQ(reinterpret_cast<void*>(api.FPDF_LoadPage), &dummy[6]);
  EXPECT_EQ(reinterpret_cast<void*>(api.FPDF_SaveAsCopy), &dummy[41]);

  // The lookup stops at the first missing function and nothing stays bound.
  asked.clear();
  auto noLoadPage = [&](const char* name) -> void* {
    asked.push_back(name);
    return std::string(name) == "FPDF_LoadPage" ? nullptr : &dummy[0];
  };
  EXPECT_FALSE(BindPdfiumApi(noLoadPage, api, missing));
  EXPECT_EQ(missing, "FPDF_LoadPage");
  EXPECT_EQ(asked.size(), 7u);
  EXPECT_EQ(api.FPDF_InitLibrary, nullptr);
}
