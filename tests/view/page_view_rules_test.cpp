#include "view/page_view_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

constexpr float kLetterW = 816.0f, kLetterH = 1056.0f;  // US Letter at 96 dpi

// n letter pages in a w x h window at 96 dpi.
ViewLayout Letters(int n, int w, int h, int mode, double percent = 100, int rotation = 0) {
  ViewLayout v;
  v.viewWidth = w;
  v.viewHeight = h;
  StartView(v, std::vector<float>(size_t(n), kLetterW), std::vector<float>(size_t(n), kLetterH), mode, percent,
            rotation);
  return v;
}

void NoDelete(void*) {}

CachedPicture Picture(int gotW, int gotH, int rotation, int askedW, int askedH) {
  static int handle = 0;
  CachedPicture p;
  p.bitmap = &handle;
  p.gotWidth = gotW;
  p.gotHeight = gotH;
  p.rotation = rotation;
  p.askedWidth = askedW;
  p.askedHeight = askedH;
  return p;
}

bool SameRgb(BackgroundRgb a, BackgroundRgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

TEST(PageViewRules, ShadowAndTextColoursFollowTheBackground) {
  EXPECT_TRUE(SameRgb(PageShadowColour(0), {48, 50, 52}));
  EXPECT_TRUE(SameRgb(PageShadowColour(1), {150, 152, 156}));
  EXPECT_TRUE(SameRgb(PageShadowColour(2), {70, 70, 70}));
  EXPECT_TRUE(SameRgb(PageShadowColour(3), {150, 152, 156}));
  EXPECT_TRUE(SameRgb(PageShadowColour(9), PageShadowColour(3)));  // above 3 counts as 3
  EXPECT_TRUE(SameRgb(EmptyStateTextColour(0), {220, 220, 220}));
  EXPECT_TRUE(SameRgb(EmptyStateTextColour(1), {70, 70, 70}));
  EXPECT_TRUE(SameRgb(EmptyStateTextColour(2), {220, 220, 220}));
  EXPECT_TRUE(SameRgb(EmptyStateTextColour(7), {70, 70, 70}));
}

TEST(PageViewRules, RenderListIsVisibleTopDownThenBelowThenAbove) {
  auto none = [](int) { return false; };
  EXPECT_EQ(RenderList({3, 6}, 10, none), (std::vector<int>{3, 4, 5, 6, 2}));
  // At the ends there is nothing below or above.
  EXPECT_EQ(RenderList({0, 2}, 2, none), (std::vector<int>{0, 1}));
  EXPECT_EQ(RenderList({0, 1}, 5, none), (std::vector<int>{0, 1}));
  EXPECT_EQ(RenderList({4, 5}, 5, none), (std::vector<int>{4, 3}));
  // Current pictures are left out, neighbours included.
  auto evenCurrent = [](int p) { return p % 2 == 0; };
  EXPECT_EQ(RenderList({3, 6}, 10, evenCurrent), (std::vector<int>{3, 5}));
  EXPECT_TRUE(RenderList({3, 6}, 10, [](int) { return true; }).empty());
  // Nothing visible (a window of no height): no prefetch either.
  EXPECT_TRUE(RenderList({4, 4}, 10, none).empty());
}

TEST(PageViewRules, APictureIsCurrentByRotationAndAskedSizeNotDeliveredSize) {
  ViewLayout v = Letters(3, 1000, 800, kZoomCustom, 100);  // pages 816 x 1056
  PictureCache cache(NoDelete);
  // Delivered a pixel short of what was asked: still current, not asked again.
  cache.Store(7, Picture(815, 1055, 0, 816, 1056));
  EXPECT_TRUE(PictureUpToDate(cache, v, 0, 7));
  EXPECT_FALSE(PictureUpToDate(cache, v, 0, 8));  // no picture of that page
  EXPECT_FALSE(PictureUpToDate(cache, v, 5, 7));  // no such position

  ZoomIn(v);  // 110 %: the asked size differs now
  EXPECT_FALSE(PictureUpToDate(cache, v, 0, 7));

  // Rotated a quarter turn: the picture of the old rotation is not current;
  // one asked in display orientation (landscape) at the new size is.
  ViewLayout r = Letters(3, 1000, 800, kZoomCustom, 100, 1);
  EXPECT_FALSE(PictureUpToDate(cache, r, 0, 7));
  cache.Store(7, Picture(1056, 816, 1, 1056, 816));
  EXPECT_TRUE(PictureUpToDate(cache, r, 0, 7));
}

TEST(PageViewRules, RenderJobsCarryEnginePageGenerationRotationAndUnrotatedSize) {
  ViewLayout v = Letters(3, 1000, 800, kZoomCustom, 100, 1);  // landscape on screen: 1056 x 816
  const PageOrder order = {2, 0, 1};
  std::vector<RenderJob> jobs = PageRenderJobs(v, order, {1, 0, 9}, 5);
  ASSERT_EQ(jobs.size(), 2u);  // position 9 does not exist
  EXPECT_EQ(jobs[0].kind, kJobRenderPage);
  EXPECT_EQ(jobs[0].page, 0);
  EXPECT_EQ(jobs[1].page, 2);
  EXPECT_EQ(jobs[0].generation, 5);
  EXPECT_EQ(jobs[0].rotation, 1);
  EXPECT_EQ(jobs[0].width, 816);  // given unrotated
  EXPECT_EQ(jobs[0].height, 1056);

  // At 800 % on an A0 page the request is capped: 12,000 a side, 25 Mpx.
  ViewLayout a0;
  a0.viewWidth = 1000;
  a0.viewHeight = 800;
  StartView(a0, {3179.0f}, {4494.0f}, kZoomCustom, 800, 0);
  jobs = PageRenderJobs(a0, {0}, {0}, 1);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_LE(jobs[0].width, kMaxPictureSide);
  EXPECT_LE(jobs[0].height, kMaxPictureSide);
  EXPECT_LE(int64_t(jobs[0].width) * jobs[0].height, kMaxPicturePixels);
  EXPECT_GT(int64_t(jobs[0].width) * jobs[0].height, kMaxPicturePixels * 99 / 100);

  // The visible engine pages follow the order.
  ViewLayout three = Letters(3, 1000, 1700, kZoomCustom, 50);  // all three fit
  EXPECT_EQ(VisibleEnginePages(three, order), (std::vector<int>{2, 0, 1}));
}

TEST(PageViewRules, ExactSizedPicturesAreCopiedAndClippedToTheWindow) {
  PictureBlit b;
  // Entirely inside.
  ASSERT_TRUE(PlanPictureBlit({10, 20, 300, 400}, 300, 400, 800, 600, b));
  EXPECT_FALSE(b.stretch);
  EXPECT_EQ(b.dstX, 10);
  EXPECT_EQ(b.dstY, 20);
  EXPECT_EQ(b.dstWidth, 300);
  EXPECT_EQ(b.dstHeight, 400);
  EXPECT_EQ(b.srcX, 0);
  EXPECT_EQ(b.srcY, 0);

  // Scrolled: the page starts above and left of the window.
  ASSERT_TRUE(PlanPictureBlit({-50, -1000, 3000, 4000}, 3000, 4000, 800, 600, b));
  EXPECT_FALSE(b.stretch);
  EXPECT_EQ(b.dstX, 0);
  EXPECT_EQ(b.dstY, 0);
  EXPECT_EQ(b.dstWidth, 800);
  EXPECT_EQ(b.dstHeight, 600);
  EXPECT_EQ(b.srcX, 50);
  EXPECT_EQ(b.srcY, 1000);

  // Out of sight.
  EXPECT_FALSE(PlanPictureBlit({0, 600, 300, 400}, 300, 400, 800, 600, b));
  EXPECT_FALSE(PlanPictureBlit({-300, 0, 300, 400}, 300, 400, 800, 600, b));
  WindowRect r;
  EXPECT_FALSE(ClipToWindow({0, -400, 300, 400}, 800, 600, r));
  ASSERT_TRUE(ClipToWindow({-5, 590, 300, 400}, 800, 600, r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 590);
  EXPECT_EQ(r.right, 295);
  EXPECT_EQ(r.bottom, 600);
}

// How many of the rectangles cover each pixel of a w x h window.
std::vector<int> Coverage(const std::vector<WindowRect>& rects, int w, int h) {
  std::vector<int> count(size_t(w) * size_t(h), 0);
  for (const WindowRect& r : rects)
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, h); ++y)
      for (int x = std::max(r.left, 0); x < std::min(r.right, w); ++x) ++count[size_t(y) * size_t(w) + size_t(x)];
  return count;
}

// The background is laid once around the pages of every layout of the
// column, in every window position: pages and background together cover
// each pixel exactly once.
TEST(PageViewRules, TheBackgroundGoesAroundThePagesOnlyOnce) {
  const int w = 120, h = 90;
  for (int zoom : {25, 60, 100, 140, 400})
    for (int rotation = 0; rotation < 4; ++rotation) {
      ViewLayout v;
      v.viewWidth = w;
      v.viewHeight = h;
      StartView(v, {100.0f, 300.0f, 80.0f, 100.0f, 100.0f}, {140.0f, 200.0f, 60.0f, 140.0f, 10.0f}, kZoomCustom,
                zoom, rotation);
      for (int64_t y = 0; y <= v.contentHeight; y += 17) {
        for (int64_t x : {int64_t(0), v.contentWidth / 3, v.contentWidth}) {
          ScrollTo(v, x, y);
          std::vector<WindowRect> pages;
          const PageRange visible = VisiblePages(v);
          for (int p = visible.first; p < visible.end; ++p) {
            WindowRect r;
            if (ClipToWindow(PageBoxInWindow(v, p), w, h, r)) pages.push_back(r);
          }
          std::vector<WindowRect> all = AroundPages(pages, w, h);
          for (const WindowRect& r : all) ASSERT_TRUE(r.left < r.right && r.top < r.bottom);
          all.insert(all.end(), pages.begin(), pages.end());
          const std::vector<int> count = Coverage(all, w, h);
          ASSERT_EQ(std::count(count.begin(), count.end(), 1), w * h)
              << "zoom " << zoom << " rotation " << rotation << " at " << x << ", " << y;
        }
      }
    }

  // No page in sight, and one page filling the window.
  std::vector<WindowRect> all = AroundPages({}, w, h);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].right, w);
  EXPECT_EQ(all[0].bottom, h);
  EXPECT_TRUE(AroundPages({{0, 0, w, h}}, w, h).empty());
}

TEST(PageViewRules, AShadowIsTheOffsetBoxLessThePage) {
  const PageBox page = {10, 20, 30, 40};
  const ShadowStrips s = ShadowOf(page, 3);
  std::vector<WindowRect> parts;
  for (const PageBox& b : {s.right, s.bottom})
    parts.push_back({int(b.left), int(b.top), int(b.left + b.width), int(b.top + b.height)});
  parts.push_back({10, 20, 40, 60});  // the page
  const std::vector<int> count = Coverage(parts, 60, 70);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 60; ++x) {
      const bool inPage = x >= 10 && x < 40 && y >= 20 && y < 60;
      const bool inShadow = x >= 13 && x < 43 && y >= 23 && y < 63;
      ASSERT_EQ(count[size_t(y) * 60 + size_t(x)], inPage || inShadow ? 1 : 0) << x << ", " << y;
    }
  EXPECT_EQ(ShadowOf(page, 0).right.width, 0);
  EXPECT_EQ(ShadowOf({0, 0, 2, 2}, 3).bottom.width, 0);
}

TEST(PageViewRules, APictureOfAnotherSizeIsStretchedOverTheWholePage) {
  PictureBlit b;
  // A pixel short of the page: stretched onto exactly the page rectangle.
  ASSERT_TRUE(PlanPictureBlit({12, 12, 816, 1056}, 815, 1055, 1000, 2000, b));
  EXPECT_TRUE(b.stretch);
  EXPECT_EQ(b.dstX, 12);
  EXPECT_EQ(b.dstY, 12);
  EXPECT_EQ(b.dstWidth, 816);
  EXPECT_EQ(b.dstHeight, 1056);
  EXPECT_EQ(b.srcWidth, 815);
  EXPECT_EQ(b.srcHeight, 1055);

  // An older picture at half the zoom, page partly scrolled off the top:
  // whole source pixels covering the visible part, landing at twice the scale.
  ASSERT_TRUE(PlanPictureBlit({0, -101, 1632, 2112}, 816, 1056, 1000, 500, b));
  EXPECT_TRUE(b.stretch);
  EXPECT_EQ(b.srcY, 50);  // row 50 covers window rows -1..0
  EXPECT_EQ(b.dstY, -1);
  EXPECT_EQ(b.srcX, 0);
  EXPECT_EQ(b.srcWidth, 500);  // 1000 window columns need 500 picture columns
  EXPECT_EQ(b.dstWidth, 1000);
  EXPECT_GE(b.dstY + b.dstHeight, 500);
  EXPECT_LT(b.dstY + b.dstHeight, 500 + 2 + 1);
}

TEST(PageViewRules, APageTwoBillionPixelsTallStaysNearTheWindow) {
  // A capped picture (12,000 rows) stands for a page about 2^31 pixels tall
  // that is scrolled far into its middle.
  const int64_t tall = 2'000'000'000;
  const PageBox box = {-5, -1'234'567'890, 90'000, tall};
  PictureBlit b;
  ASSERT_TRUE(PlanPictureBlit(box, 540, 12'000, 1200, 900, b));
  EXPECT_TRUE(b.stretch);
  // The source part starts on the row that covers the window's top edge.
  EXPECT_EQ(b.srcY, int(1'234'567'890LL * 12'000 / tall));
  EXPECT_GE(b.srcHeight, 1);
  EXPECT_LE(b.srcHeight, 2);
  // The target covers the window and reaches at most one picture row
  // (tall / 12000 pixels) beyond it, far inside the int range.
  const int64_t row = tall / 12'000 + 1;
  EXPECT_LE(b.dstY, 0);
  EXPECT_GE(b.dstY, -row);
  EXPECT_GE(int64_t(b.dstY) + b.dstHeight, 900);
  EXPECT_LE(int64_t(b.dstY) + b.dstHeight, 900 + row);
  EXPECT_LE(b.dstX, 0);
  EXPECT_GE(b.dstX + b.dstWidth, 1200);
  // The fill of such a page (placeholder, shadow) is cut to the window.
  WindowRect r;
  ASSERT_TRUE(ClipToWindow(box, 1200, 900, r));
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 900);
  EXPECT_EQ(r.right, 1200);

  // The same through the layout: a huge page at a high zoom.
  ViewLayout v;
  v.viewWidth = 1200;
  v.viewHeight = 900;
  StartView(v, {1000.0f}, {3.0e8f}, kZoomCustom, 800, 0);
  ScrollTo(v, 0, v.contentHeight / 2);
  const PageBox huge = PageBoxInWindow(v, 0);
  EXPECT_LT(huge.top, -1'000'000'000);
  EXPECT_GT(huge.height, 1'900'000'000);
  const PictureSize asked = RequestedPictureSize(v, 0);
  ASSERT_TRUE(PlanPictureBlit(huge, asked.width, asked.height, 1200, 900, b));
  EXPECT_GE(b.dstY, -(huge.height / asked.height + 1));
  EXPECT_LE(b.dstY, 0);
}

TEST(PageViewRules, CtrlWheelZoomsOncePerNotch) {
  int rest = 0;
  EXPECT_EQ(TakeWheelZoomSteps(rest, 60), 0);  // half a notch does nothing
  EXPECT_EQ(TakeWheelZoomSteps(rest, 60), 1);  // the second half zooms in once
  EXPECT_EQ(rest, 0);
  EXPECT_EQ(TakeWheelZoomSteps(rest, -250), -2);
  EXPECT_EQ(rest, -10);
  EXPECT_EQ(TakeWheelZoomSteps(rest, 130), 1);
  EXPECT_EQ(rest, 0);
  // A precise touchpad's small deltas add up.
  for (int i = 0; i < 11; ++i) EXPECT_EQ(TakeWheelZoomSteps(rest, 10), 0);
  EXPECT_EQ(TakeWheelZoomSteps(rest, 10), 1);
  // The largest deltas a message can carry.
  rest = 119;
  EXPECT_EQ(TakeWheelZoomSteps(rest, 32767), (119 + 32767) / 120);
  rest = -119;
  EXPECT_EQ(TakeWheelZoomSteps(rest, -32768), -((119 + 32768) / 120));

  EXPECT_EQ(WheelScrollDistance(-120, 96), 120);  // one notch towards the user scrolls down
  EXPECT_EQ(WheelScrollDistance(120, 96), -120);
  EXPECT_EQ(WheelScrollDistance(-120, 144), 180);
  EXPECT_EQ(WheelScrollDistance(-40, 96), 40);
}

TEST(PageViewRules, KeysScrollAndTurnPages) {
  EXPECT_EQ(ViewKeyFor(kKeySpace), ViewKey::PageDown);
  EXPECT_EQ(ViewKeyFor(kKeyPageDown), ViewKey::PageDown);
  EXPECT_EQ(ViewKeyFor(kKeyHome), ViewKey::FirstPage);
  EXPECT_EQ(ViewKeyFor(kKeyEscape), ViewKey::Escape);
  EXPECT_EQ(ViewKeyFor('A'), ViewKey::None);

  ViewLayout v = Letters(20, 900, 700, kZoomFitWidth);
  EXPECT_TRUE(ApplyViewKey(v, ViewKey::PageDown));
  EXPECT_EQ(v.scrollY, 700 - 40);
  EXPECT_TRUE(ApplyViewKey(v, ViewKey::LineDown));
  EXPECT_EQ(v.scrollY, 700 - 40 + 48);
  EXPECT_TRUE(ApplyViewKey(v, ViewKey::PageUp));
  EXPECT_EQ(v.scrollY, 48);
  EXPECT_TRUE(ApplyViewKey(v, ViewKey::LastPage));
  EXPECT_EQ(CurrentPage(v), 19);
  EXPECT_TRUE(ApplyViewKey(v, ViewKey::FirstPage));
  EXPECT_EQ(v.scrollY, v.gap - v.gap / 2);  // half a gap above the first page

  // Left at fit width goes to the previous page, Right to the next.
  GoToPage(v, 5);
  EXPECT_TRUE(ApplyViewKey(v, ViewKey::Left));
  EXPECT_EQ(CurrentPage(v), 4);
  EXPECT_EQ(v.scrollX, 0);
  EXPECT_TRUE(ApplyViewKey(v, ViewKey::Right));
  EXPECT_EQ(CurrentPage(v), 5);

  // At 400 % the column is wider than the window: Left and Right scroll.
  ViewLayout wide = Letters(20, 900, 700, kZoomCustom, 400);
  ScrollTo(wide, 1000, 0);
  EXPECT_TRUE(ApplyViewKey(wide, ViewKey::Left));
  EXPECT_EQ(wide.scrollX, 1000 - 48);
  EXPECT_EQ(CurrentPage(wide), 0);
  EXPECT_TRUE(ApplyViewKey(wide, ViewKey::Right));
  EXPECT_EQ(wide.scrollX, 1000);

  EXPECT_FALSE(ApplyViewKey(v, ViewKey::Escape));
  EXPECT_FALSE(ApplyViewKey(v, ViewKey::None));

  // Steps scale with the screen; a window no taller than the overlap still
  // moves forward by its height rather than backwards.
  EXPECT_EQ(LineStep(144), 72);
  EXPECT_EQ(PageStep(700, 144), 700 - 60);
  EXPECT_EQ(PageStep(30, 96), 30);
  EXPECT_EQ(PageStep(0, 96), 1);
}

TEST(PageViewRules, ScrollBarRequestsLeadToContentPositions) {
  int64_t t = -1;
  EXPECT_TRUE(ScrollBarTarget(kBarLineDown, 500, 700, 0, 9000, 96, t));
  EXPECT_EQ(t, 548);
  EXPECT_TRUE(ScrollBarTarget(kBarLineUp, 500, 700, 0, 9000, 96, t));
  EXPECT_EQ(t, 452);
  EXPECT_TRUE(ScrollBarTarget(kBarPageDown, 500, 700, 0, 9000, 96, t));
  EXPECT_EQ(t, 500 + 660);
  EXPECT_TRUE(ScrollBarTarget(kBarPageUp, 500, 700, 0, 9000, 96, t));
  EXPECT_EQ(t, 500 - 660);
  EXPECT_TRUE(ScrollBarTarget(kBarThumbTrack, 500, 700, 4321, 9000, 96, t));
  EXPECT_EQ(t, 4321);
  EXPECT_TRUE(ScrollBarTarget(kBarThumbPosition, 500, 700, 17, 9000, 96, t));
  EXPECT_EQ(t, 17);
  EXPECT_TRUE(ScrollBarTarget(kBarTop, 500, 700, 0, 9000, 96, t));
  EXPECT_EQ(t, 0);
  EXPECT_TRUE(ScrollBarTarget(kBarBottom, 500, 700, 0, 9000, 96, t));
  EXPECT_EQ(t, 9000);  // beyond the end; the layout clamps it
  t = 77;
  EXPECT_FALSE(ScrollBarTarget(8, 500, 700, 0, 9000, 96, t));  // end of scrolling
  EXPECT_EQ(t, 77);

  // Through the layout's clamping, bottom ends at the last window's worth.
  ViewLayout v = Letters(20, 900, 700, kZoomFitWidth);
  ASSERT_TRUE(ScrollBarTarget(kBarBottom, v.scrollY, v.viewHeight, 0, v.contentHeight, v.dpi, t));
  ScrollTo(v, 0, t);
  EXPECT_EQ(v.scrollY, v.contentHeight - 700);
}

TEST(PageViewRules, TypedPageNumbersReadLikeIntegers) {
  EXPECT_EQ(ReadTypedNumber(L"7"), 7);
  EXPECT_EQ(ReadTypedNumber(L"  12abc"), 12);
  EXPECT_EQ(ReadTypedNumber(L"+3"), 3);
  EXPECT_EQ(ReadTypedNumber(L"-4"), -4);
  EXPECT_EQ(ReadTypedNumber(L""), 0);
  EXPECT_EQ(ReadTypedNumber(L"page 5"), 0);
  EXPECT_EQ(ReadTypedNumber(L"99999999999999999999"), INT_MAX);
  EXPECT_EQ(ReadTypedNumber(L"-99999999999999999999"), INT_MIN);
}

}  // namespace
