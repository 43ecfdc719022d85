#include "doc/page_order.h"

#include <gtest/gtest.h>

namespace {

// A model with `f` file pages of distinct sizes (width 100+i, height 200+i)
// and the identity order installed.
PageModel FileModel(int f) {
  PageModel m;
  m.fileCount = f;
  for (int i = 0; i < f; ++i) {
    m.sourceWidths.push_back(100.0f + i);
    m.sourceHeights.push_back(200.0f + i);
  }
  PageOrder identity;
  for (int i = 0; i < f; ++i) identity.push_back(i);
  EXPECT_TRUE(ApplyOrder(m, identity));
  return m;
}

int g_handlerCalls = 0;
const PageModel* g_handlerModel = nullptr;
size_t g_handlerSawPositions = 0;
void CountingHandler(PageModel& m) {
  ++g_handlerCalls;
  g_handlerModel = &m;
  g_handlerSawPositions = m.widths.size();
}

}  // namespace

TEST(PageOrder, IdentityOrderIsUnchangedAndFillsSizesAndMap) {
  PageModel m = FileModel(4);
  EXPECT_FALSE(m.orderChanged);
  ASSERT_EQ(m.widths.size(), 4u);
  ASSERT_EQ(m.heights.size(), 4u);
  ASSERT_EQ(m.positionOf.size(), 4u);
  for (int p = 0; p < 4; ++p) {
    EXPECT_FLOAT_EQ(m.widths[p], 100.0f + p);
    EXPECT_FLOAT_EQ(m.heights[p], 200.0f + p);
    EXPECT_EQ(m.positionOf[p], p);
  }
}

TEST(PageOrder, ReorderMovesSizesAndMapWithThePages) {
  PageModel m = FileModel(4);
  ASSERT_TRUE(ApplyOrder(m, {2, 0, 3, 1}));
  EXPECT_TRUE(m.orderChanged);
  EXPECT_EQ(m.order, (PageOrder{2, 0, 3, 1}));
  EXPECT_FLOAT_EQ(m.widths[0], 102.0f);
  EXPECT_FLOAT_EQ(m.heights[0], 202.0f);
  EXPECT_FLOAT_EQ(m.widths[3], 101.0f);
  EXPECT_FLOAT_EQ(m.heights[3], 201.0f);
  EXPECT_EQ(m.positionOf, (std::vector<int>{1, 3, 0, 2}));

  // Every source back at its own position clears the flag again.
  ASSERT_TRUE(ApplyOrder(m, {0, 1, 2, 3}));
  EXPECT_FALSE(m.orderChanged);
}

TEST(PageOrder, ShorterOrderResizesAndUnmapsLeftOutSources) {
  PageModel m = FileModel(5);
  // Leaving out the last file page keeps every other page in place but is
  // still a change (n != F).
  ASSERT_TRUE(ApplyOrder(m, {0, 1, 2, 3}));
  EXPECT_TRUE(m.orderChanged);
  EXPECT_EQ(m.positionOf[4], -1);

  ASSERT_TRUE(ApplyOrder(m, {3, 1}));
  EXPECT_TRUE(m.orderChanged);
  EXPECT_EQ(m.widths.size(), 2u);
  EXPECT_EQ(m.heights.size(), 2u);
  EXPECT_EQ(m.positionOf, (std::vector<int>{-1, 1, -1, 0, -1}));
}

TEST(PageOrder, BroughtInSourcesDoNotCountWhileNotShown) {
  PageModel m = FileModel(3);
  int s = AddBroughtInPage(m, 0, 7, 50.0f, 60.0f);
  EXPECT_EQ(s, 3);
  ASSERT_EQ(m.broughtIn.size(), 1u);
  EXPECT_EQ(m.broughtIn[0].pdf, 0);
  EXPECT_EQ(m.broughtIn[0].page, 7);

  ASSERT_TRUE(ApplyOrder(m, {0, 3, 1, 2}));
  EXPECT_TRUE(m.orderChanged);
  EXPECT_FLOAT_EQ(m.widths[1], 50.0f);
  EXPECT_FLOAT_EQ(m.heights[1], 60.0f);
  EXPECT_EQ(m.positionOf[3], 1);

  // Undoing back to the file's order: the brought-in source stays a source
  // but is not shown, and the order counts as unchanged.
  ASSERT_TRUE(ApplyOrder(m, {0, 1, 2}));
  EXPECT_FALSE(m.orderChanged);
  EXPECT_EQ(m.SourceCount(), 4);
  EXPECT_EQ(m.positionOf, (std::vector<int>{0, 1, 2, -1}));
}

TEST(PageOrder, InvalidOrdersAreRefusedAndChangeNothing) {
  PageModel m = FileModel(3);
  ASSERT_TRUE(ApplyOrder(m, {2, 1, 0}));
  const PageModel before = m;
  for (const PageOrder& bad : {PageOrder{0, 1, 3}, PageOrder{-1, 0, 1}, PageOrder{0, 0, 1},
                               PageOrder{2, 1, 2}}) {
    EXPECT_FALSE(IsValidOrder(m, bad));
    EXPECT_FALSE(ApplyOrder(m, bad));
    EXPECT_EQ(m.order, before.order);
    EXPECT_EQ(m.widths, before.widths);
    EXPECT_EQ(m.positionOf, before.positionOf);
    EXPECT_EQ(m.orderChanged, before.orderChanged);
  }
  // Size arrays of unequal length: only sources with both sizes exist.
  m.sourceWidths.push_back(1.0f);
  EXPECT_EQ(m.SourceCount(), 3);
  EXPECT_FALSE(ApplyOrder(m, {0, 1, 2, 3}));
}

TEST(PageOrder, EmptyOrderOfAnEmptyModel) {
  PageModel m;
  ASSERT_TRUE(ApplyOrder(m, {}));
  EXPECT_FALSE(m.orderChanged);
  EXPECT_TRUE(m.widths.empty());
  EXPECT_TRUE(m.positionOf.empty());
  // No sources at all: any entry is out of range.
  EXPECT_FALSE(ApplyOrder(m, {0}));
}

TEST(PageOrder, HandlerRunsAfterEachInstalledOrderOnly) {
  PageModel m = FileModel(3);
  g_handlerCalls = 0;
  SetOrderAppliedHandler(CountingHandler);
  EXPECT_TRUE(ApplyOrder(m, {1, 0}));
  EXPECT_FALSE(ApplyOrder(m, {5}));
  SetOrderAppliedHandler(nullptr);
  EXPECT_TRUE(ApplyOrder(m, {0, 1, 2}));
  EXPECT_EQ(g_handlerCalls, 1);
  EXPECT_EQ(g_handlerModel, &m);
  EXPECT_EQ(g_handlerSawPositions, 2u);  // called with the new order already installed
}

TEST(PageOrderUndo, KeepsTheNewestHundredSnapshots) {
  PageModel m = FileModel(2);
  PageOrder out;
  EXPECT_FALSE(PopUndoStep(m, out));
  for (int i = 0; i < 101; ++i) {
    m.order = {i};  // distinct content per step (only the snapshot is checked)
    PushUndoStep(m);
  }
  ASSERT_EQ(m.undoStack.size(), kMaxUndoSteps);
  EXPECT_EQ(m.undoStack.front(), (PageOrder{1}));  // step 0 was dropped
  int pops = 0;
  int expected = 100;
  while (PopUndoStep(m, out)) {
    EXPECT_EQ(out, (PageOrder{expected--}));
    ++pops;
  }
  EXPECT_EQ(pops, 100);
  EXPECT_FALSE(PopUndoStep(m, out));
}

TEST(PageOrderSelection, CommandPageRule) {
  PageModel m = FileModel(5);
  EXPECT_EQ(SelectedPageForCommands(m, false, 2), -1);  // not loaded
  EXPECT_EQ(SelectedPageForCommands(m, true, 2), 2);     // nothing selected: reading line
  EXPECT_EQ(SelectedPageForCommands(m, true, 9), 4);     // reading line clamped to n-1
  EXPECT_EQ(SelectedPageForCommands(m, true, -3), 0);
  m.selected = 3;
  EXPECT_EQ(SelectedPageForCommands(m, true, 0), 3);
  m.selected = 5;  // stale selection past the end
  EXPECT_EQ(SelectedPageForCommands(m, true, 1), 1);

  PageModel empty;
  empty.selected = 0;
  EXPECT_EQ(SelectedPageForCommands(empty, true, 0), -1);
}

TEST(PageOrder, ResetEmptiesEverything) {
  PageModel m = FileModel(3);
  AddBroughtInPage(m, 0, 0, 1.0f, 1.0f);
  m.importedPdfs.push_back(ImportedPdf{L"c", L"d", L"s", 10, 20});
  ASSERT_TRUE(ApplyOrder(m, {3, 0}));
  PushUndoStep(m);
  m.selected = 1;
  ResetPageModel(m);
  EXPECT_EQ(m.fileCount, 0);
  EXPECT_EQ(m.SourceCount(), 0);
  EXPECT_TRUE(m.broughtIn.empty());
  EXPECT_TRUE(m.importedPdfs.empty());
  EXPECT_TRUE(m.order.empty());
  EXPECT_TRUE(m.widths.empty());
  EXPECT_TRUE(m.positionOf.empty());
  EXPECT_TRUE(m.undoStack.empty());
  EXPECT_FALSE(m.orderChanged);
  EXPECT_EQ(m.selected, -1);
}
