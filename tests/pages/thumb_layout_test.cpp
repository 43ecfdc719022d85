// The page panel's geometry: slot sizes, hit tests, where a dragged page
// lands and what the status bar says meanwhile.
#include "pages/thumb_layout.h"

#include <gtest/gtest.h>

namespace {

// Five Letter pages (816 x 1056 in 1/96 inch) in a panel 188 wide, 96 DPI.
ThumbGeometry FivePages(int dpi = 96) {
  ThumbGeometry g;
  g.dpi = dpi;
  g.width = PagePanelWidth(1200, dpi);
  g.height = PanelScaled(600, dpi);
  LayOutThumbs(g, std::vector<float>(5, 816.0f), std::vector<float>(5, 1056.0f), 0);
  return g;
}

TEST(ThumbLayout, SlotsFollowThePagesShapeAtAnyDpi) {
  ThumbGeometry g = FivePages();
  ASSERT_EQ(g.slots.size(), 5u);
  EXPECT_EQ(g.width, 188);
  EXPECT_EQ(g.slots[0].width, 144);   // 188 - 44
  EXPECT_EQ(g.slots[0].height, 186);  // 144 x 1056 / 816, rounded
  EXPECT_EQ(g.slots[0].top, 10);
  EXPECT_EQ(g.slots[1].top, 10 + 186 + 30);
  EXPECT_EQ(g.total, 10 + 5 * (186 + 30));

  ThumbGeometry big = FivePages(144);
  EXPECT_EQ(big.width, 282);
  EXPECT_EQ(big.slots[0].width, 282 - 66);
  EXPECT_EQ(big.slots[0].height, 280);  // 216 x 1056 / 816 = 279.5, halves away from zero

  // A page 1 point wide: as tall as a slot may be, and not thinner than s(8).
  ThumbGeometry thin;
  thin.width = 188;
  thin.height = 600;
  LayOutThumbs(thin, {1.0f}, {1056.0f}, 0);
  EXPECT_EQ(thin.slots[0].height, 200);
  EXPECT_EQ(thin.slots[0].width, 8);
  // A quarter turn swaps the sides.
  LayOutThumbs(thin, {816.0f}, {1056.0f}, 1);
  EXPECT_EQ(thin.slots[0].width, 144);
  EXPECT_EQ(thin.slots[0].height, 111);
  // Without pages the list is just its margin.
  LayOutThumbs(thin, {}, {}, 0);
  EXPECT_EQ(thin.total, 10);
  EXPECT_EQ(thin.scroll, 0);
}

TEST(ThumbLayout, HitsInsertionSlotsAndScrolling) {
  ThumbGeometry g = FivePages();
  const int header = g.Header();
  EXPECT_EQ(HitSlot(g, header - 1), -1) << "the header";
  EXPECT_EQ(HitSlot(g, header + 10 + 5), 0);
  EXPECT_EQ(HitSlot(g, header + 10 + 186 + 20), 0) << "the number under a slot belongs to it";
  EXPECT_EQ(HitSlot(g, header + 10 + 186 + 24), -1) << "the one row between two slots";
  EXPECT_EQ(HitSlot(g, header + 10 + 186 + 25), 1) << "just above a slot belongs to it";
  EXPECT_EQ(InsertionSlot(g, header), 0);
  EXPECT_EQ(InsertionSlot(g, header + 10 + 93 + 1), 1) << "below the middle of the first slot";
  EXPECT_EQ(InsertionSlot(g, header + 5000), 5);

  // Scrolling shows a slot with its number and stays within the list.
  ScrollSlotIntoView(g, 4);
  EXPECT_EQ(g.scroll, g.slots[4].top + 186 + 28 - g.ListHeight());
  EXPECT_EQ(FirstVisibleSlot(g), 2);
  EXPECT_EQ(HitSlot(g, header + g.slots[4].top - g.scroll + 1), 4);
  ScrollSlotIntoView(g, 0);
  EXPECT_EQ(g.scroll, 0);
  g.scroll = 1 << 20;
  ClampThumbScroll(g);
  EXPECT_EQ(g.scroll, g.total - g.ListHeight());
}

TEST(ThumbLayout, WhereADraggedPageLands) {
  // Page 2 dropped in insertion slot 4 (between pages 4 and 5) becomes page 4.
  EXPECT_EQ(DropTarget(1, 4), 3);
  EXPECT_EQ(DropHintText(1, 4), L"Let go to make page 2 page 4. (Esc cancels.)");
  // Upwards: page 4 dropped before page 1 becomes page 1.
  EXPECT_EQ(DropTarget(3, 0), 0);
  EXPECT_EQ(DropHintText(3, 0), L"Let go to make page 4 page 1. (Esc cancels.)");
  // Its own slot and the one after it move nothing.
  EXPECT_EQ(DropTarget(1, 1), 1);
  EXPECT_EQ(DropTarget(1, 2), 1);
  EXPECT_EQ(DropHintText(1, 2), L"Let go here to leave page 2 where it is. (Esc cancels.)");
}

}  // namespace

TEST(ThumbLayout, BookmarkEntriesStackAndAreHit) {
  // One, four (capped at three) and zero lines of 15 px at 144 DPI.
  BookmarkGeometry m;
  StackBookmarks(m, {15, 60, 0}, 15, 144);
  EXPECT_EQ(m.tops, (std::vector<int>{9, 9 + 27, 9 + 27 + 57}));
  EXPECT_EQ(m.heights, (std::vector<int>{27, 57, 27}));
  EXPECT_EQ(m.total, 9 + 27 + 57 + 27 + 9);
  m.scroll = 30;
  EXPECT_EQ(HitBookmark(m, 0), 0);   // list y 30 is in the first entry (9..35)
  EXPECT_EQ(HitBookmark(m, 10), 1);  // 40
  EXPECT_EQ(HitBookmark(m, -1), -1);
  EXPECT_EQ(HitBookmark(m, 200), -1);
}
