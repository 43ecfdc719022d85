#include "engine/job_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

RenderJob Job(int kind, int page = -1, int generation = 1, int width = 100, int height = 150, int rotation = 0) {
  RenderJob job;
  job.kind = kind;
  job.page = page;
  job.generation = generation;
  job.width = width;
  job.height = height;
  job.rotation = rotation;
  return job;
}

std::vector<RenderJob> Pictures(std::initializer_list<int> pages, int generation = 1) {
  std::vector<RenderJob> jobs;
  for (int page : pages) jobs.push_back(Job(kJobRenderPage, page, generation));
  return jobs;
}

std::vector<RenderJob> Thumbs(std::initializer_list<int> pages, int generation = 1) {
  std::vector<RenderJob> jobs;
  for (int page : pages) jobs.push_back(Job(kJobThumbnail, page, generation, 60, 80));
  return jobs;
}

// "kind:page" of every queued job, front first.
std::string Layout(const JobQueue& queue) {
  std::string s;
  for (const RenderJob& job : queue.Jobs()) {
    if (!s.empty()) s += ' ';
    s += std::to_string(job.kind) + ":" + std::to_string(job.page);
  }
  return s;
}

TEST(JobQueue, EachKindGoesWhereItBelongs) {
  JobQueue q;
  q.Place(Job(kJobOpen));
  q.Place(Job(kJobTextBackground, 7));
  q.Place(Job(kJobThumbnail, 3));                 // before the background read
  q.Place(Job(kJobRenderPage, 1));                // before the thumbnail
  q.Place(Job(kJobTextNow, 5));                   // before the thumbnail, after the picture
  q.Place(Job(kJobClose));                        // back
  EXPECT_EQ(Layout(q), "1:-1 2:1 8:5 6:3 9:7 4:-1");

  q.Place(Job(kJobProbe));                        // the synchronous kinds go to the front
  q.Place(Job(kJobPrintRender, 2));
  q.Place(Job(kJobAddBroughtIn));
  q.Place(Job(kJobRebuild));
  EXPECT_EQ(Layout(q), "11:-1 10:-1 3:2 7:-1 1:-1 2:1 8:5 6:3 9:7 4:-1");

  // With none of the kinds it goes before, a job is appended.
  JobQueue empty;
  empty.Place(Job(kJobRenderPage, 4));
  empty.Place(Job(kJobTextNow, 4));
  empty.Place(Job(kJobThumbnail, 4));
  EXPECT_EQ(Layout(empty), "2:4 8:4 6:4");
}

TEST(JobQueue, FastScrollLeavesOnlyTheLastPaintsPictures) {
  JobQueue q;
  q.RequestThumbnails(Thumbs({0, 1}));
  q.Place(Job(kJobTextBackground, 9));
  // Scrolling from page 1 to page 200: every paint asks for the pages it
  // shows, replacing what the paint before asked for.
  for (int top = 0; top < 200; ++top) q.RequestPageRenders(Pictures({top, top + 1, top + 2}));
  EXPECT_EQ(Layout(q), "2:199 2:200 2:201 6:0 6:1 9:9");

  // A new thumbnail request replaces the thumbnails and leaves the pictures.
  q.RequestThumbnails(Thumbs({5}));
  EXPECT_EQ(Layout(q), "2:199 2:200 2:201 6:5 9:9");
}

TEST(JobQueue, TheRunningJobIsNotAskedForAgain) {
  JobQueue q;
  q.RequestPageRenders(Pictures({3, 4}));
  RenderJob running;
  ASSERT_TRUE(q.TakeNext(running));
  EXPECT_EQ(running.page, 3);
  EXPECT_TRUE(q.Busy());

  // The same picture again is skipped while it is being made; the same page
  // at another size, rotation or generation is a different job.
  std::vector<RenderJob> again = Pictures({3, 4});
  again.push_back(Job(kJobRenderPage, 3, 1, 200, 300));
  again.push_back(Job(kJobRenderPage, 3, 1, 100, 150, 1));
  again.push_back(Job(kJobRenderPage, 3, 2));
  q.RequestPageRenders(again);
  ASSERT_EQ(q.Size(), 4u);
  EXPECT_EQ(q.Jobs()[0].page, 4);
  EXPECT_EQ(q.Jobs()[1].width, 200);
  EXPECT_EQ(q.Jobs()[2].rotation, 1);
  EXPECT_EQ(q.Jobs()[3].generation, 2);

  // A thumbnail of the running page is not the running job.
  q.RequestThumbnails({Job(kJobThumbnail, 3)});
  EXPECT_EQ(q.Size(), 5u);
}

// A picture finished but not yet taken in by the window is not made again
// by a paint in between; once taken in, or once another document's results
// come, it is.
TEST(JobQueue, ResultsOnTheirWayCountAsRunning) {
  JobQueue q;
  q.Delivering(SummaryOf(Job(kJobThumbnail, 3, 1, 60, 80)));
  q.Delivering(SummaryOf(Job(kJobRenderPage, 4)));
  q.RequestThumbnails(Thumbs({3, 4}));
  q.RequestPageRenders(Pictures({3, 4}));
  EXPECT_EQ(Layout(q), "2:3 6:4");

  q.Delivered(SummaryOf(Job(kJobThumbnail, 3, 1, 60, 80)));
  q.RequestThumbnails(Thumbs({3, 4}));
  EXPECT_EQ(Layout(q), "2:3 6:3 6:4");

  q.Delivering(SummaryOf(Job(kJobThumbnail, 9, 2, 60, 80)));
  EXPECT_EQ(q.InFlight(), 1u);
}

TEST(JobQueue, PicturesAndThumbnailsTakeTurns) {
  JobQueue q;
  q.Place(Job(kJobTextBackground, 50));
  std::vector<RenderJob> pictures, thumbs;
  for (int i = 0; i < 10; ++i) {
    pictures.push_back(Job(kJobRenderPage, i));
    thumbs.push_back(Job(kJobThumbnail, 100 + i));
  }
  q.RequestThumbnails(thumbs);
  q.RequestPageRenders(pictures);

  std::vector<int> kinds, pages;
  RenderJob job;
  while (q.TakeNext(job)) {
    kinds.push_back(job.kind);
    pages.push_back(job.page);
  }
  ASSERT_EQ(kinds.size(), 21u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(kinds[size_t(i)], i % 2 == 0 ? kJobRenderPage : kJobThumbnail) << "job " << i;
    EXPECT_EQ(pages[size_t(i)], i % 2 == 0 ? i / 2 : 100 + i / 2) << "job " << i;
  }
  // The background read waits until nothing else is left.
  EXPECT_EQ(kinds[20], kJobTextBackground);
  EXPECT_FALSE(q.Busy());

  // After a picture, a waiting thumbnail is taken even when it is not next,
  // but only ahead of another picture.
  JobQueue r;
  r.Place(Job(kJobRenderPage, 1));
  r.Place(Job(kJobTextNow, 2));
  r.Place(Job(kJobThumbnail, 3));
  ASSERT_TRUE(r.TakeNext(job));
  EXPECT_EQ(job.kind, kJobRenderPage);
  ASSERT_TRUE(r.TakeNext(job));
  EXPECT_EQ(job.kind, kJobTextNow);
  EXPECT_FALSE(r.LastWasPageRender());
}

TEST(JobQueue, UrgentTextMovesAQueuedBackgroundReadAhead) {
  JobQueue q;
  std::set<int> pending;
  // Background reads of pages 4 and 6, then thumbnails.
  EXPECT_EQ(RequestPageText(q, pending, 4, 1, false, {}), kJobTextBackground);
  EXPECT_EQ(RequestPageText(q, pending, 6, 1, false, {}), kJobTextBackground);
  q.RequestThumbnails(Thumbs({0, 1}));
  EXPECT_EQ(Layout(q), "6:0 6:1 9:4 9:6");
  EXPECT_EQ(pending, (std::set<int>{4, 6}));

  // Asking again in the background changes nothing.
  EXPECT_EQ(RequestPageText(q, pending, 4, 1, false, {}), 0);
  // Needed now: the queued read of page 6 becomes an urgent one ahead of
  // the thumbnails.
  EXPECT_EQ(RequestPageText(q, pending, 6, 1, true, {}), kJobTextNow);
  EXPECT_EQ(Layout(q), "8:6 6:0 6:1 9:4");
  // Needed now again: it is queued already (not as a background read), so
  // nothing more is queued.
  EXPECT_EQ(RequestPageText(q, pending, 6, 1, true, {}), 0);

  // Page 4's read is running now: an urgent request queues nothing, the
  // text will arrive.
  JobQueue running;
  std::set<int> runningPending;
  RequestPageText(running, runningPending, 4, 1, false, {});
  RenderJob job;
  ASSERT_TRUE(running.TakeNext(job));
  EXPECT_EQ(RequestPageText(running, runningPending, 4, 1, true, {}), 0);
  EXPECT_EQ(running.Size(), 0u);

  // A queued background read of an older generation is not this page's.
  JobQueue stale;
  std::set<int> stalePending{8};
  stale.Place(Job(kJobTextBackground, 8, 1));
  EXPECT_EQ(RequestPageText(stale, stalePending, 8, 2, true, {}), 0);
  EXPECT_EQ(Layout(stale), "9:8");
}

TEST(JobQueue, TextAlreadyIndexed) {
  JobQueue q;
  std::set<int> pending;
  // Indexed with boxes: never asked again.
  EXPECT_EQ(RequestPageText(q, pending, 2, 1, true, {true, true}), 0);
  EXPECT_EQ(RequestPageText(q, pending, 2, 1, false, {true, true}), 0);
  // Indexed without boxes: only an urgent request reads it again.
  EXPECT_EQ(RequestPageText(q, pending, 3, 1, false, {true, false}), 0);
  EXPECT_EQ(RequestPageText(q, pending, 3, 1, true, {true, false}), kJobTextNow);
  EXPECT_EQ(Layout(q), "8:3");
  EXPECT_EQ(pending, (std::set<int>{3}));
}

TEST(JobQueue, TakeAllEmptiesTheQueueInOrder) {
  JobQueue q;
  q.Place(Job(kJobOpen));
  q.RequestPageRenders(Pictures({1, 2}));
  q.Place(Job(kJobProbe));
  std::vector<RenderJob> all = q.TakeAll();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].kind, kJobProbe);
  EXPECT_EQ(all[1].kind, kJobOpen);
  EXPECT_EQ(all[3].page, 2);
  EXPECT_EQ(q.Size(), 0u);
  RenderJob job;
  EXPECT_FALSE(q.TakeNext(job));
  EXPECT_FALSE(q.Busy());
}

}  // namespace
