// The update bar (window class FVUpdBar): the yellow strip under the ribbon
// that offers a new version, with Update now, What's new and Later, and
// shows the download's progress. The main window creates it, places it in
// its layout and receives its buttons' commands.
#pragma once
#include <windows.h>

#include <string>

LRESULT CALLBACK UpdateBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Draws the bar's icon (icon 23 of the small set) at (x, y).
using UpdateBarIconPainter = void (*)(HDC dc, int x, int y);

// Creates the bar, hidden, with its buttons and their tooltips (in the main
// window's tooltip control).
HWND CreateUpdateBar(HWND parent, HWND tooltip, UpdateBarIconPainter icon);
HWND UpdateBarWindow();
// 44 pixels, scaled.
int UpdateBarHeight();

// The line the bar shows, and whether it shows the download (only Cancel)
// or the offer (Update now, What's new and Later). Repaints.
void SetUpdateBarText(const std::wstring& text);
void SetUpdateBarDownloading(bool downloading);
