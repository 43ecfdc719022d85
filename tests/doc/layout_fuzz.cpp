// Random page sizes, screens and view commands against the page column's
// invariants: no overflow (the sanitizers watch), pages in order without
// overlap, everything addressable by a scroll bar, scroll position in range,
// picture requests within their caps.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "doc/layout.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "layout invariant broken: %s\n", what);
    std::abort();
  }
}

void CheckLayout(const ViewLayout& v) {
  const size_t n = v.pageTop.size();
  Check(v.pageWidth.size() == n && v.pageHeight.size() == n, "array sizes");
  int64_t next = v.gap;
  for (size_t p = 0; p < n; ++p) {
    Check(v.pageWidth[p] >= 1 && v.pageHeight[p] >= 1, "page at least 1 pixel");
    Check(v.pageTop[p] == next, "pages follow each other at one gap");
    next = v.pageTop[p] + v.pageHeight[p] + v.gap;
    Check(int64_t(v.pageWidth[p]) + 2 * v.gap <= v.contentWidth, "page within the column");
    Check(PageLeft(v, int(p)) + v.pageWidth[p] <= std::max<int64_t>(v.contentWidth, v.viewWidth),
          "page left keeps the page in the column or window");
    PictureSize s = RequestedPictureSize(v, int(p));
    Check(s.width >= 1 && s.height >= 1, "picture at least 1 pixel");
    Check(s.width <= kMaxPictureSide && s.height <= kMaxPictureSide, "picture side cap");
    Check(int64_t(s.width) * s.height <= kMaxPicturePixels, "picture area cap");
  }
  Check(v.contentHeight == (n ? next : 0), "content height");
  // Up to a few million pages the column always fits the scroll range.
  if (n < 1000000) {
    Check(v.contentHeight <= kMaxContentExtent, "column height addressable");
    Check(v.contentWidth <= kMaxContentExtent, "column width addressable");
  }
  Check(v.scrollX >= 0 && v.scrollY >= 0, "scroll not negative");
  Check(v.scrollX <= std::max<int64_t>(v.contentWidth - v.viewWidth, 0), "scrollX in range");
  Check(v.scrollY <= std::max<int64_t>(v.contentHeight - v.viewHeight, 0), "scrollY in range");
  Check(v.zoomPercent >= 0 && v.zoomPercent <= kMaxZoomPercent * (1 + 1e-9), "zoom in range");
  Check(v.rotation >= 0 && v.rotation <= 3, "rotation");
  int c = CurrentPage(v);
  Check(c >= 0 && (n == 0 ? c == 0 : size_t(c) < n), "current page in range");
  PageRange r = VisiblePages(v);
  Check(0 <= r.first && r.first <= r.end && size_t(r.end) <= n, "visible range");
  for (int p = r.first; p < r.end; ++p)
    if (IsVisible(v, p) == false)
      Check(v.pageTop[size_t(p)] + v.pageHeight[size_t(p)] == v.scrollY, "painted page is visible");
  for (const ScrollBarNumbers& b : {VerticalScrollBar(v), HorizontalScrollBar(v)}) {
    Check(b.min == 0 && b.max >= 0 && b.page >= 0, "bar range");
    Check(b.pos >= 0 && b.pos <= b.max, "bar position");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  ViewLayout v;
  v.dpi = in.ConsumeIntegralInRange<int>(-10, 2000);
  v.viewWidth = in.ConsumeIntegralInRange<int>(-100, 20000);
  v.viewHeight = in.ConsumeIntegralInRange<int>(-100, 20000);
  auto sizes = [&in](std::vector<float>& w, std::vector<float>& h) {
    size_t n = in.ConsumeIntegralInRange<size_t>(0, 64);
    w.clear();
    h.clear();
    for (size_t i = 0; i < n; ++i) {
      w.push_back(in.ConsumeBool() ? in.ConsumeFloatingPointInRange<float>(0, 20000)
                                   : in.ConsumeFloatingPoint<float>());
      h.push_back(in.ConsumeBool() ? in.ConsumeFloatingPointInRange<float>(0, 20000)
                                   : in.ConsumeFloatingPoint<float>());
    }
  };
  std::vector<float> w, h;
  sizes(w, h);
  StartView(v, w, h, in.ConsumeIntegralInRange<int>(-1, 3), in.ConsumeFloatingPoint<double>(),
            in.ConsumeIntegral<int>());
  CheckLayout(v);

  while (in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange<int>(0, 13)) {
      case 0: ZoomIn(v); break;
      case 1: ZoomOut(v); break;
      case 2: ActualSize(v); break;
      case 3: FitWidth(v); break;
      case 4: FitPage(v); break;
      case 5: RotateRight(v); break;
      case 6: RotateLeft(v); break;
      case 7:
        SetViewSize(v, in.ConsumeIntegralInRange<int>(-100, 20000), in.ConsumeIntegralInRange<int>(-100, 20000));
        break;
      case 8: ScrollBy(v, in.ConsumeIntegral<int64_t>(), in.ConsumeIntegral<int64_t>()); break;
      case 9: GoToPage(v, in.ConsumeIntegral<int>()); break;
      case 10: NextPage(v); break;
      case 11: PreviousPage(v); break;
      case 12:
        sizes(w, h);
        SetPageSizes(v, w, h);
        RelayoutKeepingPosition(v);
        break;
      case 13: SetZoom(v, in.ConsumeIntegral<int>(), in.ConsumeFloatingPoint<double>()); break;
    }
    CheckLayout(v);
  }
  return 0;
}
