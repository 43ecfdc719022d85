// The render worker: the one thread that calls a PDF engine. The windows
// give it jobs through the queue (job_queue.h) under one lock; it posts its
// results to the main window as heap records, or fills the caller's record
// and sets an event for the jobs the caller waits for.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/handles.h"
#include "engine/engine_types.h"
#include "engine/job_queue.h"
#include "engine/pdf_engine.h"

// Messages the worker posts to the main window; lParam is the record, which
// the receiver owns and frees.
constexpr UINT WM_FV_OPENED = WM_APP + 1;     // OpenResult
constexpr UINT WM_FV_PICTURE = WM_APP + 2;    // RenderResult, page view
constexpr UINT WM_FV_THUMBNAIL = WM_APP + 3;  // RenderResult, page panel
constexpr UINT WM_FV_TEXT = WM_APP + 4;       // TextResult

struct RenderResult {
  int generation = 0;
  int page = -1;
  int gotWidth = 0;  // the bitmap's real size
  int gotHeight = 0;
  int rotation = 0;
  int askedWidth = 0;  // the size asked for, in display orientation
  int askedHeight = 0;
  HBITMAP bitmap = nullptr;
  void* bits = nullptr;
  HRESULT hr = E_FAIL;
};

struct OpenResult {
  int generation = 0;
  HRESULT hr = E_FAIL;
  uint8_t engine = 0;  // 1 PDFium, 0 the Windows engine
  std::vector<BookmarkEntry> bookmarks;
  std::wstring path;
  std::wstring password;
  std::vector<float> widths;  // per engine page index, brought-in pages included
  std::vector<float> heights;
  int mainPageCount = 0;  // the pages of the file itself
};

struct TextResult {
  int generation = 0;
  int page = -1;
  uint8_t ok = 0;
  uint8_t background = 0;  // the job was a background read
  PageText text;
};

// The caller's record of a probe, an add of brought-in pages or a rebuild.
struct SyncResult {
  HRESULT hr = E_FAIL;
  std::vector<float> widths;
  std::vector<float> heights;
};

// Deletes a result record and its bitmap.
void FreeRenderResult(RenderResult* result);

// The engines the worker thread works with. Start runs on the worker thread
// before its first job, Stop when it quits.
class WorkerEngines {
 public:
  virtual ~WorkerEngines() = default;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual PdfEngine& Pdfium() = 0;
  virtual PdfEngine& Windows() = 0;
  // Rebuilds a PDF through the engine (a job of kind 11); fills `message`.
  virtual HRESULT Rebuild(const RenderJob& job, std::wstring& message);
  // What Start found out about the engines: the PDFium DLL's path, or why
  // PDFium isn't used. Worker thread only.
  virtual std::wstring StatusText() const { return std::wstring(); }
  // Whether the Windows engine asks for BMP output. Worker thread only.
  virtual bool BmpMode() const { return false; }
};

// The program's engines: PDFium put in place by the bootstrap (not when
// `forceWindowsEngine`, the /winengine switch) and the engine built into
// Windows.
std::unique_ptr<WorkerEngines> MakeProgramEngines(bool forceWindowsEngine);

// Runs the rebuild of kind 11 for the program's engines: RebuildWithPdfium
// (engine/pdf_rebuild.h) unless another runner is set; with none (null) a
// rebuild fails with E_NOTIMPL.
using RebuildRunner = HRESULT (*)(PdfEngine& pdfium, const RenderJob& job, std::wstring& message);
void SetRebuildRunner(RebuildRunner runner);

// A copy of the shared queue state, for the diagnostic report.
struct WorkerSnapshot {
  size_t waiting = 0;
  bool busy = false;
  JobSummary running;
  // Published by the worker once its engines have started (before it posts
  // any result), and the bitmap mode again before every job.
  bool enginesStarted = false;
  bool pdfiumLoaded = false;
  bool bmpMode = false;
  std::wstring engineStatus;
};

class RenderWorker {
 public:
  RenderWorker() = default;
  ~RenderWorker();
  RenderWorker(const RenderWorker&) = delete;
  RenderWorker& operator=(const RenderWorker&) = delete;

  // Makes the queue lock and the wake event and starts the thread. False
  // when the thread could not be made: jobs are then completed as failed at
  // once (an open is answered with the no-engine status).
  bool Start(std::unique_ptr<WorkerEngines> engines);
  bool Running() const { return thread_ && !ended_; }
  // Where results are posted (the main window); may be set after Start.
  void SetTarget(HWND window) { target_.store(window); }

  // Queue operations: each takes the lock, changes the queue, releases the
  // lock and wakes the worker.
  void Enqueue(RenderJob job, bool atFront);
  void Place(RenderJob job);
  void RequestPageRenders(std::vector<RenderJob> jobs);
  void RequestThumbnails(std::vector<RenderJob> jobs);
  int RequestPageText(std::set<int>& pending, int page, int generation, bool needNow, TextEntryState entry);
  // A picture (kind 2) or thumbnail (kind 6) result has been taken in by the
  // window: from now on asking for the same picture renders it again.
  void TakenIn(int kind, const RenderResult& result);
  // In one locked step: empties the queue and queues `job` (the close job)
  // at the back. Jobs whose caller waits are completed as failed and their
  // events set, so no caller is left waiting.
  void FlushAndEnqueue(RenderJob job);

  // Queues a job where its kind belongs (the synchronous kinds at the front,
  // a close at the back), waits for it with the message-dispatching wait and
  // returns when it is done or was flushed.
  void RunAndWait(RenderJob job);
  // Queues a job as RunAndWait does and returns at once: `done` is set when
  // the job is done or was flushed. False when no event could be made; the
  // job was then completed as failed.
  bool Start(RenderJob job, UniqueHandle& done);

  // Empties the queue, queues the quit job at the front and waits up to
  // timeoutMs for the thread. True when it ended; then the thread's handles
  // and the lock are released and the worker can be started again. When it
  // did not end, nothing it may still touch is released.
  bool Shutdown(DWORD timeoutMs);

  WorkerSnapshot Snapshot();

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Loop();
  void Run(RenderJob& job);
  void RunOpen(RenderJob& job);
  void RunRender(RenderJob& job);
  void RunPrintRender(RenderJob& job);
  void RunClose(RenderJob& job);
  void RunProbe(RenderJob& job);
  void RunText(RenderJob& job);
  void RunAddBroughtIn(RenderJob& job);
  void RunRebuild(RenderJob& job);
  void CloseEngines();
  void RefuseOpen(RenderJob& job);
  PdfEngine* ServingEngine();
  // Renders the job's page into a result record (the job's generation and
  // the asked size filled in; E_ABORT for a stale job).
  void RenderInto(const RenderJob& job, bool lcdText, RenderResult& result);
  // False when it could not be posted (the record is then freed).
  template <typename Record>
  bool Post(UINT message, Record* record);
  void MarkInFlight(const JobSummary& job, bool delivering);
  // Changes the queue under its lock and wakes the worker; nothing when the
  // worker isn't running.
  template <typename Change>
  void ChangeQueue(Change change) {
    if (!thread_ || ended_) return;
    EnterCriticalSection(&lock_);
    change(queue_);
    LeaveCriticalSection(&lock_);
    SetEvent(wake_.Get());
  }

  CRITICAL_SECTION lock_{};
  bool lockMade_ = false;
  UniqueHandle wake_;
  UniqueHandle thread_;
  std::atomic<bool> ended_{false};
  std::atomic<HWND> target_{nullptr};
  JobQueue queue_;  // under lock_
  // Under lock_: what the worker publishes for the diagnostic report.
  bool enginesStarted_ = false;
  bool pdfiumLoaded_ = false;
  bool bmpMode_ = false;
  std::wstring engineStatus_;

  // Worker-thread state.
  std::unique_ptr<WorkerEngines> engines_;
  int currentGeneration_ = 0;
  PdfEngine* serving_ = nullptr;  // the engine the open document is served by
  int mainPageCount_ = 0;
};

// The program's worker.
extern RenderWorker g_worker;

// Completes a job that will never run: a waiting caller gets the failure
// result of its kind (E_ABORT; a rebuild also its failure text) and its
// event is set; records the job owns are freed.
void CompleteUnrunJob(RenderJob& job);

// Waits for the handle while dispatching every message of this thread. A
// WM_QUIT met meanwhile is posted again with its exit code once the wait is
// over.
void WaitDispatchingMessages(HANDLE handle);

// Wipes the job's password.
void WipeJob(RenderJob& job);
