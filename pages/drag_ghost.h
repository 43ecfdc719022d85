// The picture that follows a page dragged out of the page panel (window
// class "FVGhost"): a small see-through copy of the page's thumbnail beside
// the cursor. It never takes the mouse or the focus. UI thread only.
#pragma once
#include <windows.h>

LRESULT CALLBACK DragGhostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the ghost of engine page `source`, `width` × `height` pixels, with
// its top-left corner at `screen`; made on first use and kept. False when
// the window could not be made (the drag goes on without it).
bool ShowDragGhost(int source, POINT screen, int width, int height);
void HideDragGhost();
bool DragGhostShown();
