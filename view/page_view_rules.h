// The page view's decisions that need no window: its colours, which page
// pictures a paint asks for and in what order, how a picture is copied into
// a page rectangle that may reach far outside the window, and how wheel,
// keys and scroll-bar actions move the view. Platform-neutral; the window
// procedure in page_view.cpp carries these out. UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/key_codes.h"
#include "doc/layout.h"
#include "doc/page_order.h"
#include "doc/settings_values.h"
#include "engine/job_queue.h"
#include "engine/result_caches.h"

// --- Colours ---------------------------------------------------------------

// The colour of page shadows on the given `Background` (anything above 3
// counts as 3, like the background itself).
BackgroundRgb PageShadowColour(int background);
// The colour of the "Open a PDF ..." and "Loading..." texts.
BackgroundRgb EmptyStateTextColour(int background);
inline constexpr BackgroundRgb kPlaceholderColour = {255, 255, 255};  // a page without a picture yet

// --- Page pictures ---------------------------------------------------------

// Whether the cached picture of `page` is the one position p would ask for
// now: same rotation and the same asked size (in display orientation). The
// delivered size is not compared.
bool PictureUpToDate(const PictureCache& cache, const ViewLayout& v, int position, int page);

// The positions a paint asks pictures for, in the order they are asked: the
// visible positions from top to bottom, then the one below the last visible
// page, then the one above the first, each only when `upToDate` is false for
// it. Nothing when no page is visible.
template <typename UpToDate>
std::vector<int> RenderList(PageRange visible, int pageCount, UpToDate upToDate) {
  std::vector<int> list;
  if (visible.first >= visible.end) return list;
  for (int p = visible.first; p < visible.end; ++p)
    if (!upToDate(p)) list.push_back(p);
  if (visible.end < pageCount && !upToDate(visible.end)) list.push_back(visible.end);
  if (visible.first > 0 && !upToDate(visible.first - 1)) list.push_back(visible.first - 1);
  return list;
}

// The render jobs (kind 2) for those positions: the engine page index from
// the order, the current rotation, the wanted size given unrotated.
// Positions outside the order are left out.
std::vector<RenderJob> PageRenderJobs(const ViewLayout& v, const PageOrder& order, const std::vector<int>& positions,
                                      int generation);

// The engine page indexes shown on the visible positions (kept when the
// picture cache is trimmed).
std::vector<int> VisibleEnginePages(const ViewLayout& v, const PageOrder& order);

// --- Drawing into the window ---------------------------------------------

// A page rectangle in window coordinates. It may lie far outside the window:
// a page can be about two billion pixels tall.
struct PageBox {
  int64_t left = 0;
  int64_t top = 0;
  int64_t width = 0;
  int64_t height = 0;
};

// Position p in window coordinates (Page left and page top less the scroll
// position); empty for a position outside the arrays.
PageBox PageBoxInWindow(const ViewLayout& v, int p);

struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The part of `box` inside a window of clientWidth x clientHeight; false
// when none of it is.
bool ClipToWindow(const PageBox& box, int clientWidth, int clientHeight, WindowRect& clipped);

// The part of a page's shadow (the page box moved right and down by
// `offset` pixels) that the page itself doesn't cover: a strip down its
// right side and one along its bottom. Empty boxes for an offset <= 0.
struct ShadowStrips {
  PageBox right;
  PageBox bottom;
};
ShadowStrips ShadowOf(const PageBox& box, int offset);

// The window around the visible pages' rectangles (clipped to the window,
// one below the other as the page column lays them out, top to bottom): the
// bands above, between and below them and each page's left and right side.
// The rectangles don't overlap each other or the pages, and together with
// the pages they cover the window. Empty rectangles are left out.
std::vector<WindowRect> AroundPages(const std::vector<WindowRect>& pages, int clientWidth, int clientHeight);

// How a picture of gotWidth x gotHeight goes into the page box: a plain copy
// when its size is the box's, else stretched. Only the part that shows in
// the window is drawn, so every coordinate handed to the drawing calls stays
// near the window whatever the box's extent. A stretched part starts and
// ends on whole picture pixels; its target may reach less than one picture
// pixel beyond the window.
struct PictureBlit {
  bool stretch = false;
  int dstX = 0, dstY = 0, dstWidth = 0, dstHeight = 0;
  int srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;
};
bool PlanPictureBlit(const PageBox& box, int gotWidth, int gotHeight, int clientWidth, int clientHeight,
                     PictureBlit& blit);

// --- Wheel, keys and scroll bars -----------------------------------------

// Ctrl + wheel: adds `delta` to `rest` and returns the zoom steps it makes
// (positive: zoom in, negative: zoom out), one per 120 units; the remainder
// stays in `rest`.
int TakeWheelZoomSteps(int& rest, int delta);
// How far a wheel delta scrolls: -delta x MulDiv(120, dpi, 96) / 120 (down
// for a negative delta, 120 pixels at 96 dpi per notch).
int64_t WheelScrollDistance(int delta, int dpi);

// The keys the page view handles itself (base/key_codes.h).
enum class ViewKey { None, Escape, PageDown, PageUp, FirstPage, LastPage, LineUp, LineDown, Left, Right };
ViewKey ViewKeyFor(int virtualKey);

// The distance of a page step: the window height less MulDiv(40, dpi, 96)
// of overlap; a window no taller than the overlap steps its whole height.
int64_t PageStep(int windowExtent, int dpi);
// The distance of a line step: MulDiv(48, dpi, 96).
int64_t LineStep(int dpi);

// Carries out a moving key on the layout (everything but Escape and None):
// page and line scrolling, first and last page, and Left/Right, which scroll
// sideways when the column is wider than the window and otherwise go to the
// previous or next page. True when the key was one of these.
bool ApplyViewKey(ViewLayout& v, ViewKey key);

// Scroll-bar request codes (the values of the SB_ codes).
enum ScrollBarCode : int {
  kBarLineUp = 0,
  kBarLineDown = 1,
  kBarPageUp = 2,
  kBarPageDown = 3,
  kBarThumbPosition = 4,
  kBarThumbTrack = 5,
  kBarTop = 6,
  kBarBottom = 7,
};
// The content position a scroll-bar request leads to, before clamping:
// lines and pages from `position`, the track position (already in content
// pixels) for the thumb, 0 for the top and `extent` (beyond the end) for the
// bottom. False for a request that doesn't scroll (end of scrolling).
bool ScrollBarTarget(int code, int64_t position, int windowExtent, int64_t trackPosition, int64_t extent, int dpi,
                     int64_t& target);

// --- Go to page ------------------------------------------------------------

// The number typed into the Go to page prompt read as an integer: leading
// blanks and a sign, then digits up to the first other character; 0 when
// there are none. Saturates at the int range.
int ReadTypedNumber(const std::wstring& text);
