#include "pdf/pdf_lexer.h"

#include <cstring>

namespace {

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// depth: how many arrays and dictionaries already enclose the value.
bool SkipValueAt(const uint8_t* d, size_t pos, size_t end, size_t& next, int depth) {
  if (pos >= end) return false;
  const uint8_t c = d[pos];
  if (c == '/') {
    next = PdfNameEnd(d, pos, end);
    return true;
  }
  if (c == '(') {
    size_t level = 1;
    for (size_t p = pos + 1; p < end; ++p) {
      const uint8_t b = d[p];
      if (b == '\\') {
        ++p;  // the escaped byte, whatever it is
      } else if (b == '(') {
        ++level;
      } else if (b == ')' && --level == 0) {
        next = p + 1;
        return true;
      }
    }
    return false;
  }
  if (c == '<' && pos + 1 < end && d[pos + 1] == '<') {
    if (depth >= kPdfMaxNesting) return false;
    size_t p = pos + 2;
    for (;;) {
      p = PdfSkipWhite(d, p, end);
      if (p >= end) return false;
      if (d[p] == '>') {
        if (p + 1 < end && d[p + 1] == '>') {
          next = p + 2;
          return true;
        }
        return false;
      }
      size_t after = 0;
      if (!SkipValueAt(d, p, end, after, depth + 1)) return false;
      p = after;
    }
  }
  if (c == '<') {
    const void* close = std::memchr(d + pos + 1, '>', end - pos - 1);
    if (!close) return false;
    next = static_cast<size_t>(static_cast<const uint8_t*>(close) - d) + 1;
    return true;
  }
  if (c == '[') {
    if (depth >= kPdfMaxNesting) return false;
    size_t p = pos + 1;
    for (;;) {
      p = PdfSkipWhite(d, p, end);
      if (p >= end) return false;
      if (d[p] == ']') {
        next = p + 1;
        return true;
      }
      size_t after = 0;
      if (!SkipValueAt(d, p, end, after, depth + 1)) return false;
      p = after;
    }
  }
  // Any other token runs to white space or a delimiter; one that is empty
  // (a stray ")", "]", ">", "{" or "}") is not a value.
  size_t e = pos;
  while (e < end && kPdfCharClasses.of[d[e]] == 0) ++e;
  if (e == pos) return false;
  int64_t number = 0;
  size_t after = 0;
  const uint8_t first = d[pos];
  const bool numeric = (first >= '0' && first <= '9') || first == '+' || first == '-';
  if (numeric && PdfReadInteger(d, pos, end, number, after) && number >= 0) {
    // "N G R" is one value.
    const size_t p2 = PdfSkipWhite(d, e, end);
    int64_t generation = 0;
    size_t after2 = 0;
    if (p2 < end && PdfReadInteger(d, p2, end, generation, after2) && generation >= 0) {
      const size_t p3 = PdfSkipWhite(d, after2, end);
      size_t after3 = 0;
      if (PdfMatchKeyword(d, p3, end, "R", after3)) {
        next = after3;
        return true;
      }
    }
  }
  next = e;
  return true;
}

}  // namespace

bool PdfReadInteger(const uint8_t* d, size_t pos, size_t end, int64_t& value, size_t& next) {
  size_t p = pos;
  bool negative = false;
  if (p < end && (d[p] == '+' || d[p] == '-')) {
    negative = d[p] == '-';
    ++p;
  }
  int64_t v = 0;
  int digits = 0;
  while (p < end && IsDigit(d[p])) {
    if (++digits > 18) return false;
    v = v * 10 + (d[p] - '0');
    ++p;
  }
  if (digits == 0 || !PdfTokenEnds(d, p, end)) return false;
  value = negative ? -v : v;
  next = p;
  return true;
}

bool PdfMatchKeyword(const uint8_t* d, size_t pos, size_t end, std::string_view keyword,
                     size_t& next) {
  if (pos > end || end - pos < keyword.size()) return false;
  if (std::memcmp(d + pos, keyword.data(), keyword.size()) != 0) return false;
  const size_t after = pos + keyword.size();
  if (!PdfTokenEnds(d, after, end)) return false;
  next = after;
  return true;
}

bool PdfSkipValue(const uint8_t* d, size_t pos, size_t end, size_t& next) {
  return SkipValueAt(d, pos, end, next, 0);
}

size_t PdfNameEnd(const uint8_t* d, size_t pos, size_t end) {
  size_t p = pos + 1;
  while (p < end && kPdfCharClasses.of[d[p]] == 0) ++p;
  return p;
}

bool PdfNameEquals(const uint8_t* raw, size_t length, std::string_view name) {
  size_t j = 0;
  for (size_t i = 0; i < length;) {
    uint8_t b = raw[i];
    int hi = -1, lo = -1;
    if (b == '#' && i + 2 < length &&
        (hi = HexValue(raw[i + 1])) >= 0 && (lo = HexValue(raw[i + 2])) >= 0) {
      b = static_cast<uint8_t>(hi * 16 + lo);
      i += 3;
    } else {
      ++i;
    }
    if (j >= name.size() || static_cast<uint8_t>(name[j]) != b) return false;
    ++j;
  }
  return j == name.size();
}

const PdfDictEntry* PdfDictionary::Find(std::string_view name) const {
  for (const PdfDictEntry& entry : entries) {
    if (KeyIs(entry, name)) return &entry;
  }
  return nullptr;
}

bool PdfParseDictionary(const uint8_t* d, size_t pos, size_t end, size_t limit, PdfDictionary& out,
                        size_t& next) {
  out.entries.clear();
  if (pos >= end || end - pos < 2 || d[pos] != '<' || d[pos + 1] != '<') return false;
  size_t p = pos + 2;
  for (;;) {
    p = PdfSkipWhite(d, p, end);
    if (p >= end) return false;
    if (d[p] == '>') {
      if (p + 1 < end && d[p + 1] == '>') {
        out.text = PdfSpan{d, pos, p + 2, limit};
        next = p + 2;
        return true;
      }
      return false;
    }
    if (d[p] != '/') return false;
    const size_t keyEnd = PdfNameEnd(d, p, end);
    const size_t valueStart = PdfSkipWhite(d, keyEnd, end);
    size_t valueEnd = 0;
    if (!SkipValueAt(d, valueStart, end, valueEnd, 1)) return false;
    if (out.entries.size() >= kPdfMaxDictionaryEntries) return false;
    out.entries.push_back(PdfDictEntry{p + 1, keyEnd, valueStart, valueEnd});
    p = valueEnd;
  }
}

bool PdfParseDictionary(const PdfSpan& value, PdfDictionary& out) {
  size_t next = 0;
  return PdfParseDictionary(value.data, value.start, value.end, value.limit, out, next) &&
         next == value.end;
}

bool PdfParseReference(const PdfSpan& value, uint32_t& number, uint32_t& generation) {
  const uint8_t* d = value.data;
  int64_t n = 0, g = 0;
  size_t after = 0;
  if (!PdfReadInteger(d, value.start, value.end, n, after)) return false;
  size_t p = PdfSkipWhite(d, after, value.end);
  if (!PdfReadInteger(d, p, value.end, g, after)) return false;
  p = PdfSkipWhite(d, after, value.end);
  if (!PdfMatchKeyword(d, p, value.end, "R", after) || after != value.end) return false;
  if (n < 1 || n > kPdfMaxObjectNumber || g < 0 || g > kPdfMaxGeneration) return false;
  number = static_cast<uint32_t>(n);
  generation = static_cast<uint32_t>(g);
  return true;
}

bool PdfParseIntegerValue(const PdfSpan& value, int64_t& number) {
  size_t after = 0;
  return PdfReadInteger(value.data, value.start, value.end, number, after) && after == value.end;
}
