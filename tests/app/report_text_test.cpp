#include "app/report_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

size_t IndexOf(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].compare(0, prefix.size(), prefix) == 0) return i;
  return lines.size();
}

TEST(ReportText, WithoutDocumentNoPageLinesFollow) {
  ReportFacts f;
  f.eventLog = L"     1200  first event\r\n     1300  second event\r\n";
  f.now = 5000;
  std::vector<std::wstring> lines = Lines(ComposeReport(f));
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[6], L"Document: (none open)");
  const std::wstring tail = L"this document: -";
  ASSERT_GT(lines[10].size(), tail.size());
  EXPECT_EQ(lines[10].substr(lines[10].size() - tail.size()), tail);
  size_t pages = IndexOf(lines, L"Pages (pos = position");
  ASSERT_EQ(pages, 13u);
  EXPECT_EQ(lines[pages + 1], L"");
  EXPECT_EQ(lines[pages + 2], L"Recent events (oldest first; the number is a clock in milliseconds, now = 5000):");
  EXPECT_EQ(lines[16], L"     1200  first event");
  EXPECT_EQ(lines[17], L"     1300  second event");
}

TEST(ReportText, DocumentPagesAreListedUpTo300) {
  ReportFacts f;
  f.loaded = true;
  f.documentPath = L"C:\\Dokumente\\\u65e5\u672c.pdf";
  f.documentOnPdfium = true;
  f.pdfiumLoaded = true;
  f.engineStatus = L"C:\\x\\pdfium.dll";
  f.zoom = 66.6;
  f.rotationDegrees = 270;
  f.pages.resize(500);
  for (int i = 0; i < 500; ++i) f.pages[i].fileIndex = 499 - i;
  f.pages[0].paperWidth = 816;
  f.pages[0].paperHeight = 1056;
  f.pages[0].big = {true, 800, 1035, 800, 1035, 1, 12.34};
  std::vector<std::wstring> lines = Lines(ComposeReport(f));
  EXPECT_EQ(lines[6], L"Document: C:\\Dokumente\\\u65e5\u672c.pdf");
  EXPECT_NE(lines[8].find(L"zoom 67% mode 0, rotation 270"), std::wstring::npos) << lines[8];
  EXPECT_EQ(lines[10], L"PDF engine: PDFium  [C:\\x\\pdfium.dll]  this document: PDFium");
  size_t first = IndexOf(lines, L"  pos 1 ");
  ASSERT_EQ(first, 14u);
  EXPECT_EQ(lines[first],
            L"  pos 1 file# 500  paper 816.0 x 1056.0  on screen 0x0  big picture: 800x1035 (asked 800x1035) rot 1 "
            L"ink 12.3%  |  panel slot 0x0 at 0  small picture: none");
  EXPECT_EQ(IndexOf(lines, L"  pos 300 file# 201 "), first + 299);
  EXPECT_EQ(IndexOf(lines, L"  pos 301 "), lines.size());
  EXPECT_EQ(lines[first + 300], L"");
}

TEST(ReportText, InkShareCountsNonWhiteIgnoringAlpha) {
  const uint32_t pixels[] = {0xFFFFFFFF, 0x00FFFFFF, 0xFF000000, 0xFFFFFFFE};
  EXPECT_DOUBLE_EQ(InkShare(pixels, 2, 2), 50.0);
  EXPECT_DOUBLE_EQ(InkShare(pixels, 0, 2), -1.0);
  EXPECT_DOUBLE_EQ(InkShare(nullptr, 2, 2), -1.0);
}

}  // namespace
