// The page view in the real program, on the 20-page sample (every fifth page
// landscape): zoom steps and modes, rotation, page keys, wheel, scroll bars,
// panning, resizing, and what the pages look like on screen. The expected
// scroll-bar numbers come from the same layout code the program runs, fed
// with the view's real client size.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/handles.h"
#include "doc/layout.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\Corvane\\Folivex";
constexpr int kPages = 20;
// The dark background (Background 0) and its page shadow, 0x00RRGGBB.
constexpr uint32_t kBackground = 0x525659, kShadow = 0x303234;

// A number setting, put back as it was when the test ends.
class NumberSetting {
 public:
  NumberSetting(const wchar_t* name, DWORD value) : name_(name) {
    DWORD size = sizeof(old_);
    had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &old_, &size) == ERROR_SUCCESS;
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_DWORD, &value, sizeof(value));
  }
  ~NumberSetting() {
    if (had_)
      RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name_, REG_DWORD, &old_, sizeof(old_));
    else
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, name_);
  }

 private:
  const wchar_t* name_;
  DWORD old_ = 0;
  bool had_ = false;
};

int ScreenDpi() {
  int dpi = GetDeviceCaps(WindowDc(nullptr).Get(), LOGPIXELSX);
  return dpi > 0 ? dpi : 96;
}

class ViewGui : public ::testing::Test {
 protected:
  // Opens the sample at actual size (custom 100 %) on the dark background
  // with page shadows, in a 1000 x 1000 frame kept above other windows.
  void Open() {
    app_ = std::make_unique<FolivexApp>(L"\"" + TestPdf(L"sample20.pdf") + L"\"");
    ASSERT_TRUE(app_->Started());
    main_ = app_->MainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, HWND_TOPMOST, 20, 10, 1000, 1000, SWP_SHOWWINDOW);
    view_ = FindWindowExW(main_, nullptr, L"FolivexView", nullptr);
    ASSERT_NE(view_, nullptr) << "no page view";
    ULONGLONG end = GetTickCount64() + 20000;
    while (GetTickCount64() < end && app_->Title() != L"sample20.pdf - Folivex") app_->Settle(100);
    ASSERT_EQ(app_->Title(), L"sample20.pdf - Folivex");
    app_->Settle(500);

    // What the program laid out: the sample's pages in the view's client
    // area, opened in custom zoom at 100 % and scrolled to the top.
    expected_.dpi = ScreenDpi();
    std::vector<float> widths, heights;
    for (int i = 0; i < kPages; ++i) {
      const bool landscape = i % 5 == 4;
      widths.push_back(landscape ? 1056.0f : 816.0f);
      heights.push_back(landscape ? 816.0f : 1056.0f);
    }
    RECT client = ClientRect();
    expected_.viewWidth = client.right;
    expected_.viewHeight = client.bottom;
    StartView(expected_, widths, heights, kZoomCustom, 100, 0);
  }

  RECT ClientRect() const {
    RECT r = {};
    GetClientRect(view_, &r);
    return r;
  }

  bool HasHorizontalBar() const { return (GetWindowLongW(view_, GWL_STYLE) & WS_HSCROLL) != 0; }

  // The program's answer to a scroll bar appearing or going: the layout
  // follows the new client size.
  void FollowClientSize() {
    RECT r = ClientRect();
    if (r.right != expected_.viewWidth || r.bottom != expected_.viewHeight)
      SetViewSize(expected_, r.right, r.bottom);
  }

  void Send(int command) {
    SendMessageTimeoutW(main_, WM_COMMAND, MAKEWPARAM(command, 0), 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    app_->Settle(150);
  }

  void Post(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageW(view_, message, wParam, lParam);
    app_->Settle(200);
  }

  void Key(UINT vk, bool ctrl = false) {
    app_->Key(vk, ctrl);
    app_->Settle(300);
  }

  LPARAM ScreenPoint(int x, int y) const {
    POINT p = {x, y};
    ClientToScreen(view_, &p);
    return MAKELPARAM(p.x, p.y);
  }

  // Where pages show along a line of the view's pixels, as "[from,to)"
  // runs: everything but the background and the page shadows counts (the
  // white placeholder as much as a page picture).
  static std::string PageRuns(const std::vector<uint32_t>& line) {
    std::string runs;
    size_t start = 0;
    bool inPage = false;
    for (size_t i = 0; i <= line.size(); ++i) {
      const bool page = i < line.size() && line[i] != kBackground && line[i] != kShadow;
      if (page && !inPage) start = i;
      if (!page && inPage) runs += "[" + std::to_string(start) + "," + std::to_string(i) + ") ";
      inPage = page;
    }
    return runs;
  }

  // The same as the expected layout has it, down column x or across row y.
  std::string ExpectedRuns(bool down, int at) const {
    std::string runs;
    const PageRange visible = VisiblePages(expected_);
    const int64_t limit = down ? expected_.viewHeight : expected_.viewWidth;
    for (int p = visible.first; p < visible.end; ++p) {
      const int64_t left = PageLeft(expected_, p) - expected_.scrollX;
      const int64_t top = expected_.pageTop[size_t(p)] - expected_.scrollY;
      const int64_t width = expected_.pageWidth[size_t(p)], height = expected_.pageHeight[size_t(p)];
      const int64_t crossFrom = down ? left : top, crossTo = down ? left + width : top + height;
      if (at < crossFrom || at >= crossTo) continue;
      const int64_t from = std::max<int64_t>(down ? top : left, 0);
      const int64_t to = std::min<int64_t>(down ? top + height : left + width, limit);
      if (from < to) runs += "[" + std::to_string(from) + "," + std::to_string(to) + ") ";
    }
    return runs;
  }

  // The screen shows the pages where the expected layout puts them: the runs
  // of page pixels down the middle column and across the middle row are the
  // page rectangles of the layout, to the pixel. (The program's scroll bars
  // can't be read from another process under Wine; the pixels say more.)
  void ExpectShown(const std::string& what) {
    FollowClientSize();
    const int x = expected_.viewWidth / 2, y = expected_.viewHeight / 2;
    const std::string wantDown = ExpectedRuns(true, x), wantAcross = ExpectedRuns(false, y);
    std::string down, across;
    ULONGLONG end = GetTickCount64() + 3000;
    do {
      int w = 0, h = 0;
      std::vector<uint32_t> px = Pixels(w, h);
      if (w != expected_.viewWidth || h != expected_.viewHeight) {
        FollowClientSize();
        app_->Settle(100);
        continue;
      }
      std::vector<uint32_t> column(static_cast<size_t>(h));
      const std::vector<uint32_t> row(px.begin() + ptrdiff_t(y) * w, px.begin() + ptrdiff_t(y + 1) * w);
      for (int i = 0; i < h; ++i) column[size_t(i)] = px[size_t(i) * size_t(w) + size_t(x)];
      down = PageRuns(column);
      across = PageRuns(row);
      if (down == wantDown && across == wantAcross) break;
      app_->Settle(100);
    } while (GetTickCount64() < end);
    // A check that can tell scroll positions apart: some page edge shows.
    EXPECT_NE(wantDown, "[0," + std::to_string(expected_.viewHeight) + ") ") << what << ": no page edge in sight";
    EXPECT_EQ(down, wantDown) << what << ": down the middle column";
    EXPECT_EQ(across, wantAcross) << what << ": across the middle row";
  }

  // A status bar part, checked once the main window shows its status bar.
  void ExpectStatus(size_t part, const std::wstring& text) {
    if (!FindWindowExW(main_, nullptr, L"msctls_statusbar32", nullptr)) return;
    std::vector<std::wstring> parts = app_->StatusParts();
    EXPECT_EQ(part < parts.size() ? parts[part] : L"", text) << "status part " << part;
  }

  // The view's pixels as the screen shows them, 0x00RRGGBB, row by row.
  std::vector<uint32_t> Pixels(int& width, int& height) const {
    RECT r = ClientRect();
    width = r.right;
    height = r.bottom;
    POINT origin = {0, 0};
    ClientToScreen(view_, &origin);
    return ScreenPixels(origin.x, origin.y, width, height);
  }

  // Dark pixels (text, lines) inside position p's rectangle as the screen
  // shows it now; 0 while the page is still a white placeholder.
  int DarkPixelsOnPage(int p) {
    int w = 0, h = 0;
    std::vector<uint32_t> px = Pixels(w, h);
    const int64_t left = PageLeft(expected_, p) - expected_.scrollX;
    const int64_t top = expected_.pageTop[size_t(p)] - expected_.scrollY;
    int dark = 0;
    for (int64_t y = std::max<int64_t>(top, 0); y < std::min<int64_t>(top + expected_.pageHeight[size_t(p)], h); ++y)
      for (int64_t x = std::max<int64_t>(left, 0); x < std::min<int64_t>(left + expected_.pageWidth[size_t(p)], w);
           ++x) {
        uint32_t c = px[size_t(y) * size_t(w) + size_t(x)];
        if (((c >> 16) & 255) < 90 && ((c >> 8) & 255) < 90 && (c & 255) < 90) ++dark;
      }
    return dark;
  }

  // Waits until the view's pixels stay the same for a while (the sharp
  // pictures have replaced the stretched ones).
  void WaitUntilStill() {
    int w = 0, h = 0;
    std::vector<uint32_t> last = Pixels(w, h);
    int still = 0;
    ULONGLONG end = GetTickCount64() + 20000;
    while (GetTickCount64() < end && still < 3) {
      app_->Settle(300);
      std::vector<uint32_t> now = Pixels(w, h);
      still = now == last ? still + 1 : 0;
      last = std::move(now);
    }
  }

  // Waits until the page's picture has been painted (its text shows).
  bool WaitForPicture(int p) {
    ULONGLONG end = GetTickCount64() + 20000;
    while (GetTickCount64() < end) {
      if (DarkPixelsOnPage(p) > 50) return true;
      app_->Settle(200);
    }
    return false;
  }

  NumberSetting zoom_{L"DefaultZoom", 2};
  NumberSetting background_{L"Background", 0};
  NumberSetting shadow_{L"PageShadow", 1};
  NumberSetting panel_{L"PagePanel", 0};  // the page view alone, the whole width
  std::unique_ptr<FolivexApp> app_;
  HWND main_ = nullptr;
  HWND view_ = nullptr;
  ViewLayout expected_;
};

TEST_F(ViewGui, ZoomStepsFitModesAndActualSize) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ExpectShown("opened at 100 %");
  ExpectStatus(1, L"  Zoom 100%");

  Send(CMD_ZOOM_IN);
  ZoomIn(expected_);
  ExpectShown("zoom in to 110 %");
  ExpectStatus(1, L"  Zoom 110%");
  Send(CMD_ZOOM_IN);
  ZoomIn(expected_);
  ExpectShown("zoom in to 125 %");
  for (const wchar_t* step : {L"  Zoom 110%", L"  Zoom 100%", L"  Zoom 90%"}) {
    Send(CMD_ZOOM_OUT);
    ZoomOut(expected_);
    ExpectShown("zoom out");
    ExpectStatus(1, step);
  }

  // Fit width: the landscape pages fill the width, no horizontal bar.
  Send(CMD_FIT_WIDTH);
  FitWidth(expected_);
  ExpectShown("fit width");
  EXPECT_FALSE(HasHorizontalBar()) << "fit width";
  EXPECT_EQ(expected_.pageWidth[4], ClientRect().right - 2 * expected_.gap);

  // Fit page: the current page fits the window both ways.
  Send(CMD_FIT_PAGE);
  FitPage(expected_);
  ExpectShown("fit page");
  EXPECT_LE(expected_.pageHeight[0], ClientRect().bottom - 2 * expected_.gap);

  Send(CMD_ACTUAL_SIZE);
  ActualSize(expected_);
  ExpectShown("actual size");
  EXPECT_EQ(expected_.pageWidth[0], ScaleForDpi(816, expected_.dpi));
  ExpectStatus(1, L"  Zoom 100%");
}

TEST_F(ViewGui, RotateRightOnPage7KeepsPage7AtTheTop) {
  ASSERT_NO_FATAL_FAILURE(Open());
  for (int i = 0; i < 6; ++i) {
    Send(CMD_NEXT_PAGE);
    NextPage(expected_);
  }
  ASSERT_EQ(CurrentPage(expected_), 6);
  ExpectShown("on page 7");
  ExpectStatus(0, L"  Page 7 of 20");

  Send(CMD_ROTATE_RIGHT);
  RotateRight(expected_);
  ExpectShown("rotated right");
  EXPECT_EQ(CurrentPage(expected_), 6);
  EXPECT_EQ(expected_.scrollY, expected_.pageTop[6] - expected_.gap / 2);  // page 7 at the top
  ExpectStatus(0, L"  Page 7 of 20");
  ExpectStatus(2, L"  Rotation 90\u00B0");

  Send(CMD_ROTATE_LEFT);
  RotateLeft(expected_);
  ExpectShown("rotated back");
  EXPECT_EQ(CurrentPage(expected_), 6);
}

TEST_F(ViewGui, KeysWheelAndScrollBarsScroll) {
  ASSERT_NO_FATAL_FAILURE(Open());
  // Ctrl+End (an accelerator) shows the last page; Home (the view's own key)
  // the first.
  Key(VK_END, true);
  LastPage(expected_);
  ExpectShown("Ctrl+End");
  EXPECT_EQ(CurrentPage(expected_), kPages - 1);
  ExpectStatus(0, L"  Page 20 of 20");
  Key(VK_HOME);
  FirstPage(expected_);
  ExpectShown("Home");

  // At 50 % and 67 % every window shows a page edge, so each scroll is seen
  // to the pixel.
  for (int i = 0; i < 4; ++i) {
    Send(CMD_ZOOM_OUT);
    ZoomOut(expected_);
  }
  ExpectShown("50 %");

  Key(VK_NEXT);
  ScrollBy(expected_, 0, expected_.viewHeight - ScaleForDpi(40, expected_.dpi));
  ExpectShown("Page Down");
  Key(VK_DOWN);
  ScrollBy(expected_, 0, ScaleForDpi(48, expected_.dpi));
  ExpectShown("Down");

  // One wheel notch towards the user scrolls down 120 pixels (at 96 dpi).
  const LPARAM inside = ScreenPoint(200, 200);
  Post(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), inside);
  ScrollBy(expected_, 0, ScaleForDpi(120, expected_.dpi));
  ExpectShown("wheel");

  // Ctrl + half a notch does nothing; the second half zooms in once.
  Post(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 60), inside);
  ExpectShown("Ctrl + half a notch");
  Post(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 60), inside);
  ZoomIn(expected_);
  ExpectShown("Ctrl + a whole notch");
  ExpectStatus(1, L"  Zoom 67%");

  // Scroll-bar requests.
  Post(WM_VSCROLL, SB_PAGEDOWN, 0);
  ScrollBy(expected_, 0, expected_.viewHeight - ScaleForDpi(40, expected_.dpi));
  ExpectShown("bar page down");
  Post(WM_VSCROLL, SB_LINEUP, 0);
  ScrollBy(expected_, 0, -ScaleForDpi(48, expected_.dpi));
  ExpectShown("bar line up");
  Post(WM_VSCROLL, SB_BOTTOM, 0);
  ScrollTo(expected_, expected_.scrollX, expected_.contentHeight);
  ExpectShown("bar bottom");

  // Left at fit width goes to the previous page.
  Send(CMD_FIT_WIDTH);
  FitWidth(expected_);
  ExpectShown("fit width");
  const int before = CurrentPage(expected_);
  Key(VK_LEFT);
  PreviousPage(expected_);
  ExpectShown("Left at fit width");
  EXPECT_EQ(CurrentPage(expected_), before - 1);
}

TEST_F(ViewGui, ResizingInFitWidthKeepsTheSpotOfTheCurrentPage) {
  ASSERT_NO_FATAL_FAILURE(Open());
  Send(CMD_FIT_WIDTH);
  FitWidth(expected_);
  for (int i = 0; i < 4; ++i) {
    Send(CMD_NEXT_PAGE);
    NextPage(expected_);
  }
  Key(VK_DOWN);
  Key(VK_DOWN);
  ScrollBy(expected_, 0, 2 * ScaleForDpi(48, expected_.dpi));
  ExpectShown("page 5, a little down");
  const int page = CurrentPage(expected_);
  const double spot = double(expected_.scrollY - expected_.pageTop[size_t(page)]) / expected_.pageHeight[size_t(page)];

  SetWindowPos(main_, nullptr, 0, 0, 900, 900, SWP_NOMOVE | SWP_NOZORDER);
  app_->Settle(400);
  RECT r = ClientRect();
  SetViewSize(expected_, r.right, r.bottom);
  ExpectShown("resized");
  // The same page, and the same spot of it, at the top.
  EXPECT_EQ(CurrentPage(expected_), page);
  const double newSpot =
      double(expected_.scrollY - expected_.pageTop[size_t(page)]) / expected_.pageHeight[size_t(page)];
  EXPECT_NEAR(newSpot, spot, 0.01);
  ExpectStatus(0, L"  Page 5 of 20");
}

TEST_F(ViewGui, PagesArePaintedAndPanAtFitWidthAnd400Percent) {
  ASSERT_NO_FATAL_FAILURE(Open());
  Send(CMD_FIT_WIDTH);
  FitWidth(expected_);
  ExpectShown("fit width");
  ASSERT_TRUE(WaitForPicture(0)) << "page 1 was never painted";
  WaitUntilStill();

  // Background, shadow and the white page where no text is.
  int w = 0, h = 0;
  std::vector<uint32_t> px = Pixels(w, h);
  auto at = [&](int64_t x, int64_t y) { return px[size_t(y) * size_t(w) + size_t(x)]; };
  const int64_t left = PageLeft(expected_, 0), top = expected_.pageTop[0];
  const int64_t right = left + expected_.pageWidth[0];
  EXPECT_EQ(at(2, 2), 0x525659u) << "background";
  EXPECT_EQ(at(right + 1, top + 40), 0x303234u) << "page shadow";
  EXPECT_EQ(at(left + 4, top + 4), 0xFFFFFFu) << "page";
  EXPECT_FALSE(app_->Screenshot(L"view-fit-width").empty());

  // 400 %: from 100 % eight steps up.
  Send(CMD_ACTUAL_SIZE);
  ActualSize(expected_);
  for (int i = 0; i < 8; ++i) {
    Send(CMD_ZOOM_IN);
    ZoomIn(expected_);
  }
  ExpectShown("400 %");
  ExpectStatus(1, L"  Zoom 400%");
  ASSERT_TRUE(WaitForPicture(0)) << "page 1 was never painted at 400 %";
  WaitUntilStill();
  EXPECT_FALSE(app_->Screenshot(L"view-400").empty());

  // A drag on the page pans: the content follows the pointer.
  EXPECT_TRUE(HasHorizontalBar()) << "400 %";
  const int64_t x0 = expected_.scrollX, y0 = expected_.scrollY;
  Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(400, 300));
  Post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(350, 292));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(350, 292));
  ScrollTo(expected_, expected_.scrollX + 50, expected_.scrollY + 8);
  ExpectShown("panned");
  EXPECT_EQ(expected_.scrollX, x0 + 50);
  EXPECT_EQ(expected_.scrollY, y0 + 8);

  // The column is wider than the window: the horizontal bar and Left scroll
  // sideways.
  Post(WM_HSCROLL, SB_LINEDOWN, 0);
  ScrollBy(expected_, ScaleForDpi(48, expected_.dpi), 0);
  ExpectShown("bar line right");
  Key(VK_LEFT);
  Key(VK_LEFT);
  ScrollBy(expected_, -2 * ScaleForDpi(48, expected_.dpi), 0);
  ExpectShown("Left twice at 400 %");
  EXPECT_EQ(expected_.scrollX, x0 + 50 - 48);
}

TEST_F(ViewGui, WithoutADocumentTheViewAsksForOne) {
  NumberSetting noReopen(L"ReopenLast", 0);
  app_ = std::make_unique<FolivexApp>(L"");
  ASSERT_TRUE(app_->Started());
  main_ = app_->MainWindow();
  ASSERT_NE(main_, nullptr);
  SetWindowPos(main_, HWND_TOPMOST, 20, 10, 1000, 1000, SWP_SHOWWINDOW);
  view_ = FindWindowExW(main_, nullptr, L"FolivexView", nullptr);
  ASSERT_NE(view_, nullptr);
  app_->Settle(500);

  // The dark background, and the two lines of the invitation in light grey,
  // centred both ways.
  int w = 0, h = 0;
  std::vector<uint32_t> px = Pixels(w, h);
  ASSERT_GT(w, 0);
  EXPECT_EQ(px[0], kBackground);
  int left = w, right = -1, top = h, bottom = -1, count = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (px[size_t(y) * size_t(w) + size_t(x)] == 0xDCDCDC) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        ++count;
      }
  ASSERT_GT(count, 50) << "no text in the empty-state colour";
  EXPECT_NEAR((left + right) / 2, w / 2, 8);
  EXPECT_NEAR((top + bottom) / 2, h / 2, 8);
  EXPECT_GT(bottom - top, 30) << "two lines";
  EXPECT_LT(bottom - top, 80);
}

}  // namespace
