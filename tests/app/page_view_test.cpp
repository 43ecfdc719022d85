// The page view and the page panel in this process, on the program's worker
// with a scripted engine: what the windows show between a load and its
// first pictures.
#include "view/page_view.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/handles.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/worker_messages.h"
#include "pages/page_panel.h"
#include "tests/doc/remembered_settings.h"
#include "tests/engine/worker_test_support.h"

using namespace worker_test;

namespace {

class PageViewLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    static const ATOM registered = [] {
      WNDCLASSEXW wc = {sizeof(wc)};
      wc.lpfnWndProc = PageViewProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.lpszClassName = L"FolivexView";
      return RegisterClassExW(&wc);
    }();
    ASSERT_NE(registered, 0);
    g_ui.instance = GetModuleHandleW(nullptr);
    g_ui.dpi = 96;
    g_settings.DefaultZoom = 2;  // 100 %: a 100 x 150 point page is 133 x 200 pixels

    parent = std::make_unique<TestWindow>([](UINT m, WPARAM, LPARAM l) { return HandleWorkerMessage(m, l); });
    g_app.mainWindow = parent->Handle();
    ConnectShell();
    SetWindowTextW(parent->Handle(), L"Folivex");
    SetWindowPos(parent->Handle(), HWND_TOP, 20, 20, 500, 400, SWP_SHOWWINDOW);
    SetRenderTarget(parent->Handle());
    ASSERT_TRUE(g_worker.Start(std::make_unique<FakeEngines>(&pdfium, &windows, &started, &stopped)));
    view = CreatePageView(parent->Handle());
    ASSERT_NE(view, nullptr);
    MoveWindow(view, 0, 0, 400, 300, TRUE);
    PumpUntil([] { return false; }, 100);
  }

  void TearDown() override {
    pdfium.Release();
    CloseDocument();
    g_doc.pending = PendingLoad();
    EXPECT_TRUE(g_worker.Shutdown(5000));
    PumpUntil([] { return true; }, 0);
    ReleaseDocumentAtExit();
    if (panel) DestroyWindow(panel);
    if (view) DestroyWindow(view);
    SetDocumentViewHooks({});
    SetShellHooks({});
    g_app.mainWindow = nullptr;
  }

  // The page panel beside the view, 100 x 300.
  void MakePanel() {
    static const ATOM registered = [] {
      WNDCLASSEXW wc = {sizeof(wc)};
      wc.lpfnWndProc = PagePanelProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"FVThumbs";
      return RegisterClassExW(&wc);
    }();
    ASSERT_NE(registered, 0);
    panel = CreatePagePanel(parent->Handle(), true, nullptr);
    ASSERT_NE(panel, nullptr);
    MoveWindow(panel, 400, 0, 100, 300, TRUE);
  }

  std::wstring Title() {
    wchar_t text[256] = {};
    GetWindowTextW(parent->Handle(), text, 256);
    return text;
  }

  // The colour the window shows in the middle of page position p.
  COLORREF PageMiddle(int p) {
    const PageBox box = PageBoxInWindow(g_doc.view, p);
    WindowDc dc(view);
    return GetPixel(dc.Get(), int(box.left + box.width / 2), int(box.top + box.height / 2));
  }

  // The vertical bar shows the page column (20 pages, taller than the view).
  void ExpectScrollBarSet() {
    const ScrollBarNumbers want = VerticalScrollBar(g_doc.view);
    ASSERT_GT(want.max, 300);
    SCROLLINFO bar = {sizeof(bar), SIF_ALL};
    ASSERT_TRUE(GetScrollInfo(view, SB_VERT, &bar));
    EXPECT_EQ(bar.nMin, want.min);
    EXPECT_EQ(bar.nMax, want.max);
    EXPECT_EQ(int(bar.nPage), int(want.page));
  }

  RememberedSettings remembered;
  FakeEngine pdfium;
  FakeEngine windows;
  std::atomic<bool> started{false};
  std::atomic<bool> stopped{false};
  std::unique_ptr<TestWindow> parent;
  HWND view = nullptr;
  HWND panel = nullptr;
};

// A first page that takes long to render holds up neither the rest of the
// window nor the placeholders for long; its picture replaces the
// placeholder when it comes.
TEST_F(PageViewLoad, TheWindowCatchesUpWhileTheFirstPictureIsLate) {
  pdfium.HoldAt('r', 0);
  OpenDocument(L"C:\\docs\\late.pdf", L"");
  ASSERT_TRUE(PumpUntil([] { return g_doc.loaded; }));
  ASSERT_TRUE(pdfium.WaitEntered());
  // Only the other visible pages wait behind the first one; the page below
  // them is asked for once the window has caught up.
  const PageRange visible = VisiblePages(g_doc.view);
  ASSERT_GE(visible.end - visible.first, 2);
  EXPECT_EQ(g_worker.Snapshot().waiting, size_t(visible.end - visible.first - 1));

  ASSERT_TRUE(PumpUntil([&] { return Title() == L"late.pdf - Folivex"; }, 3000));
  ExpectScrollBarSet();
  // Now also the page below, and the text of every visible page (the paint
  // asks for it to draw find and selection highlights).
  EXPECT_EQ(g_worker.Snapshot().waiting, size_t(2 * (visible.end - visible.first)));
  UpdateWindow(view);
  EXPECT_EQ(PageMiddle(0), RGB(255, 255, 255)) << "a placeholder while the picture is missing";

  pdfium.Release();
  ASSERT_TRUE(PumpUntil([] { return g_doc.pictures.Find(0) != nullptr; }));
  UpdateWindow(view);
  EXPECT_EQ(PageMiddle(0), RGB(0, 0, 0)) << "the scripted engine's pictures are black";
}

// Without a delay the window is up to date as well once the page shows.
TEST_F(PageViewLoad, TheFirstPictureComesWithTitleAndScrollBars) {
  OpenDocument(L"C:\\docs\\quick.pdf", L"");
  ASSERT_TRUE(PumpUntil([&] { return Title() == L"quick.pdf - Folivex"; }, 3000));
  UpdateWindow(view);
  EXPECT_EQ(PageMiddle(0), RGB(0, 0, 0));
  ExpectScrollBarSet();
}

// An opening that takes a while shows the empty state after a moment; the
// document replaces it when it comes.
TEST_F(PageViewLoad, ASlowOpeningShowsTheEmptyWindowMeanwhile) {
  OpenDocument(L"C:\\docs\\first.pdf", L"");
  ASSERT_TRUE(PumpUntil([&] { return Title() == L"first.pdf - Folivex"; }, 3000));
  const PageBox firstPage = PageBoxInWindow(g_doc.view, 0);

  pdfium.HoldAt('o', -1);
  OpenDocument(L"C:\\docs\\second.pdf", L"");
  ASSERT_TRUE(pdfium.WaitEntered());
  ASSERT_TRUE(PumpUntil([&] { return Title() == L"Folivex"; }, 3000));
  UpdateWindow(view);
  const COLORREF shown = GetPixel(WindowDc(view).Get(), int(firstPage.left + firstPage.width / 2),
                                  int(firstPage.top + firstPage.height / 2));
  const BackgroundRgb empty = BackgroundColour(g_settings.Background);
  EXPECT_EQ(shown, RGB(empty.r, empty.g, empty.b)) << "the first document's page is still shown";
  SCROLLINFO bar = {sizeof(bar), SIF_ALL};
  GetScrollInfo(view, SB_VERT, &bar);
  EXPECT_LT(bar.nMax, 300) << "the scroll bar still has the first document's length";

  pdfium.Release();
  ASSERT_TRUE(PumpUntil([&] { return Title() == L"second.pdf - Folivex"; }, 3000));
  UpdateWindow(view);
  EXPECT_EQ(PageMiddle(0), RGB(0, 0, 0));
  ExpectScrollBarSet();
}

// A window that grew while an opening is held has nothing to keep in its
// new part: it paints at once.
TEST_F(PageViewLoad, AWindowThatGrowsWhileAnOpeningIsHeldPaintsAtOnce) {
  PumpUntil([] { return false; }, 150);  // the empty window painted once
  pdfium.HoldAt('o', -1);
  OpenDocument(L"C:\\docs\\slow.pdf", L"");
  ASSERT_TRUE(pdfium.WaitEntered());
  MoveWindow(view, 0, 0, 480, 360, TRUE);
  // Painted now, not by the catch-up 100 ms later.
  UpdateWindow(view);
  const COLORREF grown = GetPixel(WindowDc(view).Get(), 450, 330);
  const BackgroundRgb empty = BackgroundColour(g_settings.Background);
  EXPECT_EQ(grown, RGB(empty.r, empty.g, empty.b));

  pdfium.Release();
  ASSERT_TRUE(PumpUntil([&] { return Title() == L"slow.pdf - Folivex"; }, 3000));
  UpdateWindow(view);
  EXPECT_EQ(PageMiddle(0), RGB(0, 0, 0));
  ExpectScrollBarSet();
}

// While another document opens, the page panel goes on showing the old
// one's pages instead of flashing its empty state; only an opening that
// takes a while shows that state.
TEST_F(PageViewLoad, ThePagePanelKeepsItsPagesWhileAnotherDocumentOpens) {
  MakePanel();
  // The middle of the first slot: the scripted engine's thumbnails are
  // black; the panel's empty state has no black there.
  ThumbSlot slot;
  auto firstSlot = [&] {
    UpdateWindow(panel);
    return GetPixel(WindowDc(panel).Get(), 50, ThumbGeometry().Header() + slot.top + slot.height / 2);
  };
  OpenDocument(L"C:\\docs\\first.pdf", L"");
  ASSERT_TRUE(PumpUntil([&] { return g_doc.loaded && g_doc.thumbnails.Find(0) != nullptr; }, 3000));
  ASSERT_EQ(PagePanelVisiblePositions().front(), 0);
  slot = PagePanelState().slots[0];
  const COLORREF page = firstSlot();
  ASSERT_EQ(page, RGB(0, 0, 0));

  pdfium.HoldAt('o', -1);
  OpenDocument(L"C:\\docs\\second.pdf", L"");
  // Looked at before any message (the 100 ms timer's included) is taken.
  EXPECT_EQ(firstSlot(), page) << "the panel flashed its empty state";
  ASSERT_TRUE(pdfium.WaitEntered());
  EXPECT_TRUE(PumpUntil([&] { return firstSlot() != page; }, 3000)) << "a slow opening never showed it";

  pdfium.Release();
  EXPECT_TRUE(PumpUntil([&] { return g_doc.loaded && g_doc.thumbnails.Find(0) && firstSlot() == page; }, 3000));
}

// With the panel shown, the rest of the window waits for the panel's first
// thumbnails as well as the page view's first picture, but not for long.
TEST_F(PageViewLoad, TheWindowCatchesUpAfterThePanelsFirstThumbnailsOrSoon) {
  MakePanel();
  // The view shows page 0 alone; the worker stops at page 1, which only
  // the panel's second slot asks for.
  MoveWindow(view, 0, 0, 400, 150, TRUE);
  pdfium.HoldAt('r', 1);
  const ULONGLONG start = GetTickCount64();
  OpenDocument(L"C:\\docs\\panel.pdf", L"");
  ASSERT_TRUE(PumpUntil([] { return g_doc.pictures.Find(0) && g_doc.thumbnails.Find(0); }, 3000));
  ASSERT_TRUE(pdfium.WaitEntered());
  ASSERT_EQ(VisiblePages(g_doc.view).end, 1);
  ASSERT_GE(PagePanelVisiblePositions().size(), 2u);
  UpdateWindow(view);
  UpdateWindow(panel);
  PumpUntil([] { return false; }, 20);
  // (A machine that took most of the 100 ms to get here can't tell.)
  if (GetTickCount64() - start < 80)
    EXPECT_NE(Title(), L"panel.pdf - Folivex") << "the window caught up before the panel's first thumbnails";
  EXPECT_TRUE(PumpUntil([&] { return Title() == L"panel.pdf - Folivex"; }, 3000)) << "it never caught up";
  ExpectScrollBarSet();
  EXPECT_EQ(g_doc.thumbnails.Find(1), nullptr) << "the worker was let go";
  pdfium.Release();
  EXPECT_TRUE(PumpUntil([] { return g_doc.thumbnails.Find(1) != nullptr; }, 3000));
}

}  // namespace
