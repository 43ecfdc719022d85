#include "pages/drag_ghost.h"

#include "doc/document.h"
#include "ui/paint.h"
#include "ui/ui_context.h"

namespace {

constexpr COLORREF kAccent = RGB(0x00, 0x67, 0xC0);
constexpr BYTE kGhostOpacity = 205;

struct Ghost {
  HWND window = nullptr;
  int source = -1;
};

Ghost g_ghost;

bool RegisterGhostClass() {
  WNDCLASSEXW wc = {sizeof(wc)};
  if (GetClassInfoExW(UiInstance(), L"FVGhost", &wc)) return true;
  wc.lpfnWndProc = DragGhostProc;
  wc.hInstance = UiInstance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"FVGhost";
  return RegisterClassExW(&wc) != 0;
}

bool MakeGhost() {
  if (g_ghost.window) return true;
  if (!RegisterGhostClass()) return false;
  g_ghost.window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED |
                                       WS_EX_NOACTIVATE,
                                   L"FVGhost", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, UiInstance(), nullptr);
  if (!g_ghost.window) return false;
  SetLayeredWindowAttributes(g_ghost.window, 0, kGhostOpacity, LWA_ALPHA);
  return true;
}

void DrawGhost(HDC dc, const RECT& client) {
  FillColour(dc, client, RGB(255, 255, 255));
  const CachedPicture* thumb = g_doc.thumbnails.Find(g_ghost.source);
  if (thumb && thumb->bitmap && thumb->gotWidth > 0 && thumb->gotHeight > 0) {
    if (HDC source = CreateCompatibleDC(dc)) {
      HGDIOBJ old = SelectObject(source, static_cast<HBITMAP>(thumb->bitmap));
      SetStretchBltMode(dc, HALFTONE);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, thumb->gotWidth, thumb->gotHeight, SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
    }
  }
  // Two nested frames at the edge.
  FrameColour(dc, client, kAccent);
  FrameColour(dc, {1, 1, client.right - 1, client.bottom - 1}, kAccent);
}

}  // namespace

bool ShowDragGhost(int source, POINT screen, int width, int height) {
  if (!MakeGhost()) return false;
  const bool changed = source != g_ghost.source;
  g_ghost.source = source;
  SetWindowPos(g_ghost.window, HWND_TOPMOST, screen.x, screen.y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (changed) InvalidateRect(g_ghost.window, nullptr, FALSE);
  return true;
}

void HideDragGhost() {
  if (g_ghost.window && IsWindowVisible(g_ghost.window)) ShowWindow(g_ghost.window, SW_HIDE);
}

bool DragGhostShown() { return g_ghost.window && IsWindowVisible(g_ghost.window); }

LRESULT CALLBACK DragGhostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the mouse goes to the window below
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(window, DrawGhost);
      return 0;
    case WM_DESTROY:
      if (g_ghost.window == window) g_ghost.window = nullptr;
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
