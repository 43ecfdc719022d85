#include "pages/page_edits.h"

#include <windows.h>

#include <algorithm>

#include "base/event_log.h"
#include "base/handles.h"
#include "base/win_util.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/editability.h"
#include "doc/layout.h"
#include "pages/page_edit_rules.h"
#include "pages/page_panel.h"

namespace {

int g_importCounter = 0;  // copies of other PDFs made by this process

// Page edits wait while a document is missing or the program is busy.
bool CanEdit() { return g_doc.loaded && !g_busy.Any(); }

void Tell(const std::wstring& text, UINT icon) {
  MessageBoxW(DocumentOwner(), text.c_str(), L"Folivex", MB_OK | icon);
}

uint64_t AsNumber(const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// Copies `path` to a new private copy; the copy is writable and dated now,
// so that the cleanup of old copies never takes one that is in use.
bool MakePrivateCopy(const std::wstring& path, std::wstring& copy, DWORD& error) {
  const std::wstring temp = TempFolder();
  if (temp.empty()) {
    error = GetLastError();
    return false;
  }
  copy = ImportCopyPath(temp, GetCurrentProcessId(), ++g_importCounter);
  if (!CopyFileW(path.c_str(), copy.c_str(), FALSE)) {
    error = GetLastError();
    return false;
  }
  SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  UniqueFile file(CreateFileW(copy.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
  if (file) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    SetFileTime(file.Get(), nullptr, nullptr, &now);
  }
  return true;
}

}  // namespace

bool RequirePdfium(const std::wstring& action) {
  if (g_doc.pdfium) return true;
  Tell(NeedsPdfiumText(action), MB_ICONINFORMATION);
  return false;
}

int PageForCommands() { return SelectedPageForCommands(g_doc.pages, g_doc.loaded, CurrentPage(g_doc.view)); }

void SelectAndShow(int position, const std::wstring& text) {
  // The per-position sizes changed with the order: lay the column out again.
  if (ViewHooks().pagesChanged) {
    ViewHooks().pagesChanged();
  } else {
    SetPageSizes(g_doc.view, g_doc.pages.widths, g_doc.pages.heights);
    RelayoutKeepingPosition(g_doc.view);
  }
  if (ViewHooks().goToPosition)
    ViewHooks().goToPosition(position);
  else
    GoToPage(g_doc.view, position);
  g_doc.pages.selected = position;
  PagePanelLayout();
  PagePanelShowPosition(position);
  UpdateShellTitle();
  UpdateShellStatus();
  ShowShellMessage(text);
}

void MovePage(int from, int to) {
  const int n = g_doc.pages.PageCount();
  LogEvent(L"MovePage from=%d to=%d n=%d loaded=%d printing=%d saving=%d", from, to, n, int(g_doc.loaded),
           int(g_busy.printing), int(g_busy.saving));
  if (!CanEdit() || from < 0 || from >= n) return;
  to = MoveTarget(to, n);
  if (to == from) return;
  // A pure reordering is written by our own writer: no PDFium needed.
  if (!EnsureEditable()) return;
  PushUndoStep(g_doc.pages);
  ApplyOrder(g_doc.pages, MovedOrder(g_doc.pages.order, from, to));
  SelectAndShow(to, MoveStatusText(from, to, g_doc.pages.orderChanged));
}

void DeletePage(int position, const std::wstring& statusText) {
  const int n = g_doc.pages.PageCount();
  LogEvent(L"DeletePage pos=%d n=%d", position, n);
  if (!CanEdit() || position < 0 || position >= n) return;
  if (n == 1) {
    Tell(kOnlyPageLeftText, MB_ICONINFORMATION);
    return;
  }
  if (!RequirePdfium(L"Deleting pages") || !EnsureEditable()) return;
  PushUndoStep(g_doc.pages);
  ApplyOrder(g_doc.pages, OrderWithout(g_doc.pages.order, position));
  SelectAndShow(SelectionAfterDelete(position, n), statusText.empty() ? DeleteStatusText(position) : statusText);
}

bool ImportPage(const std::wstring& path, const std::wstring& displayName, int page, int insertAt) {
  LogEvent(L"ImportPage from=%ls page=%d at=%d", path.c_str(), page, insertAt);
  if (!CanEdit()) return false;
  if (!RequirePdfium(L"Bringing in pages from another PDF") || !EnsureEditable()) return false;

  WIN32_FILE_ATTRIBUTE_DATA attributes = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
    Tell(L"Folivex couldn't find the PDF the page comes from:\n\n" + path, MB_ICONWARNING);
    return false;
  }
  const uint64_t size = (uint64_t(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
  const uint64_t written = AsNumber(attributes.ftLastWriteTime);

  PageModel& pages = g_doc.pages;
  int pdf = ReusableImport(pages.importedPdfs, path, size, written);
  const bool madeCopy = pdf < 0;
  if (madeCopy) {
    std::wstring copy;
    DWORD error = 0;
    if (!MakePrivateCopy(path, copy, error)) {
      Tell(L"Folivex couldn't read the PDF the page comes from: " + SystemErrorText(error), MB_ICONWARNING);
      return false;
    }
    pages.importedPdfs.push_back({copy, displayName, path, size, written});
    pdf = int(pages.importedPdfs.size() - 1);
  }
  const std::wstring copyPath = pages.importedPdfs[size_t(pdf)].copyPath;

  // The worker opens the copy and measures the page; messages are handled
  // meanwhile, so the order is read only after the answer.
  SyncResult probe;
  RenderJob job;
  job.kind = kJobAddBroughtIn;
  job.syncResult = &probe;
  job.broughtIn.push_back({copyPath, page});
  if (!RunDocumentJob(std::move(job))) return false;  // the document went meanwhile, with its copies
  if (FAILED(probe.hr) || probe.widths.size() != 1 || probe.heights.size() != 1) {
    if (madeCopy) {
      DeleteFileW(copyPath.c_str());
      pages.importedPdfs.pop_back();
    }
    Tell(L"Folivex couldn't take that page from " + displayName +
             L".\n\nIf that PDF is password protected, its pages can't be copied into another PDF.",
         MB_ICONWARNING);
    return false;
  }
  const int source = AddBroughtInPage(pages, pdf, page, probe.widths[0], probe.heights[0]);
  const int at = std::max(0, std::min(insertAt, pages.PageCount()));
  PushUndoStep(pages);
  ApplyOrder(pages, OrderWith(pages.order, source, at));
  SelectAndShow(at, ImportStatusText(page, displayName, at));
  return true;
}

void Undo() {
  PageModel& pages = g_doc.pages;
  if (!g_doc.loaded || g_busy.Any() || pages.undoStack.empty()) return;
  const int selected = pages.selected;
  const int remembered =
      selected >= 0 && selected < pages.PageCount() ? pages.order[size_t(selected)] : 0;
  PageOrder snapshot;
  PopUndoStep(pages, snapshot);
  ApplyOrder(pages, snapshot);
  SelectAndShow(SelectionAfterUndo(pages.order, remembered), UndoStatusText(pages.orderChanged));
}
