// Opening and closing through the program's own worker, in this process: a
// scripted engine for the document rules, PDFium for the leak check.
#include "doc/document_open.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/dib.h"
#include "base/event_log.h"
#include "base/handles.h"
#include "doc/document.h"
#include "doc/settings.h"
#include "doc/worker_messages.h"
#include "tests/doc/remembered_settings.h"
#include "tests/engine/worker_test_support.h"

using namespace worker_test;

namespace {

std::wstring Log() {
  std::wstring log;
  ReadEventLog(log);
  return log;
}

// The log as 8-bit text for a failure message.
std::string LogText() {
  std::wstring log = Log();
  std::string text;
  for (wchar_t c : log) text += c < 128 ? char(c) : '?';
  return text;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring TempFile(const std::wstring& name, const char* content = "copy") {
  wchar_t folder[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, folder);
  std::wstring path = std::wstring(folder) + L"fv-open-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
  UniqueFile file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  WriteFile(file.Get(), content, DWORD(strlen(content)), &written, nullptr);
  return path;
}

// Deletes a scratch file however the test ends.
struct RemoveAtEnd {
  std::wstring path;
  ~RemoveAtEnd() { DeleteFileW(path.c_str()); }
};

class DocumentFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TestWindow>([](UINT m, WPARAM, LPARAM l) { return HandleWorkerMessage(m, l); });
    g_app.mainWindow = window->Handle();
    ConnectShell();
    SetRenderTarget(window->Handle());
  }
  void TearDown() override {
    CloseDocument();
    g_doc.pending = PendingLoad();
    SetDocumentViewHooks({});
    EXPECT_TRUE(g_worker.Shutdown(5000));
    PumpUntil([] { return true; }, 0);
    ReleaseDocumentAtExit();
    SetShellHooks({});
    g_app.mainWindow = nullptr;
  }

  std::wstring Title() {
    wchar_t text[256] = {};
    GetWindowTextW(window->Handle(), text, 256);
    return text;
  }

  bool OpenAndWait(const std::wstring& path) {
    OpenDocument(path, L"");
    return PumpUntil([] { return g_doc.loaded || !g_doc.loading; }) && g_doc.loaded;
  }

  RememberedSettings remembered;
  std::unique_ptr<TestWindow> window;
};

class DocumentOpen : public DocumentFixture {
 protected:
  void SetUp() override {
    DocumentFixture::SetUp();
    windows.ready = false;
    ASSERT_TRUE(g_worker.Start(std::make_unique<FakeEngines>(&pdfium, &windows, &started, &stopped)));
  }
  void TearDown() override {
    pdfium.Release();
    DocumentFixture::TearDown();
  }

  FakeEngine pdfium;
  FakeEngine windows;
  std::atomic<bool> started{false};
  std::atomic<bool> stopped{false};
};

TEST_F(DocumentOpen, OpenInstallsTheDocumentAndCloseClearsIt) {
  g_settings.DefaultZoom = 2;
  g_doc.pending.pagePosition = 3;
  // The size of a page view (there is no view window here): the reading line
  // a third down it decides the current page.
  g_doc.view.viewWidth = 400;
  g_doc.view.viewHeight = 300;
  const int before = g_doc.generation;
  OpenDocument(L"C:\\docs\\report.pdf", L"");
  EXPECT_TRUE(g_doc.loading);
  EXPECT_EQ(g_doc.generation, before + 1);
  ASSERT_TRUE(PumpUntil([] { return g_doc.loaded; }));

  EXPECT_FALSE(g_doc.loading);
  EXPECT_EQ(g_doc.path, L"C:\\docs\\report.pdf");
  EXPECT_EQ(g_doc.displayName, L"report.pdf");
  EXPECT_EQ(Title(), L"report.pdf - Folivex");
  EXPECT_TRUE(g_doc.pdfium);
  EXPECT_EQ(g_doc.pages.fileCount, 20);
  EXPECT_EQ(g_doc.pages.PageCount(), 20);
  EXPECT_EQ(g_doc.pages.order[19], 19);
  EXPECT_FALSE(g_doc.pages.orderChanged);
  EXPECT_EQ(g_doc.bookmarks.size(), 1u);
  EXPECT_EQ(g_doc.view.zoomMode, kZoomCustom);
  EXPECT_EQ(g_doc.view.zoomPercent, 100.0);
  EXPECT_EQ(g_doc.view.PageCount(), 20);
  EXPECT_EQ(CurrentPage(g_doc.view), 3);
  EXPECT_EQ(g_doc.pending.pagePosition, -1);
  EXPECT_EQ(ReadLastFile(), L"C:\\docs\\report.pdf");
  EXPECT_NE(Log().find(L"OnLoaded hr=0x00000000 pages=20 path=C:\\docs\\report.pdf"), std::wstring::npos);

  GoToPage(g_doc.view, 7);
  CloseDocument();
  EXPECT_EQ(ReadLastPage(), 7);
  EXPECT_EQ(g_doc.view.PageCount(), 0);
  EXPECT_FALSE(g_doc.loaded);
  EXPECT_EQ(g_doc.generation, before + 2);
  EXPECT_EQ(Title(), L"Folivex");
  EXPECT_TRUE(g_doc.path.empty());
  EXPECT_EQ(g_doc.pages.PageCount(), 0);
  EXPECT_EQ(g_doc.pages.SourceCount(), 0);

  // Closing with nothing open is harmless and writes no page.
  WriteLastPage(2);
  CloseDocument();
  EXPECT_EQ(ReadLastPage(), 2);
}

TEST_F(DocumentOpen, AReloadConsumesThePendingValues) {
  std::wstring copy = TempFile(L"brought-in.pdf");
  RemoveAtEnd scratch{copy};
  PendingLoad& pending = g_doc.pending;
  for (int i = 21; i >= 0; --i) pending.order.push_back(i);
  pending.keepView = true;
  pending.rotation = 1;
  pending.zoomMode = kZoomCustom;
  pending.zoom = 150.0;
  pending.importedPdfs.push_back({copy, L"other.pdf", L"C:\\other.pdf", 4, 0});
  pending.broughtIn = {{0, 0}, {0, 2}};
  ASSERT_TRUE(OpenAndWait(L"C:\\docs\\report.pdf"));

  // The worker added both pages again after the file's 20.
  EXPECT_EQ(g_doc.pages.SourceCount(), 22);
  EXPECT_EQ(g_doc.pages.broughtIn.size(), 2u);
  EXPECT_EQ(g_doc.pages.importedPdfs.size(), 1u);
  EXPECT_EQ(g_doc.pages.order.front(), 21);
  EXPECT_TRUE(g_doc.pages.orderChanged);
  EXPECT_EQ(Title(), L"* report.pdf - Folivex");
  EXPECT_EQ(g_doc.view.rotation, 1);
  EXPECT_EQ(g_doc.view.zoomPercent, 150.0);
  EXPECT_FALSE(pending.keepView);
  EXPECT_TRUE(pending.order.empty());
  EXPECT_TRUE(pending.broughtIn.empty());
  EXPECT_TRUE(Exists(copy));

  // A close that keeps the sources (the reload after a save) leaves the copy.
  pending.keepSources = true;
  CloseDocument();
  EXPECT_TRUE(Exists(copy));
  EXPECT_FALSE(pending.keepSources);

  // A pending order naming a page past the end is ignored; brought-in pages
  // that don't add up are dropped with their copies.
  pending.order = {0, 21};
  pending.importedPdfs.push_back({copy, L"other.pdf", L"C:\\other.pdf", 4, 0});
  pending.broughtIn = {{0, 0}, {3, 0}};  // the second names no PDF
  ASSERT_TRUE(OpenAndWait(L"C:\\docs\\report.pdf"));
  EXPECT_EQ(g_doc.pages.SourceCount(), 21);
  EXPECT_TRUE(g_doc.pages.broughtIn.empty());
  EXPECT_FALSE(Exists(copy));
  EXPECT_EQ(g_doc.pages.PageCount(), 20);
  EXPECT_EQ(g_doc.pages.order[1], 1);
  EXPECT_EQ(g_doc.view.rotation, 0);
}

TEST_F(DocumentOpen, OnlyTheLastOfTwoQuickOpensIsShown) {
  pdfium.HoldAt('o', -1);
  OpenDocument(L"C:\\docs\\first-of-two.pdf", L"");
  ASSERT_TRUE(pdfium.WaitEntered());
  OpenDocument(L"C:\\docs\\second-of-two.pdf", L"");
  pdfium.Release();
  ASSERT_TRUE(PumpUntil([] { return g_doc.loaded; }));
  EXPECT_EQ(g_doc.displayName, L"second-of-two.pdf");
  // The first result came back with an old generation and was dropped
  // before it was even logged.
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(Log().find(L"path=C:\\docs\\first-of-two.pdf"), std::wstring::npos);
  EXPECT_EQ(g_doc.displayName, L"second-of-two.pdf");
}

TEST_F(DocumentOpen, LatePicturesOfThePreviousDocumentAreDropped) {
  ASSERT_TRUE(OpenAndWait(L"C:\\docs\\a.pdf"));
  ReleaseSpareDibs();
  const size_t gdi = GdiObjectCount();
  const int oldGeneration = g_doc.generation;
  pdfium.HoldAt('r', 5);
  RenderJob late;
  late.kind = kJobRenderPage;
  late.generation = oldGeneration;
  late.page = 5;
  late.width = 100;
  late.height = 150;
  g_worker.RequestPageRenders({late});
  ASSERT_TRUE(pdfium.WaitEntered());

  OpenDocument(L"C:\\docs\\b.pdf", L"");
  pdfium.Release();
  ASSERT_TRUE(PumpUntil([] { return g_doc.loaded; }));
  wchar_t dropped[96];
  swprintf(dropped, 96, L"OnRendered page=5 DROPPED hr=0x00000000 gen=%d/%d", oldGeneration, g_doc.generation);
  ASSERT_TRUE(PumpUntil([&] { return Log().find(dropped) != std::wstring::npos; })) << dropped;
  EXPECT_EQ(g_doc.pictures.Count(), 0u);
  EXPECT_EQ(GdiObjectCount(), gdi);  // its bitmap went with it

  // Pictures and thumbnails of the current document are kept.
  RenderJob now = late;
  now.generation = g_doc.generation;
  now.page = 1;
  g_worker.RequestPageRenders({now});
  now.width = 30;
  now.height = 45;
  g_worker.RequestThumbnails({now});
  ASSERT_TRUE(PumpUntil([] { return g_doc.pictures.Count() == 1 && g_doc.thumbnails.Count() == 1; }));
  EXPECT_TRUE(g_doc.pictures.IsCurrent(1, 0, 100, 150));
  EXPECT_NE(Log().find(L"OnRendered page=1 got 100x150 asked 100x150"), std::wstring::npos);
  wchar_t thumb[96];
  swprintf(thumb, 96, L"OnThumb page=1 hr=0x00000000 got 30x45 asked 30x45 rot=0 gen=%d/%d", g_doc.generation,
           g_doc.generation);
  EXPECT_NE(Log().find(thumb), std::wstring::npos);

  // Closing releases every cached bitmap; the page picture stays as a spare
  // until spares are let go.
  CloseDocument();
  EXPECT_EQ(g_doc.pictures.Count(), 0u);
  EXPECT_EQ(SpareDibCount(), 1u);
  ReleaseSpareDibs();
  EXPECT_EQ(GdiObjectCount(), gdi);
}

TEST_F(DocumentOpen, PageTextRequestsAndArrivals) {
  static std::vector<int> arrived;
  arrived.clear();
  DocumentViewHooks hooks;
  hooks.textArrived = [](TextResult& r) { arrived.push_back(r.page); };
  SetDocumentViewHooks(hooks);

  EXPECT_EQ(RequestPageText(0, true), 0);  // nothing open
  ASSERT_TRUE(OpenAndWait(L"C:\\docs\\a.pdf"));
  EXPECT_EQ(RequestPageText(20, true), 0);  // no such page
  EXPECT_EQ(RequestPageText(3, false), kJobTextBackground);
  EXPECT_EQ(RequestPageText(3, false), 0);
  EXPECT_EQ(g_doc.pendingText.count(3), 1u);
  ASSERT_TRUE(PumpUntil([] { return g_doc.pendingText.empty(); }));
  EXPECT_EQ(arrived, std::vector<int>{3});

  // Text of a closed document is dropped without reaching the index.
  pdfium.HoldAt('r', 99);
  RenderJob hold;
  hold.kind = kJobThumbnail;
  hold.generation = g_doc.generation;
  hold.page = 99;
  g_worker.RequestThumbnails({hold});
  ASSERT_TRUE(pdfium.WaitEntered());
  EXPECT_EQ(RequestPageText(4, true), kJobTextNow);
  CloseDocument();
  EXPECT_TRUE(g_doc.pendingText.empty());
  pdfium.Release();
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(arrived, std::vector<int>{3});
}

TEST_F(DocumentOpen, AWaitingCallerLearnsThatTheDocumentWentAway) {
  ASSERT_TRUE(OpenAndWait(L"C:\\docs\\a.pdf"));
  SyncResult probed;
  RenderJob probe;
  probe.kind = kJobProbe;
  probe.path = L"C:\\docs\\other.pdf";
  probe.syncResult = &probed;
  EXPECT_TRUE(RunDocumentJob(probe));
  EXPECT_EQ(probed.hr, S_OK);

  // The worker is busy; the document is closed while the caller waits.
  pdfium.HoldAt('r', 99);
  RenderJob hold;
  hold.kind = kJobThumbnail;
  hold.generation = g_doc.generation;
  hold.page = 99;
  g_worker.RequestThumbnails({hold});
  ASSERT_TRUE(pdfium.WaitEntered());
  window->Poke([] { CloseDocument(); });
  probed = SyncResult();
  probed.hr = S_OK;
  EXPECT_FALSE(RunDocumentJob(probe));
  EXPECT_EQ(probed.hr, E_ABORT);
}

// The program's real engines: the file is released on close, and two
// hundred opens and closes leave no GDI object or handle behind.
class DocumentOpenPdfium : public DocumentFixture {
 protected:
  void SetUp() override {
    DocumentFixture::SetUp();
    ASSERT_TRUE(g_worker.Start(MakeProgramEngines(false)));
  }
};

TEST_F(DocumentOpenPdfium, TwoHundredOpensAndClosesLeakNothingAndReleaseTheFile) {
  std::wstring source = SourcePath(L"tests/engine/data/bookmarks.pdf");
  std::wstring copy = TempFile(L"cycles.pdf");
  RemoveAtEnd scratch{copy};
  ASSERT_TRUE(CopyFileW(source.c_str(), copy.c_str(), FALSE));

  auto cycle = [&]() -> bool {
    if (!OpenAndWait(copy) || !g_doc.pdfium) return false;
    RenderJob job;
    job.generation = g_doc.generation;
    std::vector<RenderJob> pictures, thumbs;
    for (int page = 0; page < 2; ++page) {
      job.page = page;
      job.width = 120;
      job.height = 160;
      pictures.push_back(job);
      job.width = 40;
      job.height = 54;
      thumbs.push_back(job);
    }
    g_worker.RequestPageRenders(pictures);
    g_worker.RequestThumbnails(thumbs);
    RequestPageText(0, true);
    if (!PumpUntil([] {
          return g_doc.pictures.Count() == 2 && g_doc.thumbnails.Count() == 2 && g_doc.pendingText.empty();
        }))
      return false;
    CloseDocument();
    return true;
  };

  ASSERT_TRUE(cycle()) << "the first cycle failed; the log:\n" << LogText() << "worker: waiting " << g_worker.Snapshot().waiting << " busy " << g_worker.Snapshot().busy << " kind " << g_worker.Snapshot().running.kind << " loaded " << g_doc.loaded << " pdfium " << g_doc.pdfium << " pics " << g_doc.pictures.Count() << " thumbs " << g_doc.thumbnails.Count() << " pending " << g_doc.pendingText.size();
  const size_t gdi = GdiObjectCount();
  ASSERT_GT(gdi, 0u) << "GDI objects can't be counted here";
  const DWORD handles = [] {
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
  }();
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(cycle()) << "cycle " << i;

  // Wait for the last close job, then the file must be free.
  RenderJob close;
  close.kind = kJobClose;
  close.generation = g_doc.generation;
  g_worker.RunAndWait(close);
  EXPECT_EQ(GdiObjectCount(), gdi);
  DWORD handlesAfter = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  EXPECT_LE(handlesAfter, handles + 2) << "handles before " << handles;

  {
    UniqueFile exclusive(
        CreateFileW(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_NE(exclusive.Get(), INVALID_HANDLE_VALUE) << "the file is still open: " << GetLastError();
  }  // closed before the file is deleted
  EXPECT_TRUE(DeleteFileW(copy.c_str()));
  EXPECT_FALSE(Exists(copy));
}

}  // namespace
