// The page panel's geometry as plain functions: where every slot goes at a
// given width and DPI, which slot a point hits, where a dragged page would
// land, and the texts of a drag. Platform-neutral.
#pragma once

#include <string>
#include <vector>

struct ThumbSlot {
  int top = 0;  // in list coordinates, before scrolling
  int width = 0;
  int height = 0;
};

struct ThumbGeometry {
  int dpi = 96;
  int width = 0;          // client width W
  int height = 0;         // client height Hc
  std::vector<ThumbSlot> slots;
  int total = 0;          // the list's height
  int scroll = 0;

  int Header() const;     // H
  int ListHeight() const;  // Hc - H, at least 0
};

// s(x): x pixels at 96 DPI scaled to `dpi`, rounded.
int PanelScaled(int px, int dpi);

// The panel's width in a main window whose client is `clientWidth` wide.
int PagePanelWidth(int clientWidth, int dpi);

// Lays out the slots for the per-position page sizes (1/96 inch); an odd
// `rotation` swaps width and height. Keeps the scroll offset, clamped.
void LayOutThumbs(ThumbGeometry& g, const std::vector<float>& widths, const std::vector<float>& heights,
                  int rotation);
// A scroll offset kept within 0..max(0, total - list height).
int ClampListScroll(int offset, int total, int listHeight);
// Keeps the slots' scroll offset within 0..max(0, total - list height).
void ClampThumbScroll(ThumbGeometry& g);
// While dragging with the cursor at panel y: how far one timer tick
// scrolls (negative up, 0 away from the top and bottom edges).
int AutoscrollStep(const ThumbGeometry& g, int y);
// Scrolls just enough for the slot of `position` to be seen with its number.
void ScrollSlotIntoView(ThumbGeometry& g, int position);

// The position a click at panel y hits (the number below a slot belongs to
// it); -1 above the list or between slots.
int HitSlot(const ThumbGeometry& g, int y);
// Where a page dropped at panel y would go: the first position whose slot
// middle lies below y, or n.
int InsertionSlot(const ThumbGeometry& g, int y);
// The first position whose slot reaches into view (binary search).
int FirstVisibleSlot(const ThumbGeometry& g);

// The Bookmarks view: per entry its top (list coordinates) and height.
struct BookmarkGeometry {
  std::vector<int> tops;
  std::vector<int> heights;
  int total = 0;
  int scroll = 0;
};

// A bookmark's indentation steps: its depth, 0 to 6.
int BookmarkIndent(int depth);
// The width a bookmark's title wraps at.
int BookmarkTextWidth(int panelWidth, int depth, int dpi);
// Stacks the entries from their titles' wrapped heights: each gets one to
// three lines (`lineHeight` each) and a margin.
void StackBookmarks(BookmarkGeometry& m, const std::vector<int>& textHeights, int lineHeight, int dpi);
// The entry at `listY` below the header, or -1.
int HitBookmark(const BookmarkGeometry& m, int listY);

// The position a page pressed at `pressed` ends at when dropped in
// insertion slot `q`.
int DropTarget(int pressed, int q);
// The status text while dragging page `pressed` over insertion slot `q`.
std::wstring DropHintText(int pressed, int q);
