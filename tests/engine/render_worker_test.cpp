// The real worker thread against a scripted engine.
#include "engine/render_worker.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/dib.h"
#include "base/event_log.h"
#include "tests/engine/worker_test_support.h"

using namespace worker_test;

namespace {

struct Posted {
  UINT message;
  LPARAM record;
};

class Worker : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TestWindow>([this](UINT m, WPARAM, LPARAM l) {
      if (m < WM_FV_OPENED || m > WM_FV_TEXT) return false;
      posted.push_back({m, l});
      return true;
    });
    windows.ready = false;  // as under Wine
    ASSERT_TRUE(worker.Start(std::make_unique<FakeEngines>(&pdfium, &windows, &started, &stopped)));
    worker.SetTarget(window->Handle());
  }

  void TearDown() override {
    pdfium.Release();
    EXPECT_TRUE(worker.Shutdown(5000));
    PumpUntil([] { return true; }, 0);
    for (Posted& p : posted) Free(p);
    posted.clear();
  }

  static void Free(Posted& p) {
    if (p.message == WM_FV_OPENED) delete reinterpret_cast<OpenResult*>(p.record);
    if (p.message == WM_FV_PICTURE || p.message == WM_FV_THUMBNAIL)
      FreeRenderResult(reinterpret_cast<RenderResult*>(p.record));
    if (p.message == WM_FV_TEXT) delete reinterpret_cast<TextResult*>(p.record);
    p.record = 0;
  }

  static RenderJob Job(int kind, int generation, int page = -1, int width = 100, int height = 150, int rotation = 0) {
    RenderJob job;
    job.kind = kind;
    job.generation = generation;
    job.page = page;
    job.width = width;
    job.height = height;
    job.rotation = rotation;
    return job;
  }

  // Waits until `count` records have arrived in all.
  bool WaitFor(size_t count) {
    return PumpUntil([&] { return posted.size() >= count; });
  }

  OpenResult* OpenAndWait(int generation, std::vector<BroughtInSource> broughtIn = {}) {
    size_t before = posted.size();
    RenderJob open = Job(kJobOpen, generation);
    open.path = L"C:\\docs\\a.pdf";
    open.password = L"secret";
    open.broughtIn = std::move(broughtIn);
    worker.Enqueue(std::move(open), false);
    if (!WaitFor(before + 1) || posted.back().message != WM_FV_OPENED) return nullptr;
    return reinterpret_cast<OpenResult*>(posted.back().record);
  }

  RenderResult* Picture(size_t i) { return reinterpret_cast<RenderResult*>(posted[i].record); }

  // Holds the worker inside a thumbnail of page 99 until pdfium.Release().
  void HoldWorker(int generation) {
    pdfium.HoldAt('r', 99);
    worker.Enqueue(Job(kJobThumbnail, generation, 99), false);
    ASSERT_TRUE(pdfium.WaitEntered());
  }

  FakeEngine pdfium;
  FakeEngine windows;
  std::atomic<bool> started{false};
  std::atomic<bool> stopped{false};
  std::unique_ptr<TestWindow> window;
  std::vector<Posted> posted;
  RenderWorker worker;  // declared last: shut down before the engines go
};

TEST_F(Worker, OpenPostsTheDocumentAndItsBroughtInPages) {
  OpenResult* r = OpenAndWait(1);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(started);
  EXPECT_EQ(r->generation, 1);
  EXPECT_EQ(r->hr, S_OK);
  EXPECT_EQ(r->engine, 1);
  EXPECT_EQ(r->path, L"C:\\docs\\a.pdf");
  EXPECT_EQ(r->password, L"secret");
  EXPECT_EQ(r->mainPageCount, 20);
  EXPECT_EQ(r->widths.size(), 20u);
  ASSERT_EQ(r->bookmarks.size(), 1u);

  // A reopen carries the pages brought in before: they follow the file's own.
  r = OpenAndWait(2, {{L"C:\\t\\x.pdf", 0}, {L"C:\\t\\x.pdf", 3}});
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->mainPageCount, 20);
  ASSERT_EQ(r->widths.size(), 22u);
  EXPECT_EQ(r->widths[21], 200.0f);

  // PDFium fails and the Windows engine is not there: PDFium's error stands.
  pdfium.openHr = E_FAIL;
  r = OpenAndWait(3, {{L"C:\\t\\x.pdf", 0}});
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->hr, E_FAIL);
  EXPECT_TRUE(r->widths.empty());
  // Every open closed what was open first.
  int closes = 0;
  for (const auto& c : pdfium.Calls()) closes += c.what == 'c';
  EXPECT_GE(closes, 3);
}

// The report reads the engine status from the UI thread: it is there as
// soon as the first result has arrived, and it comes from the engines' start.
TEST_F(Worker, EngineStatusIsPublishedBeforeTheFirstResult) {
  ASSERT_NE(OpenAndWait(1), nullptr);
  WorkerSnapshot s = worker.Snapshot();
  EXPECT_TRUE(s.enginesStarted);
  EXPECT_EQ(s.engineStatus, L"C:\\data\\pdfium-test.dll");
  EXPECT_EQ(s.pdfiumLoaded, pdfium.Ready());
}

TEST_F(Worker, PicturesAndThumbnailsAlternateAndUseLcdTextOnlyForTheView) {
  ASSERT_NE(OpenAndWait(1), nullptr);
  HoldWorker(1);
  std::vector<RenderJob> pictures, thumbs;
  for (int i = 0; i < 10; ++i) {
    pictures.push_back(Job(kJobRenderPage, 1, i));
    thumbs.push_back(Job(kJobThumbnail, 1, i, 60, 90));
  }
  worker.RequestThumbnails(thumbs);
  worker.RequestPageRenders(pictures);
  pdfium.Release();
  ASSERT_TRUE(WaitFor(1 + 1 + 20));  // open, the held render, then 20

  for (size_t i = 0; i < 20; ++i) {
    const Posted& p = posted[2 + i];
    EXPECT_EQ(p.message, i % 2 == 0 ? WM_FV_PICTURE : WM_FV_THUMBNAIL) << i;
    RenderResult* r = reinterpret_cast<RenderResult*>(p.record);
    EXPECT_EQ(r->page, int(i / 2));
    EXPECT_EQ(r->hr, S_OK);
    EXPECT_NE(r->bitmap, nullptr);
  }
  for (const auto& c : pdfium.Calls()) {
    if (c.what == 'r' && c.page != 99) {
      EXPECT_EQ(c.lcdText, c.width == 100) << "page " << c.page;
    }
  }

  // Rotated: the asked size is given in display orientation, and no LCD text.
  worker.RequestPageRenders({Job(kJobRenderPage, 1, 2, 100, 150, 1)});
  ASSERT_TRUE(WaitFor(23));
  RenderResult* turned = Picture(22);
  EXPECT_EQ(turned->askedWidth, 150);
  EXPECT_EQ(turned->askedHeight, 100);
  EXPECT_EQ(turned->gotWidth, 150);
  EXPECT_EQ(turned->rotation, 1);
  EXPECT_FALSE(pdfium.Calls().back().lcdText);
}

// A thumbnail posted and not yet taken in is not rendered again when asked
// for meanwhile; taken in (its turned size mapped back to the job's), it is.
TEST_F(Worker, APostedPictureIsNotMadeAgainUntilTheWindowHasIt) {
  ASSERT_NE(OpenAndWait(1), nullptr);
  const RenderJob turned = Job(kJobThumbnail, 1, 5, 60, 90, 1);
  auto rendersOf5 = [&] {
    int n = 0;
    for (const auto& c : pdfium.Calls()) n += c.what == 'r' && c.page == 5;
    return n;
  };
  worker.RequestThumbnails({turned});
  ASSERT_TRUE(WaitFor(2));
  worker.RequestThumbnails({Job(kJobThumbnail, 1, 7)});  // the worker moves on
  ASSERT_TRUE(WaitFor(3));
  worker.RequestThumbnails({turned});
  worker.RequestThumbnails({Job(kJobThumbnail, 1, 8)});
  ASSERT_TRUE(WaitFor(4));
  EXPECT_EQ(rendersOf5(), 1);

  worker.TakenIn(kJobThumbnail, *Picture(1));
  worker.RequestThumbnails({turned});
  ASSERT_TRUE(WaitFor(5));
  EXPECT_EQ(rendersOf5(), 2);
}

TEST_F(Worker, JobsOfAnotherGenerationAreNotCarriedOut) {
  ASSERT_NE(OpenAndWait(5), nullptr);
  worker.Enqueue(Job(kJobRenderPage, 4, 1), false);
  worker.Enqueue(Job(kJobThumbnail, 4, 1), false);
  worker.Enqueue(Job(kJobTextNow, 4, 1), false);
  ASSERT_TRUE(WaitFor(4));
  EXPECT_EQ(Picture(1)->hr, E_ABORT);
  EXPECT_EQ(Picture(1)->bitmap, nullptr);
  EXPECT_EQ(Picture(2)->hr, E_ABORT);
  EXPECT_EQ(reinterpret_cast<TextResult*>(posted[3].record)->ok, 0);

  RenderResult print;
  RenderJob printJob = Job(kJobPrintRender, 4, 0);
  printJob.renderResult = &print;
  worker.RunAndWait(std::move(printJob));
  EXPECT_EQ(print.hr, E_ABORT);
  EXPECT_EQ(print.bitmap, nullptr);

  SyncResult added;
  RenderJob add = Job(kJobAddBroughtIn, 4);
  add.syncResult = &added;
  add.broughtIn = {{L"C:\\t\\x.pdf", 0}};
  worker.RunAndWait(std::move(add));
  EXPECT_EQ(added.hr, E_FAIL);

  SyncResult rebuilt;
  std::wstring message;
  RenderJob rebuild = Job(kJobRebuild, 4);
  rebuild.syncResult = &rebuilt;
  rebuild.errorText = &message;
  rebuild.pageList = {0, 1, 2};
  worker.RunAndWait(std::move(rebuild));
  EXPECT_TRUE(FAILED(rebuilt.hr));
  EXPECT_EQ(message, L"The list of pages to save didn't make sense (internal error).");
  std::wstring log;
  ReadEventLog(log);
  EXPECT_NE(log.find(L"rebuild 3 pages -> FAILED : The list of pages to save didn't make sense"), std::wstring::npos);

  // The engine saw none of them.
  for (const auto& c : pdfium.Calls()) EXPECT_TRUE(c.what == 'o' || c.what == 'c') << c.what;

  // A close moves the worker on; a render of the new generation with nothing
  // open fails without a picture.
  RenderJob close = Job(kJobClose, 6);
  worker.RunAndWait(std::move(close));
  worker.Enqueue(Job(kJobRenderPage, 6, 1), false);
  ASSERT_TRUE(WaitFor(5));
  EXPECT_TRUE(FAILED(Picture(4)->hr));
  EXPECT_EQ(Picture(4)->bitmap, nullptr);
}

TEST_F(Worker, FlushedSynchronousJobsReleaseTheirWaiters) {
  ASSERT_NE(OpenAndWait(1), nullptr);
  HoldWorker(1);
  RenderJob close = Job(kJobClose, 2);
  auto flush = [&] { worker.FlushAndEnqueue(Job(kJobClose, 2)); };

  // Each waiter is released while the worker is still busy elsewhere: the
  // close empties the queue during the wait.
  SyncResult probed;
  RenderJob probe = Job(kJobProbe, 1);
  probe.path = L"C:\\other.pdf";
  probe.syncResult = &probed;
  window->Poke(flush);
  worker.RunAndWait(std::move(probe));
  EXPECT_EQ(probed.hr, E_ABORT);

  RenderResult print;
  print.hr = S_OK;
  RenderJob printJob = Job(kJobPrintRender, 1, 0);
  printJob.renderResult = &print;
  window->Poke(flush);
  worker.RunAndWait(std::move(printJob));
  EXPECT_EQ(print.hr, E_ABORT);
  EXPECT_EQ(print.bitmap, nullptr);

  SyncResult rebuilt;
  std::wstring message;
  RenderJob rebuild = Job(kJobRebuild, 1);
  rebuild.syncResult = &rebuilt;
  rebuild.errorText = &message;
  window->Poke(flush);
  worker.RunAndWait(std::move(rebuild));
  EXPECT_EQ(rebuilt.hr, E_ABORT);
  EXPECT_EQ(message, L"The list of pages to save didn't make sense (internal error).");

  // The save flow's close, queued at the back with an event.
  window->Poke(flush);
  worker.RunAndWait(std::move(close));

  pdfium.Release();
  SyncResult done;
  RenderJob last = Job(kJobProbe, 2);
  last.syncResult = &done;
  worker.RunAndWait(std::move(last));  // runs once the worker is free
  EXPECT_EQ(done.hr, S_OK);
  int probes = 0;
  for (const auto& c : pdfium.Calls()) probes += c.what == 'p';
  EXPECT_EQ(probes, 1);
}

TEST_F(Worker, ShutdownReleasesWaitersAndDoesNotWaitForeverForABusyWorker) {
  ASSERT_NE(OpenAndWait(1), nullptr);
  HoldWorker(1);
  SyncResult probed;
  probed.hr = S_OK;
  std::thread caller([&] {
    RenderJob probe = Job(kJobProbe, 1);
    probe.syncResult = &probed;
    worker.RunAndWait(std::move(probe));
  });
  // Let the caller queue its job, then stop: the worker is stuck in the
  // engine, so the wait ends after the time-out with the thread running.
  PumpUntil([&] { return worker.Snapshot().waiting >= 1; });
  ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(worker.Shutdown(300));
  EXPECT_LT(GetTickCount64() - start, 3000u);
  caller.join();  // released by the shutdown's flush
  EXPECT_EQ(probed.hr, E_ABORT);
  EXPECT_FALSE(stopped);

  // Once the engine lets go, the quit job ends the thread.
  pdfium.Release();
  EXPECT_TRUE(worker.Shutdown(5000));
  EXPECT_TRUE(stopped);
  EXPECT_FALSE(worker.Running());

  // Jobs queued after the end are completed as failed at once.
  SyncResult late;
  late.hr = S_OK;
  RenderJob probe = Job(kJobProbe, 1);
  probe.syncResult = &late;
  worker.RunAndWait(std::move(probe));
  EXPECT_EQ(late.hr, E_ABORT);
  // An open is answered at once: no engine can serve it.
  size_t before = posted.size();
  RenderJob open = Job(kJobOpen, 9);
  open.path = L"C:\\late.pdf";
  worker.Enqueue(std::move(open), false);
  ASSERT_TRUE(WaitFor(before + 1));
  ASSERT_EQ(posted.back().message, WM_FV_OPENED);
  auto* refused = reinterpret_cast<OpenResult*>(posted.back().record);
  EXPECT_EQ(refused->hr, kHrNoEngine);
  EXPECT_EQ(refused->generation, 9);
  EXPECT_EQ(refused->path, L"C:\\late.pdf");
}

TEST_F(Worker, TheWaitDispatchesMessagesAndKeepsAQuitForLater) {
  ASSERT_NE(OpenAndWait(1), nullptr);
  HoldWorker(1);
  // The worker is freed by a message that only the wait itself can
  // dispatch; a quit request met on the way is posted again afterwards.
  PostQuitMessage(7);
  window->Poke([&] { pdfium.Release(); });
  SyncResult probed;
  RenderJob probe = Job(kJobProbe, 1);
  probe.syncResult = &probed;
  worker.RunAndWait(std::move(probe));
  EXPECT_EQ(probed.hr, S_OK);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(Worker, ResultsNobodyReceivesAreFreed) {
  ASSERT_NE(OpenAndWait(1), nullptr);
  size_t gdiBefore = GdiObjectCount();
  worker.SetTarget(nullptr);
  for (int round = 0; round < 5; ++round) {
    std::vector<RenderJob> pictures, thumbs;
    for (int i = 0; i < 10; ++i) {
      pictures.push_back(Job(kJobRenderPage, 1, i, 100 + round, 150));
      thumbs.push_back(Job(kJobThumbnail, 1, i, 50 + round, 75));
    }
    worker.RequestPageRenders(pictures);
    worker.RequestThumbnails(thumbs);
    worker.RunAndWait(Job(kJobClose, 1));  // after all of them
    worker.Enqueue(Job(kJobOpen, 1), false);
  }
  worker.RunAndWait(Job(kJobClose, 1));
  int renders = 0;
  for (const auto& c : pdfium.Calls()) renders += c.what == 'r';
  EXPECT_GE(renders, 20);
  EXPECT_EQ(posted.size(), 1u);  // only the first open arrived
  EXPECT_EQ(GdiObjectCount(), gdiBefore);
}

TEST_F(Worker, BroughtInPagesKeepOnlyWebLinks) {
  ASSERT_NE(OpenAndWait(1, {{L"C:\\t\\x.pdf", 0}}), nullptr);
  worker.Enqueue(Job(kJobTextBackground, 1, 0), false);
  worker.Enqueue(Job(kJobTextNow, 1, 20), false);
  ASSERT_TRUE(WaitFor(3));
  auto* own = reinterpret_cast<TextResult*>(posted[1].record);
  auto* other = reinterpret_cast<TextResult*>(posted[2].record);
  EXPECT_EQ(own->ok, 1);
  EXPECT_EQ(own->background, 1);
  EXPECT_EQ(own->text.links.size(), 2u);
  EXPECT_EQ(other->ok, 1);
  EXPECT_EQ(other->background, 0);
  ASSERT_EQ(other->text.links.size(), 1u);
  EXPECT_EQ(other->text.links[0].uri, L"https://example.org/");
}

}  // namespace

// Spare pictures don't outlive a quiet spell of the worker.
// What is kept for the next job (the engine's loaded page) goes as soon as
// the queue is empty; spare pictures go after a while.
TEST_F(Worker, AnIdleWorkerLetsGoOfWhatItKept) {
  ASSERT_NE(OpenAndWait(1), nullptr);
  const int before = pdfium.idles;
  worker.RequestPageRenders({Job(kJobRenderPage, 1, 0)});
  ASSERT_TRUE(WaitFor(2));
  EXPECT_TRUE(PumpUntil([&] { return pdfium.idles > before; })) << "the engine kept its page while idle";

  ReleaseSpareDibs();
  void* bits = nullptr;
  HBITMAP spare = CreateTopDownDib(120, 80, &bits);
  ASSERT_NE(spare, nullptr);
  RetirePictureDib(spare);
  ASSERT_EQ(SpareDibCount(), 1u);
  EXPECT_TRUE(PumpUntil([] { return SpareDibCount() == 0; }, 3 * kSpareKeepMs));
  EXPECT_NE(GetObjectType(spare), OBJ_BITMAP);
}
