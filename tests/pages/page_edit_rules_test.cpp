// The page edits' rules without a document: orders, clamps, where the
// selection goes, and which copy of another PDF may be used again.
#include "pages/page_edit_rules.h"

#include <gtest/gtest.h>

TEST(PageEditRules, MovesLandTheirPageAtTheTarget) {
  const PageOrder five = {0, 1, 2, 3, 4};
  // A move past the end ends at the last position.
  EXPECT_EQ(MoveTarget(99, 5), 4);
  EXPECT_EQ(MovedOrder(five, 2, MoveTarget(99, 5)), (PageOrder{0, 1, 3, 4, 2}));
  EXPECT_EQ(MoveTarget(-3, 5), 0);
  EXPECT_EQ(MovedOrder(five, 4, 0), (PageOrder{4, 0, 1, 2, 3}));
  EXPECT_EQ(MovedOrder(five, 0, 1), (PageOrder{1, 0, 2, 3, 4}));
  // Away and back restores the order exactly.
  EXPECT_EQ(MovedOrder(MovedOrder(five, 1, 3), 3, 1), five);
  EXPECT_EQ(OrderWithout(five, 4), (PageOrder{0, 1, 2, 3}));
  EXPECT_EQ(OrderWith(five, 7, 2), (PageOrder{0, 1, 7, 2, 3, 4}));
  EXPECT_EQ(OrderWith(five, 7, 9), (PageOrder{0, 1, 2, 3, 4, 7})) << "clamped to the end";
}

TEST(PageEditRules, SelectionAfterDeleteAndUndo) {
  EXPECT_EQ(SelectionAfterDelete(4, 5), 3) << "deleting the last page selects the new last one";
  EXPECT_EQ(SelectionAfterDelete(0, 2), 0);
  EXPECT_EQ(SelectionAfterDelete(2, 5), 2) << "the page that moved up into the gap";
  // Page 3 of 5 deleted, the former page 4 (source 3) selected; after the
  // undo that source is at position 3 again.
  EXPECT_EQ(SelectionAfterUndo({0, 1, 2, 3, 4}, 3), 3);
  EXPECT_EQ(SelectionAfterUndo({0, 1, 2}, 7), 0) << "a source that is no longer shown";
  EXPECT_EQ(SelectionAfterUndo({2, 5, 2}, 2), 2) << "the last match counts";
}

TEST(PageEditRules, ACopyIsUsedAgainOnlyForAnUnchangedFile) {
  std::vector<ImportedPdf> pdfs = {{L"C:\\T\\Folivex-import-9-1.pdf", L"a.pdf", L"C:\\Docs\\A.pdf", 100, 555}};
  EXPECT_EQ(ReusableImport(pdfs, L"c:\\docs\\a.PDF", 100, 555), 0) << "paths compare without letter case";
  EXPECT_EQ(ReusableImport(pdfs, L"C:\\Docs\\A.pdf", 101, 555), -1) << "the file grew";
  EXPECT_EQ(ReusableImport(pdfs, L"C:\\Docs\\A.pdf", 100, 556), -1) << "the file was written again";
  EXPECT_EQ(ReusableImport(pdfs, L"C:\\Docs\\B.pdf", 100, 555), -1);
  EXPECT_EQ(ImportCopyPath(L"C:\\Temp\\", 4242, 3), L"C:\\Temp\\Folivex-import-4242-3.pdf");
}

TEST(PageEditRules, StatusTextsSayWhetherTheSavedOrderIsBack) {
  EXPECT_EQ(MoveStatusText(2, 4, true), L"Page 3 is now page 5. Click Save (Ctrl+S) to keep the new order.");
  EXPECT_EQ(MoveStatusText(4, 2, false),
            L"Page 5 is now page 3 \u2014 the pages are back in the order they were saved in.");
  // A name that would overflow the status buffer is cut, not overrun.
  std::wstring text = ImportStatusText(0, std::wstring(1000, L'x'), 0);
  EXPECT_EQ(text.size(), 419u);
  EXPECT_EQ(text.rfind(L"Added page 1 of xxx", 0), 0u);
}
