// Catalog and page tree: inherited attributes, the direct-child flag, the
// guards of the walk and every refusal in its order.
#include <gtest/gtest.h>

#include "pdf/pdf_reader.h"
#include "tests/pdf/pdf_test_builder.h"

namespace {

using pdftest::Builder;

const char kNotUsualForm[] = "This PDF's internal table of contents is not in the usual form.";
const char kCatalog[] = "Folivex couldn't read this PDF's catalog (the file may be damaged).";
const char kNoPagesRef[] = "Folivex couldn't find this PDF's list of pages.";
const char kNodeUnreadable[] =
    "Folivex couldn't read this PDF's list of pages (the file may be damaged or use a feature Folivex "
    "doesn't support).";
const char kBadKids[] = "Folivex couldn't read this PDF's list of pages.";
const char kLoop[] = "This PDF's list of pages loops back on itself (the file is damaged).";
const char kTooManyPages[] = "This PDF has too many pages.";
const char kNoPages[] = "This PDF has no pages.";
const char kRootWithoutKids[] = "This PDF's list of pages is not in the usual form.";

// Objects by number; the catalog (1) points at the tree root (2) unless the
// test replaces it.
std::string Make(const std::map<int, std::string>& objects, const std::string& root = "1 0 R") {
  Builder b;
  for (const auto& [number, body] : objects) b.Object(number, body);
  const size_t xref = b.Table("<< /Size 1 /Root " + root + " >>");
  b.End(xref);
  return b.data;
}

std::string PagesError(const std::string& file) {
  PdfReader reader;
  const bool ok = reader.ReadPages(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  EXPECT_EQ(ok, reader.ErrorText().empty());
  return ok ? "" : reader.ErrorText();
}

std::string Inherited(const PdfPageRecord& page) {
  std::string s;
  for (int i = 0; i < kPdfInheritedCount; ++i) {
    if (page.inherited->has[i]) s += "/" + std::string(kPdfInheritedNames[i]) + " " + std::string(page.inherited->value[i].text()) + " ";
  }
  return s;
}

TEST(PdfPages, InheritedAttributesAndDirectChildren) {
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 8 0 R] /Count 6 /MediaBox [0 0 612 792] /Rotate 180 >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R >>");
  b.Object(4, "<< /Type /Pages /Parent 2 0 R /Kids [5 0 R 6 0 R] /Count 3 /Resources 20 0 R /Rotate 90 >>");
  b.Object(5, "<< /Type /Page /Parent 4 0 R /Rotate 0 >>", 3);
  b.Object(6, "<< /Type /Pages /Parent 4 0 R /Kids [7 0 R] /Count 1 /MediaBox [0 0 300 400] /CropBox [1 1 2 2] /Rotate 270 >>");
  b.Object(7, "<< /Type /Page /Parent 6 0 R >>");
  b.Object(8, "<< /Type /Pages /Parent 2 0 R /Kids [9 0 R 10 0 R] /Count 2 >>");
  b.Object(9, "<< /Type /Page /Parent 8 0 R >>");
  b.Object(10, "<< /Type /Page /Parent 2 0 R >>");  // under 8, but says the root is its parent
  const size_t xref = b.Table("<< /Size 11 /Root 1 0 R /Info 3 0 R >>");
  b.End(xref);

  PdfReader reader;
  ASSERT_TRUE(reader.ReadPages(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size()))
      << reader.ErrorText();
  const auto& pages = reader.Pages();
  ASSERT_EQ(pages.size(), 5u);
  const uint32_t numbers[] = {3, 5, 7, 9, 10};
  const bool direct[] = {true, false, false, false, true};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(pages[i].number, numbers[i]);
    EXPECT_EQ(pages[i].directChild, direct[i]) << i;
  }
  EXPECT_EQ(pages[1].generation, 3u);
  EXPECT_EQ(pages[1].dictionary.text(), "<< /Type /Page /Parent 4 0 R /Rotate 0 >>");
  // The root's own attributes are not inherited: they stay on the root.
  EXPECT_EQ(Inherited(pages[0]), "");
  EXPECT_EQ(Inherited(pages[1]), "/Resources 20 0 R /Rotate 90 ");
  EXPECT_EQ(Inherited(pages[2]), "/CropBox [1 1 2 2] /MediaBox [0 0 300 400] /Resources 20 0 R /Rotate 270 ");
  EXPECT_EQ(Inherited(pages[3]), "");
  EXPECT_EQ(Inherited(pages[4]), "");
  EXPECT_TRUE(reader.PageTreeRoot().found);
  EXPECT_EQ(reader.PageTreeRoot().number, 2u);
  EXPECT_EQ(reader.PageTreeRoot().generation, 0u);
  EXPECT_EQ(reader.Trailer().info.text(), "3 0 R");
}

// A chain of intermediate nodes with a page at the given depth below the root.
std::string Chain(int pageDepth) {
  std::map<int, std::string> objects;
  objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
  for (int d = 0; d < pageDepth; ++d)
    objects[2 + d] = "<< /Type /Pages /Kids [" + std::to_string(3 + d) + " 0 R] /Count 1 >>";
  objects[2 + pageDepth] = "<< /Type /Page >>";
  return Make(objects);
}

TEST(PdfPages, DepthAndLoops) {
  EXPECT_EQ(PagesError(Chain(64)), "");
  EXPECT_EQ(PagesError(Chain(65)), kLoop);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"},
                             {2, "<< /Type /Pages /Kids [3 0 R] >>"},
                             {3, "<< /Type /Pages /Kids [4 0 R 2 0 R] >>"},
                             {4, "<< /Type /Page >>"}})),
            kLoop);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Type /Pages /Kids [2 0 R] >>"}})), kLoop);

  // The same page twice is not a loop: it is listed twice.
  const std::string twice = Make({{1, "<< /Pages 2 0 R >>"},
                                  {2, "<< /Type /Pages /Kids [3 0 R 4 0 R 3 0 R] >>"},
                                  {3, "<< /Type /Page /Parent 2 0 R >>"},
                                  {4, "<< /Type /Pages /Kids [3 0 R] >>"}});
  PdfReader reader;
  ASSERT_TRUE(reader.ReadPages(reinterpret_cast<const uint8_t*>(twice.data()), twice.size()));
  EXPECT_EQ(reader.Pages().size(), 3u);
}

TEST(PdfPages, RefusalsInOrder) {
  const std::string page = "<< /Type /Page /Parent 2 0 R >>";
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}}, "<< /Pages 2 0 R >>")), kNotUsualForm);
  EXPECT_EQ(PagesError(Make({{2, "<< >>"}}, "1 0 R")), kCatalog);  // no object 1
  EXPECT_EQ(PagesError(Make({{1, "[/Pages 2 0 R]"}})), kCatalog);
  EXPECT_EQ(PagesError(Make({{1, "<< /Type /Catalog >>"}})), kNoPagesRef);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages << /Kids [] >> >>"}})), kNoPagesRef);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}})), kNodeUnreadable);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Kids [3 0 R] >>"}, {3, "(not a dictionary)"}})),
            kNodeUnreadable);
  // A stream is no page: rewriting it as one would lose its data.
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Kids [3 0 R] >>"},
                             {3, "<< /Type /ObjStm /Length 3 >>\nstream\n1 0\nendstream"}})),
            kNodeUnreadable);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Kids [3 0 R] /Length 0 >> stream\n\nendstream"},
                             {3, page}})),
            kNodeUnreadable);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Kids 5 >>"}})), kBadKids);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Kids 9 0 R >>"}})), kBadKids);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Kids [3 0 R 7] >>"}, {3, page}})), kBadKids);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Kids [3 0 R] >>"}, {3, "<< /Kids [(x)] >>"}})),
            kBadKids);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Type /Pages /Kids [] /Count 0 >>"}})), kNoPages);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Type /Pages /Kids [3 0 R] >>"}, {3, "<< /Kids [] >>"}})),
            kNoPages);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, page}})), kRootWithoutKids);
  EXPECT_EQ(PagesError(Make({{1, "<< /Pages 2 0 R >>"}, {2, "<< /Kids [3 0 R] >>"}, {3, page}})), "");
}

TEST(PdfPages, KidsReferencesAreFollowedUpTo15Hops) {
  auto hops = [](int count) {
    std::map<int, std::string> objects;
    objects[1] = "<< /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids 10 0 R >>";
    for (int i = 0; i < count - 1; ++i) objects[10 + i] = std::to_string(11 + i) + " 0 R";
    objects[10 + count - 1] = "[3 0 R]";
    objects[3] = "<< /Type /Page /Parent 2 0 R >>";
    return Make(objects);
  };
  EXPECT_EQ(PagesError(hops(1)), "");
  EXPECT_EQ(PagesError(hops(15)), "");
  EXPECT_EQ(PagesError(hops(16)), kBadKids);
}

TEST(PdfPages, AtMostTwoMillionPages) {
  // 2000 nodes of 1000 pages each share one page object; one page more
  // than 2,000,000 is refused.
  std::string nodes, pages;
  for (int i = 0; i < 2000; ++i) nodes += " 3 0 R";
  for (int i = 0; i < 1000; ++i) pages += " 4 0 R";
  const std::string file = Make({{1, "<< /Pages 2 0 R >>"},
                                 {2, "<< /Type /Pages /Kids [" + nodes + " 4 0 R] >>"},
                                 {3, "<< /Type /Pages /Kids [" + pages + "] >>"},
                                 {4, "<< /Type /Page /Parent 3 0 R >>"}});
  PdfReader reader;
  EXPECT_FALSE(reader.ReadPages(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
  EXPECT_EQ(reader.ErrorText(), kTooManyPages);
  EXPECT_EQ(reader.Pages().size(), 2000000u);  // all of them read, the next one refused
}

TEST(PdfPages, SharedSubtreesCantMakeTheWalkRunForEver) {
  // Node k lists node k+1 twice, 30 levels deep: 2^30 visits to nowhere.
  std::map<int, std::string> objects = {{1, "<< /Pages 2 0 R >>"},
                                        {2, "<< /Type /Pages /Kids [100 0 R 3 0 R] >>"},
                                        {100, "<< /Type /Page /Parent 2 0 R >>"},
                                        {33, "<< /Type /Pages /Kids [] >>"}};
  for (int k = 3; k < 33; ++k)
    objects[k] = "<< /Type /Pages /Kids [" + std::to_string(k + 1) + " 0 R " + std::to_string(k + 1) + " 0 R] >>";
  const std::string file = Make(objects);
  PdfReader reader;
  reader.SetNodeVisitLimit(5000);
  EXPECT_FALSE(reader.ReadPages(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
  EXPECT_EQ(reader.ErrorText(), kTooManyPages);

  // Below the limit the same kind of tree is read.
  objects[10] = "<< /Type /Pages /Kids [] >>";  // 2^8 visits to empty nodes
  const std::string smaller = Make(objects);
  EXPECT_TRUE(reader.ReadPages(reinterpret_cast<const uint8_t*>(smaller.data()), smaller.size())) << reader.ErrorText();
  EXPECT_EQ(reader.Pages().size(), 1u);
}

TEST(PdfPages, PagesInObjectStreamsAndDecodedKeys) {
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.ObjectStream(10, {{2, "<< /Type /Pages /K#69ds [3 0 R 4 0 R] /Count 2 >>"},
                      {3, "<< /Type /Page /P#61rent 2 0 R >>"},
                      {4, "<< /Type /Page /Parent 2 0 R >>"}});
  const size_t xref = b.XrefStream(11, " /Size 12 /Root 1 0 R");
  b.End(xref);
  PdfReader reader;
  ASSERT_TRUE(reader.ReadPages(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size()))
      << reader.ErrorText();
  ASSERT_EQ(reader.Pages().size(), 2u);
  EXPECT_TRUE(reader.Pages()[0].directChild);
  EXPECT_EQ(reader.Pages()[0].generation, 0u);
  EXPECT_NE(reader.Pages()[0].dictionary.data, reinterpret_cast<const uint8_t*>(b.data.data()));
  EXPECT_EQ(reader.Pages()[0].dictionary.text(), "<< /Type /Page /P#61rent 2 0 R >>");
}

TEST(PdfPages, EditabilityReason) {
  const std::vector<uint8_t> file = pdftest::SimpleDocument(3);
  EXPECT_EQ(PdfEditabilityReason(file.data(), file.size(), 3), "");
  EXPECT_EQ(PdfEditabilityReason(file.data(), file.size(), 4),
            "Folivex and Windows don't agree on how many pages this PDF has, so it isn't safe to change it.");
  const std::string encrypted = pdftest::Str(pdftest::SimpleDocument(3, "", " /Encrypt 9 0 R"));
  EXPECT_EQ(PdfEditabilityReason(reinterpret_cast<const uint8_t*>(encrypted.data()), encrypted.size(), 3),
            "This PDF is password-protected (encrypted). Folivex can't rearrange the pages of protected PDFs.");
}

}  // namespace
