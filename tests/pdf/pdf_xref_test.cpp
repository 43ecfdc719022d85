// Cross-reference chain: header, startxref, classic tables, streams,
// hybrid files, incremental updates and the guards of the /Prev chain.
#include <gtest/gtest.h>

#include "pdf/pdf_reader.h"
#include "tests/pdf/pdf_test_builder.h"

namespace {

using pdftest::Builder;

const char kHeader[] = "This file doesn't start the way a PDF should, so Folivex won't change it.";
const char kMissing[] =
    "This PDF's internal table of contents is missing (the file may be damaged), so Folivex can't "
    "rearrange it.";
const char kStartxref[] = "This PDF's internal table of contents can't be read (the file may be damaged).";
const char kDamaged[] = "This PDF's internal table of contents is damaged, so Folivex can't rearrange it.";
const char kTooMany[] = "This PDF has been changed too many times for Folivex to follow.";
const char kBadStream[] =
    "This PDF's internal table of contents can't be read (it may be damaged or use a feature Folivex "
    "doesn't support).";
const char kIncomplete[] = "This PDF's internal table of contents is incomplete, so Folivex can't rearrange it.";
const char kEncrypted[] =
    "This PDF is password-protected (encrypted). Folivex can't rearrange the pages of protected PDFs.";

std::string ReadError(const std::string& file) {
  PdfReader reader;
  const bool ok = reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  EXPECT_EQ(ok, reader.ErrorText().empty());
  return ok ? "" : reader.ErrorText();
}

std::string ObjectText(PdfReader& reader, uint32_t number) {
  PdfSpan value;
  uint32_t generation = 0;
  if (!reader.LoadObject(number, value, generation)) return "<none>";
  return std::string(value.text());
}

// Catalog and a one-page tree; the caller adds the sections.
void AddBasicObjects(Builder& b) {
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R >>");
}

TEST(PdfXref, HeaderAndStartxrefChecksComeFirst) {
  EXPECT_EQ(ReadError("%PDF-1.4 too short"), kHeader);
  const std::string simple = pdftest::Str(pdftest::SimpleDocument(1));
  EXPECT_EQ(ReadError("%PDX" + simple.substr(4)), kHeader);
  EXPECT_EQ(ReadError(""), kHeader);

  std::string noStartxref = simple;
  noStartxref.replace(noStartxref.rfind("startxref"), 9, "startxreF");
  EXPECT_EQ(ReadError(noStartxref), kMissing);

  std::string badValue = simple.substr(0, simple.rfind("startxref")) + "startxref\nx12\n%%EOF\n";
  EXPECT_EQ(ReadError(badValue), kStartxref);
  std::string longValue = simple.substr(0, simple.rfind("startxref")) + "startxref\n1000000000000000000\n%%EOF\n";
  EXPECT_EQ(ReadError(longValue), kStartxref);  // 19 digits is no integer
}

TEST(PdfXref, StartxrefMustLieWithinTheLast2048Bytes) {
  const std::string simple = pdftest::Str(pdftest::SimpleDocument(1));
  const size_t fromEnd = simple.size() - simple.rfind("startxref");
  const std::string atLimit = simple + std::string(2048 - fromEnd, ' ');
  EXPECT_EQ(ReadError(atLimit), "");
  EXPECT_EQ(ReadError(atLimit + " "), kMissing);
  // The last occurrence wins: a later, broken one is not skipped over.
  EXPECT_EQ(ReadError(simple + "startxref\n999999\n%%EOF\n"), kDamaged);
}

TEST(PdfXref, ChainGuards) {
  Builder b;
  AddBasicObjects(b);
  const size_t first = b.Table("<< /Size 4 /Root 1 0 R >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R /Rotate 90 >>");

  // An offset outside the file.
  Builder outside = b;
  outside.End(outside.data.size() + 100000);
  EXPECT_EQ(ReadError(outside.data), kDamaged);

  // A /Prev that leads back to a section already read.
  Builder loop = b;
  const size_t second = loop.data.size();
  loop.Table("<< /Size 4 /Root 1 0 R /Prev " + std::to_string(second) + " >>", false);
  loop.End(second);
  EXPECT_EQ(ReadError(loop.data), kDamaged);

  // Two sections pointing at each other.
  Builder pingpong;
  AddBasicObjects(pingpong);
  const size_t a = pingpong.data.size();
  const std::string headA = "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 4 /Root 1 0 R /Prev ";
  const std::string tailA = " >>\n";
  const size_t bOffset = a + headA.size() + 10 + tailA.size();
  std::string number = std::to_string(bOffset);
  number.resize(10, ' ');
  pingpong.Raw(headA + number + tailA);
  ASSERT_EQ(pingpong.data.size(), bOffset);
  pingpong.Raw("xref\n0 0\ntrailer\n<< /Prev " + std::to_string(a) + " >>\n");
  pingpong.End(a);
  EXPECT_EQ(ReadError(pingpong.data), kDamaged);

  // A negative /Prev simply ends the chain.
  Builder negative = b;
  const size_t third = negative.Table("<< /Size 4 /Root 1 0 R /Prev -1 >>", false);
  negative.End(third);
  EXPECT_EQ(ReadError(negative.data), "");
  (void)first;
}

TEST(PdfXref, AtMost5000Sections) {
  for (int sections : {5000, 5001}) {
    Builder b;
    AddBasicObjects(b);
    size_t previous = b.Table("<< /Size 4 /Root 1 0 R >>");
    for (int i = 1; i < sections; ++i)
      previous = b.Raw("xref\n0 0\ntrailer\n<< /Size 4 /Root 1 0 R /Prev " + std::to_string(previous) + " >>\n");
    b.End(previous);
    PdfReader reader;
    const bool ok = reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size());
    if (sections == 5000) {
      EXPECT_TRUE(ok) << reader.ErrorText();
      EXPECT_EQ(reader.SectionCount(), 5000u);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(reader.ErrorText(), kTooMany);
    }
  }
}

TEST(PdfXref, NewestDefinitionWinsAlsoWhenItFreesTheObject) {
  Builder b;
  AddBasicObjects(b);
  b.Object(5, "(old five)");
  b.Object(6, "(old six)");
  const size_t first = b.Table("<< /Size 7 /Root 1 0 R >>");
  b.Object(5, "(new five)");
  b.Free(6);
  const size_t second = b.Table("<< /Size 7 /Root 1 0 R /Prev " + std::to_string(first) + " >>", false);
  b.End(second);
  PdfReader reader;
  ASSERT_TRUE(reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size()));
  EXPECT_EQ(ObjectText(reader, 5), "(new five)");
  EXPECT_EQ(ObjectText(reader, 6), "<none>");
  EXPECT_EQ(ObjectText(reader, 4), "<none>");  // never defined
  EXPECT_FALSE(reader.Trailer().isStream);
  EXPECT_EQ(reader.Trailer().offset, second);
  EXPECT_EQ(reader.SectionCount(), 2u);
}

TEST(PdfXref, ClassicTableDamage) {
  const std::string simple = pdftest::Str(pdftest::SimpleDocument(1));
  const size_t table = simple.find("xref\n0 ");
  std::string tooMany = simple;
  tooMany.replace(table, 8, "xref\n0 50000001");
  EXPECT_EQ(ReadError(tooMany), kDamaged);
  std::string badKind = simple;
  badKind.replace(badKind.find(" n \n"), 4, " x \n");
  EXPECT_EQ(ReadError(badKind), kDamaged);
  std::string badTrailer = simple;
  badTrailer.replace(badTrailer.find("trailer\n<<"), 10, "trailer\n<(");
  EXPECT_EQ(ReadError(badTrailer), kDamaged);
  std::string badPrev = simple;
  badPrev.replace(badPrev.find("/Root 1 0 R"), 11, "/Prev /None");
  EXPECT_EQ(ReadError(badPrev), kDamaged);
}

TEST(PdfXref, TrailerChecksAndSize) {
  EXPECT_EQ(ReadError(pdftest::Str(pdftest::SimpleDocument(1, "", " /Encrypt 9 0 R"))), kEncrypted);
  std::string noRoot = pdftest::Str(pdftest::SimpleDocument(1));
  noRoot.replace(noRoot.find("/Root 1 0 R"), 11, "/Info 1 0 R");
  EXPECT_EQ(ReadError(noRoot), kIncomplete);
  std::string negative = pdftest::Str(pdftest::SimpleDocument(1));
  negative.replace(negative.rfind("startxref\n") + 10, 0, "-");
  EXPECT_EQ(ReadError(negative), kIncomplete);

  // Size: the larger of /Size and the highest number plus one. Numbers
  // beyond 2147483632 are not entries.
  Builder b;
  AddBasicObjects(b);
  b.Object(9, "null");
  const size_t xref = b.Table("<< /Size 2 /Root 1 0 R >>");
  b.data.insert(b.data.find("trailer", xref), "2147483633 1\n0000000015 00000 n \n");
  b.End(xref);
  PdfReader reader;
  ASSERT_TRUE(reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size()));
  EXPECT_EQ(reader.Size(), 10);
  EXPECT_EQ(reader.Trailer().size, 2);
  EXPECT_EQ(reader.Trailer().root.text(), "1 0 R");
}

TEST(PdfXref, StreamWithoutTypeFieldMeansType1) {
  Builder b;
  AddBasicObjects(b);
  const size_t xref = b.XrefStream(4, " /Size 5 /Root 1 0 R /Info 2 0 R /ID [<01><02>]", {0, 3, 1});
  b.End(xref);
  PdfReader reader;
  ASSERT_TRUE(reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size()))
      << reader.ErrorText();
  PdfXrefEntry entry;
  ASSERT_TRUE(reader.FindEntry(3, entry));
  EXPECT_EQ(entry.type, 1);
  EXPECT_EQ(ObjectText(reader, 3), "<< /Type /Page /Parent 2 0 R >>");
  EXPECT_TRUE(reader.Trailer().isStream);
  EXPECT_EQ(reader.Trailer().offset, xref);
  EXPECT_EQ(reader.Trailer().id.text(), "[<01><02>]");
  EXPECT_EQ(reader.Trailer().info.text(), "2 0 R");
  EXPECT_EQ(reader.Size(), 5);
}

TEST(PdfXref, StreamWithPngUpRowsAndObjectStreams) {
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.ObjectStream(10, {{2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"}, {3, "<< /Type /Page /Parent 2 0 R >>"}});
  const size_t xref = b.XrefStream(11, " /Size 12 /Root 1 0 R", {1, 2, 1}, true, true);
  b.End(xref);
  PdfReader reader;
  ASSERT_TRUE(reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size()))
      << reader.ErrorText();
  PdfXrefEntry entry;
  ASSERT_TRUE(reader.FindEntry(3, entry));
  EXPECT_EQ(entry.type, 2);
  EXPECT_EQ(entry.value, 10u);
  EXPECT_EQ(entry.value2, 1u);
  EXPECT_EQ(ObjectText(reader, 3), "<< /Type /Page /Parent 2 0 R >>");
  EXPECT_EQ(ObjectText(reader, 2), "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
}

TEST(PdfXref, MalformedStreamsAreRefused) {
  struct Case {
    std::vector<int> widths;
    std::string front;  // goes before the builder's own entries (the first entry wins)
    std::string extra;
    bool writeW;
  };
  const Case cases[] = {
      {{1, 9, 1}, "", " /Size 5 /Root 1 0 R", true},              // width above 8
      {{0, 0, 0}, "", " /Size 5 /Root 1 0 R", true},              // entry width 0
      {{1, 4, 2}, "", " /Size 5 /Root 1 0 R", false},             // no /W
      {{1, 4, 2}, "/W [1 4] ", " /Size 5 /Root 1 0 R", true},     // two widths
      {{1, 4, 2}, "/W [1 4 x] ", " /Size 5 /Root 1 0 R", true},   // not an integer
      {{1, 4, 2}, "", " /Root 1 0 R", true},                      // no /Size
      {{1, 4, 2}, "/Index [1 4 9] ", " /Size 5 /Root 1 0 R", true},  // odd /Index
      {{1, 4, 2}, "/Index [0 5] ", " /Size 5 /Root 1 0 R", true},    // more entries than data
      {{1, 4, 2}, "/Index [1 -4] ", " /Size 5 /Root 1 0 R", true},   // negative count
      {{1, 4, 2}, "", " /Size 5 /Root 1 0 R /Prev (x)", true},
      {{1, 4, 2}, "/Filter /LZWDecode ", " /Size 5 /Root 1 0 R", true},
  };
  for (const Case& c : cases) {
    Builder b;
    AddBasicObjects(b);
    const size_t xref = b.XrefStream(4, c.extra, c.widths, true, false, c.writeW);
    std::string data = b.data;
    data.insert(data.find("/Type /XRef", xref), c.front);
    data += "startxref\n" + std::to_string(xref) + "\n%%EOF\n";
    EXPECT_EQ(ReadError(data), kBadStream) << c.front << c.extra;
  }
  // Something that is neither "xref" nor an object.
  const std::string simple = pdftest::Str(pdftest::SimpleDocument(1));
  std::string notObject = simple;
  notObject.replace(notObject.find("xref\n0 "), 4, "xraf");
  EXPECT_EQ(ReadError(notObject), kBadStream);
}

TEST(PdfXref, ObjectStreamThatFailsMidChainIsTriedAgain) {
  // The middle section's /Length points into object stream 10 while the
  // stream's /N is only known from the oldest section; once the chain is
  // read, the stream must be readable.
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R >>");
  b.Object(30, "2");
  const size_t oldest = b.Table("<< /Size 31 /Root 1 0 R >>");
  const std::string content = "2 0 20 41 << /Type /Pages /Kids [3 0 R] /Count 1 >> 9999";
  b.Object(10, "<< /Type /ObjStm /N 30 0 R /First 10 /Length " + std::to_string(content.size()) +
                   " >>\nstream\n" + content + "\nendstream");
  const size_t middle = b.XrefStream(11, " /Size 31 /Prev " + std::to_string(oldest));
  const size_t length = b.data.find("<< /Length ", middle) + 11;
  b.data.replace(length, b.data.find(' ', length) - length, "20 0 R");
  b.pending[2] = pdftest::Entry{2, 10, 0};
  b.pending[20] = pdftest::Entry{2, 10, 1};
  b.pending[10] = pdftest::Entry{1, b.data.find("10 0 obj"), 0};
  const size_t newest = b.XrefStream(12, " /Size 31 /Root 1 0 R /Prev " + std::to_string(middle));
  b.End(newest);
  PdfReader reader;
  ASSERT_TRUE(reader.ReadPages(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size()))
      << reader.ErrorText();
  EXPECT_EQ(reader.SectionCount(), 3u);
  ASSERT_EQ(reader.Pages().size(), 1u);
  EXPECT_EQ(reader.Pages()[0].number, 3u);
}

TEST(PdfXref, HybridFileTakesStreamEntriesAndTableTrailer) {
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(9, "(info from table)");
  b.ObjectStream(10, {{2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"}, {3, "<< /Type /Page /Parent 2 0 R >>"}});
  // Pull the compressed entries aside for the stream; the table lists the rest.
  std::map<int64_t, pdftest::Entry> compressed = {{2, b.pending[2]}, {3, b.pending[3]}};
  b.pending.erase(2);
  b.pending.erase(3);
  std::map<int64_t, pdftest::Entry> plain = b.pending;
  b.pending = compressed;
  // The stream's own trailer values and /Prev must not be used.
  const size_t stream = b.XrefStream(11, " /Size 12 /Root 99 0 R /Info 8 0 R /Prev 7");
  b.pending = plain;
  const size_t table = b.Table("<< /Size 12 /Root 1 0 R /Info 9 0 R /XRefStm " + std::to_string(stream) + " >>");
  b.End(table);
  PdfReader reader;
  ASSERT_TRUE(reader.ReadPages(reinterpret_cast<const uint8_t*>(b.data.data()), b.data.size()))
      << reader.ErrorText();
  EXPECT_FALSE(reader.Trailer().isStream);
  EXPECT_EQ(reader.Trailer().offset, table);
  EXPECT_EQ(reader.Trailer().root.text(), "1 0 R");
  EXPECT_EQ(reader.Trailer().info.text(), "9 0 R");
  ASSERT_EQ(reader.Pages().size(), 1u);
  EXPECT_EQ(reader.Pages()[0].number, 3u);

  // A stream that can't be read is passed over (and then page 3 is missing).
  std::string broken = b.data;
  broken.replace(broken.find("/Type /XRef"), 11, "/Type /XRef /W [9 9 9]");
  // Fix up startxref: the table moved by the inserted text.
  const size_t shift = 11;
  broken = broken.substr(0, broken.rfind("startxref")) + "startxref\n" + std::to_string(table + shift) + "\n%%EOF\n";
  EXPECT_EQ(ReadError(broken), "");
  PdfXrefEntry entry;
  PdfReader second;
  ASSERT_TRUE(second.ReadCrossReference(reinterpret_cast<const uint8_t*>(broken.data()), broken.size()));
  EXPECT_FALSE(second.FindEntry(3, entry));
  EXPECT_TRUE(second.FindEntry(9, entry));
}

}  // namespace
