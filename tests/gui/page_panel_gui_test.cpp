// The page panel of the real program: thumbnails appear, a page dragged
// within the panel moves (the pictures follow), the dragged page follows
// the cursor out of the panel, Esc cancels a drag, the page menu refuses
// what can't be done, the Bookmarks view jumps, F4 hides and shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "pages/thumb_layout.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/sample_panel.h"
#include "ui/commands.h"

namespace {

class PagePanelGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber(L"ReopenLast", 0);
    SetNumber(L"DefaultZoom", 0);
    SetNumber(L"PagePanel", 1);
  }
  // Starts Folivex on a test PDF of `pages` pages (made by our sample
  // generator: Letter, every fifth one sideways) and lays out the slots the
  // panel should have.
  void Open(const wchar_t* name, int pages) {
    app_ = std::make_unique<FolivexApp>(Quoted(TestPdf(name)));
    main_ = app_->MainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, nullptr, 30, 10, 1000, 1000, SWP_NOZORDER);
    ASSERT_TRUE(WaitForTitle(*app_, std::wstring(name) + L" - Folivex"));
    panel_ = FindWindowExW(main_, nullptr, L"FVThumbs", nullptr);
    ASSERT_NE(panel_, nullptr);
    app_->Settle(500);
    geometry_ = SamplePanelLayout(panel_, pages);
  }
  void TearDown() override { SetNumber(L"PagePanel", 1); }

  // A panel y inside slot p (the list scrolled by scroll_).
  int SlotY(int p) { return geometry_.Header() + geometry_.slots[size_t(p)].top - scroll_ + 20; }
  // A panel y whose insertion slot is q.
  int InsertionY(int q) {
    const ThumbSlot& s = geometry_.slots[size_t(q)];
    return geometry_.Header() + s.top - scroll_ + s.height / 2 - 4;
  }
  void Mouse(UINT message, int y, WPARAM keys = 0) {
    PostMessageW(panel_, message, keys, MAKELPARAM(geometry_.width / 2, y));
    app_->Settle(150);
  }
  void Click(int x, int y) {
    PostMessageW(panel_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(panel_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    app_->Settle(200);
  }
  // The picture in the slot of position p with the list scrolled by `scroll`.
  std::vector<uint32_t> SlotPicture(int p, int scroll) {
    const ThumbSlot& s = geometry_.slots[size_t(p)];
    POINT at = {(geometry_.width - s.width) / 2, geometry_.Header() + s.top - scroll};
    ClientToScreen(panel_, &at);
    return ScreenPixels(at.x, at.y, s.width, s.height);
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
  int scroll_ = 0;
};

TEST_F(PagePanelGui, ThumbnailsAppearAndADraggedPageMoves) {
  Open(L"sample5.pdf", 5);
  // The visible slots get their pictures from the worker.
  ULONGLONG end = GetTickCount64() + 20000;
  while ((DarkInSlot(0) < 30 || DarkInSlot(1) < 30 || DarkInSlot(2) < 30) && GetTickCount64() < end)
    app_->Settle(200);
  EXPECT_GE(DarkInSlot(0), 30) << "slot 1 stayed white";
  EXPECT_GE(DarkInSlot(1), 30) << "slot 2 stayed white";
  const std::vector<uint32_t> page2 = SlotPicture(1, 0), page3 = SlotPicture(2, 0);
  ASSERT_NE(page2, page3);

  // Page 2 dragged to insertion slot 4 (between pages 4 and 5).
  Mouse(WM_LBUTTONDOWN, SlotY(1), MK_LBUTTON);
  EXPECT_TRUE(WaitForStatus(*app_, 0, L"  Page 2 of 5")) << "a click goes to the page";
  Mouse(WM_MOUSEMOVE, SlotY(1) + 30, MK_LBUTTON);
  // Out of the panel the page follows the cursor in a window of its own.
  PostMessageW(panel_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-300, SlotY(1) + 30));
  app_->Settle(300);
  HWND ghost = FindWindowW(L"FVGhost", nullptr);
  EXPECT_TRUE(ghost && IsWindowVisible(ghost)) << "no picture follows the cursor outside the panel";
  app_->Screenshot(L"page-panel-ghost");
  // Held near the bottom edge, the list scrolls by itself until the last
  // slot's middle is above the cursor (slot 4 would be hit without it).
  Mouse(WM_MOUSEMOVE, geometry_.height - 10, MK_LBUTTON);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Let go to make page 2 page 5. (Esc cancels.)"))
      << "no autoscroll: " << Narrow(app_->StatusParts()[3]);
  app_->Settle(1000);
  scroll_ = std::max(0, geometry_.total - geometry_.ListHeight());
  Mouse(WM_MOUSEMOVE, InsertionY(4), MK_LBUTTON);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Let go to make page 2 page 4. (Esc cancels.)"))
      << Narrow(app_->StatusParts()[3]);
  EXPECT_FALSE(ghost && IsWindowVisible(ghost)) << "inside the panel the panel draws the dragged page";
  app_->Screenshot(L"page-panel-dragging");
  Mouse(WM_LBUTTONUP, InsertionY(4));
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Page 2 is now page 4. Click Save (Ctrl+S) to keep the new order."))
      << Narrow(app_->StatusParts()[3]);
  EXPECT_TRUE(WaitForTitle(*app_, L"* sample5.pdf - Folivex"));
  EXPECT_TRUE(WaitForStatus(*app_, 0, L"  Page 4 of 5"));
  app_->Screenshot(L"page-panel-moved");
  // The pictures follow the new order: 1, 3, 4, 2, 5.
  PostMessageW(panel_, WM_VSCROLL, SB_BOTTOM, 0);
  app_->Settle(400);
  EXPECT_EQ(SlotPicture(3, scroll_), page2) << "position 4 doesn't show page 2";
  EXPECT_EQ(SlotPicture(1, scroll_), page3) << "position 2 doesn't show page 3";

  // Esc in the middle of a drag: nothing moves, the hint goes.
  PostMessageW(panel_, WM_VSCROLL, SB_TOP, 0);
  scroll_ = 0;
  app_->Settle(200);
  Mouse(WM_LBUTTONDOWN, SlotY(0), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, SlotY(0) + 30, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, InsertionY(2), MK_LBUTTON);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Let go to make page 1 page 2. (Esc cancels.)"));
  app_->Key(VK_ESCAPE);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  "));
  Mouse(WM_LBUTTONUP, InsertionY(2));
  app_->Settle(300);
  EXPECT_EQ(app_->StatusParts()[3], L"  ") << "the cancelled drag moved nothing";
  // Undo takes back the one move, so nothing else was recorded.
  app_->Key('Z', true);
  EXPECT_TRUE(WaitForTitle(*app_, L"sample5.pdf - Folivex"));
}

TEST_F(PagePanelGui, F4HidesAndShowsThePanelAndRemembersIt) {
  Open(L"sample5.pdf", 5);
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

// Reads an open menu off the screen: per item, top to bottom, whether its
// text is drawn in black (enabled) rather than gray. Separators are lines
// only a pixel or two high and are left out.
std::vector<bool> MenuItemsEnabled(HWND menu) {
  RECT r = {};
  GetWindowRect(menu, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const std::vector<uint32_t> pixels = ScreenPixels(r.left, r.top, w, h);
  const uint32_t back = pixels.empty() ? 0 : pixels[size_t(w) * size_t(h / 2) + 2];
  std::vector<bool> items;
  int bandStart = -1;
  bool black = false;
  for (int y = 2; y <= h - 2; ++y) {
    bool ink = false;
    for (int x = 4; y < h - 2 && x < w - 4; ++x) {
      const uint32_t c = pixels[size_t(y) * size_t(w) + size_t(x)];
      if (c == back) continue;
      ink = true;
      if (((c >> 16) & 0xFF) < 80 && ((c >> 8) & 0xFF) < 80 && (c & 0xFF) < 80) black = true;
    }
    if (ink && bandStart < 0) bandStart = y;
    if (!ink && bandStart >= 0) {
      if (y - bandStart >= 5) items.push_back(black);
      bandStart = -1;
      black = false;
    } else if (!ink) {
      black = false;
    }
  }
  return items;
}

TEST_F(PagePanelGui, ThePageMenuRefusesWhatCantBeDone) {
  auto openMenu = [&]() {
    Mouse(WM_RBUTTONUP, SlotY(0));
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
  };
  // The first of several pages, nothing changed yet: Delete, Move Down and
  // Move to Back can be chosen; Move Up, Move to Front and Undo can't.
  Open(L"sample5.pdf", 5);
  HWND menu = openMenu();
  ASSERT_NE(menu, nullptr) << "no page menu";
  app_->Screenshot(L"page-panel-menu");
  EXPECT_EQ(MenuItemsEnabled(menu), (std::vector<bool>{true, false, true, false, true, false}));
  // Its items send their commands (the menu's loop reads keys from the
  // program's queue): Move Down.
  PostMessageW(menu, WM_CHAR, 'n', 0);
  EXPECT_TRUE(WaitForTitle(*app_, L"* sample5.pdf - Folivex")) << "Move Down from the page menu did nothing";
  app_.reset();

  // The only page: Delete, every Move and Undo are grayed.
  Open(L"sample1.pdf", 1);
  menu = openMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(MenuItemsEnabled(menu), (std::vector<bool>(6, false)));
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  app_->Settle(200);
}

TEST_F(PagePanelGui, TheBookmarksViewJumpsToItsSections) {
  const int tabY = 10, pagesTabX = 30, bookmarksTabX = 100;
  Open(L"sample5.pdf", 5);
  Click(bookmarksTabX, tabY);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  This PDF has no bookmarks."));
  app_.reset();

  // bookmarks.pdf: three pages; its first bookmark leads to page 1.
  app_ = std::make_unique<FolivexApp>(Quoted(TestPdf(L"bookmarks.pdf")));
  main_ = app_->MainWindow();
  ASSERT_NE(main_, nullptr);
  SetWindowPos(main_, nullptr, 30, 10, 1000, 1000, SWP_NOZORDER);
  ASSERT_TRUE(WaitForTitle(*app_, L"bookmarks.pdf - Folivex"));
  panel_ = FindWindowExW(main_, nullptr, L"FVThumbs", nullptr);
  ASSERT_NE(panel_, nullptr);
  app_->Command(CMD_LAST_PAGE);
  ASSERT_TRUE(WaitForStatus(*app_, 0, L"  Page 3 of 3"));
  Click(bookmarksTabX, tabY);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Bookmarks: click one to jump to that part of the document."));
  app_->Screenshot(L"page-panel-bookmarks");
  const int firstEntryY = 26 + 6 + 8;
  Click(100, firstEntryY);
  EXPECT_TRUE(WaitForStatus(*app_, 0, L"  Page 1 of 3")) << "the bookmark didn't jump";

  // Its page deleted, the bookmark says so.
  Click(pagesTabX, tabY);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Pages: click a page to jump to it, drag one to move it."));
  app_->Key(VK_HOME, true);
  app_->Key(VK_DELETE);
  ASSERT_TRUE(WaitForTitle(*app_, L"* bookmarks.pdf - Folivex"));
  Click(bookmarksTabX, tabY);
  Click(100, firstEntryY);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  That bookmark leads to a page you deleted."));
}

}  // namespace
