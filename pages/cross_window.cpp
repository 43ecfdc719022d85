#include "pages/cross_window.h"

#include <memory>
#include <string>
#include <vector>

#include "base/event_log.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "pages/page_edits.h"
#include "pages/page_panel.h"
#include "pages/page_transfer.h"

namespace {

constexpr UINT kHoverTimeoutMs = 80;
constexpr UINT kDropTimeoutMs = 3000;
constexpr WPARAM kLeave = 0, kHover = 1, kMoveTaken = 2;

struct SenderState {
  HWND target = nullptr;
  bool canTake = false;
  int hint = -1;  // 0 can't, 1 copy, 2 move
  // The page a move drop sent away, until the other window confirms it.
  int pendingSource = -1;
  uint32_t pendingToken = 0;
  int pendingGeneration = -1;
};

SenderState g_sender;

bool IsMainWindowClass(HWND window) {
  wchar_t name[32] = L"";
  return window && GetClassNameW(window, name, 32) > 0 && wcscmp(name, L"FolivexMain") == 0;
}

// Another process's Folivex main window.
bool IsOtherMainWindow(HWND window, HWND self) {
  if (!window || window == self || !IsWindow(window) || !IsMainWindowClass(window)) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process != 0 && process != GetCurrentProcessId();
}

LPARAM PointParam(POINT p) { return MAKELPARAM(WORD(short(p.x)), WORD(short(p.y))); }

// Hover or leave to the other window's panel; "can't" when it doesn't answer.
bool TellPanel(HWND mainWindow, WPARAM what, POINT screen) {
  HWND panel = FindWindowExW(mainWindow, nullptr, L"FVThumbs", nullptr);
  if (!panel) return false;
  DWORD_PTR reply = 0;
  if (!SendMessageTimeoutW(panel, PageDragMessage(), what, PointParam(screen), SMTO_ABORTIFHUNG, kHoverTimeoutMs,
                           &reply))
    return false;
  return reply == 1;
}

HCURSOR DragCursor(bool canTake, bool move) {
  if (!canTake) return LoadCursorW(nullptr, IDC_NO);
  // The system's own drag cursors (copy and move), from the OLE library.
  static HCURSOR copy = nullptr, moving = nullptr;
  static bool looked = false;
  if (!looked) {
    looked = true;
    if (HMODULE ole = GetModuleHandleW(L"ole32.dll")) {
      copy = LoadCursorW(ole, MAKEINTRESOURCEW(3));
      moving = LoadCursorW(ole, MAKEINTRESOURCEW(2));
    }
  }
  HCURSOR chosen = move ? moving : copy;
  return chosen ? chosen : LoadCursorW(nullptr, IDC_ARROW);
}

// Where the page at `position` comes from: the file itself, or the private
// copy of the PDF it was brought in from.
bool PageSourceFile(int position, std::wstring& path, std::wstring& name, int& page, int& source) {
  const PageModel& pages = g_doc.pages;
  if (position < 0 || position >= pages.PageCount()) return false;
  source = pages.order[size_t(position)];
  if (source < pages.fileCount) {
    path = g_doc.path;
    name = g_doc.displayName;
    page = source;
    return true;
  }
  const size_t k = size_t(source - pages.fileCount);
  if (k >= pages.broughtIn.size()) return false;
  const BroughtInPage& in = pages.broughtIn[k];
  if (in.pdf < 0 || size_t(in.pdf) >= pages.importedPdfs.size()) return false;
  path = pages.importedPdfs[size_t(in.pdf)].copyPath;
  name = pages.importedPdfs[size_t(in.pdf)].displayName;
  page = in.page;
  return true;
}

std::u16string ToU16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::wstring FromU16(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

UINT PageDragMessage() {
  static const UINT message = RegisterWindowMessageW(L"Corvane.Folivex.PageDrag");
  return message;
}

bool FindDropTarget(HWND mainWindow, POINT screen, int pressedPosition, bool shift) {
  HWND under = WindowFromPoint(screen);
  HWND top = under ? GetAncestor(under, GA_ROOT) : nullptr;
  if (!top || top == mainWindow || !IsMainWindowClass(top)) {
    LeaveDropTarget();
    return false;
  }
  const bool isNew = top != g_sender.target;
  if (isNew && g_sender.target) TellPanel(g_sender.target, kLeave, screen);
  g_sender.target = top;
  g_sender.canTake = IsOtherMainWindow(top, mainWindow) && TellPanel(top, kHover, screen);
  SetCursor(DragCursor(g_sender.canTake, shift));
  const int hint = !g_sender.canTake ? 0 : shift ? 2 : 1;
  if (isNew || hint != g_sender.hint) {
    g_sender.hint = hint;
    ShowShellMessage(TransferHintText(g_sender.canTake, shift, pressedPosition));
  }
  return true;
}

void LeaveDropTarget() {
  if (!g_sender.target) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  TellPanel(g_sender.target, kLeave, cursor);
  g_sender.target = nullptr;
  g_sender.canTake = false;
  g_sender.hint = -1;
}

bool HasDropTarget() { return g_sender.target != nullptr; }
bool DropTargetCanTake() { return g_sender.target && g_sender.canTake; }
HWND DropTargetWindow() { return g_sender.target; }

void SendPageToTarget(HWND mainWindow, POINT screen, int position, bool shift, HWND target) {
  std::wstring path, name;
  int page = 0, source = -1;
  if (!target || !PageSourceFile(position, path, name, page, source)) return;
  if (path.size() >= kTransferPathChars) {
    ShowShellMessage(L"That PDF's folder name is too long to pass to the other window.");
    return;
  }
  PageTransfer t;
  t.x = screen.x;
  t.y = screen.y;
  t.page = page;
  t.move = shift;
  t.sender = uint64_t(reinterpret_cast<uintptr_t>(mainWindow));
  t.token = TransferToken(GetTickCount(), source, t.sender);
  t.path = ToU16(path);
  t.name = ToU16(name.substr(0, kTransferNameChars - 1));
  const std::vector<uint8_t> record = EncodeTransfer(t);
  if (record.empty()) return;
  if (shift) {
    g_sender.pendingSource = source;
    g_sender.pendingToken = t.token;
    g_sender.pendingGeneration = g_doc.generation;
  }
  LogEvent(L"XDrop page %d of %ls move=%lu", page, path.c_str(), static_cast<unsigned long>(shift ? 1 : 0));
  COPYDATASTRUCT data = {kTransferMagic, DWORD(record.size()), const_cast<uint8_t*>(record.data())};
  DWORD_PTR reply = 0;
  const bool sent = SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(mainWindow),
                                        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kDropTimeoutMs, &reply);
  const std::wstring number = std::to_wstring(position + 1);
  if (sent && reply == 1) {
    ShowShellMessage(shift ? L"Moving page " + number + L" to the other PDF\u2026"
                           : L"Copied page " + number + L" to the other PDF. Click Save there to keep it.");
    return;
  }
  g_sender.pendingSource = -1;
  ShowShellMessage(L"The other Folivex window didn't take the page.");
}

bool CanTakePage() {
  return g_doc.loaded && !g_doc.loading && !g_busy.Any() && g_doc.pdfium && g_doc.editState != kEditRefused &&
         !PagePanelHoldsAPage();
}

LRESULT OnPageCopyData(HWND mainWindow, HWND sender, const COPYDATASTRUCT* data) {
  // Only a record from another Folivex main window, well formed and naming
  // that window as its sender, is read.
  if (!data || data->dwData != kTransferMagic || data->cbData != kTransferRecordSize || !data->lpData) return 0;
  if (!IsOtherMainWindow(sender, mainWindow)) return 0;
  auto dropped = std::make_unique<PageTransfer>();
  if (!DecodeTransfer(static_cast<const uint8_t*>(data->lpData), data->cbData, *dropped)) return 0;
  if (dropped->sender != uint64_t(reinterpret_cast<uintptr_t>(sender))) return 0;
  if (!g_doc.loaded || g_busy.Any()) return 0;
  if (!PostMessageW(mainWindow, WM_FV_PAGE_DROPPED, 0, reinterpret_cast<LPARAM>(dropped.get()))) return 0;
  dropped.release();  // the handler frees it
  return 1;
}

void OnPageDropped(HWND mainWindow, LPARAM record) {
  std::unique_ptr<PageTransfer> dropped(reinterpret_cast<PageTransfer*>(record));
  if (!dropped) return;
  const PageTransfer& t = *dropped;
  const int at = PagePanelInsertionAt({t.x, t.y});
  SetForegroundWindow(mainWindow);
  const bool taken = ImportPage(FromU16(t.path), FromU16(t.name), t.page, at);
  HWND sender = reinterpret_cast<HWND>(uintptr_t(t.sender));
  if (taken && t.move && IsOtherMainWindow(sender, mainWindow))
    PostMessageW(sender, PageDragMessage(), kMoveTaken, LPARAM(t.token));
}

void OnMoveConfirmed(WPARAM kind, LPARAM token) {
  if (kind != kMoveTaken || g_sender.pendingSource < 0 || uint32_t(token) != g_sender.pendingToken) return;
  const int source = g_sender.pendingSource;
  const bool sameDocument = g_sender.pendingGeneration == g_doc.generation;
  g_sender.pendingSource = -1;
  // The document the page was dragged from may have been closed since.
  if (!sameDocument || !g_doc.loaded) return;
  const std::vector<int>& map = g_doc.pages.positionOf;
  const int position = source >= 0 && size_t(source) < map.size() ? map[size_t(source)] : -1;
  if (position < 0) return;
  if (g_doc.pages.PageCount() >= 2) {
    DeletePage(position, L"Moved page " + std::to_wstring(position + 1) +
                             L" to the other PDF. Save in BOTH windows to keep it; Undo (Ctrl+Z) brings it back here.");
  } else {
    ShowShellMessage(L"The page was copied to the other PDF, but it stays here too: it is this PDF's only page.");
  }
}
