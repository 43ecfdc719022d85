#include "view/page_view_rules.h"

#include <algorithm>
#include <climits>

namespace {

int BackgroundIndex(int background) { return background < 0 || background > 3 ? 3 : background; }

// One axis of a picture blit: the visible stretch [0, clientExtent) of a page
// side that starts at `start` and is `extent` long, with `got` picture pixels
// across it.
struct AxisPlan {
  int64_t dst = 0, dstLength = 0, src = 0, srcLength = 0;
};

bool PlanAxis(int64_t start, int64_t extent, int64_t got, int clientExtent, bool stretch, AxisPlan& plan) {
  if (extent <= 0 || got <= 0 || clientExtent <= 0) return false;
  // The visible part, relative to the page's start.
  const int64_t from = std::max<int64_t>(0, -start);
  const int64_t to = std::min<int64_t>(extent, int64_t(clientExtent) - start);
  if (from >= to) return false;
  if (!stretch) {
    plan.dst = start + from;
    plan.dstLength = to - from;
    plan.src = from;
    plan.srcLength = to - from;
    return true;
  }
  // Whole picture pixels covering the visible part, and where they land.
  const int64_t src0 = from * got / extent;
  const int64_t src1 = std::min(got, (to * got + extent - 1) / extent);
  const int64_t dst0 = (src0 * extent + got / 2) / got;
  const int64_t dst1 = (src1 * extent + got / 2) / got;
  plan.src = src0;
  plan.srcLength = src1 - src0;
  plan.dst = start + dst0;
  plan.dstLength = dst1 - dst0;
  return plan.srcLength > 0 && plan.dstLength > 0;
}

}  // namespace

BackgroundRgb PageShadowColour(int background) {
  switch (BackgroundIndex(background)) {
    case 0:
      return {48, 50, 52};
    case 2:
      return {70, 70, 70};
    default:
      return {150, 152, 156};
  }
}

BackgroundRgb EmptyStateTextColour(int background) {
  const int i = BackgroundIndex(background);
  return i == 1 || i == 3 ? BackgroundRgb{70, 70, 70} : BackgroundRgb{220, 220, 220};
}

bool PictureUpToDate(const PictureCache& cache, const ViewLayout& v, int position, int page) {
  if (position < 0 || size_t(position) >= v.pageWidth.size() || size_t(position) >= v.pageHeight.size())
    return false;
  const PictureSize wanted = WantedPictureSize(v.pageWidth[size_t(position)], v.pageHeight[size_t(position)]);
  return cache.IsCurrent(page, v.rotation, wanted.width, wanted.height);
}

std::vector<RenderJob> PageRenderJobs(const ViewLayout& v, const PageOrder& order, const std::vector<int>& positions,
                                      int generation) {
  std::vector<RenderJob> jobs;
  for (int p : positions) {
    if (p < 0 || size_t(p) >= order.size()) continue;
    const PictureSize size = RequestedPictureSize(v, p);
    if (size.width <= 0 || size.height <= 0) continue;
    RenderJob job;
    job.kind = kJobRenderPage;
    job.generation = generation;
    job.page = order[size_t(p)];
    job.width = size.width;
    job.height = size.height;
    job.rotation = v.rotation;
    jobs.push_back(std::move(job));
  }
  return jobs;
}

std::vector<int> VisibleEnginePages(const ViewLayout& v, const PageOrder& order) {
  std::vector<int> pages;
  const PageRange visible = VisiblePages(v);
  for (int p = visible.first; p < visible.end; ++p)
    if (size_t(p) < order.size()) pages.push_back(order[size_t(p)]);
  return pages;
}

PageBox PageBoxInWindow(const ViewLayout& v, int p) {
  if (p < 0 || size_t(p) >= v.pageTop.size() || size_t(p) >= v.pageWidth.size() ||
      size_t(p) >= v.pageHeight.size())
    return {};
  return {PageLeft(v, p) - v.scrollX, v.pageTop[size_t(p)] - v.scrollY, v.pageWidth[size_t(p)],
          v.pageHeight[size_t(p)]};
}

bool ClipToWindow(const PageBox& box, int clientWidth, int clientHeight, WindowRect& clipped) {
  AxisPlan x, y;
  if (!PlanAxis(box.left, box.width, 1, clientWidth, false, x) ||
      !PlanAxis(box.top, box.height, 1, clientHeight, false, y))
    return false;
  clipped = {int(x.dst), int(y.dst), int(x.dst + x.dstLength), int(y.dst + y.dstLength)};
  return true;
}

ShadowStrips ShadowOf(const PageBox& box, int offset) {
  ShadowStrips s;
  if (offset <= 0 || box.width <= 0 || box.height <= 0) return s;
  s.right = {box.left + box.width, box.top + offset, offset, box.height};
  s.bottom = {box.left + offset, box.top + box.height, std::max<int64_t>(box.width - offset, 0), offset};
  return s;
}

std::vector<WindowRect> AroundPages(const std::vector<WindowRect>& pages, int clientWidth, int clientHeight) {
  std::vector<WindowRect> around;
  const int width = std::max(clientWidth, 0), height = std::max(clientHeight, 0);
  int y = 0;  // everything above y is covered
  for (const WindowRect& page : pages) {
    const int top = std::clamp(page.top, y, height), bottom = std::clamp(page.bottom, top, height);
    const int left = std::clamp(page.left, 0, width), right = std::clamp(page.right, left, width);
    if (top > y) around.push_back({0, y, width, top});
    if (bottom > top) {
      if (left > 0) around.push_back({0, top, left, bottom});
      if (right < width) around.push_back({right, top, width, bottom});
    }
    y = bottom;
  }
  if (y < height) around.push_back({0, y, width, height});
  return around;
}

bool PlanPictureBlit(const PageBox& box, int gotWidth, int gotHeight, int clientWidth, int clientHeight,
                     PictureBlit& blit) {
  const bool stretch = gotWidth != box.width || gotHeight != box.height;
  AxisPlan x, y;
  if (!PlanAxis(box.left, box.width, gotWidth, clientWidth, stretch, x) ||
      !PlanAxis(box.top, box.height, gotHeight, clientHeight, stretch, y))
    return false;
  blit.stretch = stretch;
  blit.dstX = int(x.dst);
  blit.dstY = int(y.dst);
  blit.dstWidth = int(x.dstLength);
  blit.dstHeight = int(y.dstLength);
  blit.srcX = int(x.src);
  blit.srcY = int(y.src);
  blit.srcWidth = int(x.srcLength);
  blit.srcHeight = int(y.srcLength);
  return true;
}

int TakeWheelZoomSteps(int& rest, int delta) {
  // `rest` stays within one notch after every call, so the sum cannot wrap.
  int64_t sum = int64_t(rest) + delta;
  int steps = 0;
  while (sum >= 120) {
    ++steps;
    sum -= 120;
  }
  while (sum <= -120) {
    --steps;
    sum += 120;
  }
  rest = int(sum);
  return steps;
}

int64_t WheelScrollDistance(int delta, int dpi) { return -int64_t(delta) * ScaleForDpi(120, dpi) / 120; }

ViewKey ViewKeyFor(int virtualKey) {
  switch (virtualKey) {
    case kKeyEscape:
      return ViewKey::Escape;
    case kKeySpace:
    case kKeyPageDown:
      return ViewKey::PageDown;
    case kKeyPageUp:
      return ViewKey::PageUp;
    case kKeyHome:
      return ViewKey::FirstPage;
    case kKeyEnd:
      return ViewKey::LastPage;
    case kKeyUp:
      return ViewKey::LineUp;
    case kKeyDown:
      return ViewKey::LineDown;
    case kKeyLeft:
      return ViewKey::Left;
    case kKeyRight:
      return ViewKey::Right;
    default:
      return ViewKey::None;
  }
}

int64_t PageStep(int windowExtent, int dpi) {
  const int64_t overlap = ScaleForDpi(40, dpi);
  return windowExtent > overlap ? windowExtent - overlap : std::max(windowExtent, 1);
}

int64_t LineStep(int dpi) { return ScaleForDpi(48, dpi); }

bool ApplyViewKey(ViewLayout& v, ViewKey key) {
  switch (key) {
    case ViewKey::PageDown:
      ScrollBy(v, 0, PageStep(v.viewHeight, v.dpi));
      return true;
    case ViewKey::PageUp:
      ScrollBy(v, 0, -PageStep(v.viewHeight, v.dpi));
      return true;
    case ViewKey::FirstPage:
      FirstPage(v);
      return true;
    case ViewKey::LastPage:
      LastPage(v);
      return true;
    case ViewKey::LineUp:
      ScrollBy(v, 0, -LineStep(v.dpi));
      return true;
    case ViewKey::LineDown:
      ScrollBy(v, 0, LineStep(v.dpi));
      return true;
    case ViewKey::Left:
    case ViewKey::Right: {
      const bool right = key == ViewKey::Right;
      if (v.contentWidth > v.viewWidth)
        ScrollBy(v, right ? LineStep(v.dpi) : -LineStep(v.dpi), 0);
      else if (right)
        NextPage(v);
      else
        PreviousPage(v);
      return true;
    }
    case ViewKey::Escape:
    case ViewKey::None:
      break;
  }
  return false;
}

bool ScrollBarTarget(int code, int64_t position, int windowExtent, int64_t trackPosition, int64_t extent, int dpi,
                     int64_t& target) {
  switch (code) {
    case kBarLineUp:
      target = position - LineStep(dpi);
      return true;
    case kBarLineDown:
      target = position + LineStep(dpi);
      return true;
    case kBarPageUp:
      target = position - PageStep(windowExtent, dpi);
      return true;
    case kBarPageDown:
      target = position + PageStep(windowExtent, dpi);
      return true;
    case kBarThumbPosition:
    case kBarThumbTrack:
      target = trackPosition;
      return true;
    case kBarTop:
      target = 0;
      return true;
    case kBarBottom:
      target = extent;
      return true;
    default:
      return false;
  }
}

int ReadTypedNumber(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > int64_t(INT_MAX) + 1) value = int64_t(INT_MAX) + 1;  // saturate; keep reading digits
  }
  if (negative) return int(std::max<int64_t>(-value, INT_MIN));
  return int(std::min<int64_t>(value, INT_MAX));
}
