// Hand-made PDF files for the structure reader and page-order writer tests:
// objects, classic tables, cross-reference streams, object streams and
// zlib data (stored blocks, or a run-length bomb made of fixed-code matches).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pdftest {

inline void AppendAdler(std::string& out, std::string_view data) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  const uint32_t v = (b << 16) | a;
  for (int i = 3; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// zlib data in stored (uncompressed) deflate blocks.
inline std::string ZlibStored(std::string_view data) {
  std::string out = "\x78\x01";
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(65535, data.size() - pos);
    const bool last = pos + n == data.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>(n >> 8);
    out += static_cast<char>(~n & 0xFF);
    out += static_cast<char>((~n >> 8) & 0xFF);
    out.append(data.substr(pos, n));
    pos += n;
  } while (pos < data.size());
  AppendAdler(out, data);
  return out;
}

// zlib data that decodes to `length` copies of the byte c (length >= 1),
// using fixed codes: one literal, then matches of distance 1.
inline std::string ZlibRun(char c, size_t length) {
  std::string out = "\x78\x01";
  uint64_t bits = 0;
  int count = 0;
  auto put = [&](uint32_t value, int n) {  // least significant bit first
    bits |= uint64_t(value) << count;
    count += n;
    while (count >= 8) {
      out += static_cast<char>(bits & 0xFF);
      bits >>= 8;
      count -= 8;
    }
  };
  auto putCode = [&](uint32_t code, int n) {  // Huffman codes go most significant bit first
    uint32_t reversed = 0;
    for (int i = 0; i < n; ++i) reversed |= ((code >> i) & 1) << (n - 1 - i);
    put(reversed, n);
  };
  auto literal = [&](unsigned v) {
    if (v < 144) putCode(0x30 + v, 8);
    else putCode(0x190 + v - 144, 9);
  };
  put(1, 1);  // final
  put(1, 2);  // fixed codes
  literal(static_cast<unsigned char>(c));
  size_t left = length - 1;
  while (left > 0) {
    if (left >= 258 + 3 || left == 258) {
      putCode(0xC5, 8);  // symbol 285: length 258 (codes 280-287 are 0xC0 + n)
      putCode(0, 5);     // distance 1
      left -= 258;
    } else if (left >= 3) {
      // lengths 3..10 are symbols 257..264 without extra bits; use them
      const size_t take = std::min<size_t>(left, 10);
      if (left - take != 0 && left - take < 3) {
        literal(static_cast<unsigned char>(c));
        --left;
        continue;
      }
      putCode(take - 3 + 1, 7);  // symbols 256..279 are 7-bit codes 0..23
      putCode(0, 5);
      left -= take;
    } else {
      literal(static_cast<unsigned char>(c));
      --left;
    }
  }
  putCode(0, 7);  // end of block
  if (count > 0) put(0, 8 - count);
  AppendAdler(out, std::string(length, c));
  return out;
}

struct Entry {
  int type = 1;
  uint64_t field2 = 0;
  uint64_t field3 = 0;
};

class Builder {
 public:
  std::string data;
  std::map<int64_t, Entry> pending;  // entries for the next section

  explicit Builder(std::string_view header = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n") : data(header) {}

  size_t Raw(std::string_view text) {
    const size_t at = data.size();
    data.append(text);
    return at;
  }
  size_t Object(int number, std::string_view body, int generation = 0) {
    const size_t at = data.size();
    data += std::to_string(number) + " " + std::to_string(generation) + " obj\n";
    data.append(body);
    data += "\nendobj\n";
    pending[number] = Entry{1, at, static_cast<uint64_t>(generation)};
    return at;
  }
  // A stream object with an exact /Length (plus extra dictionary entries).
  size_t StreamObject(int number, std::string_view extra, std::string_view bytes) {
    std::string body = "<< /Length " + std::to_string(bytes.size()) + std::string(extra) + " >>\nstream\n";
    body.append(bytes);
    body += "\nendstream";
    return Object(number, body);
  }
  void Free(int number) { pending[number] = Entry{0, 0, 65535}; }

  // An object stream holding the given objects; their entries become type 2.
  size_t ObjectStream(int number, const std::vector<std::pair<int, std::string>>& objects,
                      bool flate = true) {
    std::string header, bodies;
    for (const auto& [n, text] : objects) {
      header += std::to_string(n) + " " + std::to_string(bodies.size()) + " ";
      bodies += text + "\n";
    }
    const std::string content = header + bodies;
    const std::string bytes = flate ? ZlibStored(content) : content;
    const std::string extra = " /Type /ObjStm /N " + std::to_string(objects.size()) + " /First " +
                              std::to_string(header.size()) + (flate ? " /Filter /FlateDecode" : "");
    const size_t at = StreamObject(number, extra, bytes);
    for (size_t i = 0; i < objects.size(); ++i)
      pending[objects[i].first] = Entry{2, static_cast<uint64_t>(number), i};
    return at;
  }

  // A classic table of the pending entries, then its trailer. The first
  // section also lists object 0 as free.
  size_t Table(std::string_view trailer, bool withZero = true) {
    const size_t at = data.size();
    data += "xref\n";
    if (withZero) pending[0] = Entry{0, 0, 65535};
    for (const auto& [number, entry] : pending) {
      if (entry.type == 2) std::abort();  // a table can't say "in an object stream"
    }
    for (auto it = pending.begin(); it != pending.end();) {
      auto run = it;
      int64_t count = 0;
      for (int64_t n = it->first; run != pending.end() && run->first == n; ++run, ++n) ++count;
      data += std::to_string(it->first) + " " + std::to_string(count) + "\n";
      for (; it != run; ++it) {
        char line[32];
        std::snprintf(line, sizeof(line), "%010llu %05llu %c \n",
                      static_cast<unsigned long long>(it->second.type == 1 ? it->second.field2 : 0),
                      static_cast<unsigned long long>(it->second.field3),
                      it->second.type == 1 ? 'n' : 'f');
        data += line;
      }
    }
    pending.clear();
    data += "trailer\n";
    data.append(trailer);
    data += "\n";
    return at;
  }

  // A cross-reference stream object `number` of the pending entries (and
  // itself). extra goes into its dictionary (/Root, /Prev, /Size ...).
  // widths are /W; predictor 12 writes PNG Up rows.
  size_t XrefStream(int number, std::string_view extra, std::vector<int> widths = {1, 4, 2},
                    bool flate = true, bool predictor = false, bool writeW = true) {
    const size_t at = data.size();
    pending[number] = Entry{1, at, 0};
    std::string rows, index;
    const int width = widths[0] + widths[1] + widths[2];
    std::string previous(width, '\0');
    for (auto it = pending.begin(); it != pending.end();) {
      auto run = it;
      int64_t count = 0;
      for (int64_t n = it->first; run != pending.end() && run->first == n; ++run, ++n) ++count;
      index += " " + std::to_string(it->first) + " " + std::to_string(count);
      for (; it != run; ++it) {
        std::string row;
        const uint64_t fields[3] = {static_cast<uint64_t>(it->second.type), it->second.field2,
                                    it->second.field3};
        for (int f = 0; f < 3; ++f)
          for (int b = widths[f] - 1; b >= 0; --b) row += static_cast<char>(b < 8 ? (fields[f] >> (8 * b)) & 0xFF : 0);
        if (predictor) {
          std::string up(1, '\x02');
          for (int i = 0; i < width; ++i) up += static_cast<char>(row[i] - previous[i]);
          previous = row;
          row = up;
        }
        rows += row;
      }
    }
    pending.clear();
    const std::string bytes = flate ? ZlibStored(rows) : rows;
    std::string dict = " /Type /XRef /Index [" + index + " ]";
    if (writeW)
      dict += " /W [" + std::to_string(widths[0]) + " " + std::to_string(widths[1]) + " " +
              std::to_string(widths[2]) + "]";
    if (flate) dict += " /Filter /FlateDecode";
    if (predictor) dict += " /DecodeParms << /Predictor 12 /Columns " + std::to_string(width) + " >>";
    dict.append(extra);
    std::string body = "<< /Length " + std::to_string(bytes.size()) + dict + " >>\nstream\n";
    body += bytes;
    body += "\nendstream";
    data += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
    return at;
  }

  void End(size_t xref) { data += "startxref\n" + std::to_string(xref) + "\n%%EOF\n"; }

  std::vector<uint8_t> Bytes() const { return std::vector<uint8_t>(data.begin(), data.end()); }
};

// A simple document: catalog 1, page-tree root 2, pages 3.. (count of
// them) directly under the root, classic table.
inline std::vector<uint8_t> SimpleDocument(int pages, std::string_view rootExtra = "",
                                           std::string_view trailerExtra = "") {
  Builder b;
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  for (int i = 0; i < pages; ++i) kids += " " + std::to_string(3 + i) + " 0 R";
  b.Object(2, "<< /Type /Pages /Kids [" + kids + " ] /Count " + std::to_string(pages) +
                  std::string(rootExtra) + " >>");
  for (int i = 0; i < pages; ++i)
    b.Object(3 + i, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>");
  const size_t xref = b.Table("<< /Size " + std::to_string(3 + pages) + " /Root 1 0 R" +
                              std::string(trailerExtra) + " >>");
  b.End(xref);
  return b.Bytes();
}

inline std::string Str(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

}  // namespace pdftest
