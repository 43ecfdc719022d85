// The render worker's job queue and the rules that decide where a job goes
// and which job runs next. No threads and no locks here: the worker wraps
// every call in its queue lock. Platform-neutral.
#pragma once

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

struct RenderResult;  // render_worker.h
struct SyncResult;    // render_worker.h

enum JobKind : int {
  kJobOpen = 1,             // open document; posts the open result
  kJobRenderPage = 2,       // picture for the page view
  kJobPrintRender = 3,      // picture for printing (synchronous)
  kJobClose = 4,            // close document; sets doneEvent when given
  kJobQuit = 5,             // ends the worker thread
  kJobThumbnail = 6,        // picture for the page panel
  kJobProbe = 7,            // measure another PDF (synchronous)
  kJobTextNow = 8,          // a page's text, needed now
  kJobTextBackground = 9,   // a page's text, read in the background
  kJobAddBroughtIn = 10,    // add pages of other PDFs (synchronous)
  kJobRebuild = 11,         // rebuild the PDF with the engine (synchronous)
};

// The kinds whose caller waits for doneEvent.
inline bool IsSynchronousKind(int kind) {
  return kind == kJobPrintRender || kind == kJobProbe || kind == kJobAddBroughtIn || kind == kJobRebuild;
}

// A page of another PDF that an open or add job brings in.
struct BroughtInSource {
  std::wstring path;
  int page = 0;  // 0-based within that PDF
};

// One job, copied into the queue by value.
struct RenderJob {
  int kind = 0;
  int generation = 0;
  int page = -1;   // engine page index
  int width = 0;   // wanted picture size of the unrotated page, in pixels
  int height = 0;
  int rotation = 0;  // quarter turns clockwise, 0-3
  std::wstring path;      // PDF to open or probe; the file a rebuild writes
  std::wstring password;
  void* doneEvent = nullptr;              // event handle, set when a waited-for job is finished
  RenderResult* renderResult = nullptr;   // print render only
  SyncResult* syncResult = nullptr;       // probe, add brought-in pages, rebuild
  std::vector<BroughtInSource> broughtIn; // open and add brought-in pages
  std::vector<int> pageList;              // rebuild: the new page order
  std::wstring sourcePath;                // rebuild: the PDF it reads
  std::wstring* errorText = nullptr;      // rebuild: receives its message
  std::vector<std::wstring> deleteAfter;  // close: files to delete once the engines let go of them
};

// What the windows may know of the job being run: enough to avoid queueing
// a duplicate of it, and for the diagnostic report.
struct JobSummary {
  int kind = 0;
  int generation = 0;
  int page = -1;
  int width = 0;
  int height = 0;
  int rotation = 0;
};
JobSummary SummaryOf(const RenderJob& job);
bool SameJob(const JobSummary& a, const JobSummary& b);

class JobQueue {
 public:
  // Front: before every queued job. Back: after all of them.
  void Push(RenderJob job, bool atFront);
  // Where each kind belongs: open, close and background text at the back;
  // print render, quit, probe, add brought-in pages and rebuild at the
  // front; a page-view picture before the first thumbnail or text job; a
  // thumbnail before the first background text read; urgent text before the
  // first thumbnail or background text read.
  void Place(RenderJob job);

  // The page view's requests replace all of its earlier ones: every queued
  // picture job is removed, then the new ones go, in the given order, before
  // the first thumbnail or text job. A job identical to the running one is
  // left out.
  void RequestPageRenders(std::vector<RenderJob> jobs);
  // The same for the page panel: thumbnails replace thumbnails and go before
  // the first background text read.
  void RequestThumbnails(std::vector<RenderJob> jobs);

  // A picture or thumbnail whose result is on its way to the windows (posted
  // and not yet taken in) counts as running: asking for it again meanwhile,
  // as a paint during that time would, queues nothing. Delivering is called
  // before the result is posted, Delivered once it is taken in (or could
  // not be posted). Only the newest generation's are kept.
  void Delivering(const JobSummary& job);
  void Delivered(const JobSummary& job);
  size_t InFlight() const { return inFlight_.size(); }

  // Removes a queued background text read of this page and generation;
  // true when there was one.
  bool TakeQueuedBackgroundText(int page, int generation);

  // Empties the queue, returning what was in it (front first).
  std::vector<RenderJob> TakeAll();

  // The worker's choice of the next job: the front one, except that right
  // after a page-view picture a waiting thumbnail goes ahead of the next
  // picture. The job is removed and becomes the running one. False when the
  // queue is empty, which also ends the busy state.
  bool TakeNext(RenderJob& job);

  size_t Size() const { return jobs_.size(); }
  bool Busy() const { return busy_; }
  const JobSummary& Running() const { return running_; }
  bool LastWasPageRender() const { return lastWasPageRender_; }
  const std::deque<RenderJob>& Jobs() const { return jobs_; }

 private:
  void InsertBeforeFirst(RenderJob job, std::initializer_list<int> kinds);
  bool SameAsRunning(const RenderJob& job) const;
  void RemoveKind(int kind);

  std::deque<RenderJob> jobs_;
  bool busy_ = false;
  JobSummary running_;
  std::vector<JobSummary> inFlight_;
  bool lastWasPageRender_ = false;
};

// What the text index holds for a page.
struct TextEntryState {
  bool present = false;   // the page has an entry
  bool hasBoxes = false;  // the entry still has its character boxes and links
};

// The request for a page's text, once the caller has checked that a
// document served by PDFium is open and the page exists. `pending` is the set
// of pages asked for and not yet delivered. Returns the kind queued
// (kJobTextNow or kJobTextBackground) or 0 when nothing was queued.
int RequestPageText(JobQueue& queue, std::set<int>& pending, int page, int generation, bool needNow,
                    TextEntryState entry);
