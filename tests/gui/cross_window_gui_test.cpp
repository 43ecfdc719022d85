// Pages dragged between two real Folivex processes: a copy lands where the
// other panel's bar shows, Shift moves it, Esc leaves both alone, a window
// that refused editing takes nothing, and the receiver refuses records that
// are not a well-formed page from another Folivex window.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "pages/page_transfer.h"
#include "pages/thumb_layout.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/sample_panel.h"

namespace {

// One Folivex window placed by the test, with its panel's slots (all the
// test PDFs here have Letter pages, every fifth one sideways).
struct Side {
  std::unique_ptr<FolivexApp> app;
  HWND main = nullptr;
  HWND panel = nullptr;
  ThumbGeometry geometry;

  bool Start(const std::wstring& arguments, int pages) {
    app = std::make_unique<FolivexApp>(arguments);
    main = app->MainWindow();
    if (!main) return false;
    panel = FindWindowExW(main, nullptr, L"FVThumbs", nullptr);
    if (!panel) return false;
    app->Settle(800);
    geometry = SamplePanelLayout(panel, pages);
    return true;
  }
  // A screen point in the middle of slot p, or on the height of insertion
  // slot q (the list at the top).
  POINT SlotPoint(int p) {
    POINT at = {geometry.width / 2, geometry.Header() + geometry.slots[size_t(p)].top + 20};
    ClientToScreen(panel, &at);
    return at;
  }
  POINT InsertionPoint(int q) {
    const ThumbSlot& s = geometry.slots[size_t(q)];
    POINT at = {geometry.width / 2, geometry.Header() + s.top + s.height / 2 - 4};
    ClientToScreen(panel, &at);
    return at;
  }
  std::vector<uint32_t> SlotPicture(int p) {
    const ThumbSlot& s = geometry.slots[size_t(p)];
    POINT at = {(geometry.width - s.width) / 2, geometry.Header() + s.top};
    ClientToScreen(panel, &at);
    return ScreenPixels(at.x, at.y, s.width, s.height);
  }
  // Waits until slot p shows a page rather than white.
  bool WaitForThumbnail(int p) {
    for (int i = 0; i < 100; ++i) {
      const ThumbSlot& s = geometry.slots[size_t(p)];
      POINT at = {(geometry.width - s.width) / 2, geometry.Header() + s.top};
      ClientToScreen(panel, &at);
      if (DarkPixels({at.x, at.y, at.x + s.width, at.y + s.height}) >= 30) return true;
      app->Settle(100);
    }
    return false;
  }
  std::wstring Message() { return app->StatusParts()[3]; }
};

class CrossWindowGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber(L"ReopenLast", 0);
    SetNumber(L"DefaultZoom", 0);
    SetNumber(L"PagePanel", 1);
    ASSERT_TRUE(left_.Start(L"/at 0,0,620,1000 " + Quoted(TestPdf(L"sample5.pdf")), 5));
    ASSERT_TRUE(WaitForTitle(*left_.app, L"sample5.pdf - Folivex"));
  }

  // Mouse messages to the left panel at a screen point.
  void Mouse(UINT message, POINT screen, WPARAM keys) {
    POINT at = screen;
    ScreenToClient(left_.panel, &at);
    PostMessageW(left_.panel, message, keys, MAKELPARAM(WORD(short(at.x)), WORD(short(at.y))));
    left_.app->Settle(200);
  }
  // Presses page `p` of the left panel and drags it to `screen`.
  void DragTo(int p, POINT screen, WPARAM keys = 0) {
    POINT start = left_.SlotPoint(p);
    Mouse(WM_LBUTTONDOWN, start, MK_LBUTTON | keys);
    Mouse(WM_MOUSEMOVE, {start.x, start.y + 30}, MK_LBUTTON | keys);
    Mouse(WM_MOUSEMOVE, screen, MK_LBUTTON | keys);
  }

  Side left_;
};

TEST_F(CrossWindowGui, APageIsCopiedOrMovedWhereTheOtherPanelShows) {
  // The right window's PDF is a copy of its own: it is saved below.
  const std::wstring folder = BuildDir() + L"\\cross-window-test";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring copy = folder + L"\\sample.pdf";
  ASSERT_TRUE(CopyFileW(TestPdf(L"sample.pdf").c_str(), copy.c_str(), FALSE));
  Side right;
  ASSERT_TRUE(right.Start(L"/at 640,0,620,1000 " + Quoted(copy), 12));
  ASSERT_TRUE(WaitForTitle(*right.app, L"sample.pdf - Folivex"));
  ASSERT_TRUE(left_.WaitForThumbnail(1));
  const std::vector<uint32_t> leftPage2 = left_.SlotPicture(1);

  // Esc in the middle of a drag over the other window changes neither side.
  DragTo(1, right.InsertionPoint(2));
  EXPECT_TRUE(WaitForStatus(*left_.app, 3,
                            L"  Let go to COPY page 2 into the other PDF. Hold Shift to move it instead. (Esc cancels.)"))
      << Narrow(left_.Message());
  left_.app->Key(VK_ESCAPE);
  // The key comes through the input queue: the drag has ended once the hint
  // is gone, and only then is the button let go.
  EXPECT_TRUE(WaitForStatus(*left_.app, 3, L"  "));
  Mouse(WM_LBUTTONUP, right.InsertionPoint(2), 0);
  right.app->Settle(500);
  EXPECT_EQ(left_.app->Title(), L"sample5.pdf - Folivex");
  EXPECT_EQ(right.app->Title(), L"sample.pdf - Folivex");

  // A copy into insertion slot 2: the page becomes the right PDF's third.
  DragTo(1, right.InsertionPoint(2));
  right.app->Settle(300);
  right.app->Screenshot(L"cross-window-hover");
  Mouse(WM_LBUTTONUP, right.InsertionPoint(2), 0);
  EXPECT_TRUE(WaitForStatus(*left_.app, 3, L"  Copied page 2 to the other PDF. Click Save there to keep it."))
      << Narrow(left_.Message());
  EXPECT_TRUE(WaitForTitle(*right.app, L"* sample.pdf - Folivex"));
  EXPECT_TRUE(WaitForStatus(*right.app, 0, L"  Page 3 of 13"));
  EXPECT_TRUE(WaitForStatus(*right.app, 3,
                            L"  Added page 2 of sample5.pdf as page 3. Save (Ctrl+S) keeps it; Undo (Ctrl+Z) takes it "
                            L"out."))
      << Narrow(right.Message());
  EXPECT_EQ(left_.app->Title(), L"sample5.pdf - Folivex") << "a copy leaves the sender alone";
  PostMessageW(right.panel, WM_VSCROLL, SB_TOP, 0);
  right.app->Settle(500);
  EXPECT_TRUE(right.WaitForThumbnail(2));
  right.app->Settle(300);
  EXPECT_EQ(right.SlotPicture(2), leftPage2) << "the right panel's third slot doesn't show the copied page";

  // Saved there, the file has the page third (qpdf and poppler look).
  right.app->Key('S', true);
  ASSERT_TRUE(WaitForTitle(*right.app, L"sample.pdf - Folivex")) << "not saved: " << Narrow(right.Message());
  const std::wstring verdict = folder + L"\\check.txt";
  DeleteFileW(verdict.c_str());
  const std::string file = "'" + UnixPath(copy) + "'";
  RunOnLinux("(qpdf --check " + file + " >/dev/null && pdfinfo " + file + " | grep -q '^Pages: *13$' && pdftotext -f 3 " +
             "-l 3 " + file + " - | grep -q 'Page 2 of 5' && pdftotext -f 4 -l 4 " + file + " - | grep -q 'Page 3 of 12' " +
             "&& echo ok || echo wrong) > '" + UnixPath(verdict) + "'");
  ASSERT_TRUE(WaitForFile(verdict));
  Sleep(200);
  char text[8] = {};
  FILE* f = _wfopen(verdict.c_str(), L"rb");
  ASSERT_NE(f, nullptr);
  fread(text, 1, 7, f);
  fclose(f);
  EXPECT_EQ(std::string(text, 2), "ok") << "the saved file: " << text;

  // With Shift the page moves: added there, deleted here.
  DragTo(1, right.InsertionPoint(0), MK_SHIFT);
  EXPECT_TRUE(WaitForStatus(*left_.app, 3,
                            L"  Let go to MOVE page 2 into the other PDF (it will be deleted here). Release Shift to "
                            L"copy instead. (Esc cancels.)"))
      << Narrow(left_.Message());
  Mouse(WM_LBUTTONUP, right.InsertionPoint(0), MK_SHIFT);
  EXPECT_TRUE(WaitForStatus(*right.app, 0, L"  Page 1 of 14"));
  EXPECT_TRUE(WaitForTitle(*left_.app, L"* sample5.pdf - Folivex")) << "the moved page stayed here";
  EXPECT_TRUE(WaitForStatus(*left_.app, 0, L"  Page 2 of 4"));
  EXPECT_TRUE(WaitForStatus(*left_.app, 3,
                            L"  Moved page 2 to the other PDF. Save in BOTH windows to keep it; Undo (Ctrl+Z) brings "
                            L"it back here."))
      << Narrow(left_.Message());
}

TEST_F(CrossWindowGui, AWindowThatRefusedEditingTakesNothing) {
  Side right;
  ASSERT_TRUE(right.Start(L"/at 640,0,620,1000 " + Quoted(TestPdf(L"encrypted.pdf")), 3));
  HWND prompt = WaitForDialog(*right.app, L"Password required");
  ASSERT_NE(prompt, nullptr);
  Type(GetDlgItem(prompt, 1002), L"user");
  Press(prompt, IDOK);
  ASSERT_TRUE(WaitForTitle(*right.app, L"encrypted.pdf - Folivex"));
  // An edit there finds that its pages can't be rearranged.
  right.app->Key(VK_DOWN, false, false, true);
  HWND box = WaitForDialog(*right.app, L"Folivex");
  ASSERT_NE(box, nullptr);
  Press(box, IDOK);
  right.app->Settle(300);

  DragTo(0, right.InsertionPoint(1));
  EXPECT_TRUE(WaitForStatus(*left_.app, 3,
                            L"  That Folivex window can't take a page right now (it needs an open PDF that can be "
                            L"changed)."))
      << Narrow(left_.Message());
  left_.app->Screenshot(L"cross-window-refused");
  Mouse(WM_LBUTTONUP, right.InsertionPoint(1), 0);
  right.app->Settle(800);
  EXPECT_EQ(right.app->Title(), L"encrypted.pdf - Folivex");
  EXPECT_EQ(right.app->StatusParts()[0], L"  Page 1 of 3");
  EXPECT_EQ(WaitForDialog(*right.app, L"Folivex", 500), nullptr) << "the drop reached the refusing window";
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// A window of this process with the given class name.
HWND MakeWindow(const wchar_t* className) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  RegisterClassW(&wc);
  return CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
}

TEST_F(CrossWindowGui, TheReceiverRefusesMalformedRecords) {
  // This process poses as another Folivex window, so that the record's
  // own checks are what refuses it.
  HWND sender = MakeWindow(L"FolivexMain");
  HWND stranger = MakeWindow(L"NotFolivex");
  ASSERT_TRUE(sender && stranger);
  const std::wstring pdf = TestPdf(L"sample1.pdf");
  PageTransfer good;
  good.page = 0;
  good.sender = uint64_t(reinterpret_cast<uintptr_t>(sender));
  good.path.assign(pdf.begin(), pdf.end());
  good.name = u"sample1.pdf";
  auto send = [&](HWND from, std::vector<uint8_t> bytes, size_t size, ULONG_PTR magic = kTransferMagic) {
    bytes.resize(std::max(bytes.size(), size));
    COPYDATASTRUCT data = {magic, DWORD(size), bytes.data()};
    DWORD_PTR reply = 99;
    if (!SendMessageTimeoutW(left_.main, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, 5000, &reply))
      return DWORD_PTR(98);  // no answer: the receiver hung or went
    return reply;
  };
  const std::vector<uint8_t> record = EncodeTransfer(good);
  ASSERT_EQ(record.size(), kTransferRecordSize);

  auto with = [&](size_t at, std::vector<uint8_t> patch) {
    std::vector<uint8_t> r = record;
    std::copy(patch.begin(), patch.end(), r.begin() + std::ptrdiff_t(at));
    return r;
  };
  std::vector<uint8_t> unterminated = record;
  for (size_t i = 32; i < 32 + 2048; i += 2) unterminated[i] = 'a';
  std::vector<uint8_t> unterminatedName = record;
  for (size_t i = 2080; i < 2600; i += 2) unterminatedName[i] = 'b';

  EXPECT_EQ(send(sender, record, kTransferRecordSize - 1), 0u) << "short record";
  EXPECT_EQ(send(sender, record, kTransferRecordSize + 8), 0u) << "long record";
  EXPECT_EQ(send(sender, record, kTransferRecordSize, 0x1234), 0u) << "wrong dwData";
  EXPECT_EQ(send(sender, with(0, {'X', 'V', 'P', 'G'}), kTransferRecordSize), 0u) << "wrong magic";
  EXPECT_EQ(send(sender, unterminated, kTransferRecordSize), 0u) << "path without its end";
  EXPECT_EQ(send(sender, unterminatedName, kTransferRecordSize), 0u) << "name without its end";
  EXPECT_EQ(send(sender, with(12, {0xFF, 0xFF, 0xFF, 0xFF}), kTransferRecordSize), 0u) << "page -1";
  EXPECT_EQ(send(sender, with(16, {2, 0, 0, 0}), kTransferRecordSize), 0u) << "move flag 2";
  EXPECT_EQ(send(sender, with(32, {0, 0}), kTransferRecordSize), 0u) << "empty path";
  EXPECT_EQ(send(stranger, record, kTransferRecordSize), 0u) << "not a Folivex window";
  EXPECT_EQ(send(sender, with(24, {1, 2, 3, 4, 5, 6, 7, 8}), kTransferRecordSize), 0u) << "another sender named";
  EXPECT_EQ(send(left_.main, record, kTransferRecordSize), 0u) << "its own window as the sender";
  left_.app->Settle(300);
  EXPECT_EQ(left_.app->Title(), L"sample5.pdf - Folivex");

  // A page past the end of a real PDF is taken in, found missing, and
  // explained; nothing changes.
  EXPECT_EQ(send(sender, with(12, {7, 0, 0, 0}), kTransferRecordSize), 1u);
  HWND box = WaitForDialog(*left_.app, L"Folivex");
  ASSERT_NE(box, nullptr) << "no message about the missing page";
  EXPECT_NE(DialogMessage(box).find(L"couldn't take that page"), std::wstring::npos) << Narrow(DialogMessage(box));
  Press(box, IDOK);
  left_.app->Settle(300);
  EXPECT_EQ(left_.app->Title(), L"sample5.pdf - Folivex");

  // And the good record is taken: dropped outside the panel, the page is
  // appended.
  EXPECT_EQ(send(sender, record, kTransferRecordSize), 1u);
  EXPECT_TRUE(WaitForTitle(*left_.app, L"* sample5.pdf - Folivex"));
  EXPECT_TRUE(WaitForStatus(*left_.app, 3,
                            L"  Added page 1 of sample1.pdf as page 6. Save (Ctrl+S) keeps it; Undo (Ctrl+Z) takes it "
                            L"out."))
      << Narrow(left_.Message());
  DestroyWindow(sender);
  DestroyWindow(stranger);
}

}  // namespace
