#include "doc/layout.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

int NormalizedDpi(int dpi) { return dpi >= 1 ? dpi : 96; }

int NormalizedRotation(int rotation) { return ((rotation % 4) + 4) % 4; }

int NormalizedZoomMode(int mode) {
  return mode == kZoomFitWidth || mode == kZoomFitPage ? mode : kZoomCustom;
}

// A page side as the layout uses it: at least 1 and finite, whatever the
// arrays hold.
double PageSide(float value) {
  if (!(value >= 1.0f)) return 1.0;  // also NaN
  if (value > FLT_MAX) return FLT_MAX;
  return value;
}

double DisplayWidth(const ViewLayout& v, size_t p) {
  return PageSide((v.rotation & 1) ? v.baseHeight[p] : v.baseWidth[p]);
}
double DisplayHeight(const ViewLayout& v, size_t p) {
  return PageSide((v.rotation & 1) ? v.baseWidth[p] : v.baseHeight[p]);
}

// A page length on screen: rounded half away from zero, at least 1. The
// scale limit keeps `length` within the int range.
int ScreenLength(double length) {
  double r = std::round(length);
  if (!(r >= 1.0)) return 1;
  if (r > double(INT32_MAX)) return INT32_MAX;
  return int(r);
}

int64_t SaturatingAdd(int64_t a, int64_t b) {
  if (b > 0 && a > INT64_MAX - b) return INT64_MAX;
  if (b < 0 && a < INT64_MIN - b) return INT64_MIN;
  return a + b;
}

size_t SizeCount(const ViewLayout& v) {
  return std::min(v.baseWidth.size(), v.baseHeight.size());
}

// Bar numbers for one extent; `shown` says whether the bar has a range at all.
ScrollBarNumbers BarNumbers(int64_t content, int64_t view, int64_t pos, bool shown) {
  ScrollBarNumbers b;
  content = std::max<int64_t>(content, 0);
  view = std::max<int64_t>(view, 0);
  if (shown && content > 0) {
    while (((content - 1) >> b.shift) > INT32_MAX) ++b.shift;
    b.max = int((content - 1) >> b.shift);
    b.page = int(std::min<int64_t>(view >> b.shift, INT32_MAX));
  }
  int64_t p = std::max<int64_t>(pos, 0) >> b.shift;
  b.pos = int(std::min<int64_t>(p, b.max));
  return b;
}

}  // namespace

int ScaleForDpi(int value, int dpi) {
  int64_t p = int64_t(value) * dpi;
  return int(p >= 0 ? (p + 48) / 96 : (p - 48) / 96);
}

void SetPageSizes(ViewLayout& v, const std::vector<float>& widths, const std::vector<float>& heights) {
  size_t n = std::min({widths.size(), heights.size(), size_t(INT32_MAX)});
  v.baseWidth.assign(widths.begin(), widths.begin() + std::ptrdiff_t(n));
  v.baseHeight.assign(heights.begin(), heights.begin() + std::ptrdiff_t(n));
}

int ZoomModeFromSetting(int defaultZoom) { return NormalizedZoomMode(defaultZoom); }

void StartView(ViewLayout& v, const std::vector<float>& widths, const std::vector<float>& heights,
               int zoomMode, double zoomPercent, int rotation) {
  SetPageSizes(v, widths, heights);
  // The previous document's geometry must not decide the first fit-page page.
  v.pageTop.clear();
  v.pageWidth.clear();
  v.pageHeight.clear();
  v.scrollX = v.scrollY = 0;
  v.zoomMode = NormalizedZoomMode(zoomMode);
  v.zoomPercent = zoomPercent;
  v.rotation = NormalizedRotation(rotation);
  Layout(v);
}

void ClearView(ViewLayout& v) {
  v.baseWidth.clear();
  v.baseHeight.clear();
  v.pageTop.clear();
  v.pageWidth.clear();
  v.pageHeight.clear();
  v.contentWidth = v.contentHeight = 0;
  v.scrollX = v.scrollY = 0;
}

void Layout(ViewLayout& v) {
  v.dpi = NormalizedDpi(v.dpi);
  v.gap = ScaleForDpi(12, v.dpi);
  v.viewWidth = std::max(v.viewWidth, 0);
  v.viewHeight = std::max(v.viewHeight, 0);
  v.rotation = NormalizedRotation(v.rotation);
  v.zoomMode = NormalizedZoomMode(v.zoomMode);

  const size_t n = SizeCount(v);
  // Fit page fits the page that is current by the old geometry.
  const int oldCurrent = CurrentPage(v);

  v.pageTop.clear();
  v.pageWidth.clear();
  v.pageHeight.clear();

  double maxWidth = 1.0, sumHeight = 0.0;
  for (size_t p = 0; p < n; ++p) {
    maxWidth = std::max(maxWidth, DisplayWidth(v, p));
    sumHeight += DisplayHeight(v, p);
  }

  const double unit = v.dpi / 96.0;
  const double gap = v.gap;
  double t;
  if (n == 0) {
    // Nothing to fit; the percentage is only kept within range.
    t = v.zoomPercent / 100 * unit;
  } else if (v.zoomMode == kZoomFitWidth) {
    t = (v.viewWidth - 2 * gap) / maxWidth;
  } else if (v.zoomMode == kZoomFitPage) {
    size_t c = size_t(std::min<int64_t>(oldCurrent, int64_t(n) - 1));
    t = std::min((v.viewHeight - 2 * gap) / DisplayHeight(v, c),
                 (v.viewWidth - 2 * gap) / DisplayWidth(v, c));
  } else {
    t = v.zoomPercent / 100 * unit;
  }
  const double lowest = kMinZoomPercent / 100 * unit, highest = kMaxZoomPercent / 100 * unit;
  if (!(t >= lowest)) t = lowest;  // also NaN
  if (t > highest) t = highest;
  if (n == 0) {
    v.scale = t;
    v.zoomPercent = t / unit * 100;
    v.contentWidth = v.contentHeight = 0;
    ClampScroll(v);
    return;
  }

  // The column must stay addressable: the widest page plus its margins, and
  // all pages with their gaps (each page rounded up by at most one pixel),
  // within kMaxContentExtent. A crafted page size or a huge document at a
  // high zoom ends up smaller than asked rather than wrapping.
  const int64_t widthRoom = kMaxContentExtent - 2 * int64_t(v.gap) - 1;
  t = std::min(t, double(widthRoom) / maxWidth);
  const int64_t heightRoom = kMaxContentExtent - int64_t(v.gap) * int64_t(n + 1) - int64_t(n);
  t = std::min(t, heightRoom > 0 ? double(heightRoom) / sumHeight : 0.0);

  v.scale = t;
  v.zoomPercent = t / unit * 100;

  v.pageTop.resize(n);
  v.pageWidth.resize(n);
  v.pageHeight.resize(n);
  int widest = 1;
  int64_t top = v.gap;
  for (size_t p = 0; p < n; ++p) {
    v.pageWidth[p] = ScreenLength(DisplayWidth(v, p) * t);
    v.pageHeight[p] = ScreenLength(DisplayHeight(v, p) * t);
    v.pageTop[p] = top;
    top += int64_t(v.pageHeight[p]) + v.gap;
    widest = std::max(widest, v.pageWidth[p]);
  }
  v.contentHeight = top;
  v.contentWidth = int64_t(widest) + 2 * int64_t(v.gap);
  ClampScroll(v);
}

void RelayoutKeepingPosition(ViewLayout& v) {
  const size_t n = SizeCount(v);
  const bool keep = n > 0 && v.pageTop.size() == n && v.pageHeight.size() == n;
  int c = 0;
  double f = 0, g = 0;
  if (keep) {
    c = CurrentPage(v);
    if (v.pageHeight[size_t(c)] != 0)
      f = double(v.scrollY - v.pageTop[size_t(c)]) / v.pageHeight[size_t(c)];
    if (v.contentWidth != 0) g = double(v.scrollX) / double(v.contentWidth);
  }
  Layout(v);
  if (!keep) return;
  v.scrollY = v.pageTop[size_t(c)] + std::llround(v.pageHeight[size_t(c)] * f);
  v.scrollX = std::llround(double(v.contentWidth) * g);
  ClampScroll(v);
}

void SetViewSize(ViewLayout& v, int width, int height) {
  v.viewWidth = std::max(width, 0);
  v.viewHeight = std::max(height, 0);
  if (NormalizedZoomMode(v.zoomMode) == kZoomCustom)
    Layout(v);
  else
    RelayoutKeepingPosition(v);
}

void ClampScroll(ViewLayout& v) {
  v.scrollX = std::max<int64_t>(std::min<int64_t>(v.scrollX, v.contentWidth - v.viewWidth), 0);
  v.scrollY = std::max<int64_t>(std::min<int64_t>(v.scrollY, v.contentHeight - v.viewHeight), 0);
}

void ScrollTo(ViewLayout& v, int64_t x, int64_t y) {
  v.scrollX = x;
  v.scrollY = y;
  ClampScroll(v);
}

void ScrollBy(ViewLayout& v, int64_t dx, int64_t dy) {
  ScrollTo(v, SaturatingAdd(v.scrollX, dx), SaturatingAdd(v.scrollY, dy));
}

bool GoToPage(ViewLayout& v, int p) {
  const int n = v.PageCount();
  if (n == 0) return false;
  p = std::clamp(p, 0, n - 1);
  v.scrollY = v.pageTop[size_t(p)] - v.gap / 2;
  ClampScroll(v);
  return true;
}

int CurrentPage(const ViewLayout& v) {
  const int64_t line = v.scrollY + v.viewHeight / 3;
  auto it = std::upper_bound(v.pageTop.begin(), v.pageTop.end(), line);
  if (it == v.pageTop.begin()) return 0;
  return int(it - v.pageTop.begin()) - 1;
}

bool IsVisible(const ViewLayout& v, int p) {
  if (p < 0 || p >= v.PageCount() || size_t(p) >= v.pageHeight.size()) return false;
  const int64_t top = v.pageTop[size_t(p)];
  return top < v.scrollY + v.viewHeight && top + v.pageHeight[size_t(p)] > v.scrollY;
}

int64_t PageLeft(const ViewLayout& v, int p) {
  if (p < 0 || size_t(p) >= v.pageWidth.size()) return 0;
  // A column narrower than the window is centred in the window.
  const int64_t room = std::max<int64_t>(v.contentWidth, v.viewWidth);
  return std::max<int64_t>((room - v.pageWidth[size_t(p)]) / 2, v.gap);
}

int FirstPageEndingAtOrBelow(const ViewLayout& v, int64_t y) {
  // Bottoms grow with the position: each page starts below the previous one's end.
  int lo = 0, hi = std::min(v.PageCount(), int(v.pageHeight.size()));
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (v.pageTop[size_t(mid)] + v.pageHeight[size_t(mid)] < y)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

PageRange VisiblePages(const ViewLayout& v) {
  PageRange r;
  r.first = r.end = FirstPageEndingAtOrBelow(v, v.scrollY);
  const int n = std::min(v.PageCount(), int(v.pageHeight.size()));
  const int64_t bottom = v.scrollY + v.viewHeight;
  while (r.end < n && v.pageTop[size_t(r.end)] < bottom) ++r.end;
  return r;
}

double ZoomInPercent(double percent) {
  for (double step : kZoomSteps)
    if (step > percent + 0.5) return step;
  return kZoomSteps[std::size(kZoomSteps) - 1];
}

double ZoomOutPercent(double percent) {
  for (size_t i = std::size(kZoomSteps); i-- > 0;)
    if (kZoomSteps[i] < percent - 0.5) return kZoomSteps[i];
  return kZoomSteps[0];
}

void SetZoom(ViewLayout& v, int zoomMode, double zoomPercent) {
  v.zoomMode = NormalizedZoomMode(zoomMode);
  if (v.zoomMode == kZoomCustom) v.zoomPercent = zoomPercent;
  RelayoutKeepingPosition(v);
}

void ZoomIn(ViewLayout& v) { SetZoom(v, kZoomCustom, ZoomInPercent(v.zoomPercent)); }
void ZoomOut(ViewLayout& v) { SetZoom(v, kZoomCustom, ZoomOutPercent(v.zoomPercent)); }
void ActualSize(ViewLayout& v) { SetZoom(v, kZoomCustom, 100); }
void FitWidth(ViewLayout& v) { SetZoom(v, kZoomFitWidth, v.zoomPercent); }
void FitPage(ViewLayout& v) { SetZoom(v, kZoomFitPage, v.zoomPercent); }

namespace {
void Rotate(ViewLayout& v, int quarterTurns) {
  const int c = CurrentPage(v);
  v.rotation = NormalizedRotation(v.rotation + quarterTurns);
  Layout(v);
  GoToPage(v, c);
}
}  // namespace

void RotateRight(ViewLayout& v) { Rotate(v, 1); }
void RotateLeft(ViewLayout& v) { Rotate(v, 3); }

void PreviousPage(ViewLayout& v) { GoToPage(v, CurrentPage(v) - 1); }
void NextPage(ViewLayout& v) { GoToPage(v, CurrentPage(v) + 1); }
void FirstPage(ViewLayout& v) { GoToPage(v, 0); }
void LastPage(ViewLayout& v) { GoToPage(v, v.PageCount() - 1); }

ScrollBarNumbers VerticalScrollBar(int64_t contentHeight, int viewHeight, int64_t scrollY) {
  ScrollBarNumbers b = BarNumbers(contentHeight, viewHeight, scrollY, true);
  if (contentHeight <= 0) b.page = std::max(viewHeight, 0);
  b.disableNoScroll = true;
  return b;
}

ScrollBarNumbers VerticalScrollBar(const ViewLayout& v) {
  return VerticalScrollBar(v.contentHeight, v.viewHeight, v.scrollY);
}

ScrollBarNumbers HorizontalScrollBar(int64_t contentWidth, int viewWidth, int64_t scrollX) {
  return BarNumbers(contentWidth, viewWidth, scrollX, contentWidth > viewWidth);
}

ScrollBarNumbers HorizontalScrollBar(const ViewLayout& v) {
  return HorizontalScrollBar(v.contentWidth, v.viewWidth, v.scrollX);
}

int64_t ContentFromBar(const ScrollBarNumbers& bar, int barValue) {
  return int64_t(std::max(barValue, 0)) << bar.shift;
}

PictureSize WantedPictureSize(int width, int height) {
  const int64_t w = std::max(width, 1), h = std::max(height, 1);
  const int64_t area = w * h;  // both within int: no overflow
  double s = 1.0;
  if (area > kMaxPicturePixels) s = std::sqrt(double(kMaxPicturePixels) / double(area));
  if (w * s > kMaxPictureSide) s = double(kMaxPictureSide) / double(w);
  if (h * s > kMaxPictureSide) s = double(kMaxPictureSide) / double(h);
  if (s >= 1.0) return {int(w), int(h)};

  int64_t sw = std::clamp<int64_t>(int64_t(std::floor(double(w) * s)), 1, kMaxPictureSide);
  int64_t sh = std::clamp<int64_t>(int64_t(std::floor(double(h) * s)), 1, kMaxPictureSide);
  // Floating-point rounding of the square root may leave the area a hair
  // above the cap; take it off the longer side.
  if (sw * sh > kMaxPicturePixels) {
    if (sw >= sh)
      sw = kMaxPicturePixels / sh;
    else
      sh = kMaxPicturePixels / sw;
  }
  return {int(sw), int(sh)};
}

PictureSize RequestedPictureSize(const ViewLayout& v, int p) {
  if (p < 0 || size_t(p) >= v.pageWidth.size() || size_t(p) >= v.pageHeight.size()) return {};
  PictureSize s = WantedPictureSize(v.pageWidth[size_t(p)], v.pageHeight[size_t(p)]);
  if (v.rotation & 1) std::swap(s.width, s.height);
  return s;
}
