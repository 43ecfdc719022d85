#include "doc/layout.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

// US Letter (612 x 792 points) in pixels at 96 dpi.
constexpr float kLetterW = 816.0f, kLetterH = 1056.0f;

// A view of `n` letter pages at the given dpi and client size, laid out in `mode`.
ViewLayout Letters(int n, int dpi, int w, int h, int mode, double percent = 100) {
  ViewLayout v;
  v.dpi = dpi;
  v.viewWidth = w;
  v.viewHeight = h;
  StartView(v, std::vector<float>(size_t(n), kLetterW), std::vector<float>(size_t(n), kLetterH),
            mode, percent, 0);
  return v;
}

// The invariants every layout must keep, whatever went in.
void ExpectSoundGeometry(const ViewLayout& v) {
  const size_t n = v.pageTop.size();
  ASSERT_EQ(v.pageWidth.size(), n);
  ASSERT_EQ(v.pageHeight.size(), n);
  int64_t expectTop = v.gap;
  int widest = 0;
  for (size_t p = 0; p < n; ++p) {
    ASSERT_GE(v.pageWidth[p], 1);
    ASSERT_GE(v.pageHeight[p], 1);
    ASSERT_EQ(v.pageTop[p], expectTop) << "page " << p;
    expectTop += v.pageHeight[p] + int64_t(v.gap);
    widest = std::max(widest, v.pageWidth[p]);
  }
  if (n == 0) {
    EXPECT_EQ(v.contentHeight, 0);
    EXPECT_EQ(v.contentWidth, 0);
  } else {
    EXPECT_EQ(v.contentHeight, expectTop);
    EXPECT_EQ(v.contentWidth, widest + 2 * int64_t(v.gap));
  }
  EXPECT_GE(v.scrollX, 0);
  EXPECT_GE(v.scrollY, 0);
  EXPECT_LE(v.scrollX, std::max<int64_t>(v.contentWidth - v.viewWidth, 0));
  EXPECT_LE(v.scrollY, std::max<int64_t>(v.contentHeight - v.viewHeight, 0));
}

}  // namespace

TEST(LayoutZoom, StepsUpAndDownWithHalfPercentSlack) {
  EXPECT_EQ(ZoomInPercent(100), 110);
  EXPECT_EQ(ZoomInPercent(99.7), 110);  // close enough to 100 to count as it
  EXPECT_EQ(ZoomInPercent(99.4), 100);
  EXPECT_EQ(ZoomInPercent(800), 800);
  EXPECT_EQ(ZoomInPercent(5), 10);
  EXPECT_EQ(ZoomOutPercent(10), 10);
  EXPECT_EQ(ZoomOutPercent(12), 10);
  EXPECT_EQ(ZoomOutPercent(110.3), 100);
  EXPECT_EQ(ZoomOutPercent(2000), 800);

  // The commands leave custom mode at the step, from a fit mode's odd value too.
  ViewLayout v = Letters(3, 96, 816 + 24 - 3, 900, kZoomFitWidth);
  EXPECT_NEAR(v.zoomPercent, 99.63, 0.01);
  ZoomIn(v);
  EXPECT_EQ(v.zoomMode, kZoomCustom);
  EXPECT_DOUBLE_EQ(v.zoomPercent, 110);
  for (int i = 0; i < 30; ++i) ZoomIn(v);
  EXPECT_DOUBLE_EQ(v.zoomPercent, 800);
  for (int i = 0; i < 30; ++i) ZoomOut(v);
  EXPECT_DOUBLE_EQ(v.zoomPercent, 10);

  EXPECT_EQ(ZoomModeFromSetting(1), kZoomFitPage);
  EXPECT_EQ(ZoomModeFromSetting(7), kZoomCustom);
  EXPECT_EQ(ScaleForDpi(12, 125), 16);    // 15.625 rounds up
  EXPECT_EQ(ScaleForDpi(-12, 124), -16);  // 15.5 away from zero
}

TEST(LayoutGeometry, ActualSizeIsPrintedSizeAtTheScreenDpi) {
  ViewLayout v = Letters(2, 144, 1200, 1000, kZoomCustom, 100);
  EXPECT_EQ(v.gap, 18);
  EXPECT_DOUBLE_EQ(v.scale, 1.5);
  EXPECT_DOUBLE_EQ(v.zoomPercent, 100);
  EXPECT_EQ(v.pageWidth[0], 1224);
  EXPECT_EQ(v.pageHeight[0], 1584);
  EXPECT_EQ(v.pageTop[0], 18);
  EXPECT_EQ(v.pageTop[1], 18 + 1584 + 18);
  EXPECT_EQ(v.contentHeight, 18 + 2 * (1584 + 18));
  EXPECT_EQ(v.contentWidth, 1224 + 36);
  EXPECT_EQ(PageLeft(v, 0), 18);
  ExpectSoundGeometry(v);

  // A window wider than the column: same page size, centred in the window.
  SetViewSize(v, 3000, 1000);
  EXPECT_EQ(v.pageWidth[0], 1224);
  EXPECT_EQ(v.scrollX, 0);
  EXPECT_EQ(PageLeft(v, 0), (3000 - 1224) / 2);
}

TEST(LayoutGeometry, FitWidthFillsWithTheWidestPageAndCentresTheRest) {
  ViewLayout v;
  v.viewWidth = 1000;
  v.viewHeight = 700;
  // One portrait and one landscape page.
  StartView(v, {kLetterW, kLetterH}, {kLetterH, kLetterW}, kZoomFitWidth, 100, 0);
  EXPECT_EQ(v.pageWidth[1], 1000 - 24);  // landscape fills the width
  EXPECT_EQ(v.contentWidth, 1000);
  EXPECT_EQ(PageLeft(v, 1), 12);
  EXPECT_EQ(v.pageWidth[0], std::lround(kLetterW * 976.0 / kLetterH));
  EXPECT_EQ(PageLeft(v, 0), (1000 - v.pageWidth[0]) / 2);  // portrait centred
  EXPECT_NEAR(v.zoomPercent, 976.0 / kLetterH * 100, 1e-9);

  // Quarter turn: the portrait page is now the wide one.
  RotateRight(v);
  EXPECT_EQ(v.pageWidth[0], 976);
  EXPECT_EQ(v.pageHeight[0], std::lround(kLetterW * 976.0 / kLetterH));

  // A very narrow window never takes the zoom below 5 %.
  SetViewSize(v, 10, 700);
  EXPECT_DOUBLE_EQ(v.zoomPercent, 5);
  EXPECT_EQ(v.pageWidth[0], std::lround(kLetterH * 0.05));
}

TEST(LayoutGeometry, FitPageFitsTheCurrentPageBothWays) {
  ViewLayout v;
  v.viewWidth = 1200;
  v.viewHeight = 1000;
  StartView(v, {kLetterW, kLetterH, 400}, {kLetterH, kLetterW, 400}, kZoomFitPage, 100, 0);
  // Page 0 (portrait) is current: the height decides.
  EXPECT_EQ(v.pageHeight[0], 1000 - 24);
  EXPECT_LE(v.pageWidth[0], 1200 - 24);

  // With the landscape page current, the width decides.
  GoToPage(v, 1);
  ASSERT_EQ(CurrentPage(v), 1);
  FitPage(v);
  EXPECT_EQ(v.pageWidth[1], 1200 - 24);
  EXPECT_LE(v.pageHeight[1], 1000 - 24);
  EXPECT_EQ(CurrentPage(v), 1);
}

TEST(LayoutNavigation, CurrentPageGoToPageAndVisibility) {
  ViewLayout v = Letters(20, 96, 900, 600, kZoomCustom, 50);  // pages 528 high, 12 apart
  EXPECT_EQ(CurrentPage(v), 0);
  EXPECT_TRUE(IsVisible(v, 0));
  EXPECT_FALSE(IsVisible(v, 2));
  EXPECT_FALSE(IsVisible(v, -1));
  EXPECT_FALSE(IsVisible(v, 20));

  ASSERT_TRUE(GoToPage(v, 6));
  EXPECT_EQ(v.scrollY, v.pageTop[6] - 6);
  EXPECT_EQ(CurrentPage(v), 6);
  EXPECT_FALSE(IsVisible(v, 5));
  EXPECT_EQ(VisiblePages(v).first, 6);
  EXPECT_EQ(VisiblePages(v).end, 8);
  // A page ending exactly at the window's top is not visible but still
  // painted; one starting exactly at its bottom is neither.
  ScrollTo(v, 0, v.pageTop[5] + v.pageHeight[5]);
  EXPECT_FALSE(IsVisible(v, 5));
  EXPECT_EQ(VisiblePages(v).first, 5);
  ScrollTo(v, 0, v.pageTop[7] - 600);
  EXPECT_FALSE(IsVisible(v, 7));
  EXPECT_TRUE(IsVisible(v, 6));
  EXPECT_EQ(VisiblePages(v).end, 7);
  EXPECT_EQ(FirstPageEndingAtOrBelow(v, v.contentHeight), 20);

  // The reading line is one third down: a page starting just above it is current.
  ScrollTo(v, 0, v.pageTop[9] - 600 / 3);
  EXPECT_EQ(CurrentPage(v), 9);
  ScrollBy(v, 0, -1);
  EXPECT_EQ(CurrentPage(v), 8);

  NextPage(v);
  PreviousPage(v);
  PreviousPage(v);
  EXPECT_EQ(CurrentPage(v), 7);
  LastPage(v);
  NextPage(v);
  EXPECT_EQ(v.scrollY, v.contentHeight - 600);  // clamped at the end
  EXPECT_EQ(CurrentPage(v), 19);
  GoToPage(v, -5);  // limited to the document
  EXPECT_EQ(v.scrollY, 6);

  // Scrolling saturates rather than wrapping, then clamps.
  ScrollBy(v, INT64_MAX, INT64_MAX);
  EXPECT_EQ(v.scrollY, v.contentHeight - 600);
  ScrollBy(v, INT64_MIN, INT64_MIN);
  EXPECT_EQ(v.scrollY, 0);

  ClearView(v);
  EXPECT_FALSE(GoToPage(v, 0));
  EXPECT_EQ(CurrentPage(v), 0);
  EXPECT_EQ(VisiblePages(v).first, VisiblePages(v).end);
}

TEST(LayoutKeepingPosition, RotationKeepsTheCurrentPageAtTheTop) {
  ViewLayout v = Letters(20, 96, 1000, 700, kZoomFitWidth);
  GoToPage(v, 6);  // page 7 of 20
  RotateRight(v);
  EXPECT_EQ(v.rotation, 1);
  EXPECT_EQ(CurrentPage(v), 6);
  EXPECT_EQ(v.scrollY, v.pageTop[6] - v.gap / 2);
  EXPECT_GT(v.pageWidth[6], v.pageHeight[6]);
  RotateLeft(v);
  RotateLeft(v);
  EXPECT_EQ(v.rotation, 3);
  EXPECT_EQ(v.scrollY, v.pageTop[6] - v.gap / 2);
}

TEST(LayoutKeepingPosition, ResizeAndZoomKeepTheSpotAtTheTop) {
  ViewLayout v = Letters(30, 96, 1000, 700, kZoomFitWidth);
  // A spot 40 % down page 12.
  ScrollTo(v, 0, v.pageTop[12] + v.pageHeight[12] * 2 / 5);
  const int c = CurrentPage(v);
  const double f = double(v.scrollY - v.pageTop[c]) / v.pageHeight[c];

  auto expectSameSpot = [&] {
    EXPECT_EQ(CurrentPage(v), c);
    EXPECT_NEAR(double(v.scrollY - v.pageTop[c]) / v.pageHeight[c], f, 1.0 / v.pageHeight[c]);
  };
  SetViewSize(v, 1400, 700);  // fit width: pages grow
  expectSameSpot();
  SetViewSize(v, 600, 900);
  expectSameSpot();
  ZoomIn(v);
  ZoomIn(v);
  expectSameSpot();

  // Horizontal: the fraction of the column width is kept.
  ScrollTo(v, v.contentWidth / 4, v.scrollY);
  const double g = double(v.scrollX) / double(v.contentWidth);
  ZoomIn(v);
  EXPECT_NEAR(double(v.scrollX) / double(v.contentWidth), g, 1.0 / v.contentWidth);

  // Custom zoom: a resize keeps page sizes and the scroll position.
  const int height = v.pageHeight[0];
  const int64_t y = v.scrollY;
  SetViewSize(v, 900, 800);
  EXPECT_EQ(v.pageHeight[0], height);
  EXPECT_EQ(v.scrollY, y);
}

TEST(LayoutKeepingPosition, ChangedPageCountOnlyLaysOut) {
  ViewLayout v = Letters(10, 96, 1000, 700, kZoomFitWidth);
  GoToPage(v, 9);
  // A page deleted: no position to keep; the scroll position is clamped.
  SetPageSizes(v, std::vector<float>(3, kLetterW), std::vector<float>(3, kLetterH));
  RelayoutKeepingPosition(v);
  EXPECT_EQ(v.PageCount(), 3);
  EXPECT_EQ(v.scrollY, v.contentHeight - 700);
  ExpectSoundGeometry(v);
  // Mismatched arrays: the shorter one counts.
  SetPageSizes(v, std::vector<float>(5, kLetterW), std::vector<float>(2, kLetterH));
  RelayoutKeepingPosition(v);
  EXPECT_EQ(v.PageCount(), 2);
  ExpectSoundGeometry(v);
}

TEST(LayoutScrollBars, NumbersForSetScrollInfo) {
  ViewLayout v = Letters(3, 96, 900, 700, kZoomCustom, 100);
  GoToPage(v, 1);
  ScrollBarNumbers vb = VerticalScrollBar(v);
  EXPECT_EQ(vb.min, 0);
  EXPECT_EQ(vb.max, v.contentHeight - 1);
  EXPECT_EQ(vb.page, 700);
  EXPECT_EQ(vb.pos, v.scrollY);
  EXPECT_TRUE(vb.disableNoScroll);
  EXPECT_EQ(vb.shift, 0);
  ScrollBarNumbers hb = HorizontalScrollBar(v);  // 840 wide column in 900: hidden
  EXPECT_EQ(hb.max, 0);
  EXPECT_EQ(hb.page, 0);
  EXPECT_FALSE(hb.disableNoScroll);

  SetViewSize(v, 500, 700);
  ScrollTo(v, 1000, v.scrollY);
  EXPECT_EQ(v.scrollX, 840 - 500);
  hb = HorizontalScrollBar(v);
  EXPECT_EQ(hb.max, 839);
  EXPECT_EQ(hb.page, 500);
  EXPECT_EQ(hb.pos, 340);

  ClearView(v);
  vb = VerticalScrollBar(v);
  EXPECT_EQ(vb.max, 0);
  EXPECT_EQ(vb.page, 700);
  EXPECT_EQ(vb.pos, 0);

  // A column taller than an int: coarser bar units that convert back.
  vb = VerticalScrollBar(int64_t(5'000'000'000), 700, 4'000'000'000);
  EXPECT_EQ(vb.shift, 2);
  EXPECT_EQ(vb.max, (5'000'000'000 - 1) >> 2);
  EXPECT_EQ(vb.page, 175);
  EXPECT_EQ(ContentFromBar(vb, vb.pos), 4'000'000'000);
  EXPECT_EQ(ContentFromBar(vb, -3), 0);
}

// Page sizes come from the file: a crafted one must neither wrap the column
// arithmetic nor take it beyond what a scroll bar can address.
TEST(LayoutHostileInput, CraftedPageSizesStayAddressable) {
  ViewLayout v;
  v.viewWidth = 1000;
  v.viewHeight = 700;
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  StartView(v, {1e9f, FLT_MAX, inf, nan, 0.0f, -5.0f, kLetterW},
            {1e9f, FLT_MAX, inf, nan, 0.0f, -5.0f, kLetterH}, kZoomCustom, 800, 0);
  ExpectSoundGeometry(v);
  EXPECT_LE(v.contentHeight, kMaxContentExtent);
  EXPECT_LE(v.contentWidth, kMaxContentExtent);
  EXPECT_LT(v.zoomPercent, 800);  // limited below what was asked
  EXPECT_EQ(VerticalScrollBar(v).shift, 0);

  // Real sizes, but a long document at 800 % on a high-dpi screen: the
  // column would be about 60 billion pixels tall.
  ViewLayout big;
  big.dpi = 192;
  big.viewWidth = 2000;
  big.viewHeight = 1400;
  StartView(big, std::vector<float>(100000, 19200.0f), std::vector<float>(100000, 19200.0f),
            kZoomCustom, 800, 0);
  ExpectSoundGeometry(big);
  EXPECT_LE(big.contentHeight, kMaxContentExtent);
  EXPECT_GT(big.contentHeight, kMaxContentExtent - 2 * 100000);  // as tall as it can be
  LastPage(big);
  EXPECT_EQ(CurrentPage(big), 99999);
  EXPECT_EQ(VerticalScrollBar(big).max, big.contentHeight - 1);

  // Odd view state from outside.
  ViewLayout odd = Letters(2, 0, -50, -50, kZoomFitPage);
  EXPECT_EQ(odd.dpi, 96);
  EXPECT_DOUBLE_EQ(odd.zoomPercent, 5);
  ExpectSoundGeometry(odd);
  odd.rotation = -3;
  odd.zoomMode = 99;
  odd.zoomPercent = std::nan("");
  Layout(odd);
  EXPECT_EQ(odd.rotation, 1);
  EXPECT_EQ(odd.zoomMode, kZoomCustom);
  EXPECT_DOUBLE_EQ(odd.zoomPercent, 5);

  // A document without pages still ends with a zoom the status bar can show.
  ViewLayout empty;
  StartView(empty, {}, {}, kZoomCustom, std::numeric_limits<double>::infinity(), 0);
  EXPECT_DOUBLE_EQ(empty.zoomPercent, 800);
  SetZoom(empty, kZoomFitWidth, 0);
  EXPECT_DOUBLE_EQ(empty.zoomPercent, 800);
  EXPECT_EQ(empty.contentHeight, 0);
}

TEST(LayoutPictures, WantedSizeStaysWithinTheCaps) {
  // Small enough: asked as shown.
  PictureSize s = WantedPictureSize(1224, 1584);
  EXPECT_EQ(s.width, 1224);
  EXPECT_EQ(s.height, 1584);
  s = WantedPictureSize(5000, 5000);  // exactly 25 megapixels
  EXPECT_EQ(s.width, 5000);
  EXPECT_EQ(s.height, 5000);
  s = WantedPictureSize(0, -7);
  EXPECT_EQ(s.width, 1);
  EXPECT_EQ(s.height, 1);

  // A0 (2384 x 3370 points) at 800 %: the area decides.
  ViewLayout v;
  v.viewWidth = 1000;
  v.viewHeight = 800;
  StartView(v, {2384.0f * 96 / 72}, {3370.0f * 96 / 72}, kZoomCustom, 800, 0);
  s = RequestedPictureSize(v, 0);
  EXPECT_LE(int64_t(s.width) * s.height, kMaxPicturePixels);
  EXPECT_GT(int64_t(s.width) * s.height, kMaxPicturePixels * 99 / 100);
  EXPECT_LE(s.width, kMaxPictureSide);
  EXPECT_LE(s.height, kMaxPictureSide);
  EXPECT_NEAR(double(s.width) / s.height, 2384.0 / 3370.0, 0.001);
  // Rotated, the request is still given unrotated.
  RotateRight(v);
  PictureSize r = RequestedPictureSize(v, 0);
  EXPECT_EQ(r.width, s.width);
  EXPECT_EQ(r.height, s.height);
  EXPECT_EQ(RequestedPictureSize(v, 1).width, 0);

  // A long strip: the side decides.
  s = WantedPictureSize(30000, 600);
  EXPECT_EQ(s.width, 12000);
  EXPECT_EQ(s.height, 240);
  // Extremes neither overflow nor escape the caps.
  for (auto [w, h] : {std::pair{INT32_MAX, INT32_MAX}, std::pair{1, INT32_MAX},
                      std::pair{INT32_MAX, 3}, std::pair{5001, 5000}, std::pair{12001, 2083}}) {
    s = WantedPictureSize(w, h);
    EXPECT_GE(s.width, 1);
    EXPECT_GE(s.height, 1);
    EXPECT_LE(s.width, kMaxPictureSide) << w << "x" << h;
    EXPECT_LE(s.height, kMaxPictureSide) << w << "x" << h;
    EXPECT_LE(int64_t(s.width) * s.height, kMaxPicturePixels) << w << "x" << h;
  }
}
