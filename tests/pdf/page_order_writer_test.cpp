// The page-order writer's bytes, to the letter, and what our own reader
// makes of the updated files.
#include "pdf/page_order_writer.h"

#include <gtest/gtest.h>

#include <numeric>

#include "pdf/pdf_reader.h"
#include "tests/pdf/pdf_test_builder.h"

namespace {

using pdftest::Builder;

std::string Line(uint64_t offset, int generation) {
  char line[32];
  std::snprintf(line, sizeof(line), "%010llu %05d n \n", static_cast<unsigned long long>(offset), generation);
  return line;
}

std::string Write(const std::string& file, const std::vector<int>& order, std::string* error = nullptr) {
  std::vector<uint8_t> update = {'x'};
  std::string why = "stale";
  const bool ok = WritePageOrder(reinterpret_cast<const uint8_t*>(file.data()), file.size(), order, update, why);
  if (error) *error = why;
  if (!ok) {
    EXPECT_TRUE(update.empty());
    return "<fail>";
  }
  EXPECT_EQ(why, "");
  return pdftest::Str(update);
}

// Page object numbers, in order, of the file after the update.
std::vector<uint32_t> PagesAfter(const std::string& file) {
  PdfReader reader;
  std::vector<uint32_t> numbers;
  if (!reader.ReadPages(reinterpret_cast<const uint8_t*>(file.data()), file.size())) {
    ADD_FAILURE() << reader.ErrorText();
    return numbers;
  }
  for (const PdfPageRecord& page : reader.Pages()) numbers.push_back(page.number);
  return numbers;
}

TEST(PageOrderWriter, ClassicUpdateByteForByte) {
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 612 792] >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R /Contents 9 0 R >>");
  b.Object(4, "<</Type/Pages/Parent 2 0 R/Kids[5 0 R]/Count 1/Rotate 90/Resources<</Font<<>>>>/CropBox[0 0 9 9]>>");
  b.Object(5, "<</Type/Page/Parent 4 0 R/Resources 8 0 R/Rotate  0>>", 2);
  const size_t table = b.Table("<< /Size 6 /Root 1 0 R /Info 3 0 R /ID [<AB> <CD>] >>");
  b.End(table);
  const uint64_t base = b.data.size();

  const std::string page = "5 2 obj\n<< /Type /Page /Resources 8 0 R /Rotate 0 /CropBox [0 0 9 9] /Parent 2 0 R >>\nendobj\n";
  const std::string root = "2 0 obj\n<< /Type /Pages /Count 2 /Kids [ 5 2 R 3 0 R ] /MediaBox [0 0 612 792] >>\nendobj\n";
  const uint64_t xref = base + 1 + page.size() + root.size();
  const std::string expected = "\n" + page + root + "xref\n2 1\n" + Line(base + 1 + page.size(), 0) + "5 1\n" +
                               Line(base + 1, 2) + "trailer\n<< /Size 6 /Root 1 0 R /Info 3 0 R /ID [<AB> <CD>] /Prev " +
                               std::to_string(table) + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  const std::string update = Write(b.data, {1, 0});
  EXPECT_EQ(update, expected);
  EXPECT_EQ(PagesAfter(b.data + update), (std::vector<uint32_t>{5, 3}));
}

TEST(PageOrderWriter, DirectChildrenNeedNoPageObjects) {
  const std::string file = pdftest::Str(pdftest::SimpleDocument(3));
  const std::string update = Write(file, {2, 0, 1});
  EXPECT_EQ(update.rfind("\n2 0 obj\n<< /Type /Pages /Count 3 /Kids [ 5 0 R 3 0 R 4 0 R ] >>\nendobj\nxref\n2 1\n", 0), 0u)
      << update;
  EXPECT_EQ(update.find(" obj", 10), std::string::npos);  // only the root
  EXPECT_EQ(update.find("/ID"), std::string::npos);
  EXPECT_EQ(update.find("/Info"), std::string::npos);
  EXPECT_EQ(PagesAfter(file + update), (std::vector<uint32_t>{5, 3, 4}));

  // An identity order still writes an update; a second update stacks.
  const std::string same = Write(file, {0, 1, 2});
  EXPECT_NE(same, "<fail>");
  EXPECT_EQ(PagesAfter(file + same), (std::vector<uint32_t>{3, 4, 5}));
  const std::string twice = file + update;
  const std::string again = Write(twice, {1, 2, 0});
  EXPECT_EQ(PagesAfter(twice + again), (std::vector<uint32_t>{3, 4, 5}));
}

TEST(PageOrderWriter, KidsLineBreaksEveryTwelve) {
  const std::string file = pdftest::Str(pdftest::SimpleDocument(30));
  std::vector<int> order(30);
  std::iota(order.rbegin(), order.rend(), 0);
  const std::string update = Write(file, order);
  std::string kids = " /Kids [";
  for (int k = 0; k < 30; ++k) kids += std::string(k == 12 || k == 24 ? "\n" : " ") + std::to_string(32 - k) + " 0 R";
  kids += " ]";
  EXPECT_NE(update.find(kids), std::string::npos) << update;
  std::vector<uint32_t> expected;
  for (int k = 0; k < 30; ++k) expected.push_back(32 - k);
  EXPECT_EQ(PagesAfter(file + update), expected);
}

TEST(PageOrderWriter, StreamUpdateByteForByte) {
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [4 0 R 3 0 R] /Count 2 >>");
  b.ObjectStream(10, {{3, "<< /Type /Page /Parent 2 0 R >>"},
                      {4, "<< /Type /Pages /Parent 2 0 R /Kids [5 0 R] /Count 1 /MediaBox [0 0 5 5] >>"},
                      {5, "<< /Type /Page /Parent 4 0 R >>"}});
  const size_t xref = b.XrefStream(11, " /Size 12 /Root 1 0 R");
  b.End(xref);
  const uint64_t base = b.data.size();

  const std::string page = "5 0 obj\n<< /Type /Page /MediaBox [0 0 5 5] /Parent 2 0 R >>\nendobj\n";
  const std::string root = "2 0 obj\n<< /Type /Pages /Count 2 /Kids [ 3 0 R 5 0 R ] >>\nendobj\n";
  const uint64_t stream = base + 1 + page.size() + root.size();
  auto entry = [](uint64_t offset) {
    std::string e(1, '\x01');
    for (int i = 3; i >= 0; --i) e += static_cast<char>((offset >> (8 * i)) & 0xFF);
    return e + std::string(2, '\0');
  };
  const std::string entries = entry(base + 1 + page.size()) + entry(base + 1) + entry(stream);
  const std::string expected = "\n" + page + root + "12 0 obj\n<< /Type /XRef /Size 13 /W [1 4 2] /Index [ 2 1 5 1 12 1 ]" +
                               " /Root 1 0 R /Prev " + std::to_string(xref) + " /Length 21 >>\nstream\n" + entries +
                               "\nendstream\nendobj\nstartxref\n" + std::to_string(stream) + "\n%%EOF\n";
  const std::string update = Write(b.data, {1, 0});
  EXPECT_EQ(update, expected);

  // The rewritten page is now an ordinary object at its new offset.
  const std::string after = b.data + update;
  EXPECT_EQ(PagesAfter(after), (std::vector<uint32_t>{3, 5}));
  PdfReader reader;
  ASSERT_TRUE(reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(after.data()), after.size()));
  PdfXrefEntry e;
  ASSERT_TRUE(reader.FindEntry(5, e));
  EXPECT_EQ(e.type, 1);
  EXPECT_EQ(e.value, base + 1);
  ASSERT_TRUE(reader.FindEntry(3, e));
  EXPECT_EQ(e.type, 2);  // untouched
  EXPECT_EQ(reader.Size(), 13);
}

TEST(PageOrderWriter, ObjectStreamPageInClassicFileGetsATableLine) {
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [6 0 R 3 0 R] /Count 2 >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R >>");
  b.Object(6, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R] /Resources << >> >>");
  b.ObjectStream(10, {{4, "<< /Type /Page /Parent 6 0 R >>"}});
  // A hybrid file: the compressed entry comes from the stream.
  std::map<int64_t, pdftest::Entry> compressed = {{4, b.pending[4]}};
  b.pending.erase(4);
  auto plain = b.pending;
  b.pending = compressed;
  const size_t stream = b.XrefStream(11, " /Size 12");
  b.pending = plain;
  const size_t table = b.Table("<< /Size 12 /Root 1 0 R /XRefStm " + std::to_string(stream) + " >>");
  b.End(table);
  const std::string update = Write(b.data, {1, 0});
  const uint64_t base = b.data.size();
  EXPECT_EQ(update.rfind("\n4 0 obj\n<< /Type /Page /Resources << >> /Parent 2 0 R >>\nendobj\n", 0), 0u) << update;
  EXPECT_NE(update.find("xref\n2 1\n"), std::string::npos);
  EXPECT_NE(update.find("4 1\n" + Line(base + 1, 0)), std::string::npos);
  EXPECT_NE(update.find("/Prev " + std::to_string(table) + " >>"), std::string::npos);
  // The old stream of compressed objects stays named in the newest trailer.
  EXPECT_NE(update.find("/XRefStm " + std::to_string(stream) + " /Prev"), std::string::npos) << update;
  EXPECT_EQ(PagesAfter(b.data + update), (std::vector<uint32_t>{3, 4}));
}

TEST(PageOrderWriter, Refusals) {
  const std::string file = pdftest::Str(pdftest::SimpleDocument(3));
  std::string error;
  EXPECT_EQ(Write(file, {0, 1}, &error), "<fail>");
  EXPECT_EQ(error,
            "The PDF on disk has a different number of pages than the one on screen. It may have been changed by "
            "another program; close and reopen it.");
  for (const std::vector<int>& bad : {std::vector<int>{0, 1, 1}, {0, 1, 3}, {-1, 0, 1}}) {
    EXPECT_EQ(Write(file, bad, &error), "<fail>");
    EXPECT_EQ(error, "Internal error: the new page order is not valid.");
  }
  EXPECT_EQ(Write(pdftest::Str(pdftest::SimpleDocument(3, "", " /Encrypt 9 0 R")), {0, 1, 2}, &error), "<fail>");
  EXPECT_EQ(error, "This PDF is password-protected (encrypted). Folivex can't rearrange the pages of protected PDFs.");
  EXPECT_EQ(Write("not a pdf", {0}, &error), "<fail>");
  EXPECT_EQ(error, "This file doesn't start the way a PDF should, so Folivex won't change it.");

  // A stream-based file whose /Size leaves no number for the new stream.
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R >>");
  const size_t xref = b.XrefStream(4, " /Size 2147483633 /Root 1 0 R");
  b.End(xref);
  EXPECT_EQ(Write(b.data, {0}, &error), "<fail>");
  EXPECT_EQ(error, "This PDF's internal table of contents is damaged, so Folivex can't rearrange it.");
}

}  // namespace
