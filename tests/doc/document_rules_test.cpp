#include "doc/document_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(DocumentRules, FirstOrderAndReloadedPages) {
  EXPECT_EQ(FilePageCount(5, 7), 5);
  EXPECT_EQ(FilePageCount(0, 7), 7);

  EXPECT_EQ(InitialOrder(3, 3, {}), (PageOrder{0, 1, 2}));
  // A pending order is used when every entry names a page.
  EXPECT_EQ(InitialOrder(3, 5, {4, 0, 2}), (PageOrder{4, 0, 2}));
  // An entry equal to the page count, a negative one or a repeated one: the
  // file's own order instead.
  EXPECT_EQ(InitialOrder(3, 5, {0, 5}), (PageOrder{0, 1, 2}));
  EXPECT_EQ(InitialOrder(3, 5, {-1, 0}), (PageOrder{0, 1, 2}));
  EXPECT_EQ(InitialOrder(3, 5, {1, 1}), (PageOrder{0, 1, 2}));

  EXPECT_TRUE(KeepBroughtInPages(2, 3, 5));
  EXPECT_FALSE(KeepBroughtInPages(2, 3, 3));  // the worker could not add them again
  EXPECT_FALSE(KeepBroughtInPages(0, 3, 3));
}

TEST(DocumentRules, StartingView) {
  EXPECT_EQ(StartViewFor(0).zoomMode, 0);
  EXPECT_EQ(StartViewFor(1).zoomMode, 1);
  for (int setting : {2, 7, -1}) {
    OpeningView v = StartViewFor(setting);
    EXPECT_EQ(v.zoomMode, 2) << setting;
    EXPECT_EQ(v.zoom, 100.0);
    EXPECT_EQ(v.rotation, 0);
  }
}

TEST(DocumentRules, FailureMessages) {
  EXPECT_EQ(OpenFailureMessage(0x80004005, L"C:\\a\\notes.txt.pdf"),
            L"Could not open this file as a PDF:\n\nC:\\a\\notes.txt.pdf\n\n"
            L"(Error 0x80004005 - the file may be damaged or not a PDF.)");
  EXPECT_EQ(OpenFailureMessage(0x80070002, L"x.pdf"),
            L"Could not open this file as a PDF:\n\nx.pdf\n\n(Error 0x80070002 - the file may be damaged or not a PDF.)");
  EXPECT_EQ(OpenFailureMessage(0x80040154, L"x.pdf"),
            L"No PDF engine is available on this PC.\n\nFolivex needs 64-bit Windows 10 or 11 (or Windows 8.1 with "
            L"its built-in PDF engine).\n\nHelp tab \u2192 Diagnostic Report says what went wrong.");

  EXPECT_TRUE(IsOpenPasswordFailure(0x80070056));
  EXPECT_TRUE(IsOpenPasswordFailure(0x8007052B));
  EXPECT_FALSE(IsOpenPasswordFailure(0x80004005));
  EXPECT_STREQ(PasswordPromptLine(false), L"This PDF is password protected. Enter the password to open it:");
  EXPECT_STREQ(PasswordPromptLine(true), L"That password was not accepted. Try again:");
}

}  // namespace
