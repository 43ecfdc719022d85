#include "engine/render_worker.h"

#include <roapi.h>

#include <algorithm>
#include <type_traits>
#include <utility>

#include "base/dib.h"
#include "base/event_log.h"
#include "engine/engine_bootstrap.h"
#include "engine/pdf_rebuild.h"
#include "engine/pdfium_engine.h"
#include "engine/windows_pdf_engine.h"

RenderWorker g_worker;

namespace {

constexpr wchar_t kRebuildListText[] = L"The list of pages to save didn't make sense (internal error).";

RebuildRunner g_rebuildRunner = RebuildWithPdfium;

void Wipe(std::wstring& secret) {
  if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
  secret.clear();
}

void SetDone(const RenderJob& job) {
  if (job.doneEvent) SetEvent(static_cast<HANDLE>(job.doneEvent));
}

class ProgramEngines final : public WorkerEngines {
 public:
  explicit ProgramEngines(bool forceWindowsEngine) : forceWindowsEngine_(forceWindowsEngine) {}
  void Start() override {
    roInitialized_ = SUCCEEDED(RoInitialize(RO_INIT_MULTITHREADED));
    if (roInitialized_) windows_.Start();
    status_ = BootstrapEngine(pdfium_, windows_.Ready(), forceWindowsEngine_);
  }
  void Stop() override {
    pdfium_.Close();
    windows_.Close();
    windows_.Stop();
    if (roInitialized_) RoUninitialize();
    roInitialized_ = false;
  }
  PdfEngine& Pdfium() override { return pdfium_; }
  PdfEngine& Windows() override { return windows_; }
  HRESULT Rebuild(const RenderJob& job, std::wstring& message) override {
    if (!g_rebuildRunner) return WorkerEngines::Rebuild(job, message);
    return g_rebuildRunner(pdfium_, job, message);
  }
  std::wstring StatusText() const override { return status_; }
  bool BmpMode() const override { return windows_.BmpMode(); }

 private:
  PdfiumEngine pdfium_;
  WindowsPdfEngine windows_;
  bool forceWindowsEngine_;
  bool roInitialized_ = false;
  std::wstring status_;
};

}  // namespace

HRESULT WorkerEngines::Rebuild(const RenderJob&, std::wstring& message) {
  message.clear();
  return E_NOTIMPL;
}

std::unique_ptr<WorkerEngines> MakeProgramEngines(bool forceWindowsEngine) {
  return std::make_unique<ProgramEngines>(forceWindowsEngine);
}

void SetRebuildRunner(RebuildRunner runner) { g_rebuildRunner = runner; }

void FreeRenderResult(RenderResult* result) {
  if (!result) return;
  Gdi<HBITMAP> bitmap(result->bitmap);
  delete result;
}

void WipeJob(RenderJob& job) { Wipe(job.password); }

namespace {

void DeleteFiles(const std::vector<std::wstring>& files) {
  for (const std::wstring& file : files) DeleteFileW(file.c_str());
}

// The files flushed close jobs were to delete, added to `files`: the engines
// may still hold them.
void TakeFilesToDelete(std::vector<RenderJob>& flushed, std::vector<std::wstring>& files) {
  for (RenderJob& old : flushed)
    for (std::wstring& file : old.deleteAfter) files.push_back(std::move(file));
}

}  // namespace

void CompleteUnrunJob(RenderJob& job) {
  switch (job.kind) {
    case kJobPrintRender:
      if (job.renderResult) {
        job.renderResult->hr = E_ABORT;
        job.renderResult->bitmap = nullptr;
        job.renderResult->bits = nullptr;
      }
      break;
    case kJobProbe:
    case kJobAddBroughtIn:
      if (job.syncResult) job.syncResult->hr = E_ABORT;
      break;
    case kJobRebuild:
      if (job.syncResult) job.syncResult->hr = E_ABORT;
      if (job.errorText) *job.errorText = kRebuildListText;
      break;
    default:
      break;
  }
  SetDone(job);
  WipeJob(job);
}

void WaitDispatchingMessages(HANDLE handle) {
  bool quit = false;
  WPARAM quitCode = 0;
  for (;;) {
    // MWMO_INPUTAVAILABLE: also messages that were already in the queue
    // before the wait began.
    DWORD r = MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (quit) PostQuitMessage(int(quitCode));
}

template <typename Record>
bool RenderWorker::Post(UINT message, Record* record) {
  HWND target = target_.load();
  if (target && PostMessageW(target, message, 0, reinterpret_cast<LPARAM>(record))) return true;
  // Nobody will receive it: free it here.
  if (target) LogEvent(L"A result (message 0x%04X) could not be posted: error %lu", message, GetLastError());
  if constexpr (std::is_same_v<Record, RenderResult>) {
    FreeRenderResult(record);
  } else {
    if constexpr (std::is_same_v<Record, OpenResult>) Wipe(record->password);
    delete record;
  }
  return false;
}

void RenderWorker::MarkInFlight(const JobSummary& job, bool delivering) {
  if (!lockMade_) return;
  EnterCriticalSection(&lock_);
  if (delivering)
    queue_.Delivering(job);
  else
    queue_.Delivered(job);
  LeaveCriticalSection(&lock_);
}

void RenderWorker::TakenIn(int kind, const RenderResult& result) {
  // The job's size is that of the unrotated page; the result's is turned.
  const bool odd = (result.rotation & 1) != 0;
  MarkInFlight(JobSummary{kind, result.generation, result.page, odd ? result.askedHeight : result.askedWidth,
                          odd ? result.askedWidth : result.askedHeight, result.rotation},
               false);
}

RenderWorker::~RenderWorker() {
  // A thread that is still running may touch all of this; leave it alone
  // (the process is ending in that case).
  if (thread_ && !ended_) {
    thread_.Release();
    wake_.Release();
    return;
  }
  if (lockMade_) DeleteCriticalSection(&lock_);
}

bool RenderWorker::Start(std::unique_ptr<WorkerEngines> engines) {
  if (thread_) return false;
  if (!lockMade_) {
    InitializeCriticalSection(&lock_);
    lockMade_ = true;
  }
  if (!wake_) wake_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  engines_ = std::move(engines);
  currentGeneration_ = 0;
  serving_ = nullptr;
  mainPageCount_ = 0;
  queue_ = JobQueue();
  enginesStarted_ = pdfiumLoaded_ = bmpMode_ = false;
  engineStatus_.clear();
  ended_ = false;
  if (!wake_ || !engines_) return false;
  thread_.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
  return bool(thread_);
}

DWORD WINAPI RenderWorker::ThreadMain(void* self) {
  static_cast<RenderWorker*>(self)->Loop();
  return 0;
}

void RenderWorker::RefuseOpen(RenderJob& job) {
  // Without a worker no engine can be used: the open fails as such.
  auto* result = new OpenResult();
  result->generation = job.generation;
  result->hr = kHrNoEngine;
  result->path = job.path;
  Post(WM_FV_OPENED, result);
}

void RenderWorker::Enqueue(RenderJob job, bool atFront) {
  if (!thread_ || ended_) {
    if (job.kind == kJobOpen) RefuseOpen(job);
    CompleteUnrunJob(job);
    return;
  }
  EnterCriticalSection(&lock_);
  queue_.Push(std::move(job), atFront);
  LeaveCriticalSection(&lock_);
  SetEvent(wake_.Get());
}

void RenderWorker::Place(RenderJob job) {
  if (!thread_ || ended_) {
    if (job.kind == kJobOpen) RefuseOpen(job);
    CompleteUnrunJob(job);
    return;
  }
  EnterCriticalSection(&lock_);
  queue_.Place(std::move(job));
  LeaveCriticalSection(&lock_);
  SetEvent(wake_.Get());
}

void RenderWorker::RequestPageRenders(std::vector<RenderJob> jobs) {
  ChangeQueue([&](JobQueue& q) { q.RequestPageRenders(std::move(jobs)); });
}

void RenderWorker::RequestThumbnails(std::vector<RenderJob> jobs) {
  ChangeQueue([&](JobQueue& q) { q.RequestThumbnails(std::move(jobs)); });
}

int RenderWorker::RequestPageText(std::set<int>& pending, int page, int generation, bool needNow,
                                  TextEntryState entry) {
  if (!thread_ || ended_) return 0;
  EnterCriticalSection(&lock_);
  int queued = ::RequestPageText(queue_, pending, page, generation, needNow, entry);
  LeaveCriticalSection(&lock_);
  SetEvent(wake_.Get());
  return queued;
}

void RenderWorker::FlushAndEnqueue(RenderJob job) {
  std::vector<RenderJob> flushed;
  if (thread_ && !ended_) {
    EnterCriticalSection(&lock_);
    flushed = queue_.TakeAll();
    // A close that never ran leaves its files to this one.
    TakeFilesToDelete(flushed, job.deleteAfter);
    queue_.Push(std::move(job), false);
    LeaveCriticalSection(&lock_);
    SetEvent(wake_.Get());
  } else {
    DeleteFiles(job.deleteAfter);  // no engine holds anything
    CompleteUnrunJob(job);
  }
  // Outside the lock: waking a waiting caller needs no queue.
  for (RenderJob& old : flushed) CompleteUnrunJob(old);
}

void RenderWorker::RunAndWait(RenderJob job) {
  UniqueHandle done;
  if (Start(std::move(job), done)) WaitDispatchingMessages(done.Get());
}

bool RenderWorker::Start(RenderJob job, UniqueHandle& done) {
  done.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!done) {
    job.doneEvent = nullptr;
    CompleteUnrunJob(job);
    return false;
  }
  job.doneEvent = done.Get();
  Place(std::move(job));
  return true;
}

bool RenderWorker::Shutdown(DWORD timeoutMs) {
  if (!thread_) return true;
  std::vector<RenderJob> flushed;
  EnterCriticalSection(&lock_);
  flushed = queue_.TakeAll();
  RenderJob quit;
  quit.kind = kJobQuit;
  queue_.Push(std::move(quit), true);
  LeaveCriticalSection(&lock_);
  SetEvent(wake_.Get());
  std::vector<std::wstring> leftovers;
  TakeFilesToDelete(flushed, leftovers);
  for (RenderJob& old : flushed) CompleteUnrunJob(old);

  if (WaitForSingleObject(thread_.Get(), timeoutMs) != WAIT_OBJECT_0) {
    LogEvent(L"The render worker did not end within %lu ms", timeoutMs);
    return false;
  }
  thread_.Reset();
  ended_ = true;
  engines_.reset();
  DeleteFiles(leftovers);  // the engines have stopped and let go of them
  return true;
}

WorkerSnapshot RenderWorker::Snapshot() {
  WorkerSnapshot s;
  if (!lockMade_) return s;
  EnterCriticalSection(&lock_);
  s.waiting = queue_.Size();
  s.busy = queue_.Busy();
  s.running = queue_.Running();
  s.enginesStarted = enginesStarted_;
  s.pdfiumLoaded = pdfiumLoaded_;
  s.bmpMode = bmpMode_;
  s.engineStatus = engineStatus_;
  LeaveCriticalSection(&lock_);
  return s;
}

void RenderWorker::Loop() {
  engines_->Start();
  {
    std::wstring status = engines_->StatusText();
    const bool pdfium = engines_->Pdfium().Ready();
    EnterCriticalSection(&lock_);
    engineStatus_.swap(status);
    pdfiumLoaded_ = pdfium;
    bmpMode_ = engines_->BmpMode();
    enginesStarted_ = true;
    LeaveCriticalSection(&lock_);
  }
  for (;;) {
    // Spare pictures are let go once the worker has been idle a while.
    if (WaitForSingleObject(wake_.Get(), kSpareKeepMs) == WAIT_TIMEOUT) {
      if (SpareDibCount()) ReleaseSpareDibs();
      continue;
    }
    for (;;) {
      RenderJob job;
      EnterCriticalSection(&lock_);
      bool got = queue_.TakeNext(job);
      bmpMode_ = engines_->BmpMode();
      LeaveCriticalSection(&lock_);
      if (!got) {
        engines_->Pdfium().Idle();
        engines_->Windows().Idle();
        break;
      }
      if (job.kind == kJobQuit) {
        CloseEngines();
        engines_->Stop();
        ended_ = true;
        return;
      }
      Run(job);
      WipeJob(job);
    }
  }
}

PdfEngine* RenderWorker::ServingEngine() { return serving_; }

void RenderWorker::CloseEngines() {
  engines_->Windows().Close();
  engines_->Pdfium().Close();
  serving_ = nullptr;
  mainPageCount_ = 0;
}

void RenderWorker::Run(RenderJob& job) {
  switch (job.kind) {
    case kJobOpen:
      RunOpen(job);
      break;
    case kJobRenderPage:
    case kJobThumbnail:
      RunRender(job);
      break;
    case kJobPrintRender:
      RunPrintRender(job);
      break;
    case kJobClose:
      RunClose(job);
      break;
    case kJobProbe:
      RunProbe(job);
      break;
    case kJobTextNow:
    case kJobTextBackground:
      RunText(job);
      break;
    case kJobAddBroughtIn:
      RunAddBroughtIn(job);
      break;
    case kJobRebuild:
      RunRebuild(job);
      break;
    default:
      SetDone(job);
      break;
  }
}

void RenderWorker::RunOpen(RenderJob& job) {
  CloseEngines();
  currentGeneration_ = job.generation;
  auto* result = new OpenResult();
  result->generation = job.generation;
  result->path = job.path;
  result->password = job.password;

  PageSizes sizes;
  EngineOpenResult opened =
      OpenWithEngineChoice(engines_->Pdfium(), engines_->Windows(), job.path, job.password, sizes);
  result->hr = opened.hr;
  if (SUCCEEDED(opened.hr)) {
    bool pdfium = opened.engine == EngineKind::Pdfium;
    serving_ = pdfium ? &engines_->Pdfium() : &engines_->Windows();
    mainPageCount_ = int(sizes.Count());
    result->engine = pdfium ? 1 : 0;
    result->mainPageCount = mainPageCount_;
    if (pdfium) result->bookmarks = engines_->Pdfium().ReadBookmarks();
    if (!job.broughtIn.empty()) {
      std::vector<BroughtInRequest> requests;
      for (const BroughtInSource& s : job.broughtIn) requests.push_back({s.path, s.page});
      PageSizes added;
      if (pdfium && engines_->Pdfium().AddBroughtInPages(requests, added)) {
        for (size_t i = 0; i < added.Count(); ++i) sizes.Append(added.widths[i], added.heights[i]);
      } else {
        LogEvent(L"reopen: the pages brought in from other PDFs could not be restored");
      }
    }
    result->widths = std::move(sizes.widths);
    result->heights = std::move(sizes.heights);
  }
  Post(WM_FV_OPENED, result);
}

void RenderWorker::RenderInto(const RenderJob& job, bool lcdText, RenderResult& result) {
  result.generation = job.generation;
  result.page = job.page;
  result.rotation = job.rotation;
  bool odd = (job.rotation & 1) != 0;
  result.askedWidth = odd ? job.height : job.width;
  result.askedHeight = odd ? job.width : job.height;
  PdfEngine* engine = ServingEngine();
  if (job.generation != currentGeneration_) {
    result.hr = E_ABORT;
  } else if (!engine) {
    result.hr = E_INVALIDARG;  // nothing is open
  } else {
    RenderedPage page;
    result.hr = engine->Render(job.page, job.width, job.height, job.rotation, lcdText, page);
    if (SUCCEEDED(result.hr)) {
      result.bitmap = page.bitmap;
      result.bits = page.bits;
      result.gotWidth = page.width;
      result.gotHeight = page.height;
    } else {
      Gdi<HBITMAP> failed(page.bitmap);  // an engine may leave one behind
    }
  }
}

void RenderWorker::RunRender(RenderJob& job) {
  auto* result = new RenderResult();
  // Sharp (LCD) text only for upright pictures of the page view.
  RenderInto(job, job.kind == kJobRenderPage && job.rotation == 0, *result);
  // Marked before it is posted: the window may take it in at once.
  MarkInFlight(SummaryOf(job), true);
  if (!Post(job.kind == kJobRenderPage ? WM_FV_PICTURE : WM_FV_THUMBNAIL, result)) MarkInFlight(SummaryOf(job), false);
}

void RenderWorker::RunPrintRender(RenderJob& job) {
  if (RenderResult* result = job.renderResult) {
    *result = RenderResult();
    RenderInto(job, false, *result);
  }
  SetDone(job);
}

void RenderWorker::RunClose(RenderJob& job) {
  CloseEngines();
  DeleteFiles(job.deleteAfter);
  currentGeneration_ = job.generation;
  SetDone(job);
}

void RenderWorker::RunProbe(RenderJob& job) {
  PageSizes sizes;
  HRESULT hr = ProbeWithEngineChoice(engines_->Pdfium(), engines_->Windows(), job.path, job.password, sizes);
  if (job.syncResult) {
    job.syncResult->hr = hr;
    job.syncResult->widths = std::move(sizes.widths);
    job.syncResult->heights = std::move(sizes.heights);
  }
  SetDone(job);
}

void RenderWorker::RunText(RenderJob& job) {
  auto* result = new TextResult();
  result->generation = job.generation;
  result->page = job.page;
  result->background = job.kind == kJobTextBackground ? 1 : 0;
  PdfEngine* engine = ServingEngine();
  if (job.generation == currentGeneration_ && engine && job.page >= 0) {
    // A read in the background is for searching: the characters do, and the
    // page is read whole once it is shown.
    const bool read = job.kind == kJobTextBackground ? engine->ReadPageChars(job.page, result->text)
                                                     : engine->ReadPageText(job.page, result->text);
    if (read) {
      result->ok = 1;
      if (job.page >= mainPageCount_) {
        // Page numbers inside another PDF mean nothing in this document.
        auto& links = result->text.links;
        links.erase(std::remove_if(links.begin(), links.end(), [](const PageLink& l) { return l.uri.empty(); }),
                    links.end());
      }
    } else {
      result->text = PageText();
    }
  }
  Post(WM_FV_TEXT, result);
}

void RenderWorker::RunAddBroughtIn(RenderJob& job) {
  HRESULT hr = E_FAIL;
  PageSizes added;
  if (job.generation == currentGeneration_ && serving_ == &engines_->Pdfium()) {
    std::vector<BroughtInRequest> requests;
    for (const BroughtInSource& s : job.broughtIn) requests.push_back({s.path, s.page});
    if (engines_->Pdfium().AddBroughtInPages(requests, added)) hr = S_OK;
  }
  if (job.syncResult) {
    job.syncResult->hr = hr;
    job.syncResult->widths = SUCCEEDED(hr) ? std::move(added.widths) : std::vector<float>();
    job.syncResult->heights = SUCCEEDED(hr) ? std::move(added.heights) : std::vector<float>();
  }
  SetDone(job);
}

void RenderWorker::RunRebuild(RenderJob& job) {
  std::wstring message;
  HRESULT hr;
  if (job.generation != currentGeneration_) {
    hr = E_FAIL;
    message = kRebuildListText;
  } else {
    hr = engines_->Rebuild(job, message);
  }
  LogEvent(L"rebuild %d pages -> %ls : %ls", int(job.pageList.size()), SUCCEEDED(hr) ? L"ok" : L"FAILED",
           message.c_str());
  if (job.syncResult) job.syncResult->hr = hr;
  if (job.errorText) *job.errorText = message;
  SetDone(job);
}
