// The page view (window class FolivexView): the child of the main window
// that shows the page column of the open document. It paints the pages from
// the page picture cache, asks the render worker for the pictures it lacks,
// keeps the scroll bars in step with the layout (g_doc.view), and turns the
// wheel, the keys, the scroll bars and mouse drags into scrolling, panning
// and zooming. UI thread only.
#pragma once
#include <windows.h>

#include "view/page_view_rules.h"

LRESULT CALLBACK PageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the page view as a child of the main window (hidden size; the main
// window places it), adds double-click messages to its class and connects it
// to the document's open and close. Null when the window could not be made.
HWND CreatePageView(HWND parent);
// The page view's window (null before it is made and after it is gone).
HWND PageViewWindow();

// The layout or the scroll position in g_doc.view changed (zoom, rotation,
// page order, a load or close, a scroll): the scroll bars are set from it,
// the view is repainted and the status bar refreshed.
void PageViewLayoutChanged();

// The page order changed (move, delete, bring in): the per-position sizes are
// taken from the page model again and the layout keeps the current page.
void PageViewPagesChanged();

// Shows on-screen position p at the top of the window (clamped).
void PageViewGoToPosition(int position);
// Scrolls to a content position, or by a distance (clamped); repaints when
// the view moved.
void PageViewScrollTo(int64_t x, int64_t y);
void PageViewScrollBy(int64_t dx, int64_t dy);

// What the view does for the commands of the main window: previous, next,
// first and last page, go to page (with the prompt owned by `owner`), zoom in
// and out, actual size, fit width, fit page, rotate left and right. Nothing
// happens without a document.
enum class ViewAction {
  PreviousPage,
  NextPage,
  FirstPage,
  LastPage,
  GoToPage,
  ZoomIn,
  ZoomOut,
  ActualSize,
  FitWidth,
  FitPage,
  RotateLeft,
  RotateRight,
};
void PageViewAction(HWND owner, ViewAction action);

// What the windows beside the view add to it. Every hook is optional.
struct PageViewHooks {
  // Esc in the view, first: cancel a page drag of the page panel. True when
  // it did; otherwise the view clears the selection or closes the find bar.
  bool (*escape)() = nullptr;
};
void SetPageViewHooks(const PageViewHooks& hooks);
