#include "ui/paint.h"

#include "base/handles.h"

void PaintBuffered(HWND window, void (*draw)(HDC dc, const RECT& client)) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  if (w > 0 && h > 0) {
    UniqueDc back(CreateCompatibleDC(dc));
    Gdi<HBITMAP> bitmap(CreateCompatibleBitmap(dc, w, h));
    if (back && bitmap) {
      SelectedObject selected(back.Get(), bitmap.Get());
      draw(back.Get(), client);
      BitBlt(dc, 0, 0, w, h, back.Get(), 0, 0, SRCCOPY);
    } else {
      draw(dc, client);
    }
  }
  EndPaint(window, &ps);
}

void FillColour(HDC dc, const RECT& r, COLORREF colour) {
  SetDCBrushColor(dc, colour);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void FrameColour(HDC dc, const RECT& r, COLORREF colour) {
  FillColour(dc, {r.left, r.top, r.right, r.top + 1}, colour);
  FillColour(dc, {r.left, r.bottom - 1, r.right, r.bottom}, colour);
  FillColour(dc, {r.left, r.top, r.left + 1, r.bottom}, colour);
  FillColour(dc, {r.right - 1, r.top, r.right, r.bottom}, colour);
}

void RoundedBox(HDC dc, const RECT& r, COLORREF fill, COLORREF border, int corner) {
  SelectedObject pen(dc, GetStockObject(DC_PEN));
  SelectedObject brush(dc, GetStockObject(DC_BRUSH));
  SetDCPenColor(dc, border);
  SetDCBrushColor(dc, fill);
  RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);
}

void DrawLabel(HDC dc, const wchar_t* text, RECT r, COLORREF colour, HFONT font, UINT format) {
  SelectedObject selected(dc, font);
  SetTextColor(dc, colour);
  DrawTextW(dc, text, -1, &r, format | DT_NOPREFIX);
}
