#include "view/page_view.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <cwchar>
#include <string>
#include <vector>

#include "base/handles.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/settings.h"
#include "doc/worker_messages.h"
#include "engine/render_worker.h"
#include "ui/prompt_dialog.h"
#include "ui/ui_context.h"
#include "view/find_bar.h"
#include "view/page_text.h"

static_assert(kKeyEscape == VK_ESCAPE && kKeySpace == VK_SPACE && kKeyPageUp == VK_PRIOR &&
              kKeyPageDown == VK_NEXT && kKeyEnd == VK_END && kKeyHome == VK_HOME && kKeyLeft == VK_LEFT &&
              kKeyUp == VK_UP && kKeyRight == VK_RIGHT && kKeyDown == VK_DOWN);
static_assert(kBarLineUp == SB_LINEUP && kBarLineDown == SB_LINEDOWN && kBarPageUp == SB_PAGEUP &&
              kBarPageDown == SB_PAGEDOWN && kBarThumbPosition == SB_THUMBPOSITION &&
              kBarThumbTrack == SB_THUMBTRACK && kBarTop == SB_TOP && kBarBottom == SB_BOTTOM);

namespace {

struct ViewState {
  HWND window = nullptr;
  // Panning: the mouse and scroll positions where the drag started.
  bool panning = false;
  POINT panMouse = {};
  int64_t panScrollX = 0;
  int64_t panScrollY = 0;
  int wheelRest = 0;               // Ctrl + wheel movement not yet turned into a zoom step
  // Setting the scroll bars can resize the window (a bar appears or goes);
  // such a resize is remembered and laid out once the bars are set.
  bool settingBars = false;
  bool resizedMeanwhile = false;
  int pendingWidth = 0;
  int pendingHeight = 0;
  // The off-screen picture every paint draws into.
  UniqueDc backDc;
  Gdi<HBITMAP> backBitmap;
  std::optional<SelectedObject> backSelection;  // the bitmap in the DC
  int backWidth = 0;
  int backHeight = 0;
  // What each scroll bar was last given (SB_HORZ, SB_VERT); setting the
  // same numbers again is skipped.
  ScrollBarNumbers barsSet[2];
  bool barSet[2] = {false, false};
  // A document is being opened, or was just loaded and the rest of the
  // window (scroll bars, status bar, title) waits until its first page is
  // on screen.
  bool catchUpDue = false;
  bool catchUpSoon = false;  // its timer shortened after the first paint
  // Meanwhile a paint was left out: the window kept what it showed rather
  // than flashing the empty state or placeholders.
  bool paintHeld = false;
  // The client size the last whole paint covered (0 x 0 before the first):
  // only a window that shows something at its present size can keep it.
  int shownWidth = 0;
  int shownHeight = 0;
};

// When a document is opened, its first page's picture is what the user
// waits for. Setting the scroll bars, the status parts and the title costs
// the UI thread several milliseconds (more when the scroll bars' frame has
// to be repainted with that first picture), so they follow the first paint
// that shows the picture, or come this long after the opening began or the
// document loaded when there is nothing to show yet. Until then the view
// paints nothing but that picture: a quick opening goes straight from the
// old document to the new one without flashing the empty state or
// placeholders, and the worker has the processor to itself.
constexpr UINT_PTR kCatchUpTimer = 1;
constexpr UINT kCatchUpDelayMs = 100;
// Once the pages have moved (a scroll, a zoom, a jump), what a resting
// pointer is over is looked at again: on a timer, so that asking where the
// pointer is (a trip to the window system) holds up neither a document's
// first pictures nor a run of wheel turns.
constexpr UINT_PTR kHoverTimer = 2;

ViewState g_view;
PageViewHooks g_hooks;

ViewLayout& View() { return g_doc.view; }

COLORREF ToColorRef(BackgroundRgb c) { return RGB(c.r, c.g, c.b); }

// --- Scroll bars and repainting ----------------------------------------------

bool SameBar(const ScrollBarNumbers& a, const ScrollBarNumbers& b) {
  return a.min == b.min && a.max == b.max && a.page == b.page && a.pos == b.pos &&
         a.disableNoScroll == b.disableNoScroll;
}

void SetBar(int bar, const ScrollBarNumbers& n) {
  if (g_view.barSet[bar] && SameBar(g_view.barsSet[bar], n)) return;
  g_view.barsSet[bar] = n;
  g_view.barSet[bar] = true;
  SCROLLINFO si = {};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | (n.disableNoScroll ? SIF_DISABLENOSCROLL : 0);
  si.nMin = n.min;
  si.nMax = n.max;
  si.nPage = UINT(n.page);
  si.nPos = n.pos;
  // Drawn with the next paint of the frame rather than at once: setting
  // several bars in a row then costs one redraw.
  SetScrollInfo(g_view.window, bar, &si, FALSE);
  RedrawWindow(g_view.window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE);
}

// True when setting the bars resized the view (and so changed the layout).
bool UpdateScrollBars() {
  if (!g_view.window || g_view.settingBars) return false;
  g_view.settingBars = true;
  bool resized = false;
  // A bar that appears or goes changes the client size; the layout follows
  // that size and the bars are set again (a few rounds settle it).
  for (int round = 0; round < 3; ++round) {
    g_view.resizedMeanwhile = false;
    SetBar(SB_VERT, VerticalScrollBar(View()));
    SetBar(SB_HORZ, HorizontalScrollBar(View()));
    if (!g_view.resizedMeanwhile) break;
    SetViewSize(View(), g_view.pendingWidth, g_view.pendingHeight);
    resized = true;
  }
  g_view.settingBars = false;
  return resized;
}

// Scrolls to a content position; repaints only when it moved.
void ScrollViewTo(int64_t x, int64_t y) {
  ViewLayout& v = View();
  const int64_t oldX = v.scrollX, oldY = v.scrollY;
  ScrollTo(v, x, y);
  if (v.scrollX != oldX || v.scrollY != oldY) PageViewLayoutChanged();
}

void ScrollViewBy(int64_t dx, int64_t dy) {
  ViewLayout& v = View();
  const int64_t oldX = v.scrollX, oldY = v.scrollY;
  ScrollBy(v, dx, dy);
  if (v.scrollX != oldX || v.scrollY != oldY) PageViewLayoutChanged();
}

void EndPointerStates() {
  if (g_view.panning && GetCapture() == g_view.window) ReleaseCapture();
  g_view.panning = false;
}

void RequestVisiblePictures();

void StopCatchUp() {
  if (!g_view.catchUpDue) return;
  g_view.catchUpDue = false;
  g_view.catchUpSoon = false;
  if (g_view.window) KillTimer(g_view.window, kCatchUpTimer);
}

// Restarts the wait when one is running.
void StartCatchUp() {
  g_view.catchUpDue = true;
  g_view.catchUpSoon = false;
  SetTimer(g_view.window, kCatchUpTimer, kCatchUpDelayMs, nullptr);
}

// The scroll bars, the status bar and the title after a load, or when an
// opening takes a while.
void CatchUp() {
  if (!g_view.catchUpDue) return;
  StopCatchUp();
  const bool held = g_view.paintHeld;
  g_view.paintHeld = false;
  const bool resized = UpdateScrollBars();
  if ((resized || held || !g_doc.loaded) && g_view.window) InvalidateRect(g_view.window, nullptr, FALSE);
  UpdateShellStatus();
  UpdateShellTitle();
  if (g_doc.loaded) RequestVisiblePictures();  // now with the neighbouring pages
}

void OnDocumentLoaded() {
  EndPointerStates();
  FindDocumentLoaded();
  if (!g_view.window) {
    RequestVisiblePictures();
    PageViewLayoutChanged();
    UpdateShellTitle();
    return;
  }
  // The vertical bar is always there, so the layout doesn't wait for the
  // bars: the first pictures are asked for at once and painted as they come.
  StartCatchUp();
  RequestVisiblePictures();
  InvalidateRect(g_view.window, nullptr, FALSE);
}

void OnDocumentClosed() {
  EndPointerStates();
  FindDocumentClosed();
  if (g_doc.loading && g_view.window) {
    // Another document is being opened. The window keeps what it shows and
    // goes straight over to the new document when that comes soon; the
    // empty, loading state shows only when the opening takes a while.
    StartCatchUp();
    return;
  }
  StopCatchUp();
  g_view.paintHeld = false;
  PageViewLayoutChanged();
  UpdateShellTitle();
}

// --- Painting ----------------------------------------------------------------

void FillBox(HDC dc, const PageBox& box, int width, int height, COLORREF colour) {
  WindowRect r;
  if (!ClipToWindow(box, width, height, r)) return;
  RECT rect = {r.left, r.top, r.right, r.bottom};
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void ReleaseBackBuffer() {
  g_view.backSelection.reset();
  g_view.backDc.Reset();
  g_view.backBitmap.Reset();
  g_view.backWidth = g_view.backHeight = 0;
}

bool EnsureBackBuffer(HDC windowDc, int width, int height) {
  if (g_view.backDc && g_view.backWidth == width && g_view.backHeight == height) return true;
  ReleaseBackBuffer();
  UniqueDc dc(CreateCompatibleDC(windowDc));
  Gdi<HBITMAP> bitmap(dc ? CreateCompatibleBitmap(windowDc, width, height) : nullptr);
  if (!bitmap) return false;
  g_view.backDc = std::move(dc);
  g_view.backBitmap = std::move(bitmap);
  g_view.backSelection.emplace(g_view.backDc.Get(), g_view.backBitmap.Get());
  g_view.backWidth = width;
  g_view.backHeight = height;
  return true;
}

void DrawEmptyState(HDC dc, int width, int height) {
  const wchar_t* text =
      g_doc.loading ? L"Loading..." : L"Open a PDF with Ctrl+O\nor drag and drop a PDF file here";
  SelectedObject font(dc, g_ui.fontLarge ? HGDIOBJ(g_ui.fontLarge) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(EmptyStateTextColour(g_settings.Background)));
  RECT measured = {0, 0, width, 0};
  DrawTextW(dc, text, -1, &measured, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  const int textHeight = measured.bottom - measured.top;
  RECT r = {0, (height - textHeight) / 2, width, (height - textHeight) / 2 + textHeight};
  DrawTextW(dc, text, -1, &r, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

// Copies a cached picture into the page box. False when it could not be
// drawn (the placeholder goes there instead).
bool DrawPicture(HDC dc, HDC pictureDc, const CachedPicture& picture, const PageBox& box, int width, int height) {
  if (!picture.bitmap || picture.gotWidth <= 0 || picture.gotHeight <= 0) return false;
  PictureBlit blit;
  if (!PlanPictureBlit(box, picture.gotWidth, picture.gotHeight, width, height, blit)) return true;  // not in sight
  SelectedObject selected(pictureDc, static_cast<HBITMAP>(picture.bitmap));
  if (!selected) return false;
  BOOL ok = blit.stretch ? StretchBlt(dc, blit.dstX, blit.dstY, blit.dstWidth, blit.dstHeight, pictureDc, blit.srcX,
                                      blit.srcY, blit.srcWidth, blit.srcHeight, SRCCOPY)
                         : BitBlt(dc, blit.dstX, blit.dstY, blit.dstWidth, blit.dstHeight, pictureDc, blit.srcX,
                                  blit.srcY, SRCCOPY);
  return ok != FALSE;
}

// One request replaces every earlier one: the visible pages that lack a
// current picture, then the page below and the page above. Made after every
// paint, and at once when a document is loaded so that the worker renders
// while the windows paint.
void RequestVisiblePictures() {
  const ViewLayout& v = View();
  const PageOrder& order = g_doc.pages.order;
  const PageRange visible = VisiblePages(v);
  std::vector<int> wanted = RenderList(visible, v.PageCount(), [&](int p) {
    return size_t(p) < order.size() && PictureUpToDate(g_doc.pictures, v, p, order[size_t(p)]);
  });
  // While the first page is awaited its neighbours would only compete with
  // it; they are asked for once the window has caught up.
  if (g_view.catchUpDue)
    wanted.erase(std::remove_if(wanted.begin(), wanted.end(),
                                [&](int p) { return p < visible.first || p >= visible.end; }),
                 wanted.end());
  g_worker.RequestPageRenders(PageRenderJobs(v, order, wanted, g_doc.generation));
  TrimPagePictures(VisibleEnginePages(v, order));
}

void PrepareForPictures(HDC dc) {
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
}

// Draws the visible pages and puts them on the window. The background,
// shadows and placeholders go through the back buffer; a picture that
// nothing is drawn over is copied straight onto the window (the back
// buffer's copy leaves its box out), so every pixel of the window is
// written once and a picture's pixels take one copy to get there.
// True when the first visible page was drawn from a picture.
bool DrawPages(HDC window, HDC back, int width, int height) {
  ViewLayout& v = View();
  const PageOrder& order = g_doc.pages.order;
  const DWORD now = GetTickCount();
  PrepareForPictures(back);
  PrepareForPictures(window);
  UniqueDc pictures(CreateCompatibleDC(back));
  HDC pictureDc = pictures.Get();
  const bool decorated = g_doc.pdfium;

  const PageRange visible = VisiblePages(v);
  struct Direct {
    int position;
    PageBox box;
    const CachedPicture* picture;
  };
  std::vector<Direct> direct;
  bool firstShown = false;
  const int shadowOffset = ScaleForDpi(3, v.dpi);
  const COLORREF shadow = ToColorRef(PageShadowColour(g_settings.Background));
  for (int p = visible.first; p < visible.end; ++p) {
    const PageBox box = PageBoxInWindow(v, p);
    if (g_settings.PageShadow) {
      const ShadowStrips strips = ShadowOf(box, shadowOffset);
      FillBox(back, strips.right, width, height, shadow);
      FillBox(back, strips.bottom, width, height, shadow);
    }
    const int page = size_t(p) < order.size() ? order[size_t(p)] : -1;
    const CachedPicture* picture = page >= 0 ? g_doc.pictures.Find(page) : nullptr;
    bool drawn = false;
    if (picture && picture->rotation == v.rotation && pictureDc) {
      g_doc.pictures.Touch(page, now);
      if (!decorated) {
        direct.push_back({p, box, picture});
        continue;
      }
      // A picture of another size (an older zoom, or a pixel off) is stretched.
      drawn = DrawPicture(back, pictureDc, *picture, box, width, height);
    }
    if (p == visible.first) firstShown = drawn;
    if (!drawn) FillBox(back, box, width, height, ToColorRef(kPlaceholderColour));
    if (decorated) DecorateTextOnPage(back, p, box, now, width, height);
  }

  for (const Direct& d : direct) {
    WindowRect r;
    if (ClipToWindow(d.box, width, height, r)) ExcludeClipRect(window, r.left, r.top, r.right, r.bottom);
  }
  BitBlt(window, 0, 0, width, height, back, 0, 0, SRCCOPY);
  if (!direct.empty()) SelectClipRgn(window, nullptr);
  for (const Direct& d : direct) {
    const bool drawn = DrawPicture(window, pictureDc, *d.picture, d.box, width, height);
    if (!drawn) FillBox(window, d.box, width, height, ToColorRef(kPlaceholderColour));
    if (d.position == visible.first) firstShown = drawn;
  }
  return firstShown;
}

// Every visible page covers its box with its picture or a placeholder, so
// the background is laid around them only.
void FillAroundPages(HDC dc, int width, int height) {
  const ViewLayout& v = View();
  const PageRange visible = VisiblePages(v);
  std::vector<WindowRect> pages;
  for (int p = visible.first; p < visible.end; ++p) {
    WindowRect r;
    if (ClipToWindow(PageBoxInWindow(v, p), width, height, r)) pages.push_back(r);
  }
  for (const WindowRect& r : AroundPages(pages, width, height)) {
    RECT rect = {r.left, r.top, r.right, r.bottom};
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  }
}

// While a document is being opened, and right after it loaded until the
// first page's picture is there, as long as the window shows what it showed
// before at the same size.
bool HoldPaint(int width, int height) {
  if (!g_view.catchUpDue || g_view.shownWidth <= 0 || width != g_view.shownWidth || height != g_view.shownHeight)
    return false;
  if (g_doc.loading) return true;
  if (!g_doc.loaded) return false;
  const ViewLayout& v = View();
  const int first = VisiblePages(v).first;
  const PageOrder& order = g_doc.pages.order;
  if (first < 0 || size_t(first) >= order.size()) return false;
  const CachedPicture* picture = g_doc.pictures.Find(order[size_t(first)]);
  return !picture || picture->rotation != v.rotation;
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client = {};
  GetClientRect(window, &client);
  const int width = client.right, height = client.bottom;
  if (HoldPaint(width, height)) {
    g_view.paintHeld = true;
  } else if (dc && width > 0 && height > 0 && EnsureBackBuffer(dc, width, height)) {
    HDC back = g_view.backDc.Get();
    SetBkColor(back, ToColorRef(BackgroundColour(g_settings.Background)));
    bool firstShown = false;
    if (g_doc.loaded) {
      FillAroundPages(back, width, height);
      firstShown = DrawPages(dc, back, width, height);
    } else {
      RECT all = {0, 0, width, height};
      ExtTextOutW(back, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
      DrawEmptyState(back, width, height);
      BitBlt(dc, 0, 0, width, height, back, 0, 0, SRCCOPY);
    }
    g_view.shownWidth = width;
    g_view.shownHeight = height;
    // The rest of the window follows once this paint is on screen, on a
    // timer: timers come after posted messages and paints, so the pictures
    // and thumbnails already rendered reach the screen first.
    // Once: the paints of the pictures arriving meanwhile don't put it off.
    // With the page panel shown it waits for the panel's first thumbnails
    // too (or the 100 ms, whichever comes first): the bars and the status
    // bar take long enough under a window system that they would hold up
    // the thumbnails arriving meanwhile.
    if (firstShown && g_view.catchUpDue && !g_view.catchUpSoon) {
      g_view.catchUpSoon = true;
      if (!ViewHooks().thumbnailsAwaited || !ViewHooks().thumbnailsAwaited())
        SetTimer(window, kCatchUpTimer, USER_TIMER_MINIMUM, nullptr);
    }
  }
  EndPaint(window, &ps);
  // The pictures this paint lacked (or, while it is held, those scrolled or
  // zoomed into view meanwhile), asked for once it is on screen.
  if (g_doc.loaded) RequestVisiblePictures();
}

// --- Input -------------------------------------------------------------------

bool ScreenPointIn(HWND window, POINT screen) {
  RECT r;
  return window && IsWindowVisible(window) && GetWindowRect(window, &r) && PtInRect(&r, screen);
}

// The window a wheel turn belongs to when it is not the view: the page panel
// or the ribbon under the pointer.
HWND WheelOwnerAt(HWND view, POINT screen) {
  HWND parent = GetParent(view);
  HWND panel = parent ? FindWindowExW(parent, nullptr, L"FVThumbs", nullptr) : nullptr;
  if (ScreenPointIn(panel, screen)) return panel;
  HWND ribbon = parent ? FindWindowExW(parent, nullptr, L"FVRibbon", nullptr) : nullptr;
  if (ScreenPointIn(ribbon, screen)) return ribbon;
  return nullptr;
}

void OnWheel(int delta, WORD keys) {
  if (keys & MK_CONTROL) {
    // Without a document the movement is used up all the same.
    const int steps = TakeWheelZoomSteps(g_view.wheelRest, delta);
    if (!g_doc.loaded || steps == 0) return;
    for (int i = 0; i < steps; ++i) ZoomIn(View());
    for (int i = 0; i > steps; --i) ZoomOut(View());
    PageViewLayoutChanged();
    return;
  }
  if (!g_doc.loaded) return;
  const int64_t distance = WheelScrollDistance(delta, View().dpi);
  if (keys & MK_SHIFT)
    ScrollViewBy(distance, 0);
  else
    ScrollViewBy(0, distance);
}

void OnScrollBar(HWND window, bool vertical, int code) {
  if (!g_doc.loaded) return;
  // The user moved the bar itself: give it its numbers again afterwards even
  // when the scroll position does not change.
  g_view.barSet[vertical ? SB_VERT : SB_HORZ] = false;
  ViewLayout& v = View();
  const ScrollBarNumbers numbers = vertical ? VerticalScrollBar(v) : HorizontalScrollBar(v);
  SCROLLINFO si = {};
  si.cbSize = sizeof(si);
  si.fMask = SIF_TRACKPOS;
  GetScrollInfo(window, vertical ? SB_VERT : SB_HORZ, &si);
  int64_t target = 0;
  if (!ScrollBarTarget(code, vertical ? v.scrollY : v.scrollX, vertical ? v.viewHeight : v.viewWidth,
                       ContentFromBar(numbers, si.nTrackPos), vertical ? v.contentHeight : v.contentWidth, v.dpi,
                       target))
    return;
  if (vertical)
    ScrollViewTo(v.scrollX, target);
  else
    ScrollViewTo(target, v.scrollY);
}

void OnKey(int virtualKey) {
  const ViewKey key = ViewKeyFor(virtualKey);
  if (key == ViewKey::Escape) {
    if (g_hooks.escape && g_hooks.escape()) return;
    TextEscape();
    return;
  }
  if (!g_doc.loaded) return;
  ViewLayout& v = View();
  const int64_t oldX = v.scrollX, oldY = v.scrollY;
  if (ApplyViewKey(v, key) && (v.scrollX != oldX || v.scrollY != oldY)) PageViewLayoutChanged();
}

void BeginPan(HWND window, POINT at) {
  SetCapture(window);
  g_view.panning = true;
  g_view.panMouse = at;
  g_view.panScrollX = View().scrollX;
  g_view.panScrollY = View().scrollY;
  SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
}

// The pointer: the four-way arrows while panning; the I-beam over text and
// while selecting, the hand over a link; else the arrow.
void SetViewCursor() {
  const wchar_t* cursor = IDC_ARROW;
  if (g_doc.loaded && g_view.panning)
    cursor = IDC_SIZEALL;
  else if (g_doc.loaded && TextCursor())
    cursor = TextCursor();
  SetCursor(LoadCursorW(nullptr, cursor));
}

// Go to page: the prompt, then the typed number's page.
void AskAndGoToPage(HWND owner) {
  wchar_t prompt[64];
  std::swprintf(prompt, 64, L"Go to page (1 - %d):", View().PageCount());
  std::wstring typed;
  if (!PromptText(owner, L"Go to page", prompt, false, std::to_wstring(CurrentPage(View()) + 1), typed)) return;
  const int number = ReadTypedNumber(typed);
  // The document may have gone while the prompt was up; GoToPage then does nothing.
  if (number > 0 && g_doc.loaded) GoToPage(View(), number - 1);
}

}  // namespace

// --- Interface ---------------------------------------------------------------

void SetPageViewHooks(const PageViewHooks& hooks) { g_hooks = hooks; }

HWND PageViewWindow() { return g_view.window; }

void PageViewLayoutChanged() {
  UpdateScrollBars();
  if (g_view.window) InvalidateRect(g_view.window, nullptr, FALSE);
  UpdateShellStatus();
  if (g_view.window) SetTimer(g_view.window, kHoverTimer, USER_TIMER_MINIMUM, nullptr);
}

void PageViewPagesChanged() {
  SetPageSizes(View(), g_doc.pages.widths, g_doc.pages.heights);
  RelayoutKeepingPosition(View());
  PageViewLayoutChanged();
}

void PageViewScrollTo(int64_t x, int64_t y) { ScrollViewTo(x, y); }
void PageViewScrollBy(int64_t dx, int64_t dy) { ScrollViewBy(dx, dy); }

void PageViewGoToPosition(int position) {
  GoToPage(View(), position);
  PageViewLayoutChanged();
}

void PageViewAction(HWND owner, ViewAction action) {
  if (!g_doc.loaded) return;
  ViewLayout& v = View();
  switch (action) {
    case ViewAction::PreviousPage:
      PreviousPage(v);
      break;
    case ViewAction::NextPage:
      NextPage(v);
      break;
    case ViewAction::FirstPage:
      FirstPage(v);
      break;
    case ViewAction::LastPage:
      LastPage(v);
      break;
    case ViewAction::GoToPage:
      AskAndGoToPage(owner);
      break;
    case ViewAction::ZoomIn:
      ZoomIn(v);
      break;
    case ViewAction::ZoomOut:
      ZoomOut(v);
      break;
    case ViewAction::ActualSize:
      ActualSize(v);
      break;
    case ViewAction::FitWidth:
      FitWidth(v);
      break;
    case ViewAction::FitPage:
      FitPage(v);
      break;
    case ViewAction::RotateLeft:
      RotateLeft(v);
      break;
    case ViewAction::RotateRight:
      RotateRight(v);
      break;
  }
  PageViewLayoutChanged();
}

HWND CreatePageView(HWND parent) {
  HWND view = CreateWindowExW(0, L"FolivexView", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                              0, 0, 0, 0, parent, nullptr, UiInstance(), nullptr);
  if (!view) return nullptr;
  // Double-clicks (word selection) are asked for on the class once the view exists.
  SetClassLongPtrW(view, GCL_STYLE, LONG_PTR(GetClassLongPtrW(view, GCL_STYLE) | CS_DBLCLKS));

  DocumentViewHooks hooks = ViewHooks();
  hooks.documentLoaded = OnDocumentLoaded;
  hooks.documentClosed = OnDocumentClosed;
  hooks.goToPosition = PageViewGoToPosition;
  hooks.pagesChanged = PageViewPagesChanged;
  hooks.picturesChanged = [] {
    if (g_view.window) InvalidateRect(g_view.window, nullptr, FALSE);
  };
  hooks.focusView = [] {
    if (g_view.window) SetFocus(g_view.window);
  };
  hooks.thumbnailsShown = [] {
    if (g_view.window && g_view.catchUpDue && g_view.catchUpSoon)
      SetTimer(g_view.window, kCatchUpTimer, USER_TIMER_MINIMUM, nullptr);
  };
  SetDocumentViewHooks(hooks);
  ConnectPageText();

  PageViewLayoutChanged();
  return view;
}

LRESULT CALLBACK PageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_view.window = window;
      View().dpi = g_ui.dpi;
      return 0;
    case WM_DESTROY:
      EndPointerStates();
      StopCatchUp();
      ReleaseBackBuffer();
      g_view.window = nullptr;
      return 0;
    case WM_SIZE: {
      const int width = LOWORD(lParam), height = HIWORD(lParam);
      if (g_view.settingBars) {
        g_view.resizedMeanwhile = true;
        g_view.pendingWidth = width;
        g_view.pendingHeight = height;
        return 0;
      }
      SetViewSize(View(), width, height);
      PageViewLayoutChanged();
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_TIMER:
      if (wParam == kCatchUpTimer) CatchUp();
      if (wParam == kSelectionScrollTimer) TextAutoScroll(window);
      if (wParam == kHoverTimer) {
        KillTimer(window, kHoverTimer);
        HoverWhereThePointerRests();
      }
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetViewCursor();
        return TRUE;
      }
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (ViewKeyFor(int(wParam)) == ViewKey::None) break;
      OnKey(int(wParam));
      return 0;
    case WM_MOUSEWHEEL: {
      POINT screen = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (HWND owner = WheelOwnerAt(window, screen)) return SendMessageW(owner, message, wParam, lParam);
      OnWheel(GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam));
      return 0;
    }
    case WM_MOUSEHWHEEL:
      // Tilted right (a positive delta) scrolls right.
      if (g_doc.loaded) ScrollViewBy(-WheelScrollDistance(GET_WHEEL_DELTA_WPARAM(wParam), View().dpi), 0);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      OnScrollBar(window, message == WM_VSCROLL, LOWORD(wParam));
      return 0;
    case WM_LBUTTONDOWN: {
      // A press on a link or on text is the text layer's; elsewhere it pans.
      SetFocus(window);
      if (!g_doc.loaded) return 0;
      const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      if (!TextButtonDown(window, x, y, (wParam & MK_SHIFT) != 0)) BeginPan(window, {x, y});
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      // A double-click on text selects a word; elsewhere it pans like any press.
      SetFocus(window);
      if (!g_doc.loaded) return 0;
      const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      if (!TextDoubleClick(x, y)) BeginPan(window, {x, y});
      return 0;
    }
    case WM_MOUSEMOVE: {
      const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      if (g_view.panning)
        ScrollViewTo(g_view.panScrollX + g_view.panMouse.x - x, g_view.panScrollY + g_view.panMouse.y - y);
      else
        TextMouseMove(window, x, y);
      return 0;
    }
    case WM_LBUTTONUP:
      if (TextButtonUp(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) return 0;
      if (g_view.panning && GetCapture() == window) ReleaseCapture();
      g_view.panning = false;
      return 0;
    case WM_RBUTTONUP:
      ShowTextMenu(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      g_view.panning = false;
      TextCaptureLost(window);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
