// The rules of printing that need no printer: which positions print in which
// order, how each page is turned, how big it comes out on the paper and how
// finely it is rendered. Platform-neutral.
#pragma once

#include <vector>

// One page range as the print dialog gives it: 1-based, either way round.
struct PrintRange {
  int from = 0;
  int to = 0;
};

enum class PrintChoice { AllPages, CurrentPage, PageRanges };

// The positions to print, 0-based, in order. All pages: every position;
// current page: `current` alone (nothing when it is not a position); page
// ranges: each range in the order given, its ends put in order and clamped to
// 1..pageCount, so ranges that overlap or repeat print their pages again.
std::vector<int> BuildPrintList(PrintChoice choice, int pageCount, int current,
                                const std::vector<PrintRange>& ranges);

// The printer as its DC describes it.
struct PrinterArea {
  int width = 0;   // printable area in printer pixels (HORZRES)
  int height = 0;  // (VERTRES)
  int dpiX = 0;    // LOGPIXELSX; below 1 counts as 300
  int dpiY = 0;    // LOGPIXELSY
};

struct PrintOptions {
  bool autoRotate = true;
  int scale = 0;    // 0 fit to paper, 1 actual size
  int quality = 1;  // 0 150 dpi, 1 300 dpi, 2 600 dpi
};

// How one page goes onto the paper.
struct PrintPagePlan {
  int rotation = 0;      // quarter turns clockwise the page is rendered with
  int left = 0;          // the picture's rectangle on the paper, printer pixels
  int top = 0;
  int width = 1;
  int height = 1;
  int renderWidth = 1;   // the picture's size for the page unrotated, pixels
  int renderHeight = 1;
};

// The dots per inch a print quality renders at.
int PrintQualityDpi(int quality);

// Plans one page: `pageWidth` and `pageHeight` in 1/96 inch as stored,
// `viewRotation` the view's quarter turns. The page is turned a further
// quarter when auto-rotation is on and its orientation differs from the
// printable area's (never a square page); it is fitted to the printable area,
// except that "actual size" keeps the true size of a page that fits; it is
// centred; and it is rendered at the quality's resolution, never finer than
// the printer's own.
PrintPagePlan PlanPrintPage(float pageWidth, float pageHeight, int viewRotation, const PrinterArea& printer,
                            const PrintOptions& options);
