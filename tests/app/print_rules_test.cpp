// The print rules against figures worked out by hand from paper sizes in
// inches: a Letter page is 8.5 x 11 in, 816 x 1056 in 1/96 inch.
#include "app/print_rules.h"

#include <gtest/gtest.h>

namespace {

constexpr float kLetterW = 816.0f, kLetterH = 1056.0f;
const PrinterArea kLetter300{2550, 3300, 300, 300};  // whole Letter sheet at 300 dpi

PrintOptions Options(bool autoRotate, int scale, int quality) {
  PrintOptions o;
  o.autoRotate = autoRotate;
  o.scale = scale;
  o.quality = quality;
  return o;
}

}  // namespace

TEST(PrintList, RangesAreOrderedClampedAndMayRepeat) {
  using V = std::vector<int>;
  EXPECT_EQ(BuildPrintList(PrintChoice::PageRanges, 10, 0, {{5, 3}}), (V{2, 3, 4}));
  EXPECT_EQ(BuildPrintList(PrintChoice::PageRanges, 10, 0, {{8, 20}}), (V{7, 8, 9}));
  EXPECT_EQ(BuildPrintList(PrintChoice::PageRanges, 10, 0, {{1, 2}, {1, 2}}), (V{0, 1, 0, 1}));
  EXPECT_EQ(BuildPrintList(PrintChoice::PageRanges, 5, 0, {{3, 1}, {2, 2}}), (V{0, 1, 2, 1}));
  EXPECT_EQ(BuildPrintList(PrintChoice::PageRanges, 5, 0, {{0, 0}, {7, 9}}), V{});
  EXPECT_EQ(BuildPrintList(PrintChoice::PageRanges, 5, 0, {}), V{});
  EXPECT_EQ(BuildPrintList(PrintChoice::AllPages, 3, 1, {{1, 1}}), (V{0, 1, 2}));
  EXPECT_EQ(BuildPrintList(PrintChoice::CurrentPage, 3, 2, {}), (V{2}));
  EXPECT_EQ(BuildPrintList(PrintChoice::CurrentPage, 3, -1, {}), V{});
}

TEST(PrintPlan, QualityIsCappedAtThePrinterResolution) {
  // A Letter page fitted to a whole Letter sheet on a 600-dpi printer:
  // Normal renders at 300 dpi (2550 x 3300), Draft at 150, High at 600.
  const PrinterArea letter600{5100, 6600, 600, 600};
  PrintPagePlan normal = PlanPrintPage(kLetterW, kLetterH, 0, letter600, Options(true, 0, 1));
  EXPECT_EQ(normal.width, 5100);
  EXPECT_EQ(normal.height, 6600);
  EXPECT_EQ(normal.renderWidth, 2550);
  EXPECT_EQ(normal.renderHeight, 3300);
  PrintPagePlan draft = PlanPrintPage(kLetterW, kLetterH, 0, letter600, Options(true, 0, 0));
  EXPECT_EQ(draft.renderWidth, 1275);
  EXPECT_EQ(draft.renderHeight, 1650);
  PrintPagePlan high = PlanPrintPage(kLetterW, kLetterH, 0, letter600, Options(true, 0, 2));
  EXPECT_EQ(high.renderWidth, 5100);
  EXPECT_EQ(high.renderHeight, 6600);
  // A 300-dpi printer gets no finer picture for High; a printer reporting no
  // resolution is taken as 300 dpi.
  PrintPagePlan capped = PlanPrintPage(kLetterW, kLetterH, 0, kLetter300, Options(true, 0, 2));
  EXPECT_EQ(capped.renderWidth, 2550);
  EXPECT_EQ(capped.renderHeight, 3300);
  PrintPagePlan noDpi = PlanPrintPage(kLetterW, kLetterH, 0, {2550, 3300, 0, 0}, Options(true, 0, 0));
  EXPECT_EQ(noDpi.width, 2550);
  EXPECT_EQ(noDpi.renderWidth, 1275);
}

TEST(PrintPlan, AutoRotationTurnsSidewaysPagesOnly) {
  // Landscape Letter on portrait paper: turned, it fills the sheet; the
  // picture is asked for in the page's own (landscape) orientation.
  PrintPagePlan turned = PlanPrintPage(kLetterH, kLetterW, 0, kLetter300, Options(true, 0, 1));
  EXPECT_EQ(turned.rotation, 1);
  EXPECT_EQ(turned.width, 2550);
  EXPECT_EQ(turned.height, 3300);
  EXPECT_EQ(turned.renderWidth, 3300);
  EXPECT_EQ(turned.renderHeight, 2550);
  // Upright instead: 11 in wide scaled to 8.5, so 8.5 x 6.568 in, centred.
  PrintPagePlan upright = PlanPrintPage(kLetterH, kLetterW, 0, kLetter300, Options(false, 0, 1));
  EXPECT_EQ(upright.rotation, 0);
  EXPECT_EQ(upright.width, 2550);
  EXPECT_EQ(upright.height, 1970);
  EXPECT_EQ(upright.left, 0);
  EXPECT_EQ(upright.top, 665);
  // A portrait page shown turned a quarter is sideways too: one more turn.
  PrintPagePlan viewTurned = PlanPrintPage(kLetterW, kLetterH, 1, kLetter300, Options(true, 0, 1));
  EXPECT_EQ(viewTurned.rotation, 2);
  EXPECT_EQ(viewTurned.renderWidth, 2550);
  EXPECT_EQ(viewTurned.renderHeight, 3300);
  // A page square within 0.01 inch is never turned.
  PrintPagePlan square = PlanPrintPage(800.5f, 800.0f, 0, kLetter300, Options(true, 0, 1));
  EXPECT_EQ(square.rotation, 0);
}

TEST(PrintPlan, ActualSizeKeepsSmallPagesAndShrinksLargeOnes) {
  // A 4 x 6 in page: true size 1200 x 1800 centred, or fitted to 7.33 x 11 in.
  PrintPagePlan actual = PlanPrintPage(384.0f, 576.0f, 0, kLetter300, Options(true, 1, 1));
  EXPECT_EQ(actual.width, 1200);
  EXPECT_EQ(actual.height, 1800);
  EXPECT_EQ(actual.left, 675);
  EXPECT_EQ(actual.top, 750);
  PrintPagePlan fitted = PlanPrintPage(384.0f, 576.0f, 0, kLetter300, Options(true, 0, 1));
  EXPECT_EQ(fitted.width, 2200);
  EXPECT_EQ(fitted.height, 3300);
  EXPECT_EQ(fitted.left, 175);
  // A 17 x 22 in page is shrunk to the sheet either way.
  PrintPagePlan large = PlanPrintPage(1632.0f, 2112.0f, 0, kLetter300, Options(true, 1, 1));
  EXPECT_EQ(large.width, 2550);
  EXPECT_EQ(large.height, 3300);
}
