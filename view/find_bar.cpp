#include "view/find_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/text_select.h"
#include "doc/worker_messages.h"
#include "ui/paint.h"
#include "ui/ui_context.h"
#include "view/page_text.h"
#include "view/page_view.h"

namespace {

constexpr int kEditId = 7101;
constexpr int kPreviousId = 7102;
constexpr int kNextId = 7103;
constexpr int kCloseId = 7104;
constexpr int kBarHeight = 40;
constexpr int kEditLimit = 250;
constexpr int kReadLimit = 300;
constexpr UINT_PTR kEditSubclass = 1;
// While pages are being read the status changes with every page; the bar
// shows it at most this often.
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusPeriodMs = 100;

struct FindBar {
  HWND window = nullptr;
  HWND edit = nullptr;
  HWND previous = nullptr;
  HWND next = nullptr;
  HWND close = nullptr;
  bool settingText = false;  // the program puts text into the box
  bool statusDue = false;    // the status changed and the timer will show it
};
FindBar g_bar;

FindState& Find() { return g_doc.find; }

void RepaintView() {
  if (ViewHooks().picturesChanged) ViewHooks().picturesChanged();
}

// The main window places its children again (the bar takes or gives back
// its strip).
void LayOutMainWindow() {
  HWND parent = g_bar.window ? GetParent(g_bar.window) : nullptr;
  if (!parent) return;
  RECT client;
  GetClientRect(parent, &client);
  SendMessageW(parent, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

std::wstring BoxText() {
  if (!g_bar.edit) return std::wstring();
  wchar_t text[kReadLimit + 1] = {};
  GetWindowTextW(g_bar.edit, text, kReadLimit + 1);
  return text;
}

bool Searchable() { return g_doc.loaded && g_doc.pdfium; }

// Shows the current match: scrolls it into view when its page's boxes are
// there, otherwise goes to its page and asks for them.
void ShowCurrentMatch() {
  FindState& find = Find();
  if (find.current < 0 || size_t(find.current) >= find.matches.size() || !g_doc.loaded) return;
  const FindMatch m = find.matches[size_t(find.current)];
  ViewLayout& v = g_doc.view;
  auto it = g_doc.text.find(m.page);
  if (it == g_doc.text.end() || !it->second.hasBoxes) {
    find.scrollToMatchPending = true;
    if (!IsVisible(v, m.position)) GoToPosition(m.position);
    RequestPageText(m.page, true);
    return;
  }
  find.scrollToMatchPending = false;
  const std::vector<NormRect> rects = LineRects(it->second.boxes, m.start, m.start + m.length);
  if (rects.empty() || m.position >= v.PageCount()) {
    if (!IsVisible(v, m.position)) GoToPosition(m.position);
    RepaintView();
    RefreshFindStatus();
    return;
  }
  const size_t p = size_t(m.position);
  const DisplayRect r = DisplayRectOf(rects[0], v.pageWidth[p], v.pageHeight[p], v.rotation);
  const int64_t left = PageLeft(v, m.position) + r.left, right = PageLeft(v, m.position) + r.right;
  const int64_t top = v.pageTop[p] + r.top, bottom = v.pageTop[p] + r.bottom;
  int64_t x = v.scrollX, y = v.scrollY;
  if (!(top >= v.scrollY + ScaleForDpi(24, v.dpi) && bottom <= v.scrollY + v.viewHeight - ScaleForDpi(48, v.dpi)))
    y = top - v.viewHeight / 3;
  if (!(left >= v.scrollX + ScaleForDpi(12, v.dpi) && right <= v.scrollX + v.viewWidth - ScaleForDpi(12, v.dpi)))
    x = left - v.viewWidth / 3;
  if (x != v.scrollX || y != v.scrollY) PageViewScrollTo(x, y);
  RepaintView();
  RefreshFindStatus();
}

// Typing, opening or a new document: search everything read, ask for the
// rest in the background, from the current page on and round to the pages
// above it.
void StartSearch(const std::wstring& text) {
  FindState& find = Find();
  find.query = SearchForm(text);
  ClearMatches(find);
  if (!find.query.empty() && Searchable()) {
    const PageOrder& order = g_doc.pages.order;
    const int n = int(order.size());
    // The pages read so far in on-screen order, so that every page's matches
    // go to the end of the list; then the others are asked for, from the
    // current page on.
    for (int page : order)
      if (g_doc.text.count(page)) SearchPage(find, g_doc.text, page, g_doc.pages.positionOf);
    const int first = std::clamp(CurrentPage(g_doc.view), 0, std::max(n - 1, 0));
    for (int k = 0; k < n; ++k) {
      const int page = order[size_t((first + k) % n)];
      if (!g_doc.text.count(page)) RequestPageText(page, false);
    }
    SortMatches(find, g_doc.pages.positionOf);
    if (ChooseCurrentMatch(find, CurrentPage(g_doc.view))) ShowCurrentMatch();
  }
  RefreshFindStatus();
  RepaintView();
}

// The bar's own text is its status too, for screen readers and the tests.
void ShowStatus() {
  if (g_bar.statusDue) KillTimer(g_bar.window, kStatusTimer);
  g_bar.statusDue = false;
  SetWindowTextW(g_bar.window, Find().status.c_str());
  InvalidateRect(g_bar.window, nullptr, FALSE);
}

void Layout(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const int c = (client.bottom - Scaled(26)) / 2;
  MoveWindow(g_bar.edit, Scaled(52), c + Scaled(1), Scaled(250), Scaled(24), TRUE);
  MoveWindow(g_bar.previous, Scaled(310), c, Scaled(96), Scaled(26), TRUE);
  MoveWindow(g_bar.next, Scaled(412), c, Scaled(96), Scaled(26), TRUE);
  MoveWindow(g_bar.close, client.right - Scaled(78), c, Scaled(70), Scaled(26), TRUE);
}

void Draw(HDC dc, const RECT& client) {
  FillColour(dc, client, RGB(244, 244, 249));
  RECT line = {client.left, client.bottom - 1, client.right, client.bottom};
  FillColour(dc, line, RGB(200, 205, 210));
  RECT label = {Scaled(10), 0, Scaled(50), client.bottom};
  DrawLabel(dc, L"Find:", label, RGB(40, 44, 50), g_ui.fontBold, DT_SINGLELINE | DT_VCENTER);
  const std::wstring& status = Find().status;
  RECT text = {Scaled(522), 0, client.right - Scaled(86), client.bottom};
  if (!status.empty() && text.right > text.left)
    DrawLabel(dc, status.c_str(), text, status == L"No matches" ? RGB(190, 40, 30) : RGB(70, 74, 80),
              g_ui.fontNormal, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_F3) {
        FindNext(shift ? -1 : +1);
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        CloseFind();
        return 0;
      }
      if (wParam == 'A' && ctrl) {
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == 1 || wParam == 13 || wParam == 27) return 0;  // Ctrl+A, Enter, Esc: no beep
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

HWND MakeButton(HWND parent, const wchar_t* text, int id) {
  HWND button = CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                                parent, HMENU(INT_PTR(id)), UiInstance(), nullptr);
  if (button && g_ui.fontNormal) SendMessageW(button, WM_SETFONT, WPARAM(g_ui.fontNormal), FALSE);
  return button;
}

void MakeChildren(HWND window) {
  g_bar.edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                               0, 0, 0, 0, window, HMENU(INT_PTR(kEditId)), UiInstance(), nullptr);
  if (g_bar.edit) {
    if (g_ui.fontNormal) SendMessageW(g_bar.edit, WM_SETFONT, WPARAM(g_ui.fontNormal), FALSE);
    SendMessageW(g_bar.edit, EM_SETLIMITTEXT, kEditLimit, 0);
    SetWindowSubclass(g_bar.edit, EditProc, kEditSubclass, 0);
  }
  g_bar.previous = MakeButton(window, L"\u25C0  Previous", kPreviousId);
  g_bar.next = MakeButton(window, L"Next  \u25B6", kNextId);
  g_bar.close = MakeButton(window, L"Close", kCloseId);
}

}  // namespace

HWND CreateFindBar(HWND parent) {
  return CreateWindowExW(0, L"FVFind", L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, nullptr, UiInstance(),
                         nullptr);
}

HWND FindBarWindow() { return g_bar.window; }
HWND FindBarEdit() { return g_bar.edit; }
bool FindBarOpen() { return Find().open; }
int FindBarHeight() { return Scaled(kBarHeight); }

void OpenFind() {
  if (!g_doc.loaded) return;
  if (!g_doc.pdfium) {
    MessageBoxW(DocumentOwner(),
                L"Finding text isn't available for this document, because Folivex's own PDF engine couldn't be used "
                L"and the engine built into Windows can only show pictures of the pages.\n\nHelp tab \u2192 "
                L"Diagnostic Report says why.",
                L"Folivex", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (!Find().open) {
    Find().open = true;
    if (g_bar.window) ShowWindow(g_bar.window, SW_SHOWNA);
    LayOutMainWindow();
    UpdateShellStatus();
  }
  std::wstring selected;
  if (g_bar.edit && SelectionWithinOnePage(selected) && !selected.empty() && selected.size() <= 80 &&
      selected.find(L'\n') == std::wstring::npos) {
    g_bar.settingText = true;
    SetWindowTextW(g_bar.edit, selected.c_str());
    g_bar.settingText = false;
  }
  if (g_bar.edit) {
    SetFocus(g_bar.edit);
    SendMessageW(g_bar.edit, EM_SETSEL, 0, -1);
  }
  StartSearch(BoxText());
}

void CloseFind() {
  FindState& find = Find();
  ClearMatches(find);
  find.open = false;
  find.query.clear();
  if (g_bar.window) ShowWindow(g_bar.window, SW_HIDE);
  LayOutMainWindow();
  if (ViewHooks().focusView) ViewHooks().focusView();
  RefreshFindStatus();
  RepaintView();
  UpdateShellStatus();
}

void FindNext(int direction) {
  if (!Find().open) {
    OpenFind();
    return;
  }
  switch (StepMatch(Find(), direction)) {
    case FindStep::Nothing:
      return;
    case FindStep::Beep:
      MessageBeep(MB_ICONASTERISK);
      return;
    case FindStep::WrappedToFirst:
      ShowShellMessage(L"Reached the last match; continued from the first one.");
      break;
    case FindStep::WrappedToLast:
      ShowShellMessage(L"Reached the first match; continued from the last one.");
      break;
    case FindStep::Moved:
      break;
  }
  ShowCurrentMatch();
  RefreshFindStatus();
  RepaintView();
}

void FindPageArrived(int page) {
  FindState& find = Find();
  if (!find.open || find.query.empty() || !Searchable()) return;
  SearchPage(find, g_doc.text, page, g_doc.pages.positionOf);
  if (ChooseCurrentMatch(find, CurrentPage(g_doc.view))) ShowCurrentMatch();
}

void FindShowPendingMatch() {
  if (Find().scrollToMatchPending) ShowCurrentMatch();
}

void FindOrderChanged() {
  FindState& find = Find();
  if (find.open && !find.query.empty() && Searchable()) {
    for (int page : g_doc.pages.order) {
      if (!g_doc.text.count(page))
        RequestPageText(page, false);
      else if (!find.pagesWithMatches.count(page))
        SearchPage(find, g_doc.text, page, g_doc.pages.positionOf);
    }
  }
  SortMatches(find, g_doc.pages.positionOf);
  RefreshFindStatus();
}

void RefreshFindStatus() {
  const std::wstring status = FindStatusText(Find(), g_doc.loaded, PagesRead(g_doc.text, g_doc.pages.order),
                                             g_doc.pages.PageCount());
  if (status == Find().status) return;
  const bool searching = !Find().status.empty() && status.rfind(L"Searching", 0) == 0 &&
                         Find().status.rfind(L"Searching", 0) == 0;
  Find().status = status;
  if (!g_bar.window) return;
  if (searching) {
    // Only the counts moved on: shown with the next tick.
    if (!g_bar.statusDue) SetTimer(g_bar.window, kStatusTimer, kStatusPeriodMs, nullptr);
    g_bar.statusDue = true;
    return;
  }
  ShowStatus();
}

void FindDocumentLoaded() {
  if (Find().open) StartSearch(BoxText());
}

void FindDocumentClosed() { RefreshFindStatus(); }

LRESULT CALLBACK FindBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_bar.window = window;
      MakeChildren(window);
      return 0;
    case WM_DESTROY:
      g_bar = FindBar();
      return 0;
    case WM_SIZE:
      Layout(window);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (wParam == kStatusTimer) ShowStatus();
      return 0;
    case WM_PAINT:
      PaintBuffered(window, Draw);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kEditId:
          if (HIWORD(wParam) == EN_CHANGE && !g_bar.settingText) StartSearch(BoxText());
          return 0;
        case kPreviousId:
          FindNext(-1);
          return 0;
        case kNextId:
          FindNext(+1);
          return 0;
        case kCloseId:
          CloseFind();
          return 0;
      }
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
