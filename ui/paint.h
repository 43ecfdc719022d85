// Small drawing pieces the program's own windows share.
#pragma once
#include <windows.h>

// Paints a window through a back buffer of its client size: `draw` draws
// the whole client area into it (straight onto the window when there is no
// memory for one), then it is copied once. Handles WM_PAINT's BeginPaint and
// EndPaint.
void PaintBuffered(HWND window, void (*draw)(HDC dc, const RECT& client));

// Fills a rectangle with a solid colour.
void FillColour(HDC dc, const RECT& r, COLORREF colour);
// A 1-pixel frame just inside a rectangle's edges.
void FrameColour(HDC dc, const RECT& r, COLORREF colour);
// A rounded rectangle with a 1-pixel border.
void RoundedBox(HDC dc, const RECT& r, COLORREF fill, COLORREF border, int corner);
// Text in a rectangle, in `font` (null: the DC's own) and `colour`; `format`
// as DrawText takes it (prefix characters are never interpreted).
void DrawLabel(HDC dc, const wchar_t* text, RECT r, COLORREF colour, HFONT font, UINT format);
