#include "pages/page_panel.h"

#include <windowsx.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "base/event_log.h"
#include "base/handles.h"
#include "doc/bookmark_jump.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/layout.h"
#include "doc/link_rules.h"
#include "doc/settings.h"
#include "engine/render_worker.h"
#include "pages/cross_window.h"
#include "pages/drag_ghost.h"
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
constexpr COLORREF kBookmarkText = RGB(0x28, 0x2C, 0x32);
constexpr COLORREF kBookmarkNowhere = RGB(0x96, 0x9A, 0xA0);
constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragTimerMs = 40;
// While the list is being scrolled, thumbnails are asked for only once it
// has rested this long: a fling renders the screen it ends on, not every
// screen it passes.
constexpr UINT_PTR kScrollRestTimer = 2;
constexpr UINT kScrollRestMs = 80;
// While another window's page hovers here: a sender that vanished without
// saying so is forgotten after kHoverLostMs.
constexpr UINT_PTR kHoverWatchdog = 3;
// Setting the scroll bar redraws it at once, which takes long enough to
// hold up a document's first pictures: on opening it follows the panel's
// first screen of thumbnails, or kOpeningShowsAfterMs, whichever is first.
constexpr UINT_PTR kScrollBarTimer = 4;
constexpr UINT kHoverWatchdogMs = 150;
// While another document is being opened the panel keeps showing the old
// one's pages, so that it doesn't flash its empty state in between; it
// shows that state only when the opening takes this long.
constexpr UINT_PTR kOpeningTimer = 5;
constexpr UINT kOpeningShowsAfterMs = 100;
constexpr ULONGLONG kHoverLostMs = 500;
constexpr BYTE kInPanelGhostOpacity = 175;

constexpr wchar_t kHeaderTip[] =
    L"The side panel has two views. Click a name here to switch.\n\nPAGES \u2014 a small picture of every page.\n\n"
    L"\u2022 Click a page to jump to it.\n\u2022 Drag a page up or down to move it: a blue bar shows where it will "
    L"land, and the list scrolls by itself when you drag near the top or bottom. Press Esc while dragging to "
    L"cancel.\n\u2022 Or select a page and use the Move buttons on the Organize tab (Alt+Up / Alt+Down).\n\u2022 "
    L"Right-click a page for a menu, or press Del to delete the selected page.\n\u2022 With a second PDF open in "
    L"another Folivex window (Organize tab \u2192 Second PDF), drag a page from one window's panel into the "
    L"other's to copy it there; hold Shift to move it.\n\nNothing in the PDF file changes until you click Save "
    L"(Ctrl+S). A * in the title bar means there are changes that haven't been saved yet. Undo (Ctrl+Z) takes "
    L"back one change at a time.\n\nHide or show this panel with Page Panel on the Home or Organize tab, or press "
    L"F4.\n\nBOOKMARKS \u2014 the PDF's own table of contents, if its author made one (gray when there isn't "
    L"one). Click a bookmark to jump to that part of the document. The part you're reading is highlighted.";

enum class PanelView { Pages, Bookmarks };

struct PanelState {
  HWND window = nullptr;
  HWND tooltip = nullptr;
  bool visible = true;
  PanelView view = PanelView::Pages;
  ThumbGeometry geometry;
  BookmarkGeometry marks;
  int currentMarker = -1;  // the current page as the status bar last said it
  bool scrolling = false;  // scrolled less than kScrollRestMs ago
  // A document was loaded and the visible slots haven't all shown their
  // thumbnails yet (false while the panel is hidden or shows bookmarks).
  bool firstScreenDue = false;
  // Press and drag.
  int pressed = -1;
  POINT pressPoint = {};
  bool dragging = false;
  int dropAt = -1;
  int lastY = 0;
  POINT lastPoint = {};  // the cursor at the last mouse message, client coordinates
  bool shift = false;    // Shift was held at the last mouse message
  // Another window's page hovering over this panel.
  bool hovering = false;
  ULONGLONG lastHover = 0;
};

PanelState g_panel;

void LayOut(bool scrollBarNow, bool repaint = true);

int S(int px) { return PanelScaled(px, g_panel.geometry.dpi); }

bool Busy() { return !g_doc.loaded || g_busy.Any(); }

void Repaint() {
  if (g_panel.window) InvalidateRect(g_panel.window, nullptr, FALSE);
}

bool ShowsBookmarks() { return g_panel.view == PanelView::Bookmarks; }

// The scroll offset and list height of the view on show.
int& ActiveScroll() { return ShowsBookmarks() ? g_panel.marks.scroll : g_panel.geometry.scroll; }
int ActiveTotal() { return ShowsBookmarks() ? g_panel.marks.total : g_panel.geometry.total; }

void UpdateScrollBar() {
  if (!g_panel.window) return;
  SCROLLINFO si = {sizeof(si)};
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = std::max(ActiveTotal() - 1, 0);
  si.nPage = UINT(g_panel.geometry.ListHeight());
  si.nPos = ActiveScroll();
  SetScrollInfo(g_panel.window, SB_VERT, &si, TRUE);
}

void ScrollTo(int offset) {
  const int clamped = ClampListScroll(offset, ActiveTotal(), g_panel.geometry.ListHeight());
  if (clamped != ActiveScroll() && g_panel.window) {
    g_panel.scrolling = true;
    SetTimer(g_panel.window, kScrollRestTimer, kScrollRestMs, nullptr);
  }
  ActiveScroll() = clamped;
  UpdateScrollBar();
  Repaint();
}

void FillRectColour(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  FillColour(dc, {left, top, right, bottom}, colour);
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

// The first screen of a document just loaded is on show (or won't be
// waited for): the scroll bar and the rest of the window follow.
void FirstScreenShown() {
  if (!g_panel.firstScreenDue) return;
  g_panel.firstScreenDue = false;
  if (g_panel.window) SetTimer(g_panel.window, kScrollBarTimer, USER_TIMER_MINIMUM, nullptr);
  if (ViewHooks().thumbnailsShown) ViewHooks().thumbnailsShown();
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
  const bool hasBookmarks = g_doc.loaded && !g_doc.bookmarks.empty();
  auto tab = [&](const wchar_t* title, int x, int w, bool active, bool enabled) {
    const RECT r = {x, 0, x + w, header - 1};
    if (active) FillRectColour(dc, x + S(6), header - S(4), x + w - S(6), header - 1, kAccent);
    const COLORREF colour = !enabled ? kTabDisabled : active ? kAccent : kTab;
    DrawLabel(dc, title, r, colour, active ? g_ui.fontBold : g_ui.fontNormal, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  };
  tab(L"Pages", S(4), S(62), !ShowsBookmarks(), true);
  tab(L"Bookmarks", S(4) + S(62), S(92), ShowsBookmarks(), hasBookmarks);
}

// The positions whose slots reach into the list's visible part.
std::vector<int> VisibleSlots() {
  const ThumbGeometry& g = g_panel.geometry;
  std::vector<int> positions;
  for (int p = FirstVisibleSlot(g); p < int(g.slots.size()); ++p) {
    if (g.slots[size_t(p)].top - S(10) >= g.scroll + g.ListHeight()) break;
    positions.push_back(p);
  }
  return positions;
}

void PaintPages(HDC dc, int width) {
  ThumbGeometry& g = g_panel.geometry;
  const int header = g.Header();
  const int rotation = g_doc.view.rotation;
  UniqueDc pictures(CreateCompatibleDC(dc));
  std::vector<int> wanted;
  const int n = int(g.slots.size());
  for (int p : VisibleSlots()) {
    const ThumbSlot& slot = g.slots[size_t(p)];
    const int x = (width - slot.width) / 2, y = header + slot.top - g.scroll;
    const bool selected = p == (g_doc.pages.selected >= 0 ? g_doc.pages.selected : g_panel.currentMarker);
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
    FrameColour(dc, {x - 1, y - 1, x + slot.width + 1, y + slot.height + 1}, kLine);
    RECT number = {S(6), y + slot.height + S(3), width - S(6), y + slot.height + S(22)};
    const std::wstring label = std::to_wstring(p + 1);
    DrawLabel(dc, label.c_str(), number, selected ? kAccent : kNumber, selected ? g_ui.fontBold : g_ui.fontNormal,
         DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  }
  // Where a dragged page would land.
  const int q = g_panel.dropAt;
  if ((g_panel.dragging || g_panel.hovering) && q >= 0 && n > 0) {
    const int d = q < n ? g.slots[size_t(q)].top - S(8)
                        : g.slots[size_t(n - 1)].top + g.slots[size_t(n - 1)].height + S(25);
    const int barY = header + d - g.scroll;
    FillRectColour(dc, S(8), barY - S(1), width - S(8), barY + S(2), kAccent);
    FillRectColour(dc, S(8), barY - S(4), S(11), barY + S(5), kAccent);
    FillRectColour(dc, width - S(11), barY - S(4), width - S(8), barY + S(5), kAccent);
  }
  // Asked for only the visible slots, replacing earlier requests; while
  // the list moves, once it rests.
  if (!g_panel.scrolling) RequestThumbs(wanted);
  if (wanted.empty()) FirstScreenShown();
}

// While a page is dragged inside the panel: its picture, see-through, on
// the cursor's height.
void PaintInPanelGhost(HDC dc, int width) {
  const ThumbGeometry& g = g_panel.geometry;
  const int p = g_panel.pressed;
  if (!g_panel.dragging || p < 0 || size_t(p) >= g.slots.size() || DragGhostShown()) return;
  const int w = g.slots[size_t(p)].width, h = g.slots[size_t(p)].height;
  const int x = S(6) + (width - w) / 2, y = g_panel.lastY - h / 2;
  UniqueDc buffer(CreateCompatibleDC(dc));
  Gdi<HBITMAP> bitmap(CreateCompatibleBitmap(dc, w, h));
  if (!buffer || !bitmap) return;
  SelectedObject selected(buffer.Get(), bitmap.Get());
  FillRectColour(buffer.Get(), 0, 0, w, h, RGB(255, 255, 255));
  UniqueDc pictures(CreateCompatibleDC(dc));
  if (pictures) DrawCached(buffer.Get(), pictures.Get(), g_doc.thumbnails.Find(g_doc.pages.order[size_t(p)]), 0, 0, w, h);
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, kInPanelGhostOpacity, 0};
  AlphaBlend(dc, x, y, w, h, buffer.Get(), 0, 0, w, h, blend);
  FrameColour(dc, {x - 1, y - 1, x + w + 1, y + h + 1}, kAccent);
  FrameColour(dc, {x - 2, y - 2, x + w + 2, y + h + 2}, kAccent);
}

bool LeadsNowhere(const BookmarkEntry& entry) {
  return TargetOfBookmark(entry, g_doc.pages.fileCount, g_doc.pages.positionOf).position < 0;
}

void PaintBookmarks(HDC dc, int width) {
  const BookmarkGeometry& m = g_panel.marks;
  const int header = g_panel.geometry.Header(), list = g_panel.geometry.ListHeight();
  const int current = CurrentBookmarkIndex();
  for (size_t i = 0; i < g_doc.bookmarks.size() && i < m.tops.size(); ++i) {
    const int top = m.tops[i], height = m.heights[i];
    if (top + height < m.scroll) continue;
    if (top >= m.scroll + list) break;
    const BookmarkEntry& entry = g_doc.bookmarks[i];
    const int y = header + top - m.scroll, depth = BookmarkIndent(entry.depth);
    const bool isCurrent = int(i) == current;
    if (isCurrent) RoundedBox(dc, {S(4), y, width - S(4), y + height - S(2)}, kSelectedBack, kAccent, S(6));
    const COLORREF colour = LeadsNowhere(entry) ? kBookmarkNowhere : isCurrent ? kAccent : kBookmarkText;
    const RECT text = {S(8) + depth * S(12), y + S(3), width - S(8), y + height - S(4)};
    DrawLabel(dc, entry.title.c_str(), text, colour, entry.depth == 0 ? g_ui.fontBold : g_ui.fontNormal,
              DT_WORDBREAK | DT_END_ELLIPSIS | DT_EDITCONTROL);
  }
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
  } else if (ShowsBookmarks()) {
    PaintBookmarks(dc, width);
  } else {
    PaintPages(dc, width);
    PaintInPanelGhost(dc, width);
  }
  PaintHeader(dc, width);
}

void EndDrag() {
  const bool wasDragging = g_panel.dragging;
  const bool held = wasDragging || g_panel.pressed >= 0 || g_panel.dropAt >= 0;
  HideDragGhost();
  LeaveDropTarget();
  if (wasDragging) {
    if (g_panel.window) KillTimer(g_panel.window, kDragTimer);
    ShowShellMessage(std::wstring());
  }
  g_panel.dragging = false;
  g_panel.pressed = -1;
  g_panel.dropAt = -1;
  if (g_panel.window && GetCapture() == g_panel.window) ReleaseCapture();
  if (held) Repaint();
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

void SwitchView(PanelView view) {
  g_panel.view = view;
  if (view == PanelView::Bookmarks) FirstScreenShown();  // no thumbnails to wait for
  PagePanelLayout();
}

void OnHeaderClick(int x) {
  if (x < S(4)) return;
  if (x < S(4) + S(62)) {
    if (!ShowsBookmarks()) return;
    SwitchView(PanelView::Pages);
    PagePanelShowPosition(PageForCommands());
    ShowShellMessage(L"Pages: click a page to jump to it, drag one to move it.");
  } else if (x < S(4) + S(62) + S(92)) {
    if (g_doc.bookmarks.empty()) {
      ShowShellMessage(L"This PDF has no bookmarks.");
      return;
    }
    if (!ShowsBookmarks()) SwitchView(PanelView::Bookmarks);
    ShowShellMessage(L"Bookmarks: click one to jump to that part of the document.");
  }
}

void OnBookmarkClick(int y) {
  const BookmarkGeometry& m = g_panel.marks;
  const int i = HitBookmark(m, y - g_panel.geometry.Header());
  if (i >= 0 && GoToBookmark(size_t(i))) Repaint();
}

void OnButtonDown(HWND window, int x, int y) {
  if (ViewHooks().focusView) ViewHooks().focusView();
  if (Busy()) return;
  if (y < g_panel.geometry.Header()) {
    OnHeaderClick(x);
    return;
  }
  if (ShowsBookmarks()) {
    OnBookmarkClick(y);
    return;
  }
  const int p = HitSlot(g_panel.geometry, y);
  LogEvent(L"Thumb LBUTTONDOWN y=%d hit=%d", y, p);
  if (p < 0) return;
  if (g_panel.tooltip) SendMessageW(g_panel.tooltip, TTM_POP, 0, 0);
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

void MoveGhost(int x, int y);

// Whether the cursor at panel (x, y) is over another Folivex window (which
// then shows where the page would land; this panel shows no bar).
bool OverOtherWindow(POINT at, bool shift) {
  POINT screen = at;
  ClientToScreen(g_panel.window, &screen);
  if (!FindDropTarget(GetParent(g_panel.window), screen, g_panel.pressed, shift)) return false;
  if (g_panel.dropAt != -1) {
    g_panel.dropAt = -1;
    Repaint();
  }
  return true;
}

void OnMouseMove(int x, int y, bool shift) {
  if (g_panel.pressed < 0) return;
  if (!g_panel.dragging) {
    const int dy = std::abs(y - g_panel.pressPoint.y), dx = std::abs(x - g_panel.pressPoint.x);
    if (dy <= GetSystemMetrics(SM_CYDRAG) && dx <= 2 * GetSystemMetrics(SM_CXDRAG)) return;
    g_panel.dragging = true;
    SetTimer(g_panel.window, kDragTimer, kDragTimerMs, nullptr);
    LogEvent(L"Thumb drag started at y=%d", y);
  }
  g_panel.lastY = y;
  g_panel.lastPoint = {x, y};
  g_panel.shift = shift;
  if (!OverOtherWindow({x, y}, shift)) {
    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
    DropHint(y);
  }
  MoveGhost(x, y);
  Repaint();
}

// Outside the panel the dragged page follows the cursor in a window of its
// own; inside, the panel draws it.
void MoveGhost(int x, int y) {
  RECT client;
  GetClientRect(g_panel.window, &client);
  const POINT at = {x, y};
  const int p = g_panel.pressed;
  if (PtInRect(&client, at) || p < 0 || size_t(p) >= g_panel.geometry.slots.size()) {
    HideDragGhost();
    return;
  }
  const ThumbSlot& slot = g_panel.geometry.slots[size_t(p)];
  POINT screen = at;
  ClientToScreen(g_panel.window, &screen);
  ShowDragGhost(g_doc.pages.order[size_t(p)], {screen.x + S(14), screen.y + S(16)},
                std::max(slot.width * 3 / 4, 20), std::max(slot.height * 3 / 4, 20));
}

// Every 40 ms of a drag: near the top or bottom edge the list scrolls.
void OnDragTimer() {
  if (!g_panel.dragging) return;
  if (HasDropTarget()) {
    // Still over the other window (which keeps hearing about it), or just
    // back: the hint for this panel again.
    if (OverOtherWindow(g_panel.lastPoint, g_panel.shift)) return;
    g_panel.dropAt = -1;
    DropHint(g_panel.lastY);
    if (!g_panel.dragging) return;
  }
  const int step = AutoscrollStep(g_panel.geometry, g_panel.lastY);
  if (step == 0) return;
  const int before = g_panel.geometry.scroll;
  ScrollTo(before + step);
  if (g_panel.geometry.scroll == before) return;
  DropHint(g_panel.lastY);
}

void OnButtonUp(int x, int y, bool shift) {
  const bool dragging = g_panel.dragging;
  const int pressed = g_panel.pressed;
  const bool overOther = dragging && pressed >= 0 && OverOtherWindow({x, y}, shift);
  LogEvent(L"Thumb LBUTTONUP dragging=%d from=%d dropAt=%d other=%p", int(dragging), pressed, g_panel.dropAt,
           static_cast<void*>(overOther ? DropTargetWindow() : nullptr));
  if (overOther) {
    HWND target = DropTargetWindow();
    const bool canTake = DropTargetCanTake();
    EndDrag();
    POINT screen = {x, y};
    ClientToScreen(g_panel.window, &screen);
    if (canTake) SendPageToTarget(GetParent(g_panel.window), screen, pressed, shift, target);
    return;
  }
  const int q = g_panel.dropAt;
  EndDrag();
  if (!dragging || pressed < 0 || q < 0) return;
  const int target = DropTarget(pressed, q);
  if (target != pressed) MovePage(pressed, target);
}

void StopHover() {
  if (!g_panel.hovering) return;
  g_panel.hovering = false;
  g_panel.dropAt = -1;
  if (g_panel.window) KillTimer(g_panel.window, kHoverWatchdog);
  Repaint();
}

// Another window drags a page over this one: where it would land. 1 when
// this window can take it.
LRESULT OnHover(HWND window, WPARAM what, LPARAM lParam) {
  if (what == 0) {
    StopHover();
    return 0;
  }
  if (what != 1 || !CanTakePage()) return 0;
  if (ShowsBookmarks()) SwitchView(PanelView::Pages);
  POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(window, &at);
  RECT client;
  GetClientRect(window, &client);
  int q = g_doc.pages.PageCount();
  const bool inside = g_panel.visible && PtInRect(&client, at);
  if (inside) {
    const int edge = S(36);
    if (at.y < g_panel.geometry.Header() + edge)
      ScrollTo(g_panel.geometry.scroll - S(14));
    else if (at.y > g_panel.geometry.height - edge)
      ScrollTo(g_panel.geometry.scroll + S(14));
    q = InsertionSlot(g_panel.geometry, at.y);
  }
  const bool first = !g_panel.hovering;
  if (first) SetTimer(window, kHoverWatchdog, kHoverWatchdogMs, nullptr);
  g_panel.hovering = true;
  g_panel.lastHover = GetTickCount64();
  if (q != g_panel.dropAt || first) {
    g_panel.dropAt = q;
    Repaint();
  }
  return 1;
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
  int offset = ActiveScroll();
  switch (action) {
    case SB_LINEUP: offset -= S(48); break;
    case SB_LINEDOWN: offset += S(48); break;
    case SB_PAGEUP: offset -= g.ListHeight() - S(40); break;
    case SB_PAGEDOWN: offset += g.ListHeight() - S(40); break;
    case SB_TOP: offset = 0; break;
    case SB_BOTTOM: offset = ActiveTotal(); break;
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

HWND CreatePagePanel(HWND parent, bool visible, HWND tooltip) {
  g_panel.visible = visible;
  HWND window = CreateWindowExW(0, L"FVThumbs", L"", WS_CHILD | WS_VSCROLL | (visible ? WS_VISIBLE : 0), 0, 0, 0, 0,
                                parent, nullptr, UiInstance(), nullptr);
  if (!window) return nullptr;
  g_panel.window = window;
  g_panel.geometry.dpi = g_ui.dpi;
  g_panel.tooltip = tooltip;
  if (tooltip) {
    TTTOOLINFOW tool = {sizeof(tool)};
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = 1;
    tool.lpszText = const_cast<wchar_t*>(kHeaderTip);
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  DocumentViewHooks hooks = ViewHooks();
  hooks.thumbnailsChanged = Repaint;
  hooks.panelChanged = [] {
    // Another document (or none): from the top, nothing pressed.
    g_panel.geometry.scroll = 0;
    g_panel.marks.scroll = 0;
    g_panel.view = PanelView::Pages;
    g_panel.currentMarker = -1;
    EndDrag();
    const bool opening = !g_doc.loaded && g_doc.loading;
    LayOut(false, !opening);
    // The first thumbnails are asked for now, beside the page view's first
    // picture, rather than after the panel's first paint.
    if (g_doc.loaded && PagePanelVisible()) RequestThumbs(VisibleSlots());
    if (!g_panel.window) return;
    g_panel.firstScreenDue = g_doc.loaded && PagePanelVisible();
    if (opening) {
      SetTimer(g_panel.window, kOpeningTimer, kOpeningShowsAfterMs, nullptr);
    } else {
      KillTimer(g_panel.window, kOpeningTimer);
      SetTimer(g_panel.window, kScrollBarTimer, g_panel.firstScreenDue ? kOpeningShowsAfterMs : USER_TIMER_MINIMUM,
               nullptr);
    }
  };
  hooks.thumbnailsAwaited = [] { return g_panel.firstScreenDue; };
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
  } else {
    FirstScreenShown();  // nothing to wait for
  }
  UpdateShellStatus();
  ShowShellMessage(visible ? L"Page panel shown. Drag a page up or down to move it."
                           : L"Page panel hidden. Press F4 to bring it back.");
}

namespace {

// Each entry's height from its title word-wrapped at the width its depth
// leaves (one to three lines); the view falls back to Pages without any.
void LayOutBookmarks() {
  const std::vector<BookmarkEntry>& marks = g_doc.bookmarks;
  if (!g_doc.loaded || marks.empty()) g_panel.view = PanelView::Pages;
  std::vector<int> textHeights;
  int line = 0;
  if (g_doc.loaded && !marks.empty()) {
    WindowDc screen(g_panel.window);
    SelectedObject font(screen.Get(), g_ui.fontNormal);
    TEXTMETRICW tm = {};
    GetTextMetricsW(screen.Get(), &tm);
    line = tm.tmHeight;
    for (const BookmarkEntry& entry : marks) {
      RECT r = {0, 0, BookmarkTextWidth(g_panel.geometry.width, entry.depth, g_panel.geometry.dpi), 0};
      DrawTextW(screen.Get(), entry.title.c_str(), int(entry.title.size()), &r,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
      textHeights.push_back(r.bottom - r.top);
    }
  }
  StackBookmarks(g_panel.marks, textHeights, line, g_panel.geometry.dpi);
  g_panel.marks.scroll = ClampListScroll(g_panel.marks.scroll, g_panel.marks.total, g_panel.geometry.ListHeight());
}

}  // namespace

namespace {

void LayOut(bool scrollBarNow, bool repaint) {
  if (!g_panel.window) return;
  ThumbGeometry& g = g_panel.geometry;
  RECT client;
  GetClientRect(g_panel.window, &client);
  g.width = client.right;
  g.height = client.bottom;
  static const std::vector<float> kNone;
  const bool loaded = g_doc.loaded;
  LayOutThumbs(g, loaded ? g_doc.pages.widths : kNone, loaded ? g_doc.pages.heights : kNone, g_doc.view.rotation);
  LayOutBookmarks();
  if (scrollBarNow) UpdateScrollBar();
  LogEvent(L"ThumbLayout pages=%d panel=%dx%d slot0=%dx%d dpi=%d", int(g.slots.size()), g.width, g.height,
           g.slots.empty() ? 0 : g.slots[0].width, g.slots.empty() ? 0 : g.slots[0].height, g.dpi);
  if (repaint) Repaint();
}

}  // namespace

void PagePanelLayout() { LayOut(true); }

void PagePanelShowPosition(int position) {
  if (!g_panel.window) return;
  ScrollSlotIntoView(g_panel.geometry, position);
  UpdateScrollBar();
  Repaint();
}

void PagePanelCurrentPage(int position) {
  if (!g_panel.window || position == g_panel.currentMarker) return;
  g_panel.currentMarker = position;
  // Without a selected page the page being read is the one the Organize
  // commands act on: the panel marks it and keeps it in view. It doesn't
  // become the selection, which would then stay behind as the user reads on.
  if (g_doc.pages.selected < 0 && position >= 0 && !ShowsBookmarks()) {
    ScrollSlotIntoView(g_panel.geometry, position);
    UpdateScrollBar();
  }
  Repaint();
}

PagePanelNumbers PagePanelState() {
  PagePanelNumbers n;
  if (!g_panel.window) return n;
  const ThumbGeometry& g = g_panel.geometry;
  n.width = g.width;
  n.height = g.height;
  n.scroll = ActiveScroll();
  n.range = ActiveTotal();
  n.view = ShowsBookmarks() ? 1 : 0;
  n.slots = g.slots;
  return n;
}

std::vector<int> PagePanelVisiblePositions() {
  if (!PagePanelVisible() || ShowsBookmarks() || !g_doc.loaded) return {};
  return VisibleSlots();
}

bool PagePanelCancelDrag() {
  if (g_panel.pressed < 0 && !g_panel.dragging) return false;
  EndDrag();
  return true;
}

bool PagePanelHoldsAPage() { return g_panel.pressed >= 0 || g_panel.dragging; }

int PagePanelInsertionAt(POINT screen) {
  const int n = g_doc.pages.PageCount();
  if (!PagePanelVisible() || ShowsBookmarks()) return n;
  POINT at = screen;
  ScreenToClient(g_panel.window, &at);
  RECT client;
  GetClientRect(g_panel.window, &client);
  return PtInRect(&client, at) ? InsertionSlot(g_panel.geometry, at.y) : n;
}

LRESULT CALLBACK PagePanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PageDragMessage()) return OnHover(window, wParam, lParam);
  switch (message) {
    case WM_DESTROY:
      if (g_panel.window == window) g_panel.window = nullptr;
      return 0;
    case WM_SIZE:
      PagePanelLayout();
      if (g_panel.tooltip) {
        TTTOOLINFOW tool = {sizeof(tool)};
        tool.hwnd = window;
        tool.uId = 1;
        tool.rect = {0, 0, LOWORD(lParam), g_panel.geometry.Header()};
        SendMessageW(g_panel.tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
      }
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
      ScrollTo(ActiveScroll() - GET_WHEEL_DELTA_WPARAM(wParam) * S(110) / 120);
      return 0;
    case WM_LBUTTONDOWN:
      OnButtonDown(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_TIMER:
      if (wParam == kDragTimer) OnDragTimer();
      if (wParam == kHoverWatchdog && g_panel.hovering && GetTickCount64() - g_panel.lastHover > kHoverLostMs)
        StopHover();
      if (wParam == kOpeningTimer) {
        KillTimer(window, kOpeningTimer);
        if (!g_doc.loaded) {
          UpdateScrollBar();
          Repaint();
        }
      }
      if (wParam == kScrollBarTimer) {
        KillTimer(window, kScrollBarTimer);
        UpdateScrollBar();
      }
      if (wParam == kScrollRestTimer) {
        KillTimer(window, kScrollRestTimer);
        g_panel.scrolling = false;
        Repaint();
      }
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0);
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0);
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
