#include "view/page_text.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/link_rules.h"
#include "doc/text_select.h"
#include "doc/worker_messages.h"
#include "ui/commands.h"
#include "ui/ui_context.h"
#include "view/find_bar.h"
#include "view/page_view.h"

namespace {

constexpr COLORREF kMatchColour = RGB(255, 238, 110);
constexpr COLORREF kCurrentMatchColour = RGB(255, 170, 70);
constexpr COLORREF kSelectionColour = RGB(168, 208, 255);
constexpr DWORD kPatAnd = 0x00A000C9;

struct PointerState {
  bool selecting = false;
  // A link under a pressed left button.
  bool linkPressed = false;
  int pressedPosition = -1;
  int pressedLink = -1;
  int hoverState = 0;  // 0 nothing, 1 text, 2 link
  int hoverKey = -1;   // the link described in the status bar
  std::wstring hoverText;  // and the description shown for it
};
PointerState g_pointer;

TextSelection& Selection() { return g_doc.selection; }

void Repaint() {
  if (ViewHooks().picturesChanged) ViewHooks().picturesChanged();
}

struct TextHit {
  int position = -1;
  int charIndex = -1;
  int link = -1;
  bool onText = false;
};

// What lies under the point (x, y) of the view's client area.
TextHit HitTest(int x, int y, bool nearest) {
  TextHit hit;
  const ViewLayout& v = g_doc.view;
  const int n = v.PageCount();
  if (!g_doc.loaded || !g_doc.pdfium || n == 0 || size_t(n) > g_doc.pages.order.size()) return hit;
  const int64_t cx = v.scrollX + x, cy = v.scrollY + y;
  int p = std::min(FirstPageEndingAtOrBelow(v, cy), n - 1);
  if (nearest && p > 0 && cy < v.pageTop[size_t(p)]) {
    const int64_t aboveBottom = v.pageTop[size_t(p - 1)] + v.pageHeight[size_t(p - 1)];
    if (cy - aboveBottom < v.pageTop[size_t(p)] - cy) --p;
  }
  const int64_t left = PageLeft(v, p), top = v.pageTop[size_t(p)];
  const int width = v.pageWidth[size_t(p)], height = v.pageHeight[size_t(p)];
  if (!nearest && (cx < left || cx >= left + width || cy < top || cy >= top + height)) return hit;
  hit.position = p;
  auto it = g_doc.text.find(g_doc.pages.order[size_t(p)]);
  if (it == g_doc.text.end() || !it->second.hasBoxes) return hit;
  const TextEntry& entry = it->second;
  const NormPoint point = PagePointFromDisplay(double(cx - left), double(cy - top), width, height, v.rotation);
  if (!nearest) hit.link = HitLink(entry.links, point);
  hit.charIndex = HitCharacter(entry.boxes, point, nearest, v.baseWidth[size_t(p)], v.baseHeight[size_t(p)],
                               hit.onText);
  return hit;
}

void Hover(int x, int y) {
  const TextHit hit = HitTest(x, y, false);
  if (hit.link < 0) {
    if (g_pointer.hoverKey != -1) {
      // Only the description goes: a message shown since (a find that
      // wrapped round, a page moved) stays.
      if (ShellMessage() == g_pointer.hoverText) ShowShellMessage(L"");
      g_pointer.hoverKey = -1;
    }
    g_pointer.hoverState = hit.onText ? 1 : 0;
    return;
  }
  g_pointer.hoverState = 2;
  const int key = LinkHoverKey(hit.position, hit.link);
  if (key == g_pointer.hoverKey) return;
  g_pointer.hoverKey = key;
  const TextEntry& entry = g_doc.text[g_doc.pages.order[size_t(hit.position)]];
  g_pointer.hoverText = LinkHoverText(entry.links[size_t(hit.link)], g_doc.pages.positionOf);
  ShowShellMessage(g_pointer.hoverText);
}

void OpenAddress(const std::wstring& address) {
  ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void FollowLink(const PageLink& link) {
  const LinkDecision d = DecideLink(link, g_doc.pages.positionOf);
  // What follows replaces the link's description in the status bar; moving
  // off the link must not clear that.
  g_pointer.hoverKey = -1;
  switch (d.action) {
    case LinkAction::GoToPage:
      GoToPosition(d.position);
      ShowShellMessage(d.message);
      return;
    case LinkAction::Refuse:
      ShowShellMessage(d.message);
      return;
    case LinkAction::Ask:
      if (MessageBoxW(DocumentOwner(), d.question.c_str(), L"Open link", MB_YESNO | MB_ICONQUESTION) == IDYES)
        OpenAddress(d.address);
      return;
  }
}

void EndSelectionDrag(HWND view) {
  g_pointer.selecting = false;
  KillTimer(view, kSelectionScrollTimer);
  if (GetCapture() == view) ReleaseCapture();
}

void ClearSelection() {
  const bool had = Selection().hasSelection;
  Selection().hasSelection = false;
  Selection().dragMoved = false;
  if (had) Repaint();
}

// Draws rectangles of the unrotated page over the page box with the
// highlighter's raster operation, each grown by `grow` pixels.
void Highlight(HDC dc, const PageBox& box, const std::vector<NormRect>& rects, int rotation, int grow,
               int clientWidth, int clientHeight) {
  for (const NormRect& r : rects) {
    const DisplayRect d = DisplayRectOf(r, box.width, box.height, rotation);
    const int64_t left = std::max<int64_t>(box.left + d.left - grow, -1);
    const int64_t top = std::max<int64_t>(box.top + d.top - grow, -1);
    const int64_t right = std::min<int64_t>(box.left + d.right + grow, clientWidth + 1);
    const int64_t bottom = std::min<int64_t>(box.top + d.bottom + grow, clientHeight + 1);
    if (right <= left || bottom <= top) continue;
    PatBlt(dc, int(left), int(top), int(right - left), int(bottom - top), kPatAnd);
  }
}

// A copy waits for pages: is every selected page read now?
bool SelectedPagesRead() {
  TextPoint lo, hi;
  OrderedEnds(Selection(), lo, hi);
  const PageOrder& order = g_doc.pages.order;
  const int last = std::min(hi.position, int(order.size()) - 1);
  for (int p = std::max(lo.position, 0); p <= last; ++p)
    if (!g_doc.text.count(order[size_t(p)])) return false;
  return true;
}

bool PutOnClipboard(const std::wstring& text) {
  if (!OpenClipboard(DocumentOwner())) return false;
  bool ok = false;
  HGLOBAL memory = nullptr;
  if (EmptyClipboard()) {
    memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (void* p = memory ? GlobalLock(memory) : nullptr) {
      std::memcpy(p, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
      GlobalUnlock(memory);
      ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
  }
  if (!ok && memory) GlobalFree(memory);
  CloseClipboard();
  return ok;
}

// --- Arrivals and order changes -------------------------------------------------

bool PageVisible(int page) {
  const std::vector<int>& positionOf = g_doc.pages.positionOf;
  if (page < 0 || size_t(page) >= positionOf.size()) return false;
  return IsVisible(g_doc.view, positionOf[size_t(page)]);
}

void OnTextArrived(TextResult& result) {
  const int page = result.page;
  // A read in the background brings the characters only; the page is read
  // whole when it is painted or its match is shown.
  const bool newText =
      StoreTextRead(g_doc.text[page], result.ok != 0, result.background != 0, std::move(result.text), GetTickCount());

  // A page read again for its boxes has the same text and the same matches.
  if (newText) FindPageArrived(page);

  const bool visible = PageVisible(page);
  LimitBoxedEntries(g_doc.text, PageVisible);

  FindShowPendingMatch();
  if (Selection().copyPending && SelectedPagesRead()) CopySelectedText();
  if (visible) Repaint();
  RefreshFindStatus();
  if (visible) HoverWhereThePointerRests();
}

TextEntryState EntryOf(int page) {
  TextEntryState state;
  auto it = g_doc.text.find(page);
  if (it == g_doc.text.end()) return state;
  state.present = true;
  state.hasBoxes = it->second.hasBoxes;
  return state;
}

void OnOrderApplied(PageModel&) {
  Selection() = TextSelection();
  g_pointer.hoverKey = -1;
  g_pointer.hoverState = 0;
  g_pointer.linkPressed = false;
  FindOrderChanged();
}

}  // namespace

// The pointer may have come to rest on a link before the page's links were
// read, or the pages moved under it: it is described now, as a move would
// describe it.
void HoverWhereThePointerRests() {
  HWND view = PageViewWindow();
  POINT at;
  if (!view || g_pointer.selecting || g_pointer.linkPressed || !g_doc.loaded || !g_doc.pdfium) return;
  if (!GetCursorPos(&at) || WindowFromPoint(at) != view || GetCapture()) return;
  ScreenToClient(view, &at);
  const int before = g_pointer.hoverState;
  Hover(at.x, at.y);
  if (g_pointer.hoverState != before)
    SendMessageW(view, WM_SETCURSOR, WPARAM(view), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void ConnectPageText() {
  DocumentViewHooks hooks = ViewHooks();
  hooks.textArrived = OnTextArrived;
  hooks.textEntry = EntryOf;
  SetDocumentViewHooks(hooks);
  SetOrderAppliedHandler(OnOrderApplied);
}

void DecorateTextOnPage(HDC dc, int position, const PageBox& box, DWORD paintTime, int clientWidth,
                        int clientHeight) {
  const PageOrder& order = g_doc.pages.order;
  if (position < 0 || size_t(position) >= order.size()) return;
  const int page = order[size_t(position)];
  auto it = g_doc.text.find(page);
  if (it == g_doc.text.end() || !it->second.hasBoxes) {
    RequestPageText(page, true);
    return;
  }
  TextEntry& entry = it->second;
  entry.stamp = paintTime;
  const int rotation = g_doc.view.rotation;
  const FindState& find = g_doc.find;
  if (find.open) {
    const MatchSpan span = MatchesOfPosition(find, position);
    const int grow = 1;
    for (size_t i = span.first; i < span.end; ++i) {
      const FindMatch& m = find.matches[i];
      HBRUSH brush = CreateSolidBrush(int(i) == find.current ? kCurrentMatchColour : kMatchColour);
      HGDIOBJ old = SelectObject(dc, brush);
      Highlight(dc, box, LineRects(entry.boxes, m.start, m.start + m.length), rotation, grow, clientWidth,
                clientHeight);
      SelectObject(dc, old);
      DeleteObject(brush);
    }
  }
  const CharRange range = SelectedRange(Selection(), position, int(entry.chars.size()));
  if (range.start < range.end) {
    HBRUSH brush = CreateSolidBrush(kSelectionColour);
    HGDIOBJ old = SelectObject(dc, brush);
    Highlight(dc, box, LineRects(entry.boxes, range.start, range.end), rotation, 0, clientWidth, clientHeight);
    SelectObject(dc, old);
    DeleteObject(brush);
  }
}

bool TextButtonDown(HWND view, int x, int y, bool shift) {
  const TextHit hit = HitTest(x, y, false);
  if (hit.link >= 0) {
    g_pointer.linkPressed = true;
    g_pointer.pressedPosition = hit.position;
    g_pointer.pressedLink = hit.link;
    SetCapture(view);
    return true;
  }
  if (hit.charIndex < 0 || !hit.onText) {
    ClearSelection();
    return false;
  }
  TextSelection& s = Selection();
  if (shift && s.hasSelection) {
    s.dragMoved = true;
  } else {
    s.anchor = {hit.position, hit.charIndex};
    s.dragMoved = false;
  }
  s.focus = {hit.position, hit.charIndex};
  s.hasSelection = true;
  s.copyPending = false;
  g_pointer.selecting = true;
  SetCapture(view);
  SetTimer(view, kSelectionScrollTimer, 50, nullptr);
  Repaint();
  return true;
}

bool TextMouseMove(HWND view, int x, int y) {
  if (g_pointer.selecting) {
    const TextHit hit = HitTest(x, y, true);
    TextSelection& s = Selection();
    if (hit.charIndex >= 0 && (hit.position != s.focus.position || hit.charIndex != s.focus.charIndex)) {
      s.focus = {hit.position, hit.charIndex};
      s.dragMoved = true;
      Repaint();
    }
    return true;
  }
  if (g_pointer.linkPressed) return true;
  if (g_doc.loaded && g_doc.pdfium)
    Hover(x, y);
  else
    g_pointer.hoverState = 0;
  return false;
}

bool TextButtonUp(HWND view, int x, int y) {
  if (g_pointer.selecting) {
    EndSelectionDrag(view);
    if (Selection().dragMoved)
      ShowShellMessage(L"Text selected. Press Ctrl+C to copy it (or right-click for a menu).");
    else
      ClearSelection();
    return true;
  }
  if (g_pointer.linkPressed) {
    g_pointer.linkPressed = false;
    if (GetCapture() == view) ReleaseCapture();
    const TextHit hit = HitTest(x, y, false);
    if (hit.link >= 0 && hit.link == g_pointer.pressedLink && hit.position == g_pointer.pressedPosition) {
      const TextEntry& entry = g_doc.text[g_doc.pages.order[size_t(hit.position)]];
      const PageLink link = entry.links[size_t(hit.link)];
      FollowLink(link);
    }
    return true;
  }
  return false;
}

void TextCaptureLost(HWND view) {
  g_pointer.linkPressed = false;
  if (g_pointer.selecting) {
    g_pointer.selecting = false;
    KillTimer(view, kSelectionScrollTimer);
  }
}

bool TextDoubleClick(int x, int y) {
  const TextHit hit = HitTest(x, y, false);
  if (hit.charIndex < 0 || !hit.onText) return false;
  const TextEntry& entry = g_doc.text[g_doc.pages.order[size_t(hit.position)]];
  int first = 0, last = 0;
  WordAround(entry.chars, hit.charIndex, first, last);
  TextSelection& s = Selection();
  s.anchor = {hit.position, first};
  s.focus = {hit.position, last};
  s.hasSelection = true;
  s.dragMoved = false;
  g_pointer.selecting = false;
  Repaint();
  ShowShellMessage(L"Word selected. Press Ctrl+C to copy it, or Ctrl+F to find it elsewhere in the document.");
  return true;
}

void TextAutoScroll(HWND view) {
  if (!g_pointer.selecting) {
    KillTimer(view, kSelectionScrollTimer);
    return;
  }
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(view, &p);
  RECT client;
  GetClientRect(view, &client);
  const int most = Scaled(80);
  int dy = 0;
  if (p.y < 0) dy = -std::min<int>(-p.y, most);
  if (p.y > client.bottom) dy = std::min<int>(p.y - client.bottom, most);
  if (dy != 0) PageViewScrollBy(0, dy);
  TextMouseMove(view, p.x, std::clamp<int>(p.y, 0, std::max<int>(client.bottom - 1, 0)));
}

const wchar_t* TextCursor() {
  if (g_pointer.selecting) return IDC_IBEAM;
  if (g_pointer.hoverState == 2) return IDC_HAND;
  if (g_pointer.hoverState == 1) return IDC_IBEAM;
  return nullptr;
}

bool TextEscape() {
  if (Selection().hasSelection) {
    ClearSelection();
    return true;
  }
  if (g_doc.find.open) {
    CloseFind();
    return true;
  }
  return false;
}

void ShowTextMenu(HWND view, int x, int y) {
  if (!g_doc.loaded) return;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING | (Selection().hasSelection ? 0 : MF_GRAYED), CMD_COPY, L"&Copy\tCtrl+C");
  AppendMenuW(menu, MF_STRING | (g_doc.pdfium ? 0 : MF_GRAYED), CMD_SELECT_ALL, L"Select &All\tCtrl+A");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING | (g_doc.pdfium ? 0 : MF_GRAYED), CMD_FIND, L"&Find\u2026\tCtrl+F");
  POINT p = {x, y};
  ClientToScreen(view, &p);
  const int chosen = int(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, view, nullptr));
  DestroyMenu(menu);
  if (chosen != 0) SendMessageW(GetParent(view), WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

void CopySelectedText() {
  if (!g_doc.loaded) return;
  TextSelection& s = Selection();
  if (!g_doc.pdfium) {
    ShowShellMessage(L"Copying text isn't available for this document (see Help \u2192 Diagnostic Report).");
    return;
  }
  if (!s.hasSelection) {
    s.copyPending = false;
    ShowShellMessage(
        L"Nothing is selected. Drag across some text to select it, or press Ctrl+A to select everything.");
    return;
  }
  const SelectedText selected = ComposeSelectedText(s, g_doc.pages.order, g_doc.text);
  if (!selected.complete) {
    for (int page : selected.missing) RequestPageText(page, false);
    s.copyPending = true;
    ShowShellMessage(L"Reading the text of the selected pages\u2026 it will be copied as soon as that's done.");
    return;
  }
  s.copyPending = false;
  if (!PutOnClipboard(selected.text)) {
    ShowShellMessage(L"The clipboard is busy; press Ctrl+C again.");
    return;
  }
  if (selected.text.empty()) {
    ShowShellMessage(L"The selection has no text in it (it may be a picture of text, such as a scan).");
    return;
  }
  wchar_t text[120];
  swprintf(text, 120, L"Copied %d characters. Paste them anywhere with Ctrl+V.", int(selected.text.size()));
  ShowShellMessage(text);
}

void SelectAllDocumentText() {
  if (!g_doc.loaded) return;
  if (!g_doc.pdfium) {
    ShowShellMessage(L"Selecting text isn't available for this document (see Help \u2192 Diagnostic Report).");
    return;
  }
  SelectAllText(Selection(), g_doc.pages.PageCount());
  Repaint();
  ShowShellMessage(
      L"All the text in the document is selected. Press Ctrl+C to copy it; click anywhere to unselect.");
}

bool SelectionWithinOnePage(std::wstring& text) {
  const TextSelection& s = Selection();
  if (!s.hasSelection || s.anchor.position != s.focus.position) return false;
  const SelectedText selected = ComposeSelectedText(s, g_doc.pages.order, g_doc.text);
  if (!selected.complete) return false;
  text = selected.text;
  return true;
}
