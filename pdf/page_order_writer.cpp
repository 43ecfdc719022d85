#include "pdf/page_order_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <unordered_set>

#include "pdf/pdf_reader.h"

namespace {

constexpr char kTextNoStructure[] = "Folivex couldn't read this PDF's structure.";
constexpr char kTextPageCount[] =
    "The PDF on disk has a different number of pages than the one on screen. It may have been "
    "changed by another program; close and reopen it.";
constexpr char kTextBadOrder[] = "Internal error: the new page order is not valid.";
constexpr char kTextTooLarge[] = "This PDF is too large for Folivex to change.";
constexpr char kTextDamaged[] =
    "This PDF's internal table of contents is damaged, so Folivex can't rearrange it.";

constexpr uint64_t kMaxTableOffset = 9999999998ULL;  // ten digits in a table line

struct Written {
  uint32_t number;
  uint32_t generation;
  uint64_t offset;
};

class Output {
 public:
  Output(std::vector<uint8_t>& bytes, uint64_t base) : bytes_(bytes), base_(base) {}
  void Text(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
  void Span(const PdfSpan& span) {
    bytes_.insert(bytes_.end(), span.data + span.start, span.data + span.end);
  }
  void Number(uint64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    bytes_.insert(bytes_.end(), buffer, result.ptr);
  }
  void Byte(uint8_t b) { bytes_.push_back(b); }
  void BigEndian(uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  // Where the next byte goes in the updated file.
  uint64_t Offset() const { return base_ + bytes_.size(); }

 private:
  std::vector<uint8_t>& bytes_;
  uint64_t base_;
};

// The values both forms of the new trailer carry after /Root: the old
// /Root, /Info and /ID as they stood, a classic table's /XRefStm, and /Prev
// pointing at the newest earlier section.
void WriteTrailerValues(Output& out, const PdfTrailerValues& trailer) {
  out.Span(trailer.root);
  if (trailer.hasInfo) {
    out.Text(" /Info ");
    out.Span(trailer.info);
  }
  if (trailer.hasId) {
    out.Text(" /ID ");
    out.Span(trailer.id);
  }
  // A hybrid file's compressed objects stay reachable for readers that
  // take /XRefStm only from the newest trailer (PDFium does); the new
  // table's entries still come first.
  if (trailer.hasXRefStm) {
    out.Text(" /XRefStm ");
    out.Span(trailer.xrefStm);
  }
  out.Text(" /Prev ");
  out.Number(trailer.offset);
}

bool Refuse(std::vector<uint8_t>& update, std::string& error, const char* text) {
  update.clear();
  error = text;
  return false;
}

bool WriteUpdate(const uint8_t* file, size_t size, const std::vector<int>& order,
                 std::vector<uint8_t>& update, std::string& error) {
  update.clear();
  error.clear();
  PdfReader reader;
  if (!reader.ReadPages(file, size)) {
    return Refuse(update, error, reader.ErrorText().empty() ? kTextNoStructure : reader.ErrorText().c_str());
  }
  const std::vector<PdfPageRecord>& pages = reader.Pages();
  const size_t n = pages.size();
  if (order.size() != n) return Refuse(update, error, kTextPageCount);
  {
    std::vector<bool> seen(n, false);
    for (int index : order) {
      if (index < 0 || static_cast<size_t>(index) >= n || seen[static_cast<size_t>(index)])
        return Refuse(update, error, kTextBadOrder);
      seen[static_cast<size_t>(index)] = true;
    }
  }
  const PdfPageTreeRoot& root = reader.PageTreeRoot();
  const PdfTrailerValues& trailer = reader.Trailer();
  const int64_t objectCount = reader.Size();
  // The new cross-reference stream takes the number Size; beyond the
  // largest object number the result could not be read.
  if (trailer.isStream && objectCount > kPdfMaxObjectNumber) return Refuse(update, error, kTextDamaged);

  Output out(update, size);
  std::vector<Written> written;
  std::unordered_set<uint32_t> rewritten;
  PdfDictionary dict;

  out.Text("\n");

  // Pages that can't hang directly under the new root as they are.
  for (const PdfPageRecord& page : pages) {
    if (page.directChild || !rewritten.insert(page.number).second) continue;
    written.push_back(Written{page.number, page.generation, out.Offset()});
    out.Number(page.number);
    out.Text(" ");
    out.Number(page.generation);
    out.Text(" obj\n<<");
    if (!PdfParseDictionary(page.dictionary, dict)) return Refuse(update, error, kTextNoStructure);
    for (const PdfDictEntry& entry : dict.entries) {
      if (dict.KeyIs(entry, "Parent")) continue;
      out.Text(" /");
      out.Text(dict.RawKey(entry));
      out.Text(" ");
      out.Span(dict.Value(entry));
    }
    for (int i = 0; i < kPdfInheritedCount; ++i) {
      if (!page.inherited->has[i] || dict.Find(kPdfInheritedNames[i])) continue;
      out.Text(" /");
      out.Text(kPdfInheritedNames[i]);
      out.Text(" ");
      out.Span(page.inherited->value[i]);
    }
    out.Text(" /Parent ");
    out.Number(root.number);
    out.Text(" ");
    out.Number(root.generation);
    out.Text(" R >>\nendobj\n");
  }

  // The new root.
  written.push_back(Written{root.number, root.generation, out.Offset()});
  out.Number(root.number);
  out.Text(" ");
  out.Number(root.generation);
  out.Text(" obj\n<< /Type /Pages /Count ");
  out.Number(n);
  out.Text(" /Kids [");
  for (size_t k = 0; k < n; ++k) {
    const PdfPageRecord& page = pages[static_cast<size_t>(order[k])];
    out.Text(k % 12 == 0 && k != 0 ? "\n" : " ");
    out.Number(page.number);
    out.Text(" ");
    out.Number(page.generation);
    out.Text(" R");
  }
  out.Text(" ]");
  if (!PdfParseDictionary(root.dictionary, dict)) return Refuse(update, error, kTextNoStructure);
  for (const PdfDictEntry& entry : dict.entries) {
    if (dict.KeyIs(entry, "Type") || dict.KeyIs(entry, "Kids") || dict.KeyIs(entry, "Count") ||
        dict.KeyIs(entry, "Parent")) {
      continue;
    }
    out.Text(" /");
    out.Text(dict.RawKey(entry));
    out.Text(" ");
    out.Span(dict.Value(entry));
  }
  out.Text(" >>\nendobj\n");

  // Cross-reference data.
  const uint64_t xref = out.Offset();
  if (!trailer.isStream) {
    if (xref > kMaxTableOffset) return Refuse(update, error, kTextTooLarge);
    std::sort(written.begin(), written.end(),
              [](const Written& a, const Written& b) { return a.number < b.number; });
    out.Text("xref\n");
    for (size_t i = 0; i < written.size();) {
      size_t j = i + 1;
      while (j < written.size() && written[j].number == written[j - 1].number + 1) ++j;
      out.Number(written[i].number);
      out.Text(" ");
      out.Number(j - i);
      out.Text("\n");
      for (; i < j; ++i) {
        char line[32];
        std::snprintf(line, sizeof(line), "%010llu %05d n \n",
                      static_cast<unsigned long long>(written[i].offset),
                      static_cast<int>(written[i].generation));
        out.Text(std::string_view(line, 20));
      }
    }
    out.Text("trailer\n<< /Size ");
    out.Number(static_cast<uint64_t>(objectCount));
    out.Text(" /Root ");
    WriteTrailerValues(out, trailer);
    out.Text(" >>\n");
  } else {
    const uint32_t streamNumber = static_cast<uint32_t>(objectCount);
    written.push_back(Written{streamNumber, 0, xref});
    std::sort(written.begin(), written.end(),
              [](const Written& a, const Written& b) { return a.number < b.number; });
    const int width = xref < 4294967295ULL ? 4 : 8;
    std::vector<uint8_t> entries;
    Output binary(entries, 0);
    std::vector<uint8_t> indexText;
    Output index(indexText, 0);
    for (const Written& w : written) {
      binary.Byte(1);
      binary.BigEndian(w.offset, width);
      binary.BigEndian(w.generation, 2);
      index.Text(" ");
      index.Number(w.number);
      index.Text(" 1");
    }
    out.Number(streamNumber);
    out.Text(" 0 obj\n<< /Type /XRef /Size ");
    out.Number(uint64_t(streamNumber) + 1);
    out.Text(" /W [1 ");
    out.Number(static_cast<uint64_t>(width));
    out.Text(" 2] /Index [");
    update.insert(update.end(), indexText.begin(), indexText.end());
    out.Text(" ] /Root ");
    WriteTrailerValues(out, trailer);
    out.Text(" /Length ");
    out.Number(entries.size());
    out.Text(" >>\nstream\n");
    update.insert(update.end(), entries.begin(), entries.end());
    out.Text("\nendstream\nendobj\n");
  }
  out.Text("startxref\n");
  out.Number(xref);
  out.Text("\n%%EOF\n");
  return true;
}

}  // namespace

bool WritePageOrder(const uint8_t* file, size_t size, const std::vector<int>& order,
                    std::vector<uint8_t>& update, std::string& error) {
  try {
    return WriteUpdate(file, size, order, update, error);
  } catch (...) {
    update.clear();  // nothing half-made leaves here
    throw;
  }
}

bool WritePageOrder(const std::vector<uint8_t>& file, const std::vector<int>& order,
                    std::vector<uint8_t>& update, std::string& error) {
  return WritePageOrder(file.data(), file.size(), order, update, error);
}
