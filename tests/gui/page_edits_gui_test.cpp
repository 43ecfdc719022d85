// Page edits through the keyboard on the real program: Alt+arrows move the
// page being read, Del deletes it, Ctrl+Z takes the edit back, and a PDF
// our reader can't rewrite refuses every edit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

// The top band of the page view as it settles: the title line of the page
// shown at the top. Taken again until two looks agree (pictures arrive
// after placeholders).
std::vector<uint32_t> TopOfView(FolivexApp& app) {
  HWND view = FindWindowExW(app.MainWindow(), nullptr, L"FolivexView", nullptr);
  RECT r = {};
  GetWindowRect(view, &r);
  std::vector<uint32_t> last;
  for (int i = 0; i < 40; ++i) {
    app.Settle(150);
    std::vector<uint32_t> now = ScreenPixels(r.left, r.top, r.right - r.left - 30, 160);
    if (!last.empty() && now == last) return now;
    last = std::move(now);
  }
  return last;
}

class PageEditsGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber(L"ReopenLast", 0);
    SetNumber(L"DefaultZoom", 0);
  }
};

TEST_F(PageEditsGui, AltArrowsDelAndCtrlZEditThePageOrder) {
  FolivexApp app(L"/at 40,40,900,700 " + Quoted(TestPdf(L"sample.pdf")));
  ASSERT_NE(app.MainWindow(), nullptr);
  ASSERT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));
  app.Command(CMD_NEXT_PAGE);
  const std::vector<uint32_t> secondPage = TopOfView(app);
  app.Command(CMD_FIRST_PAGE);
  const std::vector<uint32_t> firstPage = TopOfView(app);
  ASSERT_NE(secondPage, firstPage) << "the two pages must look different for this test";

  // Alt+Down: the page being read (page 1) becomes page 2.
  app.Key(VK_DOWN, false, false, true);
  EXPECT_TRUE(WaitForStatus(app, 3, L"  Page 1 is now page 2. Click Save (Ctrl+S) to keep the new order."))
      << Narrow(app.StatusParts()[3]);
  EXPECT_TRUE(WaitForTitle(app, L"* sample.pdf - Folivex"));
  EXPECT_TRUE(WaitForStatus(app, 0, L"  Page 2 of 12")) << "the moved page is shown";
  app.Command(CMD_FIRST_PAGE);
  EXPECT_EQ(TopOfView(app), secondPage) << "the first position now shows the former page 2";
  app.Screenshot(L"page-edits-moved");

  // Alt+Up moves the selected page back up: the saved order again.
  app.Key(VK_UP, false, false, true);
  EXPECT_TRUE(WaitForStatus(
      app, 3, L"  Page 2 is now page 1 \u2014 the pages are back in the order they were saved in."))
      << Narrow(app.StatusParts()[3]);
  EXPECT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));
  EXPECT_EQ(TopOfView(app), firstPage);

  // Del deletes the selected page; Ctrl+Z brings it back.
  app.Key(VK_DELETE);
  EXPECT_TRUE(WaitForStatus(app, 0, L"  Page 1 of 11"));
  EXPECT_TRUE(WaitForStatus(
      app, 3, L"  Deleted page 1. Undo (Ctrl+Z) brings it back; the file only changes when you Save (Ctrl+S)."));
  EXPECT_EQ(TopOfView(app), secondPage);
  // The undo keeps the page that was selected (the former page 2) in view.
  app.Key('Z', true);
  EXPECT_TRUE(WaitForStatus(app, 0, L"  Page 2 of 12")) << Narrow(app.StatusParts()[0]);
  EXPECT_TRUE(WaitForStatus(app, 3, L"  Undid the last change \u2014 the pages are back the way they were saved."));
  EXPECT_TRUE(WaitForTitle(app, L"sample.pdf - Folivex"));
  EXPECT_EQ(TopOfView(app), secondPage);
  app.Command(CMD_FIRST_PAGE);
  EXPECT_EQ(TopOfView(app), firstPage) << "page 1 is back in front";
}

TEST_F(PageEditsGui, APdfOurReaderCantRewriteRefusesEdits) {
  // Encrypted files are read by PDFium but can't be rearranged.
  FolivexApp app(Quoted(TestPdf(L"encrypted.pdf")));
  ASSERT_NE(app.MainWindow(), nullptr);
  HWND prompt = WaitForDialog(app, L"Password required");
  ASSERT_NE(prompt, nullptr);
  Type(GetDlgItem(prompt, 1002), L"user");
  Press(prompt, IDOK);
  ASSERT_TRUE(WaitForTitle(app, L"encrypted.pdf - Folivex"));
  app.Settle(500);

  app.Key(VK_DOWN, false, false, true);
  HWND box = WaitForDialog(app, L"Folivex");
  ASSERT_NE(box, nullptr) << "no refusal";
  EXPECT_EQ(DialogMessage(box).rfind(L"The pages of this PDF can't be rearranged.\n\n", 0), 0u)
      << Narrow(DialogMessage(box));
  app.Screenshot(L"page-edits-refused");
  Press(box, IDOK);
  app.Settle();
  EXPECT_EQ(app.Title(), L"encrypted.pdf - Folivex") << "nothing changed";
  EXPECT_EQ(app.StatusParts()[0], L"  Page 1 of 3");

  // The verdict is kept; the refusal is explained again at the next try.
  app.Key(VK_DELETE);
  box = WaitForDialog(app, L"Folivex");
  ASSERT_NE(box, nullptr);
  Press(box, IDOK);
  app.Settle();
  EXPECT_EQ(app.StatusParts()[0], L"  Page 1 of 3");
}

}  // namespace
