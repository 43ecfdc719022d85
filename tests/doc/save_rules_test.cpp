#include "doc/save_rules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(SaveRules, SaveAsProposesANameBesideTheFile) {
  EXPECT_EQ(ProposedSaveAsName(L"C:\\a\\report.final.pdf", true, true), L"C:\\a\\report.final (rearranged).pdf");
  EXPECT_EQ(ProposedSaveAsName(L"C:\\a\\notes", true, false), L"C:\\a\\notes (edited).pdf");
  // A dot in a folder's name is not an extension.
  EXPECT_EQ(ProposedSaveAsName(L"C:\\my.docs\\notes", false, true), L"C:\\my.docs\\notes (copy).pdf");
  EXPECT_EQ(ProposedSaveAsName(L"/home/x.y/a.PDF", false, true), L"/home/x.y/a (copy).pdf");
}

TEST(SaveRules, PureReorderingAndReadBack) {
  PageModel pages;
  pages.fileCount = 3;
  pages.order = {2, 0, 1};
  EXPECT_TRUE(IsPureReordering(pages));
  pages.order = {2, 0};  // a page deleted
  EXPECT_FALSE(IsPureReordering(pages));
  pages.order = {2, 0, 3};  // one brought in instead
  EXPECT_FALSE(IsPureReordering(pages));

  const std::vector<float> w = {816, 1056}, h = {1056, 816};
  EXPECT_TRUE(ReadBackMatches(0, {816.9f, 1055.1f}, {1056, 816}, w, h));
  EXPECT_FALSE(ReadBackMatches(0, {818, 1056}, {1056, 816}, w, h));
  EXPECT_FALSE(ReadBackMatches(0, {816}, {1056}, w, h)) << "a page missing";
  EXPECT_FALSE(ReadBackMatches(int32_t(0x80004005), w, h, w, h));
  EXPECT_FALSE(ReadBackMatches(0, {816, std::nanf("")}, {1056, 816}, w, h)) << "not a number";
}

}  // namespace
