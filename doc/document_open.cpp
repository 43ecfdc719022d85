#include "doc/document_open.h"

#include <algorithm>
#include <memory>

#include "base/event_log.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_rules.h"
#include "doc/save_flow.h"
#include "doc/save_rules.h"
#include "doc/settings.h"
#include "doc/worker_messages.h"

namespace {

void DeleteCopies(const std::vector<ImportedPdf>& pdfs) {
  for (const ImportedPdf& pdf : pdfs)
    if (!pdf.copyPath.empty()) DeleteFileW(pdf.copyPath.c_str());
}

// Forgets what a load would have consumed, deleting the copies of other
// PDFs that were waiting for it.
void DiscardPendingLoad() {
  DeleteCopies(g_doc.pending.importedPdfs);
  g_doc.pending = PendingLoad();
}

// Title, status and a repaint after the document changed.
void RefreshShell() {
  UpdateShellTitle();
  UpdateShellStatus();
  // The main window's own area is covered by its children; the page view
  // repaints what changed.
  if (ViewHooks().picturesChanged) ViewHooks().picturesChanged();
}

// The windows without a document (or loading one): through the view when
// there is one, which also sees to the title and the status bar.
void ShowDocumentClosed() {
  if (ViewHooks().documentClosed)
    ViewHooks().documentClosed();
  else
    RefreshShell();
  if (ViewHooks().panelChanged) ViewHooks().panelChanged();
}

void InstallDocument(OpenResult& r) {
  g_doc.loading = false;
  g_doc.path = r.path;
  g_doc.displayName = DisplayNameOf(r.path);
  g_doc.password = std::move(r.password);
  WipeText(r.password);
  g_doc.pdfium = r.engine == 1;
  g_doc.bookmarks = std::move(r.bookmarks);

  const int pageCount = int(std::min(r.widths.size(), r.heights.size()));
  const int n = FilePageCount(r.mainPageCount, pageCount);
  PageModel& pages = g_doc.pages;
  ResetPageModel(pages);
  pages.fileCount = n;
  pages.sourceWidths.assign(r.widths.begin(), r.widths.begin() + pageCount);
  pages.sourceHeights.assign(r.heights.begin(), r.heights.begin() + pageCount);

  // Pages brought in before a reload: the worker added them again after
  // the file's own pages.
  PendingLoad& pending = g_doc.pending;
  if (KeepBroughtInPages(pending.broughtIn.size(), n, pageCount)) {
    pages.broughtIn = std::move(pending.broughtIn);
    pages.importedPdfs = std::move(pending.importedPdfs);
  } else {
    DeleteCopies(pending.importedPdfs);
  }
  pending.broughtIn.clear();
  pending.importedPdfs.clear();

  PageOrder order = InitialOrder(n, pageCount, pending.order);
  pending.order.clear();
  if (!ApplyOrder(pages, order)) {
    order = InitialOrder(n, pageCount, {});
    ApplyOrder(pages, order);
  }

  pages.undoStack.clear();
  pages.selected = -1;
  g_doc.editState = kEditNotChecked;
  g_doc.editRefusal.clear();
  g_doc.loaded = true;

  // The page column, scrolled to the top: the view kept over a reload, or
  // the one the DefaultZoom setting asks for.
  OpeningView view = StartViewFor(g_settings.DefaultZoom);
  if (pending.keepView) {
    view.rotation = pending.rotation;
    view.zoomMode = pending.zoomMode;
    view.zoom = pending.zoom;
    pending.keepView = false;
  }
  StartView(g_doc.view, pages.widths, pages.heights, view.zoomMode, view.zoom, view.rotation);

  if (pending.pagePosition > 0) GoToPage(g_doc.view, pending.pagePosition);
  pending.pagePosition = -1;

  // The view asks the worker for the first pictures at once; it brings the
  // title, status bar and scroll bars up to date once the first page is on
  // screen, so that they don't hold it up.
  if (ViewHooks().documentLoaded)
    ViewHooks().documentLoaded();
  else
    RefreshShell();
  if (ViewHooks().panelChanged) ViewHooks().panelChanged();
  if (ViewHooks().focusView) ViewHooks().focusView();
  WriteLastFile(g_doc.path);
}

void ReportFailure(const OpenResult& r) {
  HWND owner = DocumentOwner();
  const uint32_t hr = uint32_t(r.hr);
  // The empty window behind the question or the message.
  ShowDocumentClosed();
  if (IsOpenPasswordFailure(hr)) {
    std::wstring typed;
    if (AskPassword(!r.password.empty(), typed)) {
      // The pending values stay for the new attempt at the same file.
      std::wstring path = r.path;
      OpenDocument(path, typed);
      WipeText(typed);
      return;
    }
    DiscardPendingLoad();
    return;
  }
  DiscardPendingLoad();
  std::wstring text = OpenFailureMessage(hr, r.path);
  MessageBoxW(owner, text.c_str(), L"Folivex", MB_OK | MB_ICONERROR);
}

}  // namespace

namespace {

// Forgets the document: a new generation, the worker's queue emptied with a
// close job, the caches and the page model cleared. The windows are told
// separately, so that an open can reach the worker first.
void ForgetDocument() {
  if (g_doc.loaded) WriteLastPage(CurrentPage(g_doc.view));

  ++g_doc.generation;
  RenderJob close;
  close.kind = kJobClose;
  close.generation = g_doc.generation;
  // The copies of other PDFs are held by the engine while in use; the worker
  // deletes them once it has closed them.
  if (!g_doc.pending.keepSources)
    for (const ImportedPdf& pdf : g_doc.pages.importedPdfs)
      if (!pdf.copyPath.empty()) close.deleteAfter.push_back(pdf.copyPath);
  g_worker.FlushAndEnqueue(std::move(close));

  g_doc.pictures.Clear();
  g_doc.thumbnails.Clear();
  g_doc.pendingText.clear();
  // The find bar stays as it is; its matches go with the text.
  g_doc.text.clear();
  ClearMatches(g_doc.find);
  g_doc.selection = TextSelection();
  g_doc.path.clear();
  g_doc.displayName.clear();
  WipeText(g_doc.password);

  g_doc.pending.keepSources = false;  // one close only
  ResetPageModel(g_doc.pages);  // sizes, order, brought-in pages, undo, order-changed flag, selection

  g_doc.bookmarks.clear();
  g_doc.fileStamped = false;
  g_doc.fileSize = g_doc.fileWriteTime = 0;
  g_doc.pdfium = false;
  g_doc.editState = kEditNotChecked;
  g_doc.editRefusal.clear();
  g_doc.loaded = false;
  g_doc.loading = false;
  ClearView(g_doc.view);
}

}  // namespace

void CloseDocument() {
  ForgetDocument();
  ShowDocumentClosed();
}

void CloseDocumentForReopen() {
  ForgetDocument();
  // The windows keep what they show, as while another document is opened.
  g_doc.loading = true;
  ShowDocumentClosed();
}

bool FileStampOf(const std::wstring& path, uint64_t& size, uint64_t& writeTime) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  writeTime = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return true;
}

void OpenDocument(const std::wstring& path, const std::wstring& password) {
  ForgetDocument();
  // Taken before the engine reads the file: a change made after this point
  // is seen by a later save.
  g_doc.fileStamped = FileStampOf(path, g_doc.fileSize, g_doc.fileWriteTime);
  g_doc.loading = true;
  RenderJob open;
  open.kind = kJobOpen;
  open.generation = g_doc.generation;
  open.path = path;
  open.password = password;
  const PendingLoad& pending = g_doc.pending;
  for (const BroughtInPage& page : pending.broughtIn) {
    if (page.pdf < 0 || size_t(page.pdf) >= pending.importedPdfs.size()) continue;
    open.broughtIn.push_back({pending.importedPdfs[size_t(page.pdf)].copyPath, page.page});
  }
  g_worker.Enqueue(std::move(open), false);
  // The worker opens the file while the windows show the empty, loading state.
  ShowDocumentClosed();
}

void OnLoaded(OpenResult* raw) {
  std::unique_ptr<OpenResult> result(raw);
  if (!result) return;
  if (result->generation != g_doc.generation) {
    WipeText(result->password);
    return;
  }
  g_doc.loading = false;
  LogEvent(L"OnLoaded hr=0x%08X pages=%d path=%ls", unsigned(result->hr), int(result->widths.size()),
           result->path.c_str());
  if (result->hr >= 0)
    InstallDocument(*result);
  else
    ReportFailure(*result);
  WipeText(result->password);
}

void OpenFirstDocument(const std::wstring& commandLinePath, int initialPage) {
  if (!commandLinePath.empty()) {
    g_doc.pending.pagePosition = initialPage;
    OpenDocument(commandLinePath, L"");
    return;
  }
  if (!g_settings.ReopenLast) return;
  std::wstring last = ReadLastFile();
  if (last.empty() || GetFileAttributesW(last.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  g_doc.pending.pagePosition = ReadLastPage();
  OpenDocument(last, L"");
}

bool ConfirmUnsavedChanges() {
  if (!g_doc.loaded || !g_doc.pages.orderChanged) return true;
  if (g_busy.saving) return false;
  const std::wstring question = UnsavedChangesQuestion(g_doc.displayName);
  switch (MessageBoxW(DocumentOwner(), question.c_str(), L"Folivex", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      return SaveDocument(false);
    case IDNO:
      return true;
    default:
      return false;
  }
}

void RememberLastPage() {
  if (g_doc.loaded) WriteLastPage(CurrentPage(g_doc.view));
}

void ReleaseDocumentAtExit() {
  g_doc.pictures.Clear();
  g_doc.thumbnails.Clear();
  WipeText(g_doc.password);
  DeleteCopies(g_doc.pages.importedPdfs);
  DiscardPendingLoad();
}

void GoToPosition(int position) {
  if (ViewHooks().goToPosition) {
    ViewHooks().goToPosition(position);
    return;
  }
  GoToPage(g_doc.view, position);  // clamped; nothing without pages
}

bool RunDocumentJob(RenderJob job) {
  const int started = g_doc.generation;
  job.generation = started;
  g_worker.RunAndWait(std::move(job));
  return g_doc.generation == started;
}
