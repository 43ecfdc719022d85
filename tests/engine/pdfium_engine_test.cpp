#include "engine/pdfium_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/dib.h"
#include "base/event_log.h"
#include "base/handles.h"
#include "tests/engine/engine_test_support.h"

using namespace engine_test;

namespace {

class Pdfium : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SharedPdfium().Ready()) << "PDFium could not be loaded";
  }
  void TearDown() override { SharedPdfium().Close(); }
  PdfiumEngine& engine = SharedPdfium();
};

// A rendered picture that deletes its bitmap (the engine hands it over
// through a plain RenderedPage).
struct Picture {
  RenderedPage page;
  ~Picture() { Gdi<HBITMAP> owned(page.bitmap); }
  uint32_t At(int x, int y) const { return static_cast<const uint32_t*>(page.bits)[size_t(y) * page.width + x]; }
  // Pixels that are not close to white.
  size_t Inked(int x0, int y0, int x1, int y1) const {
    size_t n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        uint32_t p = At(x, y);
        if ((p & 0xFF) < 128 && (p >> 8 & 0xFF) < 128 && (p >> 16 & 0xFF) < 128) ++n;
      }
    return n;
  }
};

constexpr uint32_t kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                   kYellow = 0xFFFFFF00;

void SaveBmp(const std::wstring& path, const Picture& picture) {
  const RenderedPage& p = picture.page;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  const DWORD pixelBytes = DWORD(p.width) * DWORD(p.height) * 4;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + pixelBytes;
  info.biSize = sizeof info;
  info.biWidth = p.width;
  info.biHeight = -p.height;  // top-down, as rendered
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  std::vector<uint8_t> bytes(file.bfSize);
  memcpy(bytes.data(), &file, sizeof file);
  memcpy(bytes.data() + sizeof file, &info, sizeof info);
  memcpy(bytes.data() + file.bfOffBits, p.bits, pixelBytes);
  ASSERT_TRUE(WriteBytes(path, bytes.data(), bytes.size()));
}

// A one-page PDF whose page text lies 100 KB away from both the page and
// the end of the file: measuring the page doesn't read it.
std::string PdfWithTextFarIn(const std::string& words) {
  const std::string pad(100000, ' ');
  const std::string content = "BT /F1 12 Tf 20 100 Td (" + words + ") Tj ET";
  const std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Resources << /Font << /F1 4 0 R >> >> "
      "/Contents 6 0 R >>",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
      "<< /Length " + std::to_string(pad.size()) + " >>\nstream\n" + pad + "\nendstream",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
      "<< /Length " + std::to_string(pad.size()) + " >>\nstream\n" + pad + "\nendstream"};
  std::string pdf = "%PDF-1.4\n";
  std::string xref = "xref\n0 8\n0000000000 65535 f \n";
  for (size_t i = 0; i < objects.size(); ++i) {
    char entry[32];
    std::snprintf(entry, sizeof(entry), "%010zu 00000 n \n", pdf.size());
    xref += entry;
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t start = pdf.size();
  return pdf + xref + "trailer\n<< /Size 8 /Root 1 0 R >>\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
}

}  // namespace

TEST_F(Pdfium, OpenGivesPageSizesInPixels) {
  PageSizes sizes;
  ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  EXPECT_EQ(engine.MainPageCount(), 3);
  ASSERT_EQ(sizes.Count(), 3u);
  EXPECT_FLOAT_EQ(sizes.widths[0], 816.0f);
  EXPECT_FLOAT_EQ(sizes.heights[0], 1056.0f);
  EXPECT_FLOAT_EQ(sizes.widths[1], 1056.0f);  // landscape
  EXPECT_FLOAT_EQ(sizes.heights[1], 816.0f);
  EXPECT_NE(engine.MainDocument(), nullptr);
}

TEST_F(Pdfium, OpenFailures) {
  PageSizes sizes;
  EXPECT_EQ(engine.Open(DataFile(L"no_such_file.pdf"), L"", sizes), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(engine.Open(DataFile(L"zero_pages.pdf"), L"", sizes), E_FAIL);
  EXPECT_EQ(engine.MainDocument(), nullptr);
  EXPECT_EQ(engine.MainPageCount(), 0);
  EXPECT_EQ(sizes.Count(), 0u);

  ScratchFolder dir;
  ASSERT_TRUE(WriteBytes(dir / L"empty.pdf", "", 0));
  EXPECT_EQ(engine.Open(dir / L"empty.pdf", L"", sizes), E_FAIL);
  ASSERT_TRUE(WriteBytes(dir / L"junk.pdf", "%PDF-1.4 nothing here", 21));
  EXPECT_EQ(engine.Open(dir / L"junk.pdf", L"", sizes), E_FAIL);

  // A failed open leaves no document behind, even when one was open.
  ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  EXPECT_EQ(engine.Open(DataFile(L"zero_pages.pdf"), L"", sizes), E_FAIL);
  RenderedPage out;
  EXPECT_EQ(engine.Render(0, 100, 100, 0, false, out), E_INVALIDARG);
}

TEST_F(Pdfium, PageSidesAreFlooredAndCapped) {
  PageSizes sizes;
  ASSERT_EQ(engine.Open(DataFile(L"tiny_page.pdf"), L"", sizes), S_OK);
  EXPECT_FLOAT_EQ(sizes.widths[0], 1.0f);  // 0.5 points
  EXPECT_FLOAT_EQ(sizes.heights[0], 1056.0f);
  ASSERT_EQ(engine.Open(DataFile(L"huge_page.pdf"), L"", sizes), S_OK);
  EXPECT_FLOAT_EQ(sizes.widths[0], 19200.0f);  // 1,000,000 points asked for, 14,400 kept
  EXPECT_FLOAT_EQ(sizes.heights[0], 400.0f);
}

TEST_F(Pdfium, Passwords) {
  PageSizes sizes;
  EXPECT_EQ(engine.Open(DataFile(L"password.pdf"), L"", sizes), kHrWrongPassword);
  EXPECT_EQ(engine.Open(DataFile(L"password.pdf"), L"geheim", sizes), kHrWrongPassword);
  EXPECT_EQ(engine.Open(DataFile(L"password.pdf"), L"geheim-\u00fc", sizes), S_OK);
  EXPECT_EQ(sizes.Count(), 3u);
  // The probe takes the same password rules.
  PageSizes probed;
  EXPECT_EQ(engine.Probe(DataFile(L"password.pdf"), L"wrong", probed), kHrWrongPassword);
  EXPECT_EQ(engine.Probe(DataFile(L"password.pdf"), L"geheim-\u00fc", probed), S_OK);
  EXPECT_EQ(probed.Count(), 3u);
  // What the probe opened with the password opens nothing without it.
  EXPECT_EQ(engine.Open(DataFile(L"password.pdf"), L"", sizes), kHrWrongPassword);
  // An overlong password is cut, not overrun.
  EXPECT_EQ(engine.Open(DataFile(L"password.pdf"), std::wstring(5000, L'\u00fc'), sizes), kHrWrongPassword);
}

TEST_F(Pdfium, RendersPixels) {
  PageSizes sizes;
  ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  Picture upright;
  ASSERT_EQ(engine.Render(0, 816, 1056, 0, true, upright.page), S_OK);
  EXPECT_EQ(upright.page.width, 816);
  EXPECT_EQ(upright.page.height, 1056);
  EXPECT_EQ(upright.page.page, 0);
  EXPECT_EQ(upright.page.rotation, 0);
  ASSERT_NE(upright.page.bits, nullptr);
  EXPECT_EQ(upright.At(5, 5), kWhite);
  // The 2 x 2 picture spans x 96..363, y 256..523: red, green / blue, yellow.
  EXPECT_EQ(upright.At(163, 323), kRed);
  EXPECT_EQ(upright.At(296, 323), kGreen);
  EXPECT_EQ(upright.At(163, 456), kBlue);
  EXPECT_EQ(upright.At(296, 456), kYellow);
  EXPECT_EQ(upright.At(400, 900), kBlue);  // the band
  EXPECT_GT(upright.Inked(96, 80, 700, 126), 1000u) << "no title text";

  // A quarter turn clockwise: the picture is 1056 x 816 and (x, y) is now at (1055 - y, x).
  Picture turned;
  ASSERT_EQ(engine.Render(0, 816, 1056, 1, false, turned.page), S_OK);
  EXPECT_EQ(turned.page.width, 1056);
  EXPECT_EQ(turned.page.height, 816);
  EXPECT_EQ(turned.page.rotation, 1);
  EXPECT_EQ(turned.At(1055 - 323, 163), kRed);
  EXPECT_EQ(turned.At(1055 - 323, 296), kGreen);
  EXPECT_EQ(turned.At(1055 - 900, 400), kBlue);

  // A small thumbnail of the landscape page.
  Picture small;
  ASSERT_EQ(engine.Render(1, 132, 102, 2, false, small.page), S_OK);
  EXPECT_EQ(small.page.width, 132);
  EXPECT_EQ(small.page.height, 102);

  RenderedPage none;
  EXPECT_EQ(engine.Render(3, 100, 100, 0, false, none), E_INVALIDARG);
  EXPECT_EQ(engine.Render(-1, 100, 100, 0, false, none), E_INVALIDARG);
  EXPECT_EQ(engine.Render(0, 0, 100, 0, false, none), E_INVALIDARG);
  EXPECT_EQ(engine.Render(0, 100, 100, 4, false, none), E_INVALIDARG);
  EXPECT_EQ(engine.Render(0, 100000, 100000, 0, false, none), E_OUTOFMEMORY);
  EXPECT_EQ(none.bitmap, nullptr);
}

// A picture drawn into a spare shows the page, nothing of what the spare held.
TEST_F(Pdfium, APictureDrawnIntoASpareIsWhole) {
  PageSizes sizes;
  ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  ReleaseSpareDibs();
  RenderedPage old;
  ASSERT_EQ(engine.Render(0, 816, 1056, 0, false, old), S_OK);
  std::fill_n(static_cast<uint32_t*>(old.bits), size_t(816) * 1056, 0xFF000000u);
  RetirePictureDib(old.bitmap);

  Picture again;
  ASSERT_EQ(engine.Render(0, 816, 1056, 0, false, again.page), S_OK);
  EXPECT_EQ(again.page.bitmap, old.bitmap) << "the spare was not used";
  EXPECT_EQ(again.At(5, 5), kWhite);
  EXPECT_EQ(again.At(1, 1054), kWhite);
  EXPECT_EQ(again.At(163, 323), kRed);
  EXPECT_EQ(again.At(400, 900), kBlue);
  EXPECT_EQ(SpareDibCount(), 0u);
}

// Writes page 1 of a PDF (%FV_RENDER_PDF%, or text_image.pdf) as a BMP for a
// person to look at, to %FV_RENDER_BMP% or into the temporary folder.
TEST_F(Pdfium, RendersPageOneToBmpFile) {
  const wchar_t* input = _wgetenv(L"FV_RENDER_PDF");
  const wchar_t* output = _wgetenv(L"FV_RENDER_BMP");
  PageSizes sizes;
  ASSERT_EQ(engine.Open(input && *input ? input : DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  const int w = int(sizes.widths[0] + 0.5f), h = int(sizes.heights[0] + 0.5f);
  Picture picture;
  ASSERT_EQ(engine.Render(0, w, h, 0, true, picture.page), S_OK);
  EXPECT_GT(picture.Inked(0, 0, w, h), 0u);
  std::wstring path = output && *output ? output : TempFolder() + L"\\folivex-page1.bmp";
  SaveBmp(path, picture);
  EXPECT_EQ(ReadBytes(path).size(), 14u + 40u + size_t(w) * h * 4u);
}

TEST_F(Pdfium, OpensGhostscriptOutput) {
  PageSizes sizes;
  ASSERT_EQ(engine.Open(DataFile(L"gs_sample.pdf"), L"", sizes), S_OK);
  ASSERT_EQ(sizes.Count(), 2u);
  EXPECT_NEAR(sizes.widths[0], 595 * 4 / 3.0, 0.01);
  EXPECT_NEAR(sizes.heights[0], 842 * 4 / 3.0, 0.01);
  PageText text;
  ASSERT_TRUE(engine.ReadPageText(0, text));
  EXPECT_NE(text.chars.find(L"Made by Ghostscript"), std::wstring::npos);
  EXPECT_NE(text.chars.find(L"Page one of two, with circles below."), std::wstring::npos);
  ASSERT_TRUE(engine.ReadPageText(1, text));
  EXPECT_NE(text.chars.find(L"Second page"), std::wstring::npos);

  Picture picture;
  ASSERT_EQ(engine.Render(0, 595, 842, 0, false, picture.page), S_OK);  // 1 pixel per point
  // The first circle, centred at (120, 500) points, is filled with RGB (0, 0.2, 1).
  uint32_t c = picture.At(120, 842 - 500);
  EXPECT_LE(int(c >> 16 & 0xFF), 3);
  EXPECT_NEAR(int(c >> 8 & 0xFF), 51, 3);
  EXPECT_GE(int(c & 0xFF), 252);
  EXPECT_GT(picture.Inked(72, 70, 400, 90), 200u) << "no title text";
}

TEST_F(Pdfium, PageTextWithBoxes) {
  PageSizes sizes;
  ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  PageText text;
  ASSERT_TRUE(engine.ReadPageText(0, text));
  ASSERT_EQ(text.chars.size(), text.boxes.size());
  size_t at = text.chars.find(L"Folivex engine test");
  ASSERT_NE(at, std::wstring::npos) << "got: " << std::string(text.chars.begin(), text.chars.end());
  // "F" starts 72 points from the left; its baseline is 92 points from the top.
  NormBox f = text.boxes[at];
  EXPECT_NEAR(NormBoxLeft(f), 72.0 / 612 * 65535, 400);
  EXPECT_NEAR(NormBoxBottom(f), 92.0 / 792 * 65535, 400);
  EXPECT_LT(NormBoxTop(f), NormBoxBottom(f));
  EXPECT_LT(NormBoxLeft(f), NormBoxRight(f));
  EXPECT_TRUE(text.links.empty());

  EXPECT_FALSE(engine.ReadPageText(3, text));
  EXPECT_FALSE(engine.ReadPageText(-1, text));
}

TEST_F(Pdfium, SpecialCharacterCodes) {
  PageSizes sizes;
  ASSERT_EQ(engine.Open(DataFile(L"text_oddities.pdf"), L"", sizes), S_OK);
  // What PDFium itself reports for "A", U+1F600 and a code mapped to 0.
  const PdfiumApi& api = engine.Api();
  FPDF_PAGE page = api.FPDF_LoadPage(engine.MainDocument(), 0);
  ASSERT_NE(page, nullptr);
  FPDF_TEXTPAGE textPage = api.FPDFText_LoadPage(page);
  ASSERT_NE(textPage, nullptr);
  std::vector<unsigned> raw;
  for (int i = 0; i < api.FPDFText_CountChars(textPage); ++i) raw.push_back(api.FPDFText_GetUnicode(textPage, i));
  api.FPDFText_ClosePage(textPage);
  api.FPDF_ClosePage(page);
  // This PDFium build hands a character beyond 16 bits over as its two
  // UTF-16 halves; those are kept as they are, so the text stays whole.
  ASSERT_EQ(raw, (std::vector<unsigned>{0x41, 0xD83D, 0xDE00, 0}));

  PageText text;
  ASSERT_TRUE(engine.ReadPageText(0, text));
  ASSERT_EQ(text.chars.size(), 4u);
  EXPECT_EQ(text.chars[0], L'A');
  EXPECT_EQ(unsigned(text.chars[1]), 0xD83Du);
  EXPECT_EQ(unsigned(text.chars[2]), 0xDE00u);
  EXPECT_EQ(text.chars[3], L' ');  // code 0
  EXPECT_EQ(text.boxes.size(), 4u);
}

TEST_F(Pdfium, WebLinksAndLinkAnnotations) {
  PageSizes sizes;
  ASSERT_EQ(engine.Open(DataFile(L"links.pdf"), L"", sizes), S_OK);
  PageText text;
  ASSERT_TRUE(engine.ReadPageText(0, text));
  const std::wstring url = L"https://www.example.com/folivex/twenty-pieces";
  int web = 0;
  std::vector<PageLink> annotations;
  for (const PageLink& link : text.links) {
    if (link.uri == url) {
      ++web;
      EXPECT_EQ(link.targetPage, -1);
      EXPECT_NE(link.box, 0u);
    } else {
      annotations.push_back(link);
    }
  }
  // The URL was written in 20 pieces: 20 rectangles, 16 of them kept.
  EXPECT_EQ(web, 16);
  // GoTo action to page 3, URI action, direct destination to page 2; the
  // launch action is not listed.
  ASSERT_EQ(annotations.size(), 3u);
  EXPECT_EQ(annotations[0].targetPage, 2);
  EXPECT_EQ(annotations[0].uri, L"");
  EXPECT_EQ(annotations[1].targetPage, -1);
  EXPECT_EQ(annotations[1].uri, L"https://example.org/uri?x=1");
  EXPECT_EQ(annotations[2].targetPage, 1);
  // The GoTo link's rectangle [72 100 172 130] in page units.
  NormBox box = annotations[0].box;
  EXPECT_NEAR(NormBoxLeft(box), 72.0 / 612 * 65535, 2);
  EXPECT_NEAR(NormBoxRight(box), 172.0 / 612 * 65535, 2);
  EXPECT_NEAR(NormBoxTop(box), (792.0 - 130) / 792 * 65535, 2);
  EXPECT_NEAR(NormBoxBottom(box), (792.0 - 100) / 792 * 65535, 2);
}

TEST_F(Pdfium, Bookmarks) {
  PageSizes sizes;
  ASSERT_EQ(engine.Open(DataFile(L"bookmarks.pdf"), L"", sizes), S_OK);
  std::vector<BookmarkEntry> list = engine.ReadBookmarks();
  ASSERT_EQ(list.size(), 25u + 5u);
  for (int level = 0; level < 25; ++level) {
    EXPECT_EQ(list[size_t(level)].title, L"Level " + std::to_wstring(level));
    EXPECT_EQ(list[size_t(level)].depth, level);
    EXPECT_EQ(list[size_t(level)].page, level % 3);
  }
  // The bookmark without a title is left out; its children are kept.
  EXPECT_EQ(list[25].title, L"Child A");
  EXPECT_EQ(list[25].depth, 1);
  EXPECT_EQ(list[25].page, 1);
  EXPECT_EQ(list[26].title, L"Child B");
  EXPECT_EQ(list[26].page, 2);
  EXPECT_EQ(list[27].title, L"Tab here newline");
  EXPECT_EQ(list[27].depth, 0);
  // A title far longer than 1,022 bytes arrives whole.
  EXPECT_EQ(list[28].title, L"L" + std::wstring(698, L'o') + L"ng");
  EXPECT_EQ(list[29].title, L"By action");
  EXPECT_EQ(list[29].page, 2);

  ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  EXPECT_TRUE(engine.ReadBookmarks().empty());
}

TEST_F(Pdfium, ProbeLeavesTheMainDocumentAlone) {
  PageSizes sizes, probed;
  ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  ASSERT_EQ(engine.Probe(DataFile(L"tiny_page.pdf"), L"", probed), S_OK);
  ASSERT_EQ(probed.Count(), 1u);
  EXPECT_FLOAT_EQ(probed.widths[0], 1.0f);
  EXPECT_EQ(engine.Probe(DataFile(L"zero_pages.pdf"), L"", probed), E_FAIL);
  EXPECT_EQ(engine.Probe(DataFile(L"absent.pdf"), L"", probed), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(engine.MainPageCount(), 3);
  Picture picture;
  EXPECT_EQ(engine.Render(2, 100, 130, 0, false, picture.page), S_OK);
}

TEST_F(Pdfium, BroughtInPages) {
  PageSizes sizes, added;
  ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  // The same PDF named in two spellings is opened once.
  std::wstring links = DataFile(L"links.pdf"), shouted = DataFile(L"LINKS.PDF");
  ASSERT_TRUE(engine.AddBroughtInPages({{links, 2}, {shouted, 0}, {DataFile(L"tiny_page.pdf"), 0}}, added));
  ASSERT_EQ(added.Count(), 3u);
  EXPECT_FLOAT_EQ(added.widths[0], 816.0f);
  EXPECT_FLOAT_EQ(added.widths[2], 1.0f);

  FPDF_DOCUMENT source = nullptr, other = nullptr;
  int page = -1;
  ASSERT_TRUE(engine.BroughtInSource(3, source, page));
  EXPECT_EQ(page, 2);
  ASSERT_TRUE(engine.BroughtInSource(4, other, page));
  EXPECT_EQ(page, 0);
  EXPECT_EQ(source, other);
  EXPECT_FALSE(engine.BroughtInSource(1, source, page));

  // Engine page 4 is page 1 of links.pdf; its page links lead inside that file.
  PageText text;
  ASSERT_TRUE(engine.ReadPageText(4, text));
  EXPECT_FALSE(text.links.empty());
  Picture picture;
  EXPECT_EQ(engine.Render(3, 80, 100, 0, false, picture.page), S_OK);
  EXPECT_EQ(picture.page.page, 3);

  // All or nothing: a bad page number drops the whole request.
  EXPECT_FALSE(engine.AddBroughtInPages({{links, 1}, {links, 3}}, added));
  EXPECT_EQ(added.Count(), 0u);
  EXPECT_FALSE(engine.AddBroughtInPages({{links, 0}, {DataFile(L"absent.pdf"), 0}}, added));
  EXPECT_FALSE(engine.AddBroughtInPages({{DataFile(L"zero_pages.pdf"), 0}}, added));
  Picture none;
  EXPECT_EQ(engine.Render(6, 80, 100, 0, false, none.page), E_INVALIDARG);
  EXPECT_EQ(engine.Render(5, 80, 100, 0, false, none.page), S_OK);

  engine.Close();
  EXPECT_EQ(engine.MainPageCount(), 0);
  EXPECT_EQ(engine.Render(3, 80, 100, 0, false, none.page), E_INVALIDARG);
  EXPECT_EQ(engine.Render(0, 80, 100, 0, false, none.page), E_INVALIDARG);
}

// The engine keeps the page it loaded last for the next job: page 0 of the
// document, page 0 of a PDF brought in and page 0 of the next document are
// three pages, whatever order they are asked for in.
TEST_F(Pdfium, PagesKeptBetweenJobsStayWithTheirDocument) {
  PageSizes sizes, added;
  ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
  ASSERT_TRUE(engine.AddBroughtInPages({{DataFile(L"links.pdf"), 0}}, added));
  const int broughtIn = engine.MainPageCount();
  for (int round = 0; round < 2; ++round) {
    Picture own, other;
    ASSERT_EQ(engine.Render(0, 816, 1056, 0, false, own.page), S_OK);
    EXPECT_EQ(own.At(163, 323), kRed);
    PageText text;
    ASSERT_TRUE(engine.ReadPageText(broughtIn, text));
    EXPECT_EQ(text.chars.find(L"Folivex engine test"), std::wstring::npos);
    EXPECT_FALSE(text.links.empty()) << "links.pdf's first page has links";
    ASSERT_EQ(engine.Render(broughtIn, 816, 1056, 0, false, other.page), S_OK);
    EXPECT_NE(other.At(163, 323), kRed) << "the brought-in page drawn as the document's own";
    ASSERT_TRUE(engine.ReadPageText(0, text));
    EXPECT_NE(text.chars.find(L"Folivex engine test"), std::wstring::npos);
  }
  EXPECT_TRUE(engine.KeepsAPage());
  engine.Close();
  EXPECT_FALSE(engine.KeepsAPage()) << "a page kept past its document's end";
  ASSERT_EQ(engine.Open(DataFile(L"links.pdf"), L"", sizes), S_OK);
  Picture next;
  ASSERT_EQ(engine.Render(0, 816, 1056, 0, false, next.page), S_OK);
  EXPECT_NE(next.At(163, 323), kRed) << "the closed document's page drawn";
  PageText text;
  ASSERT_TRUE(engine.ReadPageText(0, text));
  EXPECT_FALSE(text.links.empty());
  engine.Idle();
  EXPECT_FALSE(engine.KeepsAPage());
}

TEST_F(Pdfium, FileStaysOpenForOthersToReplace) {
  ScratchFolder dir;
  std::vector<uint8_t> bytes = ReadBytes(DataFile(L"text_image.pdf"));
  ASSERT_TRUE(WriteBytes(dir / L"open.pdf", bytes.data(), bytes.size()));
  PageSizes sizes;
  ASSERT_EQ(engine.Open(dir / L"open.pdf", L"", sizes), S_OK);
  // The document is read lazily from the open file, which others may still
  // read, write and delete.
  {
    UniqueFile other(CreateFileW((dir / L"open.pdf").c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
    EXPECT_NE(other.Get(), INVALID_HANDLE_VALUE);
  }  // closed while the engine still has the file open
  engine.Close();
  EXPECT_TRUE(DeleteFileW((dir / L"open.pdf").c_str()));
}

// Saving probes the new file and then opens it under the target's name; the
// probe's document and the sizes it measured may be taken only for that very
// file, unchanged.
TEST_F(Pdfium, AnOpenTakesProbedSizesOnlyForTheFileThatWasProbed) {
  ScratchFolder dir;
  const std::vector<uint8_t> tiny = ReadBytes(DataFile(L"tiny_page.pdf")), huge = ReadBytes(DataFile(L"huge_page.pdf"));
  PageSizes tinySizes, hugeSizes, probed, sizes;
  ASSERT_EQ(engine.Open(DataFile(L"tiny_page.pdf"), L"", tinySizes), S_OK);
  ASSERT_EQ(engine.Open(DataFile(L"huge_page.pdf"), L"", hugeSizes), S_OK);
  ASSERT_NE(tinySizes.widths, hugeSizes.widths);

  // Probed, then renamed into place: the same file.
  ASSERT_TRUE(WriteBytes(dir / L"new.tmp", tiny.data(), tiny.size()));
  ASSERT_EQ(engine.Probe(dir / L"new.tmp", L"", probed), S_OK);
  ASSERT_TRUE(MoveFileExW((dir / L"new.tmp").c_str(), (dir / L"saved.pdf").c_str(), MOVEFILE_REPLACE_EXISTING));
  ASSERT_EQ(engine.Open(dir / L"saved.pdf", L"", sizes), S_OK);
  EXPECT_EQ(sizes.widths, tinySizes.widths);
  EXPECT_EQ(sizes.heights, tinySizes.heights);

  // Probed, then rewritten in place: the open measures what it finds.
  ASSERT_EQ(engine.Probe(dir / L"saved.pdf", L"", probed), S_OK);
  engine.Close();
  ASSERT_TRUE(WriteBytes(dir / L"saved.pdf", huge.data(), huge.size()));
  ASSERT_EQ(engine.Open(dir / L"saved.pdf", L"", sizes), S_OK);
  EXPECT_EQ(sizes.widths, hugeSizes.widths);
  EXPECT_EQ(sizes.heights, hugeSizes.heights);

  // Probed, then another file put under its name.
  ASSERT_EQ(engine.Probe(dir / L"saved.pdf", L"", probed), S_OK);
  engine.Close();
  ASSERT_TRUE(WriteBytes(dir / L"other.pdf", tiny.data(), tiny.size()));
  ASSERT_TRUE(MoveFileExW((dir / L"other.pdf").c_str(), (dir / L"saved.pdf").c_str(), MOVEFILE_REPLACE_EXISTING));
  ASSERT_EQ(engine.Open(dir / L"saved.pdf", L"", sizes), S_OK);
  EXPECT_EQ(sizes.widths, tinySizes.widths);

  // Probed, then put in place by ReplaceFileW, which needs the file free:
  // the open reads on from the file under its new name.
  const std::string text = PdfWithTextFarIn("Read from the renamed file");
  ASSERT_TRUE(WriteBytes(dir / L"next.tmp", text.data(), text.size()));
  ASSERT_EQ(engine.Probe(dir / L"next.tmp", L"", probed), S_OK);
  engine.Close();
  ASSERT_TRUE(ReplaceFileW((dir / L"saved.pdf").c_str(), (dir / L"next.tmp").c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
      << GetLastError();
  ASSERT_EQ(engine.Open(dir / L"saved.pdf", L"", sizes), S_OK);
  EXPECT_EQ(sizes.widths, probed.widths);
  PageText read;
  ASSERT_TRUE(engine.ReadPageText(0, read));
  EXPECT_NE(read.chars.find(L"Read from the renamed file"), std::wstring::npos);
  engine.Close();
}
