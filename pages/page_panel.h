// The page panel (window class "FVThumbs"): the strip at the right edge of
// the main window with a small picture of every page. A click goes to the
// page, a drag up or down moves it, a right click opens the page menu. It
// draws from the thumbnail cache and asks the render worker for the
// thumbnails it lacks. UI thread only.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "pages/thumb_layout.h"

LRESULT CALLBACK PagePanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the panel as a child of the main window (shown when `visible`);
// the main window places it. The header's tip goes into `tooltip` (may be
// null). Null when the window could not be made.
HWND CreatePagePanel(HWND parent, bool visible, HWND tooltip);
HWND PagePanelWindow();
bool PagePanelVisible();
// Its width in a main window client `clientWidth` wide (0 when hidden).
int PagePanelWidthFor(int clientWidth);

// Shows or hides the panel, stores the choice in the PagePanel setting,
// has the main window laid out again and says so in the status bar.
void ShowPagePanel(bool visible);

// Lays the slots out again (after an order change, an open or close, a
// rotation) and repaints.
void PagePanelLayout();
// Scrolls the slot of `position` into view.
void PagePanelShowPosition(int position);
// The status bar's current page: without a selected page the panel marks it
// as the page the Organize commands act on and keeps it in view.
void PagePanelCurrentPage(int position);
// Whether the panel is pressing or dragging one of its pages.
bool PagePanelHoldsAPage();
// Where a page dropped at `screen` from another window goes: the insertion
// slot under it when the Pages view shows it, else the end.
int PagePanelInsertionAt(POINT screen);
// Esc: ends a press or drag without moving anything; true when there was one.
bool PagePanelCancelDrag();

// The panel's client size, the scroll offset and height of the list on
// show, the view (0 Pages, 1 Bookmarks) and every slot, for the diagnostic
// report (zeros without a panel).
struct PagePanelNumbers {
  int width = 0;
  int height = 0;
  int scroll = 0;
  int range = 0;
  int view = 0;
  std::vector<ThumbSlot> slots;
};
PagePanelNumbers PagePanelState();
// The positions whose slots the Pages view shows now, top to bottom (none
// while the Bookmarks view is on show or the panel is hidden).
std::vector<int> PagePanelVisiblePositions();
