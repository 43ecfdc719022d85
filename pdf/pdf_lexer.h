// Lexical layer of the PDF structure reader: white space, integers,
// keywords, skipping values, dictionaries and indirect references, all over
// spans of one byte buffer without copying.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// A piece of a byte buffer: [start, end) inside data, where the whole buffer
// is [0, limit). Spans never own their bytes.
struct PdfSpan {
  const uint8_t* data = nullptr;
  size_t start = 0;
  size_t end = 0;
  size_t limit = 0;

  size_t size() const { return end - start; }
  const uint8_t* begin_ptr() const { return data + start; }
  std::string_view text() const {
    return std::string_view(reinterpret_cast<const char*>(data + start), end - start);
  }
};

// Limits of the lexical layer.
constexpr int kPdfMaxNesting = 100;              // arrays and dictionaries inside each other
constexpr size_t kPdfMaxDictionaryEntries = 100000;
constexpr int64_t kPdfMaxObjectNumber = 2147483632;
constexpr int64_t kPdfMaxGeneration = 65535;

// Character classes: 1 white space, 2 delimiter, 0 anything else.
struct PdfCharClasses {
  uint8_t of[256] = {};
  constexpr PdfCharClasses() {
    for (unsigned char c : {0, 9, 10, 12, 13, 32}) of[c] = 1;
    for (unsigned char c : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'}) of[c] = 2;
  }
};
inline constexpr PdfCharClasses kPdfCharClasses;

inline bool PdfIsWhite(uint8_t c) { return kPdfCharClasses.of[c] == 1; }
inline bool PdfIsDelimiter(uint8_t c) { return kPdfCharClasses.of[c] == 2; }
// True at the end of a token: the end of the span, white space or a delimiter.
inline bool PdfTokenEnds(const uint8_t* d, size_t pos, size_t end) {
  return pos >= end || kPdfCharClasses.of[d[pos]] != 0;
}

// Skips white space and comments (from "%" to the next LF or CR) from pos;
// returns the first position that is neither (at most end).
inline size_t PdfSkipWhite(const uint8_t* d, size_t pos, size_t end) {
  while (pos < end) {
    const uint8_t c = d[pos];
    if (kPdfCharClasses.of[c] == 1) {
      ++pos;
    } else if (c == '%') {
      ++pos;
      while (pos < end && d[pos] != '\n' && d[pos] != '\r') ++pos;
    } else {
      break;
    }
  }
  return pos;
}

// Reads an integer token that starts exactly at pos: optional sign, 1 to 18
// digits, then the end of the token. On success stores the value and the
// position after the token.
bool PdfReadInteger(const uint8_t* d, size_t pos, size_t end, int64_t& value, size_t& next);

// True when the keyword stands exactly at pos and ends there as a token.
bool PdfMatchKeyword(const uint8_t* d, size_t pos, size_t end, std::string_view keyword,
                     size_t& next);

// Skips one value that starts exactly at pos (no leading white space); next
// receives the position after its last byte. An indirect reference
// "N G R" counts as one value.
bool PdfSkipValue(const uint8_t* d, size_t pos, size_t end, size_t& next);

// The end of a name token whose "/" is at pos (the first white space or
// delimiter after it).
size_t PdfNameEnd(const uint8_t* d, size_t pos, size_t end);

// True when the raw name text (without "/"), with every "#" followed by two
// hexadecimal digits decoded to that byte, equals name.
bool PdfNameEquals(const uint8_t* raw, size_t length, std::string_view name);

// One key and value of a dictionary, as offsets into the dictionary's buffer.
struct PdfDictEntry {
  size_t keyStart = 0;  // first byte after "/"
  size_t keyEnd = 0;
  size_t valueStart = 0;
  size_t valueEnd = 0;
};

struct PdfDictionary {
  PdfSpan text;  // "<<" up to and including ">>"
  std::vector<PdfDictEntry> entries;

  // The first entry whose decoded key equals name, or null.
  const PdfDictEntry* Find(std::string_view name) const;
  PdfSpan Value(const PdfDictEntry& entry) const {
    return PdfSpan{text.data, entry.valueStart, entry.valueEnd, text.limit};
  }
  std::string_view RawKey(const PdfDictEntry& entry) const {
    return std::string_view(reinterpret_cast<const char*>(text.data + entry.keyStart),
                            entry.keyEnd - entry.keyStart);
  }
  bool KeyIs(const PdfDictEntry& entry, std::string_view name) const {
    return PdfNameEquals(text.data + entry.keyStart, entry.keyEnd - entry.keyStart, name);
  }
};

// Parses a dictionary that starts exactly at pos with "<<". The entries are
// appended to out.entries after clearing it (its capacity is kept). next
// receives the position after ">>".
bool PdfParseDictionary(const uint8_t* d, size_t pos, size_t end, size_t limit, PdfDictionary& out,
                        size_t& next);
// Parses a whole value span as a dictionary (nothing may follow it).
bool PdfParseDictionary(const PdfSpan& value, PdfDictionary& out);

// True when the whole span is "N G R" with 1 <= N <= 2147483632 and
// 0 <= G <= 65535.
bool PdfParseReference(const PdfSpan& value, uint32_t& number, uint32_t& generation);

// True when the whole span is one integer.
bool PdfParseIntegerValue(const PdfSpan& value, int64_t& number);

// Calls visit(elementSpan) for each element of an array value ("[" ... "]").
// Returns false when the span is not an array; stops early (returning false)
// when visit returns false.
template <typename Visit>
bool PdfForEachArrayElement(const PdfSpan& value, Visit&& visit) {
  const uint8_t* d = value.data;
  size_t pos = value.start;
  if (pos >= value.end || d[pos] != '[') return false;
  ++pos;
  for (;;) {
    pos = PdfSkipWhite(d, pos, value.end);
    if (pos >= value.end) return false;
    if (d[pos] == ']') return PdfSkipWhite(d, pos + 1, value.end) == value.end;
    size_t next = 0;
    if (!PdfSkipValue(d, pos, value.end, next)) return false;
    if (!visit(PdfSpan{d, pos, next, value.limit})) return false;
    pos = next;
  }
}
