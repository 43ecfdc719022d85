// The page panel of the real program: thumbnails appear, a page dragged
// within the panel moves, Esc cancels a drag, F4 hides and shows the panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "pages/thumb_layout.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

class PagePanelGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber(L"ReopenLast", 0);
    SetNumber(L"DefaultZoom", 0);
    SetNumber(L"PagePanel", 1);
    // sample5.pdf: four Letter pages, then one turned sideways.
    app_ = std::make_unique<FolivexApp>(Quoted(TestPdf(L"sample5.pdf")));
    main_ = app_->MainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, nullptr, 30, 30, 1000, 760, SWP_NOZORDER);
    ASSERT_TRUE(WaitForTitle(*app_, L"sample5.pdf - Folivex"));
    panel_ = FindWindowExW(main_, nullptr, L"FVThumbs", nullptr);
    ASSERT_NE(panel_, nullptr);
    app_->Settle(500);
    RECT client;
    GetClientRect(panel_, &client);
    geometry_.width = client.right;
    geometry_.height = client.bottom;
    const float letterW = 612 * 96 / 72.0f, letterH = 792 * 96 / 72.0f;
    LayOutThumbs(geometry_, {letterW, letterW, letterW, letterW, letterH}, {letterH, letterH, letterH, letterH, letterW},
                 0);
  }
  void TearDown() override { SetNumber(L"PagePanel", 1); }

  // A panel y inside slot p (the list is at the top).
  int SlotY(int p) { return geometry_.Header() + geometry_.slots[size_t(p)].top + 20; }
  // A panel y whose insertion slot is q.
  int InsertionY(int q) {
    const ThumbSlot& s = geometry_.slots[size_t(q)];
    return geometry_.Header() + s.top + s.height / 2 - 4;
  }
  void Mouse(UINT message, int y, WPARAM keys = 0) {
    PostMessageW(panel_, message, keys, MAKELPARAM(geometry_.width / 2, y));
    app_->Settle(150);
  }
  // How far the slot of position p is from white: dark pixels of a drawn page.
  int DarkInSlot(int p) {
    RECT r = {};
    GetWindowRect(panel_, &r);
    const ThumbSlot& s = geometry_.slots[size_t(p)];
    POINT at = {(geometry_.width - s.width) / 2, geometry_.Header() + s.top};
    ClientToScreen(panel_, &at);
    RECT slot = {at.x, at.y, at.x + s.width, std::min(LONG(at.y + s.height), r.bottom)};
    return DarkPixels(slot);
  }

  std::unique_ptr<FolivexApp> app_;
  HWND main_ = nullptr;
  HWND panel_ = nullptr;
  ThumbGeometry geometry_;
};

TEST_F(PagePanelGui, ThumbnailsAppearAndADraggedPageMoves) {
  // The visible slots get their pictures from the worker.
  ULONGLONG end = GetTickCount64() + 20000;
  while ((DarkInSlot(0) < 30 || DarkInSlot(1) < 30) && GetTickCount64() < end) app_->Settle(200);
  EXPECT_GE(DarkInSlot(0), 30) << "slot 1 stayed white";
  EXPECT_GE(DarkInSlot(1), 30) << "slot 2 stayed white";

  // Page 2 dragged to insertion slot 4 (between pages 4 and 5).
  Mouse(WM_LBUTTONDOWN, SlotY(1), MK_LBUTTON);
  EXPECT_TRUE(WaitForStatus(*app_, 0, L"  Page 2 of 5")) << "a click goes to the page";
  Mouse(WM_MOUSEMOVE, SlotY(1) + 30, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, InsertionY(4), MK_LBUTTON);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Let go to make page 2 page 4. (Esc cancels.)"))
      << Narrow(app_->StatusParts()[3]);
  app_->Screenshot(L"page-panel-dragging");
  Mouse(WM_LBUTTONUP, InsertionY(4));
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Page 2 is now page 4. Click Save (Ctrl+S) to keep the new order."))
      << Narrow(app_->StatusParts()[3]);
  EXPECT_TRUE(WaitForTitle(*app_, L"* sample5.pdf - Folivex"));
  EXPECT_TRUE(WaitForStatus(*app_, 0, L"  Page 4 of 5"));
  app_->Screenshot(L"page-panel-moved");

  // Esc in the middle of a drag: nothing moves, the hint goes. (The move
  // scrolled the panel to the moved page; back to the top first.)
  PostMessageW(panel_, WM_VSCROLL, SB_TOP, 0);
  app_->Settle(200);
  Mouse(WM_LBUTTONDOWN, SlotY(0), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, SlotY(0) + 30, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, InsertionY(3), MK_LBUTTON);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Let go to make page 1 page 3. (Esc cancels.)"));
  app_->Key(VK_ESCAPE);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  "));
  Mouse(WM_LBUTTONUP, InsertionY(3));
  app_->Settle(300);
  EXPECT_EQ(app_->StatusParts()[3], L"  ") << "the cancelled drag moved nothing";
  // Undo takes back the one move, so nothing else was recorded.
  app_->Key('Z', true);
  EXPECT_TRUE(WaitForTitle(*app_, L"sample5.pdf - Folivex"));
}

TEST_F(PagePanelGui, F4HidesAndShowsThePanelAndRemembersIt) {
  RECT view = {}, panel = {};
  HWND pageView = FindWindowExW(main_, nullptr, L"FolivexView", nullptr);
  GetWindowRect(pageView, &view);
  GetWindowRect(panel_, &panel);
  const int narrow = view.right - view.left;
  app_->Key(VK_F4);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Page panel hidden. Press F4 to bring it back."));
  EXPECT_FALSE(IsWindowVisible(panel_));
  GetWindowRect(pageView, &view);
  EXPECT_EQ(view.right - view.left, narrow + (panel.right - panel.left)) << "the page view takes the room";
  DWORD stored = 99;
  EXPECT_TRUE(ReadNumber(L"PagePanel", stored));
  EXPECT_EQ(stored, 0u);
  app_->Key(VK_F4);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Page panel shown. Drag a page up or down to move it."));
  EXPECT_TRUE(IsWindowVisible(panel_));
  EXPECT_TRUE(ReadNumber(L"PagePanel", stored));
  EXPECT_EQ(stored, 1u);
}

}  // namespace
