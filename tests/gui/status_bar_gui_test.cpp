// The status bar as the screen shows it while the main window changes size:
// every field must still be drawn, not only the ones whose text changed, and
// nothing of an earlier size may be left behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui/gui_harness.h"

namespace {

RECT Inside(RECT r, int by) {
  InflateRect(&r, -by, -by);
  return r;
}

// Pixels of the message field, empty here, that aren't its face colour: what
// an old size grip or edge left there. The grip's own corner is left out.
int Leftovers(const RECT& field) {
  RECT r = Inside(field, 2);
  r.right -= GetSystemMetrics(SM_CXVSCROLL) + 2;
  if (r.right <= r.left || r.bottom <= r.top) return 0;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const uint32_t want = uint32_t(GetRValue(face)) << 16 | uint32_t(GetGValue(face)) << 8 | GetBValue(face);
  int other = 0;
  for (uint32_t c : ScreenPixels(r.left, r.top, r.right - r.left, r.bottom - r.top))
    if (c != want) ++other;
  return other;
}

class StatusBarGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber(L"ReopenLast", 0);
    SetNumber(L"DefaultZoom", 0);
    Forget(L"WindowPlacement");
  }
  void TearDown() override { Forget(L"WindowPlacement"); }

  // On the screen the page, zoom and rotation fields each show text and the
  // empty message field shows nothing. A field may be drawn a little late,
  // never not at all.
  void ExpectDrawn(FolivexApp& app, const std::string& after) {
    int text[3] = {}, leftovers = 0;
    ULONGLONG end = GetTickCount64() + 3000;
    do {
      app.Settle(150);
      std::vector<RECT> fields = app.StatusFieldRects();
      ASSERT_EQ(fields.size(), 4u) << after;
      for (size_t i = 0; i < 3; ++i) text[i] = DarkPixels(Inside(fields[i], 2));
      leftovers = Leftovers(fields[3]);
      if (text[0] > 20 && text[1] > 20 && text[2] > 20 && leftovers == 0) return;
    } while (GetTickCount64() < end);
    app.Screenshot(L"status-bar-not-drawn");
    std::vector<std::wstring> texts = app.StatusParts();
    ASSERT_EQ(texts.size(), 4u);
    for (size_t i = 0; i < 3; ++i)
      EXPECT_GT(text[i], 20) << after << ": field " << i << " holds \"" << Narrow(texts[i]) << "\" but shows no text";
    EXPECT_EQ(texts[3], L"");
    EXPECT_EQ(leftovers, 0) << after << ": the empty message field shows something";
  }
};

TEST_F(StatusBarGui, EveryFieldIsDrawnAfterResizingMaximisingAndRestoring) {
  FolivexApp app(Quoted(TestPdf(L"sample.pdf")));
  HWND main = app.MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));
  SetWindowPos(main, HWND_TOPMOST, 40, 30, 900, 700, SWP_SHOWWINDOW);
  ASSERT_NO_FATAL_FAILURE(ExpectDrawn(app, "900 x 700"));

  // Resized from outside, as a window manager does. In fit width most sizes
  // change the zoom field's text; taller only changes none.
  struct Size {
    int width, height;
    const char* what;
  };
  for (const Size& s : {Size{1200, 900, "wider and taller"}, Size{760, 620, "narrower and lower"},
                        Size{1000, 620, "wider only"}, Size{1000, 820, "taller only"},
                        Size{700, 820, "narrower only"}}) {
    SetWindowPos(main, nullptr, 0, 0, s.width, s.height, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_NO_FATAL_FAILURE(ExpectDrawn(app, s.what));
  }

  // A drag of the corner: many small steps wider, then narrower and lower.
  for (int step = 1; step <= 8; ++step)
    SetWindowPos(main, nullptr, 0, 0, 700 + 40 * step, 820, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_NO_FATAL_FAILURE(ExpectDrawn(app, "dragged wider"));
  for (int step = 1; step <= 8; ++step)
    SetWindowPos(main, nullptr, 0, 0, 1020 - 30 * step, 820 - 10 * step, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_NO_FATAL_FAILURE(ExpectDrawn(app, "dragged narrower"));

  // Maximised and restored as the caption buttons do it.
  PostMessageW(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  app.Settle(300);
  ASSERT_TRUE(IsZoomed(main));
  ASSERT_NO_FATAL_FAILURE(ExpectDrawn(app, "maximised"));
  PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
  app.Settle(300);
  ASSERT_FALSE(IsZoomed(main));
  ASSERT_NO_FATAL_FAILURE(ExpectDrawn(app, "restored"));
  app.Screenshot(L"status-bar-restored");
}

}  // namespace
