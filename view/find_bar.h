// The find bar (window class "FVFind"): the strip under the ribbon with the
// find box, Previous, Next and Close, and the search it runs as the user
// types: every page is searched as its text arrives, the matches are kept in
// on-screen order and highlighted by the page view, and Next and Previous
// step through them. UI thread only.
#pragma once
#include <windows.h>

#include <string>

LRESULT CALLBACK FindBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the hidden bar as a child of the main window. Null on failure.
HWND CreateFindBar(HWND parent);
HWND FindBarWindow();
// The find box (for the message loop's editing keys).
HWND FindBarEdit();
bool FindBarOpen();
// Its height while open (40 pixels at 96 dpi).
int FindBarHeight();

// Ctrl+F: shows the bar (taking a word selected on one page into the box),
// focuses the box and searches.
void OpenFind();
// Esc or Close: hides the bar, drops the matches, the view gets the focus.
void CloseFind();
// F3 (+1) and Shift+F3 (-1); opens the bar when it is closed.
void FindNext(int direction);

// The text layer's calls: a page's text arrived (search it); show the
// current match once its page's boxes are there; the page order changed;
// recompute the status text.
void FindPageArrived(int page);
void FindShowPendingMatch();
void FindOrderChanged();
void RefreshFindStatus();
// A document was loaded or closed.
void FindDocumentLoaded();
void FindDocumentClosed();
