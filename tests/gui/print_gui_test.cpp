// Printing through the real program onto a real printer driver: Wine's
// PostScript driver writes each job into a file, which ghostscript turns
// into PDF and poppler measures (tests/gui/print_check.py).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/commands.h"
#include "base/handles.h"
#include "tests/gui/gui_harness.h"
#include "tests/base/test_printer.h"

namespace {

std::string EnvText(const char* name) {
  char value[1024] = {};
  DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  return n && n < sizeof(value) ? std::string(value) : std::string();
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

struct PrintedPage {
  int width = 0;  // points
  int height = 0;
  int imageWidth = 0;  // pixels of the picture on the page
  int imageHeight = 0;
  int red = -1;  // the sample document's bar colour, which tells its pages apart
};

struct PrintSettings {
  DWORD scale = 0;
  DWORD quality = 1;
  DWORD autoRotate = 1;
};

class Printing : public ::testing::Test {
 protected:
  void SetUp() override {
    unixDir = EnvText("FV_BUILD_DIR") + "/print-test";
    ASSERT_FALSE(unixDir.empty());
    CreateDirectoryW(WindowsPath(unixDir).c_str(), nullptr);
    std::wstring error;
    ASSERT_TRUE(PrepareTestPrinter(Wide(unixDir + "/printed.ps"), error)) << std::string(error.begin(), error.end());
  }
  void TearDown() override {
    Forget(L"PrintScale");
    Forget(L"PrintQuality");
    Forget(L"PrintAutoRotate");
  }

  // Opens the PDF, prints all pages through the print dialog and reads back
  // what came out of the printer. (Wine's print dialog hands back no page
  // range, so the ranges are left to the unit tests of the print list.)
  std::vector<PrintedPage> Print(const std::wstring& pdf, const std::wstring& title, PrintSettings settings,
                                 bool screenshots = false, void (*before)(FolivexApp&) = nullptr) {
    std::vector<PrintedPage> pages;
    SetNumber(L"PrintScale", settings.scale);
    SetNumber(L"PrintQuality", settings.quality);
    SetNumber(L"PrintAutoRotate", settings.autoRotate);
    const std::wstring printed = WindowsPath(unixDir + "/printed.ps");
    const std::wstring summary = WindowsPath(unixDir + "/summary.txt");
    DeleteFileW(printed.c_str());
    DeleteFileW(summary.c_str());

    FolivexApp app(Quoted(pdf));
    EXPECT_TRUE(app.MainWindow() != nullptr);
    EXPECT_TRUE(WaitForTitle(app, title + L" - Folivex"));
    if (before) before(app);
    app.Command(CMD_PRINT);
    HWND dialog = WaitForDialog(app, L"Print", 20000);
    EXPECT_NE(dialog, nullptr);
    if (!dialog) return pages;
    if (screenshots) app.Screenshot(L"print_dialog");
    Press(dialog, IDOK);

    // Each page's progress, then the outcome, in the status bar's message part.
    bool sawProgress = false;
    std::wstring message;
    ULONGLONG end = GetTickCount64() + 90000;
    while (GetTickCount64() < end) {
      std::vector<std::wstring> parts = app.StatusParts();
      message = parts.size() > 3 ? parts[3] : L"";
      if (message.rfind(L"  Printing page ", 0) == 0 && !sawProgress) {
        sawProgress = true;
        if (screenshots) app.Screenshot(L"print_progress");
      }
      if (message == L"  Sent to the printer.") break;
      Sleep(20);
    }
    EXPECT_EQ(message, L"  Sent to the printer.");
    EXPECT_TRUE(sawProgress || !screenshots);  // a single page may pass between two looks
    EXPECT_TRUE(IsWindowEnabled(app.MainWindow()));
    app.Command(CMD_EXIT);
    app.WaitForExit(10000);

    RunOnLinux("python3 " + std::string(FV_SOURCE_DIR) + "/tests/gui/print_check.py check " + unixDir +
               "/printed.ps " + unixDir + "/summary.txt");
    // The Unix side may still be at work when its process handle is signalled.
    for (int i = 0; i < 600 && GetFileAttributesW(summary.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    FILE* file = _wfopen(summary.c_str(), L"r");
    EXPECT_NE(file, nullptr) << "nothing came out of the printer";
    if (!file) return pages;
    PrintedPage page;
    while (fscanf(file, " page %d %d %d %d %d", &page.width, &page.height, &page.imageWidth, &page.imageHeight,
                  &page.red) == 5)
      pages.push_back(page);
    fclose(file);
    return pages;
  }

  std::string unixDir;
};

// The bar's red per page of the sample document: ((i * 37) % 100) / 100 of
// 255 for the 0-based page i.
int SampleRed(int page) { return int(((page - 1) * 37 % 100) / 100.0 * 255 + 0.5); }

TEST_F(Printing, AllPagesPrintInOrderTurnedToThePaperAtTheQualitysSize) {
  std::vector<PrintedPage> pages = Print(TestPdf(L"sample.pdf"), L"sample.pdf", {0, 1, 1}, true);
  ASSERT_EQ(pages.size(), 12u);
  for (int k = 0; k < 12; ++k) {
    // Portrait paper throughout; the landscape pages 5 and 10 are turned and
    // fill it like the others. Normal quality on the 300-dpi test printer:
    // the whole Letter sheet, 2550 x 3300.
    EXPECT_EQ(pages[k].width, 612);
    EXPECT_EQ(pages[k].height, 792);
    EXPECT_NEAR(pages[k].red, SampleRed(k + 1), 10) << "printed page " << k + 1;
    EXPECT_EQ(pages[k].imageWidth, 2550);
    EXPECT_EQ(pages[k].imageHeight, 3300);
  }
}

TEST_F(Printing, PagesPrintInTheOrderOnScreenBeforeItIsSaved) {
  // Alt+Down makes page 1 page 2; nothing is saved.
  std::vector<PrintedPage> pages = Print(TestPdf(L"sample5.pdf"), L"sample5.pdf", {0, 1, 1}, false, [](FolivexApp& app) {
    app.Key(VK_DOWN, false, false, true);
    EXPECT_TRUE(WaitForTitle(app, L"* sample5.pdf - Folivex"));
  });
  ASSERT_EQ(pages.size(), 5u);
  const int shown[] = {2, 1, 3, 4, 5};
  for (int k = 0; k < 5; ++k) EXPECT_NEAR(pages[k].red, SampleRed(shown[k]), 10) << "printed page " << k + 1;
}

TEST_F(Printing, LandscapePagesPrintUprightAndSmallerWithoutAutoRotation) {
  std::vector<PrintedPage> pages = Print(TestPdf(L"sample.pdf"), L"sample.pdf", {0, 1, 0});
  ASSERT_EQ(pages.size(), 12u);
  EXPECT_NEAR(pages[4].red, SampleRed(5), 10);
  // 11 x 8.5 in scaled to the sheet's 8.5 in width: 8.5 x 6.57 in.
  EXPECT_EQ(pages[4].imageWidth, 2550);
  EXPECT_EQ(pages[4].imageHeight, 1970);
  EXPECT_EQ(pages[3].imageHeight, 3300);
}

TEST_F(Printing, ScaleAndQualityDecideThePrintedAndRenderedSize) {
  RunOnLinux("python3 " + std::string(FV_SOURCE_DIR) + "/tests/gui/print_check.py small " + unixDir + "/small.pdf");
  const std::wstring small = WindowsPath(unixDir + "/small.pdf");
  // A 4 x 6 in page: fitted it grows to 7.33 x 11 in (2200 x 3300 at 300
  // dpi), at actual size it stays 4 x 6 in (1200 x 1800).
  std::vector<PrintedPage> fitted = Print(small, L"small.pdf", {0, 1, 1});
  ASSERT_EQ(fitted.size(), 1u);
  EXPECT_EQ(fitted[0].imageWidth, 2200);
  EXPECT_EQ(fitted[0].imageHeight, 3300);
  std::vector<PrintedPage> actual = Print(small, L"small.pdf", {1, 1, 1});
  ASSERT_EQ(actual.size(), 1u);
  EXPECT_EQ(actual[0].imageWidth, 1200);
  EXPECT_EQ(actual[0].imageHeight, 1800);
  // Draft renders at 150 dpi, half the printer's; High would be 600 dpi but
  // goes no finer than the printer's 300.
  std::vector<PrintedPage> draft = Print(small, L"small.pdf", {0, 0, 1});
  ASSERT_EQ(draft.size(), 1u);
  EXPECT_EQ(draft[0].imageWidth, 1100);
  EXPECT_EQ(draft[0].imageHeight, 1650);
  std::vector<PrintedPage> high = Print(small, L"small.pdf", {0, 2, 1});
  ASSERT_EQ(high.size(), 1u);
  EXPECT_EQ(high[0].imageWidth, 2200);
  EXPECT_EQ(high[0].imageHeight, 3300);
}

}  // namespace
