#include "pages/page_panel.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "base/event_log.h"
#include "base/handles.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/layout.h"
#include "doc/settings.h"
#include "engine/render_worker.h"
#include "pages/page_edits.h"
#include "pages/thumb_layout.h"
#include "ui/commands.h"
#include "ui/paint.h"
#include "ui/ui_context.h"

namespace {

constexpr COLORREF kPanelBack = RGB(0xEE, 0xF0, 0xF3);
constexpr COLORREF kLine = RGB(0xC8, 0xCC, 0xD2);
constexpr COLORREF kHeaderBack = RGB(0xE0, 0xE4, 0xEA);
constexpr COLORREF kAccent = RGB(0x00, 0x67, 0xC0);
constexpr COLORREF kSelectedBack = RGB(0xCC, 0xE4, 0xF7);
constexpr COLORREF kNumber = RGB(0x46, 0x4A, 0x50);
constexpr COLORREF kHint = RGB(0x78, 0x7C, 0x82);
constexpr COLORREF kTab = RGB(0x3C, 0x40, 0x46);
constexpr COLORREF kTabDisabled = RGB(0xA0, 0xA4, 0xAA);

struct PanelState {
  HWND window = nullptr;
  bool visible = true;
  ThumbGeometry geometry;
  // Press and drag.
  int pressed = -1;
  POINT pressPoint = {};
  bool dragging = false;
  int dropAt = -1;
  int lastY = 0;
};

PanelState g_panel;

int S(int px) { return PanelScaled(px, g_panel.geometry.dpi); }

bool Busy() { return !g_doc.loaded || g_busy.Any(); }

void Repaint() {
  if (g_panel.window) InvalidateRect(g_panel.window, nullptr, FALSE);
}

void UpdateScrollBar() {
  if (!g_panel.window) return;
  const ThumbGeometry& g = g_panel.geometry;
  SCROLLINFO si = {sizeof(si)};
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = std::max(g.total - 1, 0);
  si.nPage = UINT(g.ListHeight());
  si.nPos = g.scroll;
  SetScrollInfo(g_panel.window, SB_VERT, &si, TRUE);
}

void ScrollTo(int offset) {
  g_panel.geometry.scroll = offset;
  ClampThumbScroll(g_panel.geometry);
  UpdateScrollBar();
  Repaint();
}

void FillRectColour(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  FillColour(dc, {left, top, right, bottom}, colour);
}

void Frame(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  FillRectColour(dc, left, top, right, top + 1, colour);
  FillRectColour(dc, left, bottom - 1, right, bottom, colour);
  FillRectColour(dc, left, top, left + 1, bottom, colour);
  FillRectColour(dc, right - 1, top, right, bottom, colour);
}

// Copies a cached picture into a slot, stretched with halftone when the
// sizes differ. False when there was nothing to draw.
bool DrawCached(HDC dc, HDC pictures, const CachedPicture* picture, int x, int y, int w, int h) {
  if (!picture || !picture->bitmap || picture->gotWidth <= 0 || picture->gotHeight <= 0) return false;
  SelectedObject selected(pictures, static_cast<HBITMAP>(picture->bitmap));
  if (!selected) return false;
  if (picture->gotWidth == w && picture->gotHeight == h) return BitBlt(dc, x, y, w, h, pictures, 0, 0, SRCCOPY);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  return StretchBlt(dc, x, y, w, h, pictures, 0, 0, picture->gotWidth, picture->gotHeight, SRCCOPY);
}

// The slot's size as the worker is asked for it: for the unrotated page.
void UnrotatedSize(const ThumbSlot& slot, int rotation, int& w, int& h) {
  w = rotation % 2 ? slot.height : slot.width;
  h = rotation % 2 ? slot.width : slot.height;
}

void RequestThumbs(const std::vector<int>& positions) {
  const ViewLayout& v = g_doc.view;
  std::vector<RenderJob> jobs;
  for (int p : positions) {
    if (size_t(p) >= g_doc.pages.order.size()) continue;
    RenderJob job;
    job.kind = kJobThumbnail;
    job.generation = g_doc.generation;
    job.page = g_doc.pages.order[size_t(p)];
    job.rotation = v.rotation;
    UnrotatedSize(g_panel.geometry.slots[size_t(p)], v.rotation, job.width, job.height);
    jobs.push_back(std::move(job));
  }
  const size_t n = jobs.size();
  g_worker.RequestThumbnails(std::move(jobs));
  if (n > 0) {
    const ThumbSlot& first = g_panel.geometry.slots[size_t(positions[0])];
    LogEvent(L"RequestThumbs n=%d first=#%d slot %dx%d", int(n), positions[0], first.width, first.height);
  }
}

void PaintHeader(HDC dc, int width) {
  const int header = g_panel.geometry.Header();
  FillRectColour(dc, 1, 0, width, header, kHeaderBack);
  FillRectColour(dc, 1, header - 1, width, header, kLine);
  const bool hasBookmarks = !g_doc.bookmarks.empty();
  int x = S(4);
  // Only the Pages view is built so far: it is always the active one.
  RECT pages = {x, 0, x + S(62), header - 1};
  FillRectColour(dc, pages.left + S(6), header - S(4), pages.right - S(6), header - 1, kAccent);
  DrawLabel(dc, L"Pages", pages, kAccent, g_ui.fontBold, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  x += S(62);
  RECT bookmarks = {x, 0, x + S(92), header - 1};
  DrawLabel(dc, L"Bookmarks", bookmarks, hasBookmarks ? kTab : kTabDisabled, g_ui.fontNormal,
       DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PaintPages(HDC dc, int width) {
  ThumbGeometry& g = g_panel.geometry;
  const int header = g.Header();
  const int rotation = g_doc.view.rotation;
  UniqueDc pictures(CreateCompatibleDC(dc));
  std::vector<int> wanted;
  const int n = int(g.slots.size());
  for (int p = FirstVisibleSlot(g); p < n; ++p) {
    const ThumbSlot& slot = g.slots[size_t(p)];
    if (slot.top - S(10) >= g.scroll + g.ListHeight()) break;
    const int x = (width - slot.width) / 2, y = header + slot.top - g.scroll;
    const bool selected = p == g_doc.pages.selected;
    if (selected) RoundedBox(dc, {S(6), y - S(5), width - S(6), y + slot.height + S(24)}, kSelectedBack, kAccent, S(6));
    const int source = g_doc.pages.order[size_t(p)];
    int askW = 0, askH = 0;
    UnrotatedSize(slot, rotation, askW, askH);
    const CachedPicture* thumb = g_doc.thumbnails.Find(source);
    bool drawn = false;
    if (thumb && thumb->rotation == rotation && pictures) {
      drawn = DrawCached(dc, pictures.Get(), thumb, x, y, slot.width, slot.height);
      if (drawn) g_doc.thumbnails.Touch(source, GetTickCount());
      if (!drawn || !g_doc.thumbnails.IsCurrent(source, rotation, slot.width, slot.height)) wanted.push_back(p);
    } else {
      // Meanwhile the page view's picture, shrunk, or white.
      const CachedPicture* picture = g_doc.pictures.Find(source);
      if (picture && picture->rotation == rotation && pictures)
        drawn = DrawCached(dc, pictures.Get(), picture, x, y, slot.width, slot.height);
      wanted.push_back(p);
    }
    if (!drawn) FillRectColour(dc, x, y, x + slot.width, y + slot.height, RGB(255, 255, 255));
    Frame(dc, x - 1, y - 1, x + slot.width + 1, y + slot.height + 1, kLine);
    RECT number = {S(6), y + slot.height + S(3), width - S(6), y + slot.height + S(22)};
    const std::wstring label = std::to_wstring(p + 1);
    DrawLabel(dc, label.c_str(), number, selected ? kAccent : kNumber, selected ? g_ui.fontBold : g_ui.fontNormal,
         DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  }
  // Where a dragged page would land.
  const int q = g_panel.dropAt;
  if (g_panel.dragging && q >= 0 && n > 0) {
    const int d = q < n ? g.slots[size_t(q)].top - S(8)
                        : g.slots[size_t(n - 1)].top + g.slots[size_t(n - 1)].height + S(25);
    const int barY = header + d - g.scroll;
    FillRectColour(dc, S(8), barY - S(1), width - S(8), barY + S(2), kAccent);
    FillRectColour(dc, S(8), barY - S(4), S(11), barY + S(5), kAccent);
    FillRectColour(dc, width - S(11), barY - S(4), width - S(8), barY + S(5), kAccent);
  }
  // Asked for only the visible slots, replacing earlier requests.
  RequestThumbs(wanted);
}

void DrawPanel(HDC dc, const RECT& client) {
  const int width = client.right, height = client.bottom;
  SetBkMode(dc, TRANSPARENT);
  FillRectColour(dc, 0, 0, width, height, kPanelBack);
  FillRectColour(dc, 0, 0, 1, height, kLine);
  if (!g_doc.loaded) {
    RECT r = {S(12), g_panel.geometry.Header() + S(20), width - S(12), height};
    DrawLabel(dc,
              L"Page panel\n\nWhen a PDF is open, a small picture of every page appears here.\n\nClick a page to "
              L"jump to it.\n\nDrag a page up or down to move it.",
              r, kHint, g_ui.fontNormal, DT_CENTER | DT_WORDBREAK);
  } else {
    PaintPages(dc, width);
  }
  PaintHeader(dc, width);
}

void EndDrag() {
  const bool wasDragging = g_panel.dragging;
  g_panel.dragging = false;
  g_panel.pressed = -1;
  g_panel.dropAt = -1;
  if (wasDragging) ShowShellMessage(std::wstring());
  if (g_panel.window && GetCapture() == g_panel.window) ReleaseCapture();
  Repaint();
}

void DropHint(int y) {
  const int q = InsertionSlot(g_panel.geometry, y);
  if (q == g_panel.dropAt) return;
  g_panel.dropAt = q;
  ShowShellMessage(DropHintText(g_panel.pressed, q));
  Repaint();
}

void GoTo(int position) {
  if (ViewHooks().goToPosition)
    ViewHooks().goToPosition(position);
  else
    GoToPage(g_doc.view, position);
}

void OnButtonDown(HWND window, int x, int y) {
  if (ViewHooks().focusView) ViewHooks().focusView();
  if (Busy()) return;
  if (y < g_panel.geometry.Header()) {
    if (x >= S(4) + S(62) && x < S(4) + S(62) + S(92))
      ShowShellMessage(g_doc.bookmarks.empty() ? L"This PDF has no bookmarks."
                                               : L"The Bookmarks view isn't in this version yet.");
    return;
  }
  const int p = HitSlot(g_panel.geometry, y);
  LogEvent(L"Thumb LBUTTONDOWN y=%d hit=%d", y, p);
  if (p < 0) return;
  g_panel.pressed = p;
  g_panel.pressPoint = {x, y};
  g_panel.dragging = false;
  g_panel.dropAt = -1;
  SetCapture(window);
  GoTo(p);
  g_doc.pages.selected = p;
  Repaint();
  UpdateShellStatus();
}

void OnMouseMove(int x, int y) {
  if (g_panel.pressed < 0) return;
  if (!g_panel.dragging) {
    const int dy = std::abs(y - g_panel.pressPoint.y), dx = std::abs(x - g_panel.pressPoint.x);
    if (dy <= GetSystemMetrics(SM_CYDRAG) && dx <= 2 * GetSystemMetrics(SM_CXDRAG)) return;
    g_panel.dragging = true;
    LogEvent(L"Thumb drag started at y=%d", y);
  }
  g_panel.lastY = y;
  SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
  DropHint(y);
}

void OnButtonUp() {
  LogEvent(L"Thumb LBUTTONUP dragging=%d from=%d dropAt=%d", int(g_panel.dragging), g_panel.pressed,
           g_panel.dropAt);
  const bool dragging = g_panel.dragging;
  const int pressed = g_panel.pressed, q = g_panel.dropAt;
  EndDrag();
  if (!dragging || pressed < 0 || q < 0) return;
  const int target = DropTarget(pressed, q);
  if (target != pressed) MovePage(pressed, target);
}

void OnRightButtonUp(HWND window, int x, int y) {
  if (Busy() || g_panel.pressed >= 0) return;
  const int p = HitSlot(g_panel.geometry, y);
  if (p < 0) return;
  GoTo(p);
  g_doc.pages.selected = p;
  Repaint();
  UpdateShellStatus();
  const int n = g_doc.pages.PageCount();
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  auto add = [&](UINT id, const wchar_t* text, bool grayed) {
    AppendMenuW(menu, MF_STRING | (grayed ? MF_GRAYED : 0), id, text);
  };
  add(CMD_DELETE_PAGE, L"&Delete This Page\tDel", n <= 1);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  add(CMD_MOVE_UP, L"Move &Up\tAlt+Up", p == 0);
  add(CMD_MOVE_DOWN, L"Move Dow&n\tAlt+Down", p == n - 1);
  add(CMD_MOVE_TO_START, L"Move to &Front\tAlt+Home", p == 0);
  add(CMD_MOVE_TO_END, L"Move to &Back\tAlt+End", p == n - 1);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  add(CMD_UNDO, L"Und&o\tCtrl+Z", g_doc.pages.undoStack.empty());
  POINT screen = {x, y};
  ClientToScreen(window, &screen);
  const UINT chosen = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window,
                                          nullptr));
  DestroyMenu(menu);
  if (chosen) PostMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

void OnScrollBar(HWND window, int action) {
  const ThumbGeometry& g = g_panel.geometry;
  int offset = g.scroll;
  switch (action) {
    case SB_LINEUP: offset -= S(48); break;
    case SB_LINEDOWN: offset += S(48); break;
    case SB_PAGEUP: offset -= g.ListHeight() - S(40); break;
    case SB_PAGEDOWN: offset += g.ListHeight() - S(40); break;
    case SB_TOP: offset = 0; break;
    case SB_BOTTOM: offset = g.total; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si = {sizeof(si), SIF_TRACKPOS};
      GetScrollInfo(window, SB_VERT, &si);
      offset = si.nTrackPos;
      break;
    }
    default: return;
  }
  ScrollTo(offset);
}

}  // namespace

HWND CreatePagePanel(HWND parent, bool visible) {
  g_panel.visible = visible;
  HWND window = CreateWindowExW(0, L"FVThumbs", L"", WS_CHILD | WS_VSCROLL | (visible ? WS_VISIBLE : 0), 0, 0, 0, 0,
                                parent, nullptr, UiInstance(), nullptr);
  if (!window) return nullptr;
  g_panel.window = window;
  g_panel.geometry.dpi = g_ui.dpi;
  DocumentViewHooks hooks = ViewHooks();
  hooks.thumbnailsChanged = Repaint;
  hooks.panelChanged = [] {
    // Another document (or none): from the top, nothing pressed.
    g_panel.geometry.scroll = 0;
    EndDrag();
    PagePanelLayout();
  };
  SetDocumentViewHooks(hooks);
  PagePanelLayout();
  return window;
}

HWND PagePanelWindow() { return g_panel.window; }
bool PagePanelVisible() { return g_panel.window && g_panel.visible; }

int PagePanelWidthFor(int clientWidth) {
  return PagePanelVisible() ? PagePanelWidth(clientWidth, g_panel.geometry.dpi) : 0;
}

void ShowPagePanel(bool visible) {
  g_panel.visible = visible;
  g_settings.PagePanel = visible ? 1 : 0;
  WriteSettingNumber(SettingName::PagePanel, visible ? 1 : 0);
  if (!g_panel.window) return;
  ShowWindow(g_panel.window, visible ? SW_SHOWNA : SW_HIDE);
  // The main window gives the page view the room.
  HWND parent = GetParent(g_panel.window);
  RECT client;
  GetClientRect(parent, &client);
  SendMessageW(parent, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  if (visible) {
    PagePanelLayout();
    PagePanelShowPosition(PageForCommands());
  }
  UpdateShellStatus();
  ShowShellMessage(visible ? L"Page panel shown. Drag a page up or down to move it."
                           : L"Page panel hidden. Press F4 to bring it back.");
}

void PagePanelLayout() {
  if (!g_panel.window) return;
  ThumbGeometry& g = g_panel.geometry;
  RECT client;
  GetClientRect(g_panel.window, &client);
  g.width = client.right;
  g.height = client.bottom;
  static const std::vector<float> kNone;
  const bool loaded = g_doc.loaded;
  LayOutThumbs(g, loaded ? g_doc.pages.widths : kNone, loaded ? g_doc.pages.heights : kNone, g_doc.view.rotation);
  UpdateScrollBar();
  LogEvent(L"ThumbLayout pages=%d panel=%dx%d slot0=%dx%d dpi=%d", int(g.slots.size()), g.width, g.height,
           g.slots.empty() ? 0 : g.slots[0].width, g.slots.empty() ? 0 : g.slots[0].height, g.dpi);
  Repaint();
}

void PagePanelShowPosition(int position) {
  if (!g_panel.window) return;
  ScrollSlotIntoView(g_panel.geometry, position);
  UpdateScrollBar();
  Repaint();
}

PagePanelNumbers PagePanelState() {
  PagePanelNumbers n;
  if (!g_panel.window) return n;
  const ThumbGeometry& g = g_panel.geometry;
  n.width = g.width;
  n.height = g.height;
  n.scroll = g.scroll;
  n.range = g.total;
  return n;
}

bool PagePanelCancelDrag() {
  if (g_panel.pressed < 0 && !g_panel.dragging) return false;
  EndDrag();
  return true;
}

LRESULT CALLBACK PagePanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      if (g_panel.window == window) g_panel.window = nullptr;
      return 0;
    case WM_SIZE:
      PagePanelLayout();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT:
      PaintBuffered(window, DrawPanel);
      return 0;
    case WM_VSCROLL:
      OnScrollBar(window, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      ScrollTo(g_panel.geometry.scroll - GET_WHEEL_DELTA_WPARAM(wParam) * S(110) / 120);
      return 0;
    case WM_LBUTTONDOWN:
      OnButtonDown(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp();
      return 0;
    case WM_RBUTTONUP:
      OnRightButtonUp(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window && (g_panel.pressed >= 0 || g_panel.dragging)) {
        LogEvent(L"Thumb CAPTURECHANGED to=%p pressed=%d dragging=%d", reinterpret_cast<void*>(lParam),
                 g_panel.pressed, int(g_panel.dragging));
        EndDrag();
      }
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, g_panel.dragging ? IDC_SIZENS : g_doc.loaded ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
