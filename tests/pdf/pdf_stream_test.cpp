// Stream data, filters, PNG predictors, object streams and their cache,
// and loading objects.
#include <gtest/gtest.h>

#include <cstdlib>

#include "pdf/pdf_reader.h"
#include "tests/pdf/pdf_test_builder.h"

namespace {

using pdftest::Builder;

const char kMemory[] = "There wasn't enough memory to examine this PDF.";

// A file with a catalog and one page plus the objects the test adds.
struct Doc {
  Builder b;
  Doc() {
    b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.Object(3, "<< /Type /Page /Parent 2 0 R >>");
  }
  // A table, or a cross-reference stream when objects live in object streams.
  std::string Finish() {
    bool compressed = false;
    for (const auto& [number, entry] : b.pending) compressed |= entry.type == 2;
    const size_t xref = compressed ? b.XrefStream(99, " /Size 100 /Root 1 0 R")
                                   : b.Table("<< /Size 100 /Root 1 0 R >>");
    b.End(xref);
    return b.data;
  }
};

// The decoded stream of object `number`, or "<fail>".
std::string Decode(const std::string& file, uint32_t number) {
  PdfReader reader;
  if (!reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(file.data()), file.size()))
    return "<no xref: " + reader.ErrorText() + ">";
  PdfSpan value;
  uint32_t generation = 0;
  if (!reader.LoadObject(number, value, generation)) return "<no object>";
  PdfDictionary dict;
  if (!PdfParseDictionary(value, dict)) return "<no dictionary>";
  std::vector<uint8_t> storage;
  PdfSpan data;
  if (!reader.ReadStream(dict, value.end, storage, data)) return "<fail>";
  return std::string(data.text());
}

std::string DecodeObject(const std::string& body) {
  Doc doc;
  doc.b.Object(10, body);
  return Decode(doc.Finish(), 10);
}

TEST(PdfStream, LengthOrEndstream) {
  EXPECT_EQ(DecodeObject("<< /Length 5 >>\nstream\nhello\nendstream"), "hello");
  EXPECT_EQ(DecodeObject("<< /Length 5 >>stream\r\nhello\r\nendstream"), "hello");
  EXPECT_EQ(DecodeObject("<< /Length 5 >>\nstream\rhelloendstream"), "hello");
  // A wrong /Length: the data runs up to "endstream", less the line ends.
  EXPECT_EQ(DecodeObject("<< /Length 999 >>\nstream\nhello\r\n\r\nendstream"), "hello");
  EXPECT_EQ(DecodeObject("<< /Length 3 >>\nstream\nhello\nendstream"), "hello");
  EXPECT_EQ(DecodeObject("<< /Length -1 >>\nstream\nhello\nendstream"), "hello");
  EXPECT_EQ(DecodeObject("<< >>\nstream\nhello\nendstream"), "hello");
  // "endstream" must follow the /Length bytes, after white space at most.
  EXPECT_EQ(DecodeObject("<< /Length 2 >>\nstream\nhe llo\nendstream"), "he llo");
  EXPECT_EQ(DecodeObject("<< /Length 5 >>\nstrea\nhello\nendstream"), "<fail>");

  Doc indirect;
  indirect.b.Object(10, "<< /Length 11 0 R >>\nstream\nworld\nendstream");
  indirect.b.Object(11, "5");
  EXPECT_EQ(Decode(indirect.Finish(), 10), "world");

  Doc noEnd;
  noEnd.b.Raw("10 0 obj\n<< /Length 500 >>\nstream\nno end here\n");
  noEnd.b.pending[10] = pdftest::Entry{1, noEnd.b.data.find("10 0 obj"), 0};
  EXPECT_EQ(Decode(noEnd.Finish(), 10), "<fail>");
}

TEST(PdfStream, OnlyFlateAloneIsDecoded) {
  const std::string z = pdftest::ZlibStored("inflated text");
  auto with = [&](const std::string& filter) {
    return DecodeObject("<< /Length " + std::to_string(z.size()) + " /Filter " + filter + " >>\nstream\n" +
                        z + "\nendstream");
  };
  EXPECT_EQ(with("/FlateDecode"), "inflated text");
  EXPECT_EQ(with("[/FlateDecode]"), "inflated text");
  EXPECT_EQ(with("/Fl"), "inflated text");
  EXPECT_EQ(with("[/ASCII85Decode /FlateDecode]"), "<fail>");
  EXPECT_EQ(with("/ASCIIHexDecode"), "<fail>");
  EXPECT_EQ(with("null"), z);  // no "/" at all: no filter
  EXPECT_EQ(with("[]"), z);
  EXPECT_EQ(DecodeObject("<< /Length 4 /Filter /FlateDecode >>\nstream\nnope\nendstream"), "<fail>");

  Doc indirect;
  indirect.b.Object(10, "<< /Length " + std::to_string(z.size()) + " /Filter 11 0 R >>\nstream\n" + z +
                            "\nendstream");
  indirect.b.Object(11, "/FlateDecode");
  EXPECT_EQ(Decode(indirect.Finish(), 10), "inflated text");
}

// PNG row filters, row by row with the given filter types (cycled).
std::string PngEncode(const std::string& raw, size_t rowLength, size_t bpp, const std::vector<int>& filters) {
  std::string out;
  std::string previous(rowLength, '\0');
  for (size_t r = 0; r * rowLength < raw.size(); ++r) {
    const std::string row = raw.substr(r * rowLength, rowLength);
    const int f = filters[r % filters.size()];
    out += static_cast<char>(f);
    for (size_t i = 0; i < rowLength; ++i) {
      const int x = static_cast<uint8_t>(row[i]);
      const int a = i >= bpp ? static_cast<uint8_t>(row[i - bpp]) : 0;
      const int b = static_cast<uint8_t>(previous[i]);
      const int c = i >= bpp ? static_cast<uint8_t>(previous[i - bpp]) : 0;
      int predicted = 0;
      switch (f) {
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) / 2; break;
        case 4: {
          const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          predicted = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
          break;
        }
        default: break;
      }
      out += static_cast<char>(x - predicted);
    }
    previous = row;
  }
  return out;
}

std::string Pattern(size_t n) {
  std::string s;
  uint32_t x = 12345;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245 + 12345;
    s += static_cast<char>((i % 7 == 0) ? (x >> 16) : (i * 3));
  }
  return s;
}

std::string PredictedObject(const std::string& encoded, const std::string& parms, bool flate) {
  const std::string bytes = flate ? pdftest::ZlibStored(encoded) : encoded;
  return DecodeObject("<< /Length " + std::to_string(bytes.size()) + (flate ? " /Filter /FlateDecode" : "") +
                      " /DecodeParms " + parms + " >>\nstream\n" + bytes + "\nendstream");
}

TEST(PdfStream, PngPredictorsUndoEveryRowFilter) {
  struct Case {
    int colors, bits, columns;
  };
  for (const Case c : {Case{1, 8, 5}, Case{3, 8, 4}, Case{4, 16, 3}, Case{1, 1, 13}, Case{3, 4, 5}}) {
    const size_t bpp = std::max(1, (c.colors * c.bits + 7) / 8);
    const size_t rowLength = (size_t(c.colors) * c.bits * c.columns + 7) / 8;
    const std::string raw = Pattern(rowLength * 10);
    const std::string encoded = PngEncode(raw, rowLength, bpp, {0, 1, 2, 3, 4, 4, 3, 2, 1, 0});
    const std::string parms = "<< /Predictor 12 /Colors " + std::to_string(c.colors) + " /BitsPerComponent " +
                              std::to_string(c.bits) + " /Columns " + std::to_string(c.columns) + " >>";
    EXPECT_EQ(PredictedObject(encoded, parms, true), raw) << parms;
    // Without a filter too, and with a trailing partial row dropped.
    EXPECT_EQ(PredictedObject(encoded + std::string(rowLength, 'x'), parms, false), raw) << parms;
    EXPECT_EQ(PredictedObject(encoded, "[" + parms + "]", true), raw) << parms;
  }
}

TEST(PdfStream, PredictorParametersAreChecked) {
  const std::string raw = Pattern(12);
  const std::string encoded = PngEncode(raw, 4, 1, {2});
  EXPECT_EQ(PredictedObject(raw, "<< /Predictor 1 /Columns 4 >>", true), raw);
  EXPECT_EQ(PredictedObject(raw, "null", true), raw);
  EXPECT_EQ(PredictedObject(encoded, "<< /Predictor 2 /Columns 4 >>", true), "<fail>");  // TIFF
  EXPECT_EQ(PredictedObject(encoded, "<< /Predictor 15 /Columns 0 >>", true), "<fail>");
  EXPECT_EQ(PredictedObject(encoded, "<< /Predictor 15 /Columns 100001 >>", true), "<fail>");
  EXPECT_EQ(PredictedObject(encoded, "<< /Predictor 15 /Columns 4 /Colors 33 >>", true), "<fail>");
  EXPECT_EQ(PredictedObject(encoded, "<< /Predictor 15 /Columns 4 /BitsPerComponent 17 >>", true), "<fail>");
  EXPECT_EQ(PredictedObject(encoded, "<< /Predictor 15 /Columns /Four >>", true), "<fail>");
  EXPECT_EQ(PredictedObject(encoded, "[<< /Predictor 12 /Columns 4 >> null]", true), "<fail>");
  EXPECT_EQ(PredictedObject(encoded, "<< /Predictor 15 /Columns 4 >>", true), raw);
  std::string badRow = encoded;
  badRow[5] = 5;  // filter type of the second row
  EXPECT_EQ(PredictedObject(badRow, "<< /Predictor 15 /Columns 4 >>", true), "<fail>");
}

// LoadObject of every kind of entry.
std::string Load(const std::string& file, uint32_t number) {
  PdfReader reader;
  if (!reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(file.data()), file.size())) return "<no xref>";
  PdfSpan value;
  uint32_t generation = 99;
  if (!reader.LoadObject(number, value, generation)) return "<fail>";
  return std::string(value.text()) + " @" + std::to_string(generation);
}

TEST(PdfObjects, HeadersMustMatch) {
  Doc doc;
  doc.b.Object(10, "[1 2 3]", 7);
  doc.b.Object(11, "(x)", 65535);
  doc.b.Object(12, "(y)", 65536);  // can't be written back into a table line
  const size_t at = doc.b.Object(13, "(z)");
  doc.b.pending[14] = pdftest::Entry{1, at, 0};  // points at object 13
  doc.b.pending[15] = pdftest::Entry{1, 10000000, 0};  // outside the file
  const std::string file = doc.Finish();
  EXPECT_EQ(Load(file, 10), "[1 2 3] @7");
  EXPECT_EQ(Load(file, 11), "(x) @65535");
  EXPECT_EQ(Load(file, 12), "<fail>");
  EXPECT_EQ(Load(file, 13), "(z) @0");
  EXPECT_EQ(Load(file, 14), "<fail>");
  EXPECT_EQ(Load(file, 15), "<fail>");
  EXPECT_EQ(Load(file, 16), "<fail>");
  EXPECT_EQ(Load(file, 0), "<fail>");  // free
}

TEST(PdfObjects, ObjectStreams) {
  Doc doc;
  doc.b.ObjectStream(10, {{20, "<< /A 1 >>"}, {21, "[ 5 0 R ]"}, {22, "42"}});
  doc.b.ObjectStream(11, {{23, "(plain)"}}, false);
  doc.b.pending[24] = pdftest::Entry{2, 10, 3};  // index past /N
  doc.b.pending[25] = pdftest::Entry{2, 20, 0};  // "stream" 20 lives in a stream itself
  doc.b.pending[26] = pdftest::Entry{2, 99, 0};  // no such stream
  const std::string file = doc.Finish();
  EXPECT_EQ(Load(file, 20), "<< /A 1 >> @0");
  EXPECT_EQ(Load(file, 21), "[ 5 0 R ] @0");
  EXPECT_EQ(Load(file, 22), "42 @0");
  EXPECT_EQ(Load(file, 23), "(plain) @0");
  EXPECT_EQ(Load(file, 24), "<fail>");
  EXPECT_EQ(Load(file, 25), "<fail>");
  EXPECT_EQ(Load(file, 26), "<fail>");

  PdfReader reader;
  ASSERT_TRUE(reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
  PdfSpan value;
  uint32_t generation = 0;
  ASSERT_TRUE(reader.LoadObject(20, value, generation));
  const size_t cached = reader.ObjectStreamCacheBytes();
  EXPECT_GT(cached, 0u);
  ASSERT_TRUE(reader.LoadObject(22, value, generation));
  EXPECT_EQ(reader.ObjectStreamCacheBytes(), cached);  // decoded once
}

TEST(PdfObjects, MalformedObjectStreams) {
  auto single = [](const std::string& dictExtra, const std::string& content) {
    Doc doc;
    doc.b.StreamObject(10, " /Type /ObjStm" + dictExtra, content);
    doc.b.pending[20] = pdftest::Entry{2, 10, 0};
    return Load(doc.Finish(), 20);
  };
  EXPECT_EQ(single(" /N 1 /First 5", "20 0 (ok)"), "(ok) @0");
  EXPECT_EQ(single(" /N 1 /First 50", "20 0 (ok)"), "<fail>");   // First beyond the data
  EXPECT_EQ(single(" /N 1 /First -1", "20 0 (ok)"), "<fail>");
  EXPECT_EQ(single(" /N 1 /First 5", "20 9 (ok)"), "<fail>");    // offset beyond the data
  EXPECT_EQ(single(" /N 1 /First 5", "20 x (ok)"), "<fail>");
  EXPECT_EQ(single(" /N 2 /First 5", "20 0 (ok)"), "<fail>");    // pairs run past First
  EXPECT_EQ(single(" /N 10000000 /First 5", "20 0 (ok)"), "<fail>");
  EXPECT_EQ(single(" /First 5", "20 0 (ok)"), "<fail>");
  EXPECT_EQ(single(" /N 1", "20 0 (ok)"), "<fail>");
  EXPECT_EQ(single(" /N 1 /First 5 /Filter /FlateDecode", "20 0 (ok)"), "<fail>");

  // A stream whose /Length lives inside itself falls back to "endstream";
  // one whose /N lives inside itself can't be read.
  Doc selfLength;
  selfLength.b.Object(10, "<< /Type /ObjStm /N 2 /First 9 /Length 21 0 R >>\nstream\n20 0 21 5\n(ok) 999\nendstream");
  selfLength.b.pending[20] = pdftest::Entry{2, 10, 0};
  selfLength.b.pending[21] = pdftest::Entry{2, 10, 1};
  const std::string lengthFile = selfLength.Finish();
  EXPECT_EQ(Load(lengthFile, 20), "(ok) @0");
  EXPECT_EQ(Load(lengthFile, 21), "999 @0");
  Doc selfCount;
  selfCount.b.Object(10, "<< /Type /ObjStm /N 21 0 R /First 9 >>\nstream\n20 0 21 5\n(ok) 2\nendstream");
  selfCount.b.pending[20] = pdftest::Entry{2, 10, 0};
  selfCount.b.pending[21] = pdftest::Entry{2, 10, 1};
  EXPECT_EQ(Load(selfCount.Finish(), 20), "<fail>");
}

TEST(PdfObjects, NestedLoadsStopAt40) {
  // Stream k takes its /N from an object stored in stream k+1, so loading
  // an object of stream 0 nests one level deeper per stream.
  auto chain = [](int streams) {
    Doc doc;
    for (int k = 0; k < streams; ++k) {
      const int stream = 100 + k, holder = 1000 + k;
      const std::string n = k + 1 < streams ? std::to_string(1000 + k + 1) + " 0 R" : "1";
      doc.b.StreamObject(stream, " /Type /ObjStm /First 7 /N " + n, std::to_string(holder) + " 0 1");
      doc.b.pending[holder] = pdftest::Entry{2, static_cast<uint64_t>(stream), 0};
    }
    return Load(doc.Finish(), 1000);
  };
  EXPECT_EQ(chain(39), "1 @0");
  EXPECT_EQ(chain(40), "<fail>");
}

TEST(PdfObjects, ObjectStreamCacheIsBoundedInTotal) {
  // Many small compressed streams, each holding one page of a flat tree.
  const int streams = 40;
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  for (int i = 0; i < streams; ++i) kids += " " + std::to_string(1000 + i) + " 0 R";
  b.Object(2, "<< /Type /Pages /Kids [" + kids + " ] /Count " + std::to_string(streams) + " >>");
  for (int i = 0; i < streams; ++i) {
    const std::string page = "<< /Type /Page /Parent 2 0 R /Padding (" + std::string(200, 'p') + ") >>";
    b.ObjectStream(100 + i, {{1000 + i, page}});
  }
  const size_t xref = b.XrefStream(3000, " /Size 2000 /Root 1 0 R");
  b.End(xref);
  const auto* bytes = reinterpret_cast<const uint8_t*>(b.data.data());

  PdfReader unbounded;
  ASSERT_TRUE(unbounded.ReadPages(bytes, b.data.size())) << unbounded.ErrorText();
  EXPECT_EQ(unbounded.Pages().size(), static_cast<size_t>(streams));
  const size_t total = unbounded.ObjectStreamCacheBytes();
  EXPECT_GE(total, streams * 200u);

  PdfReader bounded;
  bounded.SetObjectStreamCacheLimit(total / 2);
  EXPECT_FALSE(bounded.ReadPages(bytes, b.data.size()));
  EXPECT_EQ(bounded.ErrorText(), kMemory);
  EXPECT_LE(bounded.ObjectStreamCacheBytes(), total / 2);
  EXPECT_TRUE(bounded.Pages().size() < static_cast<size_t>(streams));

  PdfReader exact;
  exact.SetObjectStreamCacheLimit(total);
  EXPECT_TRUE(exact.ReadPages(bytes, b.data.size())) << exact.ErrorText();
}

TEST(PdfObjects, CompressionBombsStayWithinTheirBounds) {
  // A small object stream that inflates to 16 MiB of blanks: cached when
  // there is room for it, refused with the memory reason when not.
  const size_t blanks = 16u << 20;
  Doc doc;
  doc.b.StreamObject(10, " /Type /ObjStm /N 0 /First 0 /Filter /FlateDecode", pdftest::ZlibRun(' ', blanks));
  doc.b.pending[20] = pdftest::Entry{2, 10, 0};
  const std::string file = doc.Finish();
  EXPECT_LT(file.size(), blanks / 100);
  PdfReader reader;
  ASSERT_TRUE(reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
  PdfSpan value;
  uint32_t generation = 0;
  EXPECT_FALSE(reader.LoadObject(20, value, generation));  // index 0 of an empty stream
  EXPECT_EQ(reader.ErrorText(), "");
  EXPECT_GE(reader.ObjectStreamCacheBytes(), blanks);
  reader.SetObjectStreamCacheLimit(blanks / 2);
  ASSERT_TRUE(reader.ReadCrossReference(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
  EXPECT_FALSE(reader.LoadObject(20, value, generation));
  EXPECT_EQ(reader.ErrorText(), kMemory);
  EXPECT_EQ(reader.ObjectStreamCacheBytes(), 0u);
}

}  // namespace
