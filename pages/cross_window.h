// Pages dragged between two Folivex windows (two processes, one PDF each).
// The sending panel finds the other main window under the cursor, asks its
// panel whether it can take a page (the registered message
// "Corvane.Folivex.PageDrag") and, on the drop, sends the page as a
// WM_COPYDATA record; the receiver reads the page from the sender's file
// itself and, for a move, tells the sender to delete its copy. UI thread.
#pragma once
#include <windows.h>

#include <cstdint>

// The registered "Corvane.Folivex.PageDrag" message.
UINT PageDragMessage();
// The receiver's private message that processes a dropped page later; its
// lParam is the record (freed by the handler).
inline constexpr UINT WM_FV_PAGE_DROPPED = WM_APP + 20;

// --- The sending side (the dragging panel) ---

// Whether another Folivex main window is under `screen` during a drag from
// `pressedPosition`: asks it (hover), sets the cursor and the status text.
// False (after telling a window it was over that the drag left) otherwise.
bool FindDropTarget(HWND mainWindow, POINT screen, int pressedPosition, bool shift);
// The drag ended or left: tells the window it was over.
void LeaveDropTarget();
// Whether a target is remembered, and whether it said it can take a page.
bool HasDropTarget();
bool DropTargetCanTake();
// Sends the page at `position` to the window under `screen` (remembered by
// FindDropTarget, which this forgets). Reports in the status bar.
void SendPageToTarget(HWND mainWindow, POINT screen, int position, bool shift, HWND target);
// The remembered target (null for none).
HWND DropTargetWindow();

// --- The receiving side (the main window) ---

// WM_COPYDATA: checks the sender and the record and posts
// WM_FV_PAGE_DROPPED to `mainWindow`; the reply (1 taken, 0 refused).
LRESULT OnPageCopyData(HWND mainWindow, HWND sender, const COPYDATASTRUCT* data);
// WM_FV_PAGE_DROPPED: brings the page in where the panel shows, and
// confirms a move to the sender.
void OnPageDropped(HWND mainWindow, LPARAM record);
// The registered message sent to the main window: wParam 2 = the moved page
// was taken (lParam the token).
void OnMoveConfirmed(WPARAM kind, LPARAM token);

// Whether this window can take a page from another one right now.
bool CanTakePage();
