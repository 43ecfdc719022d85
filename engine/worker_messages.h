// The UI thread's side of the render worker: starting and stopping the
// program's worker, the handlers of the results it posts, the page-text
// request, and the hooks through which the page view and the text index
// take part.
#pragma once
#include <windows.h>

#include <vector>

#include "engine/render_worker.h"

// What the page view, the page panel and the text index do when the
// document changes or a result arrives. Every hook is optional.
struct DocumentViewHooks {
  // After a close: drop the text index with its links, the text selection,
  // the find matches and counts; lay out the view and the page panel.
  void (*documentClosed)() = nullptr;
  // After a load: lay out the view and the page panel; search again when the
  // find bar is open. The hook also brings the title and the status bar up
  // to date (the view does that once the first page is on screen).
  void (*documentLoaded)() = nullptr;
  // Scroll to a page position (the layout clamps it).
  void (*goToPosition)(int position) = nullptr;
  // What the text index holds of an engine page.
  TextEntryState (*textEntry)(int page) = nullptr;
  // Page text of the current generation arrived; the page is already out of
  // the pending set. The handler may move the text out; the record is freed
  // afterwards.
  void (*textArrived)(TextResult& result) = nullptr;
};
void SetDocumentViewHooks(const DocumentViewHooks& hooks);
const DocumentViewHooks& ViewHooks();

// Start-up step: the program's worker with the program's engines.
void StartRenderWorker();
// Results go to this window from now on.
void SetRenderTarget(HWND mainWindow);
// Shutdown step: empty the queue, quit the worker and wait up to 3000 ms.
// When the worker did not end, the process ends here without running
// destructors, because the worker may still be using shared state.
void StopRenderWorker();

// WM_APP+1 to WM_APP+4 of the main window. True when the message was one of
// them (the record is then freed on every path).
bool HandleWorkerMessage(UINT message, LPARAM lParam);

// The handlers, one per message; each takes ownership of the record.
void OnPagePicture(RenderResult* result);
void OnThumbnail(RenderResult* result);
void OnPageText(TextResult* result);

// Asks for a page's text when a document served by PDFium is open and the
// page exists (the rules are in job_queue.h). Returns the kind queued or 0.
int RequestPageText(int page, bool needNow);

// Applied by the page view after each paint: the page pictures are trimmed
// to their pixel bound, keeping the pictures of the visible pages.
void TrimPagePictures(const std::vector<int>& visiblePages);
