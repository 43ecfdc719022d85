// Geometry of the page column: where every page sits, the zoom and its steps,
// the rotation of the view, the scroll position and its limits, which page is
// the current one, and how the position is kept when zoom, rotation or window
// size change. Platform-neutral; the page view copies the numbers computed
// here into its scroll bars and paints from them. UI thread only.
//
// All lengths are device pixels of the screen unless stated otherwise.
// Vertical content coordinates and scroll positions are 64-bit so that no sum
// over the column can wrap; the scale is limited so that the column and every
// page still fit the range a scroll bar (and a GDI int) can address.
#pragma once

#include <cstdint>
#include <vector>

enum ZoomMode : int {
  kZoomFitWidth = 0,
  kZoomFitPage = 1,
  kZoomCustom = 2,  // a fixed percentage
};

// Zoom in and Zoom out walk these percentages.
inline constexpr double kZoomSteps[] = {10,  25,  33,  50,  67,  75,  90,  100, 110,
                                        125, 150, 175, 200, 250, 300, 400, 500, 800};
inline constexpr double kMinZoomPercent = 5;    // floor of every mode
inline constexpr double kMaxZoomPercent = 800;  // ceiling of every mode

// The largest extent (column height, column width) the layout produces, when
// at all possible: a scroll bar's range is an int.
inline constexpr int64_t kMaxContentExtent = INT32_MAX;

// Page pictures asked from the engine stay within these limits.
inline constexpr int64_t kMaxPicturePixels = 25'000'000;
inline constexpr int kMaxPictureSide = 12'000;

struct ViewLayout {
  int dpi = 96;  // screen pixels per inch; anything below 1 counts as 96
  int gap = 12;  // MulDiv(12, dpi, 96); set by Layout
  // Client size of the page view (W x H).
  int viewWidth = 0;
  int viewHeight = 0;

  // Per on-screen position: the unrotated page size in pixels at 96 dpi, as
  // the page model keeps it. Replaced with SetPageSizes.
  std::vector<float> baseWidth;
  std::vector<float> baseHeight;

  // Per on-screen position, rebuilt by Layout: top in content coordinates and
  // size on screen in display orientation (after rotation), each at least 1.
  std::vector<int64_t> pageTop;
  std::vector<int> pageWidth;
  std::vector<int> pageHeight;

  int64_t contentWidth = 0;
  int64_t contentHeight = 0;
  // Content coordinate shown at the window's left and top edges.
  int64_t scrollX = 0;
  int64_t scrollY = 0;

  int zoomMode = kZoomCustom;
  double zoomPercent = 100;  // percent of printed size; in the fit modes the result of the fit
  double scale = 1.0;        // screen pixels per 96-dpi page pixel
  int rotation = 0;          // quarter turns clockwise, 0..3, for all pages together

  int PageCount() const { return static_cast<int>(pageTop.size()); }
};

// MulDiv(value, dpi, 96) with the rounding of MulDiv (halves away from zero).
int ScaleForDpi(int value, int dpi);

// --- Setting up ---------------------------------------------------------

// Copies the per-position sizes (the page model's `widths` and `heights`).
// Nothing is laid out; run Layout or RelayoutKeepingPosition afterwards.
// When the arrays differ in length the shorter one counts.
void SetPageSizes(ViewLayout& v, const std::vector<float>& widths, const std::vector<float>& heights);

// The zoom mode a `DefaultZoom` setting opens documents in: 0 fit width,
// 1 fit page, any other value custom at 100 %.
int ZoomModeFromSetting(int defaultZoom);

// A freshly opened document: the page sizes, scroll at 0,0, the given view
// state (rotation 0 and ZoomModeFromSetting normally, or the values kept over
// a reload), then Layout. Go to a remembered page afterwards with GoToPage.
void StartView(ViewLayout& v, const std::vector<float>& widths, const std::vector<float>& heights,
               int zoomMode, double zoomPercent, int rotation);

// No document: empty arrays, no content, scroll at 0,0. Zoom and rotation stay.
void ClearView(ViewLayout& v);

// --- Layout ----------------------------------------------------------------

// Recomputes the whole geometry from the page sizes, the view size, the zoom
// mode and percentage and the rotation, then clamps the scroll position.
// Stores the resulting `scale` and `zoomPercent` (in the fit modes the
// percentage the fit came to). The caller updates the scroll bars after it
// and must not start a second layout from the resize a scroll bar causes.
void Layout(ViewLayout& v);

// Layout keeping the current page and the spot within it at the top of the
// window (and the horizontal fraction). When the page count changed since the
// last layout only Layout is done. The caller repaints and refreshes the
// status bar.
void RelayoutKeepingPosition(ViewLayout& v);

// The page view's client size changed. In custom zoom the pages keep their
// size (Layout only: centring and scroll limits change); in the fit modes the
// position is kept (RelayoutKeepingPosition).
void SetViewSize(ViewLayout& v, int width, int height);

// Limits scrollX to 0..contentWidth-W and scrollY to 0..contentHeight-H.
void ClampScroll(ViewLayout& v);

// --- Scrolling and pages ---------------------------------------------------

void ScrollTo(ViewLayout& v, int64_t x, int64_t y);
// Relative scroll (wheel, keys, scroll-bar lines and pages); saturates.
void ScrollBy(ViewLayout& v, int64_t dx, int64_t dy);

// Shows position p (limited to 0..count-1) at the top, half a gap below the
// window's edge. False (and nothing changes) when there are no pages.
bool GoToPage(ViewLayout& v, int p);

// The page crossing the reading line one third down the window: the last
// position whose top is at or above scrollY + H / 3; 0 when the first page
// starts below that line or there are no pages.
int CurrentPage(const ViewLayout& v);

// Whether any part of position p lies in the window vertically; false for a
// position outside the arrays.
bool IsVisible(const ViewLayout& v, int p);

// The page's left edge in content coordinates: centred in the column, or in
// the window when that is wider than the column, but at least one gap from
// the left edge. 0 for a position outside the arrays.
int64_t PageLeft(const ViewLayout& v, int p);

// The first position whose bottom edge (pageTop + pageHeight) is at or below
// the content coordinate y; PageCount() when every page ends above it.
int FirstPageEndingAtOrBelow(const ViewLayout& v, int64_t y);

// Positions [first, end) that show in the window: from the first page whose
// bottom is not above the window's top, while the top is above its bottom.
// first == end when none does.
struct PageRange {
  int first = 0;
  int end = 0;
};
PageRange VisiblePages(const ViewLayout& v);

// --- Commands --------------------------------------------------------------

// The first step above percent + 0.5 (800 when none) and the last step below
// percent - 0.5 (10 when none).
double ZoomInPercent(double percent);
double ZoomOutPercent(double percent);

// Each sets the zoom mode (and percentage) and runs RelayoutKeepingPosition.
void ZoomIn(ViewLayout& v);
void ZoomOut(ViewLayout& v);
void ActualSize(ViewLayout& v);
void FitWidth(ViewLayout& v);
void FitPage(ViewLayout& v);
// General form, e.g. for a changed `DefaultZoom` setting (custom at 100 %).
// The percentage is only used in custom mode.
void SetZoom(ViewLayout& v, int zoomMode, double zoomPercent);

// Quarter turn clockwise (right) or counter-clockwise (left) for all pages;
// the current page stays at the top of the window. The caller then lays out
// the page panel's thumbnails, repaints and refreshes the status bar.
void RotateRight(ViewLayout& v);
void RotateLeft(ViewLayout& v);

// Page navigation through GoToPage: current - 1, current + 1, 0, count - 1.
void PreviousPage(ViewLayout& v);
void NextPage(ViewLayout& v);
void FirstPage(ViewLayout& v);
void LastPage(ViewLayout& v);

// --- Scroll bars -------------------------------------------------------------

// The numbers for SetScrollInfo. Bar units are content pixels shifted right by
// `shift`, which is 0 unless the column is taller than an int can hold (only
// possible with tens of millions of pages); convert a track position back with
// ContentFromBar.
struct ScrollBarNumbers {
  int min = 0;
  int max = 0;
  int page = 0;
  int pos = 0;
  bool disableNoScroll = false;  // SIF_DISABLENOSCROLL: stay visible, disabled, when all fits
  int shift = 0;
};

// Vertical: range 0..contentHeight-1 (0 with no content), page H, always shown.
ScrollBarNumbers VerticalScrollBar(const ViewLayout& v);
ScrollBarNumbers VerticalScrollBar(int64_t contentHeight, int viewHeight, int64_t scrollY);
// Horizontal: range 0..contentWidth-1 and page W when the column is wider
// than the window; otherwise range 0..0 and page 0 so that the bar disappears.
ScrollBarNumbers HorizontalScrollBar(const ViewLayout& v);
ScrollBarNumbers HorizontalScrollBar(int64_t contentWidth, int viewWidth, int64_t scrollX);

int64_t ContentFromBar(const ScrollBarNumbers& bar, int barValue);

// --- Page pictures -----------------------------------------------------------

struct PictureSize {
  int width = 0;
  int height = 0;
};

// The picture size to ask for a page shown at width x height: the page size,
// scaled down to at most kMaxPicturePixels and kMaxPictureSide per side when
// larger (each side at least 1). Sides below 1 count as 1.
PictureSize WantedPictureSize(int width, int height);

// The size of the render request for position p: WantedPictureSize of the
// page on screen, given unrotated (sides swapped back for odd rotations).
// 0 x 0 for a position outside the arrays.
PictureSize RequestedPictureSize(const ViewLayout& v, int p);
