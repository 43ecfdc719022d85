// Find, selection, copy and links in the real program on find.pdf (six
// Letter pages; tools/make_find_pdf.py): the counts the find bar shows
// against pdftotext's text of the same file, the highlights on screen, F3
// and Shift+F3 round the ends, a selection dragged over three pages and
// copied, a page link and a web link, whose address reaches the shell's
// handler for https registered in the test prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "doc/layout.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

constexpr wchar_t kWebUrl[] = L"https://example.com/Folivex/Link-Check";
constexpr uint32_t kCurrentMatch = 0xFFAA46, kMatch = 0xFFEE6E, kSelection = 0xA8D0FF;

// pdftotext's text of find.pdf, made by the build beside it.
std::wstring PdftotextText() {
  std::string path = getenv("FV_BUILD_DIR") ? getenv("FV_BUILD_DIR") : ".";
  std::ifstream in(path + "/testdata/find.txt", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return std::wstring(bytes.begin(), bytes.end());  // the file is ASCII
}

int CountNoCase(const std::wstring& text, const std::wstring& word) {
  std::wstring lower = text;
  for (wchar_t& c : lower) c = wchar_t(std::towlower(c));
  int count = 0;
  for (size_t at = lower.find(word); at != std::wstring::npos; at = lower.find(word, at + word.size())) ++count;
  return count;
}

// Runs of blanks, line breaks and page breaks as one space, none at the ends.
std::wstring Squeezed(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    const bool blank = c == L' ' || c == L'\r' || c == L'\n' || c == L'\t' || c == L'\f';
    if (blank) {
      if (!out.empty() && out.back() != L' ') out += L' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == L' ') out.pop_back();
  return out;
}

class FindGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber(L"ReopenLast", 0);
    SetNumber(L"DefaultZoom", 2);  // actual size
    SetNumber(L"PagePanel", 0);
    app_ = std::make_unique<FolivexApp>(Quoted(TestPdf(L"find.pdf")));
    main_ = app_->MainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, HWND_TOPMOST, 20, 10, 1000, 900, SWP_SHOWWINDOW);
    ASSERT_TRUE(WaitForTitle(*app_, L"find.pdf - Folivex"));
    view_ = FindWindowExW(main_, nullptr, L"FolivexView", nullptr);
    ASSERT_NE(view_, nullptr);
    app_->Settle(500);
  }
  void TearDown() override {
    SetNumber(L"DefaultZoom", 0);
    SetNumber(L"PagePanel", 1);
  }

  HWND Bar() { return FindWindowExW(main_, nullptr, L"FVFind", nullptr); }
  // The find bar's status, which it also keeps as its window text.
  bool WaitForFindStatus(const std::wstring& text, DWORD timeoutMs = 15000) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
      if (TextOf(Bar()) == text) return true;
      app_->Settle(50);
    } while (GetTickCount64() < end);
    return false;
  }

  // The view's layout as the program has it: its client size, six Letter
  // pages at actual size, scrolled to the top.
  ViewLayout Expected() {
    ViewLayout v;
    v.dpi = 96;
    RECT client;
    GetClientRect(view_, &client);
    v.viewWidth = client.right;
    v.viewHeight = client.bottom;
    StartView(v, std::vector<float>(6, 816.0f), std::vector<float>(6, 1056.0f), kZoomCustom, 100, 0);
    return v;
  }
  // A point of a page (PDF points, from the bottom left) in the view's client area.
  static POINT At(const ViewLayout& v, int position, double x, double y) {
    const double fx = x / 612.0, fy = (792.0 - y) / 792.0;
    return {LONG(PageLeft(v, position) - v.scrollX + fx * v.pageWidth[size_t(position)]),
            LONG(v.pageTop[size_t(position)] - v.scrollY + fy * v.pageHeight[size_t(position)])};
  }

  // Real mouse input at a point of the view.
  void Mouse(POINT client, DWORD flags) {
    POINT s = client;
    ClientToScreen(view_, &s);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((s.x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = LONG((s.y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(in));
    app_->Settle(120);
  }
  void Click(POINT client) {
    Mouse(client, 0);
    Mouse(client, MOUSEEVENTF_LEFTDOWN);
    Mouse(client, MOUSEEVENTF_LEFTUP);
  }

  // Pixels of a colour in the view's client area, and the lowest and highest
  // rows they are on.
  struct Found {
    int count = 0;
    int top = 1 << 30;
    int bottom = -1;
  };
  Found Pixels(uint32_t colour) {
    RECT client;
    GetClientRect(view_, &client);
    POINT origin = {0, 0};
    ClientToScreen(view_, &origin);
    const std::vector<uint32_t> pixels = ScreenPixels(origin.x, origin.y, client.right, client.bottom);
    Found f;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x)
        if ((pixels[size_t(y) * size_t(client.right) + size_t(x)] & 0xFFFFFF) == colour) {
          ++f.count;
          f.top = std::min(f.top, y);
          f.bottom = std::max(f.bottom, y);
        }
    return f;
  }

  std::unique_ptr<FolivexApp> app_;
  HWND main_ = nullptr;
  HWND view_ = nullptr;
};

// Typing a word finds as many places as pdftotext's text has, highlights
// the current one on the page being read, and F3 and Shift+F3 go round.
TEST_F(FindGui, CountsAgreeWithPdftotextAndF3GoesRound) {
  const int expected = CountNoCase(PdftotextText(), L"alpha");
  ASSERT_EQ(expected, 4) << "pdftotext's text of find.pdf";
  const std::wstring total = std::to_wstring(expected);

  app_->Command(CMD_FIND);
  for (int i = 0; i < 50 && !IsWindowVisible(Bar()); ++i) app_->Settle(100);
  ASSERT_TRUE(IsWindowVisible(Bar()));
  HWND box = GetDlgItem(Bar(), 7101);
  ASSERT_NE(box, nullptr);
  Type(box, L"ALPHA");
  ASSERT_TRUE(WaitForFindStatus(L"1 of " + total)) << Narrow(TextOf(Bar()));
  app_->Settle(400);
  // "alpha" in 36-point type on page 1, 92 points from its top.
  const ViewLayout v = Expected();
  const Found current = Pixels(kCurrentMatch);
  EXPECT_GT(current.count, 200);
  EXPECT_GE(current.top, At(v, 0, 0, 740).y - 6);
  EXPECT_LE(current.bottom, At(v, 0, 0, 690).y + 6);
  app_->Screenshot(L"find_bar_highlights");

  // Next: the first "alpha" of page 3 becomes current, the second is marked too.
  app_->Command(CMD_FIND_NEXT);
  ASSERT_TRUE(WaitForFindStatus(L"2 of " + total));
  ASSERT_TRUE(WaitForStatus(*app_, 0, L"  Page 3 of 6"));
  app_->Settle(500);
  EXPECT_GT(Pixels(kCurrentMatch).count, 100);
  EXPECT_GT(Pixels(kMatch).count, 100);
  app_->Screenshot(L"find_next_page3");

  app_->Command(CMD_FIND_NEXT);
  app_->Command(CMD_FIND_NEXT);
  ASSERT_TRUE(WaitForFindStatus(total + L" of " + total));
  app_->Command(CMD_FIND_NEXT);
  ASSERT_TRUE(WaitForFindStatus(L"1 of " + total));
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Reached the last match; continued from the first one."));
  app_->Command(CMD_FIND_PREV);
  ASSERT_TRUE(WaitForFindStatus(total + L" of " + total));
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Reached the first match; continued from the last one."));

  // Deleting the page that holds the current match takes its matches and
  // the current one away; undoing brings its matches back.
  app_->Command(CMD_FIND_NEXT);
  app_->Command(CMD_FIND_NEXT);
  ASSERT_TRUE(WaitForFindStatus(L"2 of " + total));
  ASSERT_TRUE(WaitForStatus(*app_, 0, L"  Page 3 of 6"));
  app_->Command(CMD_DELETE_PAGE);
  EXPECT_TRUE(WaitForFindStatus(std::to_wstring(expected - 2) + L" found")) << Narrow(TextOf(Bar()));
  app_->Command(CMD_UNDO);
  EXPECT_TRUE(WaitForFindStatus(total + L" found")) << Narrow(TextOf(Bar()));

  Type(box, L"no such words");
  EXPECT_TRUE(WaitForFindStatus(L"No matches"));
}

// Select All right after opening, then Ctrl+C: the copy waits for the
// pages' text if it must, and the clipboard then holds the text pdftotext
// reads from the file (blanks and line breaks aside).
TEST_F(FindGui, SelectAllCopiesTheWholeText) {
  app_->Command(CMD_SELECT_ALL);
  app_->Command(CMD_COPY);
  ULONGLONG end = GetTickCount64() + 15000;
  std::vector<std::wstring> parts;
  do {
    app_->Settle(100);
    parts = app_->StatusParts();
  } while (GetTickCount64() < end && (parts.size() < 4 || parts[3].find(L"Copied") == std::wstring::npos));
  ASSERT_GE(parts.size(), 4u);
  ASSERT_NE(parts[3].find(L"Copied"), std::wstring::npos) << Narrow(parts[3]);
  const std::wstring copied = ClipboardText();  // read while Folivex still runs
  EXPECT_EQ(Narrow(Squeezed(copied)), Narrow(Squeezed(PdftotextText())));
  EXPECT_NE(parts[3].find(L"Copied " + std::to_wstring(copied.size()) + L" characters."), std::wstring::npos);
}

// A drag from the first letter of page 2 to beyond the end of page 4's line
// at 25 %, then Ctrl+C.
TEST_F(FindGui, DragOverThreePagesCopiesTheirText) {
  for (int i = 0; i < 6; ++i) app_->Command(CMD_ZOOM_OUT);  // 100 % to 25 %
  app_->Command(CMD_NEXT_PAGE);
  app_->Settle(800);
  ViewLayout v = Expected();
  for (int i = 0; i < 6; ++i) ZoomOut(v);
  NextPage(v);
  ASSERT_EQ(v.zoomPercent, 25);
  SetForegroundWindow(main_);
  const POINT from = At(v, 1, 80, 708), to = At(v, 3, 420, 708);
  Mouse(from, 0);
  Mouse(from, MOUSEEVENTF_LEFTDOWN);
  for (int k = 1; k <= 4; ++k)
    Mouse({from.x + (to.x - from.x) * k / 4, from.y + (to.y - from.y) * k / 4}, 0);
  Mouse(to, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Text selected. Press Ctrl+C to copy it (or right-click for a menu)."));
  EXPECT_GT(Pixels(kSelection).count, 50);
  app_->Screenshot(L"selection_three_pages");
  app_->Command(CMD_COPY);
  const std::wstring expected =
      L"Second page holds one line\r\nThird page alpha and alpha again\r\nFourth page ends here";
  EXPECT_TRUE(WaitForStatus(*app_, 3,
                            L"  Copied " + std::to_wstring(expected.size()) +
                                L" characters. Paste them anywhere with Ctrl+V."))
      << Narrow(app_->StatusParts().back());
  EXPECT_EQ(Narrow(ClipboardText()), Narrow(expected));
}

// The shell's handler for https in the test prefix, replaced for the test:
// it records the address it is given in the registry.
class HttpsHandler {
 public:
  HttpsHandler() {
    had_ = ReadDefault(old_);
    const std::wstring command =
        L"C:\\windows\\system32\\reg.exe add HKCU\\Software\\FolivexLinkTest /v Opened /d \"%1\" /f";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr, REG_SZ, command.c_str(),
                    DWORD((command.size() + 1) * sizeof(wchar_t)));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\FolivexLinkTest");
  }
  ~HttpsHandler() {
    if (had_)
      RegSetKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr, REG_SZ, old_.c_str(), DWORD((old_.size() + 1) * 2));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\FolivexLinkTest");
  }
  // What the handler was given, waiting for it.
  std::wstring Opened(DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
      wchar_t value[600] = {};
      DWORD size = sizeof(value) - sizeof(wchar_t);
      if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\FolivexLinkTest", L"Opened", RRF_RT_REG_SZ, nullptr, value,
                       &size) == ERROR_SUCCESS)
        return value;
      Sleep(100);
    } while (GetTickCount64() < end);
    return L"";
  }

 private:
  static constexpr wchar_t kKey[] = L"https\\shell\\open\\command";
  bool ReadDefault(std::wstring& value) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, kKey, nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
      return false;
    value = buffer;
    return true;
  }
  bool had_ = false;
  std::wstring old_;
};

TEST_F(FindGui, LinksDescribeThemselvesAndLead) {
  const ViewLayout v = Expected();
  SetForegroundWindow(main_);
  // The web link scrolled under a resting pointer (one Down, 36 points at
  // actual size), and away again: described and forgotten with no move;
  // a message shown meanwhile stays.
  const std::wstring webText = std::wstring(L"  Link: ") + kWebUrl;
  // (Twice: under Wine the first move can be followed by a stale one from
  // where the pointer was, maybe on the link, where the last test left it.)
  const POINT rest = At(v, 0, 150, 605 + 36);
  Mouse({rest.x + 3, rest.y}, 0);
  Mouse(rest, 0);
  for (ULONGLONG end = GetTickCount64() + 3000; app_->StatusParts()[3] == webText && GetTickCount64() < end;)
    app_->Settle(50);
  EXPECT_NE(app_->StatusParts()[3], webText);
  app_->Key(VK_DOWN);
  EXPECT_TRUE(WaitForStatus(*app_, 3, webText));
  app_->Key(VK_UP);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  "));
  app_->Key(VK_DOWN);
  EXPECT_TRUE(WaitForStatus(*app_, 3, webText));
  const std::wstring nothing =
      L"  Nothing is selected. Drag across some text to select it, or press Ctrl+A to select everything.";
  app_->Key('C', true);
  EXPECT_TRUE(WaitForStatus(*app_, 3, nothing));
  app_->Key(VK_UP);
  app_->Settle(300);
  EXPECT_EQ(app_->StatusParts()[3], nothing);

  // The page link: described on hover, followed on click.
  const POINT pageLink = At(v, 0, 135, 655);
  Mouse({pageLink.x + 3, pageLink.y}, 0);
  Mouse(pageLink, 0);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Link: click to go to page 5"));
  app_->Screenshot(L"link_hover");
  Click(pageLink);
  EXPECT_TRUE(WaitForStatus(*app_, 3, L"  Followed a link to page 5."));
  EXPECT_TRUE(WaitForStatus(*app_, 0, L"  Page 5 of 6"));

  // The web link, under a pointer that came to rest there before the page's
  // links were read (the same PDF dropped on the window opens it again, at
  // the top): described once they are, with no move. The question shows the
  // address, Yes hands exactly that address to the shell.
  HttpsHandler handler;
  const POINT webLink = At(v, 0, 150, 605);
  Mouse(webLink, 0);
  ASSERT_TRUE(app_->DropFiles({TestPdf(L"find.pdf")}));
  EXPECT_TRUE(WaitForStatus(*app_, 3, std::wstring(L"  Link: ") + kWebUrl));
  Click(webLink);
  HWND question = WaitForDialog(*app_, L"Open link");
  ASSERT_NE(question, nullptr);
  EXPECT_NE(DialogMessage(question).find(std::wstring(L"to:\n\n") + kWebUrl + L"\n\nOpen it?"), std::wstring::npos)
      << Narrow(DialogMessage(question));
  app_->Screenshot(L"link_question");
  Press(question, IDYES);
  EXPECT_EQ(Narrow(handler.Opened(15000)), Narrow(kWebUrl));
}

}  // namespace
