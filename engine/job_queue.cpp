#include "engine/job_queue.h"

#include <algorithm>
#include <utility>

namespace {

bool KindIn(int kind, std::initializer_list<int> kinds) {
  return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

}  // namespace

void JobQueue::Push(RenderJob job, bool atFront) {
  if (atFront)
    jobs_.push_front(std::move(job));
  else
    jobs_.push_back(std::move(job));
}

void JobQueue::InsertBeforeFirst(RenderJob job, std::initializer_list<int> kinds) {
  auto at = std::find_if(jobs_.begin(), jobs_.end(), [&](const RenderJob& j) { return KindIn(j.kind, kinds); });
  jobs_.insert(at, std::move(job));
}

void JobQueue::Place(RenderJob job) {
  switch (job.kind) {
    case kJobRenderPage:
      InsertBeforeFirst(std::move(job), {kJobThumbnail, kJobTextNow, kJobTextBackground});
      break;
    case kJobThumbnail:
      InsertBeforeFirst(std::move(job), {kJobTextBackground});
      break;
    case kJobTextNow:
      InsertBeforeFirst(std::move(job), {kJobThumbnail, kJobTextBackground});
      break;
    case kJobPrintRender:
    case kJobQuit:
    case kJobProbe:
    case kJobAddBroughtIn:
    case kJobRebuild:
      jobs_.push_front(std::move(job));
      break;
    default:  // open, close, background text
      jobs_.push_back(std::move(job));
      break;
  }
}

JobSummary SummaryOf(const RenderJob& job) {
  return JobSummary{job.kind, job.generation, job.page, job.width, job.height, job.rotation};
}

bool SameJob(const JobSummary& a, const JobSummary& b) {
  return a.kind == b.kind && a.generation == b.generation && a.page == b.page && a.width == b.width &&
         a.height == b.height && a.rotation == b.rotation;
}

bool JobQueue::SameAsRunning(const RenderJob& job) const {
  const JobSummary s = SummaryOf(job);
  if (busy_ && SameJob(running_, s)) return true;
  return std::any_of(inFlight_.begin(), inFlight_.end(), [&](const JobSummary& f) { return SameJob(f, s); });
}

void JobQueue::Delivering(const JobSummary& job) {
  // Results of an older document are dropped on arrival anyway; and should
  // one never be taken in, the list stays short.
  inFlight_.erase(std::remove_if(inFlight_.begin(), inFlight_.end(),
                                 [&](const JobSummary& f) { return f.generation != job.generation; }),
                  inFlight_.end());
  constexpr size_t kMostInFlight = 64;
  if (inFlight_.size() >= kMostInFlight) inFlight_.erase(inFlight_.begin());
  inFlight_.push_back(job);
}

void JobQueue::Delivered(const JobSummary& job) {
  auto at = std::find_if(inFlight_.begin(), inFlight_.end(), [&](const JobSummary& f) { return SameJob(f, job); });
  if (at != inFlight_.end()) inFlight_.erase(at);
}

void JobQueue::RemoveKind(int kind) {
  jobs_.erase(std::remove_if(jobs_.begin(), jobs_.end(), [&](const RenderJob& j) { return j.kind == kind; }),
              jobs_.end());
}

void JobQueue::RequestPageRenders(std::vector<RenderJob> jobs) {
  RemoveKind(kJobRenderPage);
  // Inserting each new job just ahead of the first thumbnail or text job
  // keeps the new jobs in the order given.
  for (RenderJob& job : jobs) {
    job.kind = kJobRenderPage;
    if (SameAsRunning(job)) continue;
    Place(std::move(job));
  }
}

void JobQueue::RequestThumbnails(std::vector<RenderJob> jobs) {
  RemoveKind(kJobThumbnail);
  for (RenderJob& job : jobs) {
    job.kind = kJobThumbnail;
    if (SameAsRunning(job)) continue;
    Place(std::move(job));
  }
}

bool JobQueue::TakeQueuedBackgroundText(int page, int generation) {
  auto at = std::find_if(jobs_.begin(), jobs_.end(), [&](const RenderJob& j) {
    return j.kind == kJobTextBackground && j.page == page && j.generation == generation;
  });
  if (at == jobs_.end()) return false;
  jobs_.erase(at);
  return true;
}

std::vector<RenderJob> JobQueue::TakeAll() {
  std::vector<RenderJob> taken;
  taken.reserve(jobs_.size());
  for (RenderJob& job : jobs_) taken.push_back(std::move(job));
  jobs_.clear();
  return taken;
}

bool JobQueue::TakeNext(RenderJob& job) {
  if (jobs_.empty()) {
    busy_ = false;
    return false;
  }
  auto chosen = jobs_.begin();
  if (lastWasPageRender_ && chosen->kind == kJobRenderPage) {
    auto thumb = std::find_if(jobs_.begin(), jobs_.end(), [](const RenderJob& j) { return j.kind == kJobThumbnail; });
    if (thumb != jobs_.end()) chosen = thumb;
  }
  job = std::move(*chosen);
  jobs_.erase(chosen);
  running_ = SummaryOf(job);
  busy_ = true;
  lastWasPageRender_ = job.kind == kJobRenderPage;
  return true;
}

int RequestPageText(JobQueue& queue, std::set<int>& pending, int page, int generation, bool needNow,
                    TextEntryState entry) {
  if (entry.present && (!needNow || entry.hasBoxes)) return 0;
  if (pending.count(page)) {
    if (!needNow) return 0;
    // Asked for and not here yet: either its background read still waits in
    // the queue (move it ahead) or it is being read right now.
    if (!queue.TakeQueuedBackgroundText(page, generation)) return 0;
  }
  RenderJob job;
  job.kind = needNow ? kJobTextNow : kJobTextBackground;
  job.generation = generation;
  job.page = page;
  queue.Place(std::move(job));
  pending.insert(page);
  return needNow ? kJobTextNow : kJobTextBackground;
}
