#include "doc/worker_messages.h"

#include <memory>

#include "base/event_log.h"
#include "doc/document.h"
#include "doc/document_open.h"

namespace {

constexpr DWORD kWorkerExitWaitMs = 3000;


CachedPicture ToCached(const RenderResult& r) {
  CachedPicture p;
  p.bitmap = r.bitmap;
  p.bits = r.bits;
  p.gotWidth = r.gotWidth;
  p.gotHeight = r.gotHeight;
  p.rotation = r.rotation;
  p.askedWidth = r.askedWidth;
  p.askedHeight = r.askedHeight;
  p.stamp = GetTickCount();
  return p;
}

}  // namespace

void StartRenderWorker(bool forceWindowsEngine) {
  if (!g_worker.Start(MakeProgramEngines(forceWindowsEngine))) LogEvent(L"The render worker could not be started");
}

void SetRenderTarget(HWND mainWindow) {
  g_worker.SetTarget(mainWindow);
  SetDocumentOwner(mainWindow);
}

void StopRenderWorker() {
  if (!g_worker.Shutdown(kWorkerExitWaitMs)) {
    // The worker may still be inside an engine and use the queue, the
    // engines and the log: free none of it.
    ExitProcess(0);
  }
}

bool HandleWorkerMessage(UINT message, LPARAM lParam) {
  switch (message) {
    case WM_FV_OPENED:
      OnLoaded(reinterpret_cast<OpenResult*>(lParam));
      return true;
    case WM_FV_PICTURE:
      OnPagePicture(reinterpret_cast<RenderResult*>(lParam));
      return true;
    case WM_FV_THUMBNAIL:
      OnThumbnail(reinterpret_cast<RenderResult*>(lParam));
      return true;
    case WM_FV_TEXT:
      OnPageText(reinterpret_cast<TextResult*>(lParam));
      return true;
  }
  return false;
}

void OnPagePicture(RenderResult* raw) {
  std::unique_ptr<RenderResult, void (*)(RenderResult*)> result(raw, FreeRenderResult);
  if (!result) return;
  g_worker.TakenIn(kJobRenderPage, *result);
  if (result->generation == g_doc.generation && result->hr >= 0 && result->bitmap) {
    g_doc.pictures.Store(result->page, ToCached(*result));
    result->bitmap = nullptr;  // the cache owns it now
    LogEvent(L"OnRendered page=%d got %dx%d asked %dx%d", result->page, result->gotWidth, result->gotHeight,
             result->askedWidth, result->askedHeight);
    if (ViewHooks().picturesChanged) ViewHooks().picturesChanged();
    return;
  }
  LogEvent(L"OnRendered page=%d DROPPED hr=0x%08X gen=%d/%d", result->page, unsigned(result->hr),
           result->generation, g_doc.generation);
}

void OnThumbnail(RenderResult* raw) {
  std::unique_ptr<RenderResult, void (*)(RenderResult*)> result(raw, FreeRenderResult);
  if (!result) return;
  g_worker.TakenIn(kJobThumbnail, *result);
  LogEvent(L"OnThumb page=%d hr=0x%08X got %dx%d asked %dx%d rot=%d gen=%d/%d", result->page, unsigned(result->hr),
           result->gotWidth, result->gotHeight, result->askedWidth, result->askedHeight, result->rotation,
           result->generation, g_doc.generation);
  if (result->generation != g_doc.generation || result->hr < 0 || !result->bitmap) return;
  g_doc.thumbnails.Store(result->page, ToCached(*result));
  result->bitmap = nullptr;
  g_doc.thumbnails.TrimToCount(kThumbnailLimit);
  if (ViewHooks().thumbnailsChanged) ViewHooks().thumbnailsChanged();
}

void OnPageText(TextResult* raw) {
  std::unique_ptr<TextResult> result(raw);
  if (!result || result->generation != g_doc.generation) return;
  g_doc.pendingText.erase(result->page);
  if (ViewHooks().textArrived) ViewHooks().textArrived(*result);
}

int RequestPageText(int page, bool needNow) {
  if (!g_doc.loaded || !g_doc.pdfium || page < 0 || page >= g_doc.pages.SourceCount()) return 0;
  TextEntryState entry;
  if (ViewHooks().textEntry) entry = ViewHooks().textEntry(page);
  return g_worker.RequestPageText(g_doc.pendingText, page, g_doc.generation, needNow, entry);
}

void TrimPagePictures(const std::vector<int>& visiblePages) {
  g_doc.pictures.TrimToPixels(kPagePicturePixelBound, visiblePages);
}
