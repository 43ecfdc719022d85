// Selection, copy text, word selection, line rectangles and hit-testing on
// turned pages, and what links and bookmarks lead to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc/link_rules.h"
#include "doc/text_select.h"

namespace {

TEST(TextSelect, CopyOverThreePagesHasPageBreaksAndDropsControlCharacters) {
  TextIndex index;
  index[7].chars = L"one\ftwo";
  index[3].chars = L"middle\n";
  index[5].chars = L"x\tlast";
  const PageOrder order = {7, 3, 5};
  TextSelection s;
  s.hasSelection = true;
  s.anchor = {2, 1};  // dragged from page 3 back to page 1
  s.focus = {0, 4};
  SelectedText t = ComposeSelectedText(s, order, index);
  EXPECT_TRUE(t.complete);
  EXPECT_EQ(t.text, L"two\r\nmiddle\nx\t");

  SelectAllText(s, 3);
  index.erase(3);
  t = ComposeSelectedText(s, order, index);
  EXPECT_FALSE(t.complete);
  EXPECT_EQ(t.missing, (std::vector<int>{3}));
  index[3].chars = L"";
  EXPECT_EQ(ComposeSelectedText(s, order, index).text, L"onetwo\r\nx\tlast");
}

TEST(TextSelect, WordsAndTheirEdges) {
  const std::wstring text = L"I don't, \u00E9t\u00E9_1 go";
  int first = 0, last = 0;
  WordAround(text, 4, first, last);
  EXPECT_EQ(text.substr(size_t(first), size_t(last - first + 1)), L"don't");
  WordAround(text, 7, first, last);
  EXPECT_EQ(first, 7);
  EXPECT_EQ(last, 7);
  WordAround(text, 10, first, last);
  EXPECT_EQ(text.substr(size_t(first), size_t(last - first + 1)), L"\u00E9t\u00E9_1");
}

NormBox Box(int l, int t, int r, int b) { return PackNormBox(l, t, r, b); }

TEST(TextSelect, LineRectanglesJoinNeighboursOnALineOnly) {
  const std::vector<NormBox> boxes = {Box(1000, 1000, 2000, 2000), 0, Box(2100, 1100, 3000, 2100),
                                      Box(9000, 1000, 9500, 2000),  // too far to the right
                                      Box(1000, 3000, 2000, 4000)};  // next line
  const std::vector<NormRect> rects = LineRects(boxes, 0, 5);
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_EQ(rects[0].left, 1000);
  EXPECT_EQ(rects[0].right, 3000);
  EXPECT_EQ(rects[0].bottom, 2100);
  EXPECT_EQ(rects[1].left, 9000);
  EXPECT_EQ(rects[2].top, 3000);
}

// On every turn, a character's rectangle drawn on screen holds the point
// that hits it, and that point hits no other character.
TEST(TextSelect, TurnedPagesDrawAndHitTheSameCharacters) {
  const std::vector<NormBox> boxes = {Box(6000, 3000, 9000, 6000), Box(40000, 50000, 50000, 60000)};
  for (int rotation = 0; rotation < 4; ++rotation) {
    const int w = rotation % 2 ? 1100 : 850, h = rotation % 2 ? 850 : 1100;
    for (int c = 0; c < 2; ++c) {
      const NormBox b = boxes[size_t(c)];
      const DisplayRect r = DisplayRectOf({NormBoxLeft(b), NormBoxTop(b), NormBoxRight(b), NormBoxBottom(b)}, w, h,
                                          rotation);
      const NormPoint p = PagePointFromDisplay((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0, w, h, rotation);
      bool onText = false;
      EXPECT_EQ(HitCharacter(boxes, p, false, 816, 1056, onText), c) << "rotation " << rotation;
      EXPECT_TRUE(onText);
    }
  }
  // Nearest mode keeps to the line the pointer is on.
  bool onText = true;
  EXPECT_EQ(HitCharacter(boxes, {60000, 5000}, true, 816, 1056, onText), 0);
  EXPECT_FALSE(onText);
}

TEST(Links, WebLinksAreOpenedOnlyForWebAndMailAddressesAfterAsking) {
  PageLink link;
  link.uri = L"WWW.Example.COM/Path";
  LinkDecision d = DecideLink(link, {});
  EXPECT_EQ(d.action, LinkAction::Ask);
  EXPECT_EQ(d.address, L"http://WWW.Example.COM/Path");
  link.uri = L"MailTo:someone@example.com";
  EXPECT_EQ(DecideLink(link, {}).action, LinkAction::Ask);
  for (const wchar_t* refused : {L"ftp://example.com/", L"file:///C:/Windows/notepad.exe", L"javascript:alert(1)",
                                 L"httpx://a", L""}) {
    link.uri = refused;
    d = DecideLink(link, {});
    EXPECT_EQ(d.action, LinkAction::Refuse) << link.uri.size();
    EXPECT_EQ(d.message,
              L"This link doesn't lead to a web page, an email address or another page, so Folivex won't open it.");
  }
  link.uri = L"https://example.com/" + std::wstring(480, L'a');
  d = DecideLink(link, {});
  EXPECT_EQ(d.address, link.uri);  // opened whole
  EXPECT_NE(d.question.find(link.uri.substr(0, 300) + L"\u2026\n\nOpen it?"), std::wstring::npos);
  EXPECT_EQ(LinkHoverText(link, {}).size(), 6u + 240u);
}

TEST(Links, PageLinksFollowTheOrderAndNoticeDeletedPages) {
  PageLink link;
  link.targetPage = 2;
  const std::vector<int> moved = {1, 2, 0, 3};  // page 3 of the file moved to the front
  EXPECT_EQ(LinkHoverText(link, moved), L"Link: click to go to page 1");
  LinkDecision d = DecideLink(link, moved);
  EXPECT_EQ(d.action, LinkAction::GoToPage);
  EXPECT_EQ(d.position, 0);
  EXPECT_EQ(d.message, L"Followed a link to page 1.");
  const std::vector<int> deleted = {0, 1, -1, 2};
  EXPECT_EQ(LinkHoverText(link, deleted), L"Link to a page you deleted");
  EXPECT_EQ(DecideLink(link, deleted).message, L"That link leads to a page you deleted.");

  BookmarkEntry entry{L"Three", 0, 2};
  EXPECT_EQ(TargetOfBookmark(entry, 4, deleted).message, L"That bookmark leads to a page you deleted.");
  entry.page = 9;
  EXPECT_EQ(TargetOfBookmark(entry, 4, deleted).message, L"That bookmark doesn't lead to a page in this PDF.");
  const std::vector<BookmarkEntry> marks = {{L"A", 0, 0}, {L"B", 0, 3}, {L"B2", 1, 3}, {L"gone", 0, 2}};
  EXPECT_EQ(CurrentBookmark(marks, deleted, 2), 2);
  EXPECT_EQ(CurrentBookmark(marks, deleted, 1), 0);
}

}  // namespace
