// The UI thread's side of the render worker: starting and stopping the
// program's worker, the handlers of the results it posts and the page-text
// request. The windows take part through the hooks of doc_hooks.h.
#pragma once
#include <windows.h>

#include <vector>

#include "doc/doc_hooks.h"
#include "engine/render_worker.h"

// Start-up step: the program's worker with the program's engines (PDFium
// left out when `forceWindowsEngine`, the /winengine switch).
void StartRenderWorker(bool forceWindowsEngine);
// Results go to this window from now on; it also owns the document's
// messages.
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
