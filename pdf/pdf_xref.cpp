// Cross-reference chain of the PDF structure reader: classic tables,
// cross-reference streams, hybrid files and the /Prev chain.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <unordered_set>

#include "pdf/pdf_reader.h"
#include "pdf/pdf_reader_texts.h"

namespace {

constexpr size_t kStartxrefWindow = 2048;
constexpr size_t kMaxSections = 5000;
constexpr int64_t kMaxSubsectionCount = 50000000;
constexpr int kMaxFieldWidth = 8;

uint64_t ReadBigEndian(const uint8_t* p, int width) {
  uint64_t v = 0;
  for (int i = 0; i < width; ++i) v = (v << 8) | p[i];
  return v;
}

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// "oooooooooo ggggg n" (or f) followed by white space: ten digits of offset
// and five of generation.
bool ReadTableLine(const uint8_t* d, size_t pos, size_t end, int64_t& offset, int64_t& generation) {
  if (end - pos < 19) return false;
  const uint8_t* p = d + pos;
  if (p[10] != ' ' || p[16] != ' ' || (p[17] != 'n' && p[17] != 'f') || !PdfIsWhite(p[18])) return false;
  int64_t o = 0, g = 0;
  for (int i = 0; i < 10; ++i) {
    if (!IsDigit(p[i])) return false;
    o = o * 10 + (p[i] - '0');
  }
  for (int i = 11; i < 16; ++i) {
    if (!IsDigit(p[i])) return false;
    g = g * 10 + (p[i] - '0');
  }
  offset = o;
  generation = g;
  return true;
}

}  // namespace

void PdfReader::Reset(const uint8_t* bytes, size_t size) {
  bytes_ = bytes;
  size_ = size;
  error_.clear();
  memoryFailed_ = false;
  dense_.clear();
  sparse_.clear();
  // Object numbers below the dense limit live in a plain array; its memory
  // is bounded by the file size. Higher numbers are hashed, and their count
  // is bounded too, so that a small file can't claim billions of entries.
  denseLimit_ = std::max<size_t>(size_t(1) << 20, size / 16);
  sparseLimit_ = std::max<size_t>(size_t(1) << 20, size / 64);
  maxNumber_ = -1;
  sections_ = 0;
  trailer_ = PdfTrailerValues();
  sizeValue_ = 0;
  streams_.clear();
  cacheBytes_ = 0;
  loadDepth_ = 0;
  pages_.clear();
  root_ = PdfPageTreeRoot();
  inheritedSets_.clear();
  path_.clear();
  scratch_.clear();
  visits_ = 0;
}

bool PdfReader::Fail(const char* text) {
  if (error_.empty()) error_ = text;
  return false;
}

bool PdfReader::FailMemory() {
  memoryFailed_ = true;
  return Fail(kPdfMemoryErrorText);
}

bool PdfReader::Define(int64_t number, uint8_t type, uint64_t value, uint64_t value2) {
  if (number < 0 || number > kPdfMaxObjectNumber) return true;
  const uint32_t n = static_cast<uint32_t>(number);
  const PdfXrefEntry entry{value, static_cast<uint32_t>(std::min<uint64_t>(value2, UINT32_MAX)), type};
  if (n < denseLimit_) {
    if (n >= dense_.size()) {
      dense_.resize(size_t(n) + 1);
    } else if (dense_[n].type != PdfXrefEntry::kUndefined) {
      return true;  // an earlier (newer) definition wins
    }
    dense_[n] = entry;
  } else {
    if (sparse_.count(n)) return true;
    if (sparse_.size() >= sparseLimit_) return FailMemory();
    sparse_.emplace(n, entry);
  }
  if (number > maxNumber_) maxNumber_ = number;
  return true;
}

const PdfXrefEntry* PdfReader::Lookup(uint32_t number) const {
  if (number < dense_.size()) {
    const PdfXrefEntry& e = dense_[number];
    return e.type == PdfXrefEntry::kUndefined ? nullptr : &e;
  }
  if (number < denseLimit_) return nullptr;
  auto it = sparse_.find(number);
  return it == sparse_.end() ? nullptr : &it->second;
}

bool PdfReader::FindEntry(uint32_t number, PdfXrefEntry& entry) const {
  const PdfXrefEntry* e = Lookup(number);
  if (!e) return false;
  entry = *e;
  return true;
}

void PdfReader::RecordTrailer(const PdfDictionary& dict, bool isStream, uint64_t offset) {
  trailer_.recorded = true;
  trailer_.isStream = isStream;
  trailer_.offset = offset;
  if (const PdfDictEntry* e = dict.Find("Root")) {
    trailer_.hasRoot = true;
    trailer_.root = dict.Value(*e);
  }
  if (const PdfDictEntry* e = dict.Find("Info")) {
    trailer_.hasInfo = true;
    trailer_.info = dict.Value(*e);
  }
  if (const PdfDictEntry* e = dict.Find("ID")) {
    trailer_.hasId = true;
    trailer_.id = dict.Value(*e);
  }
  if (const PdfDictEntry* e = dict.Find("XRefStm"); e && !isStream) {
    trailer_.hasXRefStm = true;
    trailer_.xrefStm = dict.Value(*e);
  }
  trailer_.encrypt = dict.Find("Encrypt") != nullptr;
  int64_t size = 0;
  if (ReadIntegerEntry(dict, "Size", size) == IntegerEntry::kOk) trailer_.size = size;
}

bool PdfReader::ReadCrossReference(const uint8_t* bytes, size_t size) {
  Reset(bytes, size);
  try {
    return ReadCrossReferenceImpl();
  } catch (const std::bad_alloc&) {
    return FailMemory();
  }
}

bool PdfReader::ReadCrossReferenceImpl() {
  const uint8_t* d = bytes_;
  if (size_ < 32 || std::memcmp(d, "%PDF-", 5) != 0) return Fail(kTextHeader);

  // The last "startxref" that lies within the last 2048 bytes.
  static constexpr char kStartxref[] = "startxref";
  constexpr size_t kLen = sizeof(kStartxref) - 1;
  const size_t windowStart = size_ > kStartxrefWindow ? size_ - kStartxrefWindow : 0;
  size_t found = SIZE_MAX;
  for (size_t p = size_ - kLen + 1; p-- > windowStart;) {
    if (d[p] == 's' && std::memcmp(d + p, kStartxref, kLen) == 0) {
      found = p;
      break;
    }
  }
  if (found == SIZE_MAX) return Fail(kTextNoStartxref);
  int64_t offset = 0;
  size_t after = 0;
  if (!PdfReadInteger(d, PdfSkipWhite(d, found + kLen, size_), size_, offset, after))
    return Fail(kTextStartxrefValue);

  std::unordered_set<int64_t> visited;
  while (offset >= 0) {
    if (static_cast<uint64_t>(offset) >= size_ || !visited.insert(offset).second)
      return Fail(kTextDamaged);
    if (visited.size() > kMaxSections) return Fail(kTextTooManySections);
    ++sections_;
    int64_t prev = -1;
    const size_t pos = PdfSkipWhite(d, static_cast<size_t>(offset), size_);
    if (PdfMatchKeyword(d, pos, size_, "xref", after)) {
      if (!ReadClassicSection(static_cast<uint64_t>(offset), after, prev)) return Fail(kTextDamaged);
    } else if (!ReadStreamSection(static_cast<uint64_t>(offset), true, &prev)) {
      return Fail(kTextBadStream);
    }
    offset = prev;
  }
  // An object stream that failed while the map was still incomplete (its
  // /N in an older section, say) gets one more try with the whole map.
  for (auto it = streams_.begin(); it != streams_.end();) {
    it = it->second->state == ObjectStream::kFailed ? streams_.erase(it) : std::next(it);
  }
  if (!trailer_.recorded || !trailer_.hasRoot) return Fail(kTextIncomplete);
  if (trailer_.encrypt) return Fail(kTextEncrypted);
  sizeValue_ = std::max<int64_t>(trailer_.size, maxNumber_ + 1);
  return !memoryFailed_;
}

bool PdfReader::ReadClassicSection(uint64_t sectionOffset, size_t pos, int64_t& prev) {
  const uint8_t* d = bytes_;
  const size_t end = size_;
  size_t after = 0;
  for (;;) {
    pos = PdfSkipWhite(d, pos, end);
    if (PdfMatchKeyword(d, pos, end, "trailer", after)) {
      pos = PdfSkipWhite(d, after, end);
      PdfDictionary dict;
      if (!PdfParseDictionary(d, pos, end, end, dict, after)) return false;
      if (!trailer_.recorded) RecordTrailer(dict, false, sectionOffset);
      // A hybrid file: the entries of the stream it names complement the
      // table; its trailer values and /Prev are not used, and a stream that
      // can't be read is passed over.
      int64_t stream = 0;
      if (ReadIntegerEntry(dict, "XRefStm", stream) == IntegerEntry::kOk && stream > 0 &&
          static_cast<uint64_t>(stream) < size_) {
        ReadStreamSection(static_cast<uint64_t>(stream), false, nullptr);
      }
      if (memoryFailed_) return false;
      int64_t value = 0;
      switch (ReadIntegerEntry(dict, "Prev", value)) {
        case IntegerEntry::kAbsent: prev = -1; break;
        case IntegerEntry::kOk: prev = value; break;
        case IntegerEntry::kBad: return false;
      }
      return true;
    }
    int64_t first = 0, count = 0;
    if (!PdfReadInteger(d, pos, end, first, after)) return false;
    pos = PdfSkipWhite(d, after, end);
    if (!PdfReadInteger(d, pos, end, count, after)) return false;
    if (count < 0 || count > kMaxSubsectionCount) return false;
    pos = after;
    for (int64_t i = 0; i < count; ++i) {
      int64_t offset = 0, generation = 0;
      pos = PdfSkipWhite(d, pos, end);
      if (ReadTableLine(d, pos, end, offset, generation)) {
        // The usual 20-byte line, read the same way as below but quicker.
        const bool ok = d[pos + 17] == 'n'
                            ? Define(first + i, 1, static_cast<uint64_t>(offset), static_cast<uint64_t>(generation))
                            : Define(first + i, 0, 0, 0);
        if (!ok) return false;
        pos += 18;
        continue;
      }
      if (!PdfReadInteger(d, pos, end, offset, after)) return false;
      pos = PdfSkipWhite(d, after, end);
      if (!PdfReadInteger(d, pos, end, generation, after)) return false;
      pos = PdfSkipWhite(d, after, end);
      if (pos >= end) return false;
      const uint8_t kind = d[pos];
      if ((kind != 'n' && kind != 'f') || !PdfTokenEnds(d, pos + 1, end)) return false;
      pos += 1;
      const bool ok = kind == 'n'
                          ? Define(first + i, 1, static_cast<uint64_t>(offset),
                                   static_cast<uint64_t>(std::max<int64_t>(generation, 0)))
                          : Define(first + i, 0, 0, 0);
      if (!ok) return false;
    }
  }
}

bool PdfReader::ReadStreamSection(uint64_t offset, bool recordTrailer, int64_t* prev) {
  const uint8_t* d = bytes_;
  const size_t end = size_;
  int64_t number = 0, generation = 0;
  size_t after = 0;
  size_t pos = PdfSkipWhite(d, static_cast<size_t>(offset), end);
  if (!PdfReadInteger(d, pos, end, number, after)) return false;
  pos = PdfSkipWhite(d, after, end);
  if (!PdfReadInteger(d, pos, end, generation, after)) return false;
  pos = PdfSkipWhite(d, after, end);
  if (!PdfMatchKeyword(d, pos, end, "obj", after)) return false;
  pos = PdfSkipWhite(d, after, end);
  PdfDictionary dict;
  if (!PdfParseDictionary(d, pos, end, end, dict, after)) return false;
  std::vector<uint8_t> storage;
  PdfSpan data;
  if (!Stream(dict, after, storage, data)) return false;

  // /W: three field widths of at most 8 bytes.
  int widths[3] = {0, 0, 0};
  const PdfDictEntry* w = dict.Find("W");
  if (!w) return false;
  int count = 0;
  if (!PdfForEachArrayElement(dict.Value(*w), [&](const PdfSpan& element) {
        int64_t v = 0;
        if (count >= 3 || !PdfParseIntegerValue(element, v) || v < 0 || v > kMaxFieldWidth) return false;
        widths[count++] = static_cast<int>(v);
        return true;
      }) ||
      count != 3) {
    return false;
  }
  const size_t width = size_t(widths[0]) + widths[1] + widths[2];
  if (width == 0) return false;

  int64_t size = 0;
  if (ReadIntegerEntry(dict, "Size", size) != IntegerEntry::kOk) return false;

  // /Index: pairs of first number and count; [0 Size] without it.
  std::vector<int64_t> index;
  if (const PdfDictEntry* e = dict.Find("Index")) {
    if (!PdfForEachArrayElement(dict.Value(*e), [&](const PdfSpan& element) {
          int64_t v = 0;
          if (!PdfParseIntegerValue(element, v)) return false;
          index.push_back(v);
          return true;
        }) ||
        index.size() % 2 != 0) {
      return false;
    }
  } else {
    index = {0, size};
  }
  // All entries must be there before any is used.
  uint64_t entries = 0;
  const uint64_t available = data.size() / width;
  for (size_t i = 0; i < index.size(); i += 2) {
    if (index[i + 1] < 0) return false;
    entries += static_cast<uint64_t>(index[i + 1]);
    if (entries > available) return false;
  }
  int64_t prevValue = -1;
  if (prev) {
    switch (ReadIntegerEntry(dict, "Prev", prevValue)) {
      case IntegerEntry::kAbsent: prevValue = -1; break;
      case IntegerEntry::kOk: break;
      case IntegerEntry::kBad: return false;
    }
  }

  const uint8_t* p = data.data + data.start;
  for (size_t i = 0; i < index.size(); i += 2) {
    const int64_t first = index[i];
    const int64_t n = index[i + 1];
    for (int64_t k = 0; k < n; ++k) {
      const uint64_t type = widths[0] ? ReadBigEndian(p, widths[0]) : 1;
      p += widths[0];
      const uint64_t field2 = ReadBigEndian(p, widths[1]);
      p += widths[1];
      const uint64_t field3 = ReadBigEndian(p, widths[2]);
      p += widths[2];
      if (type > 2) continue;
      // first may be anything an integer can be; numbers out of range are
      // passed over by Define.
      if (first > kPdfMaxObjectNumber || first + k > kPdfMaxObjectNumber) continue;
      if (!Define(first + k, static_cast<uint8_t>(type), field2, field3)) return false;
    }
  }
  if (recordTrailer && !trailer_.recorded) {
    RecordTrailer(dict, true, offset);
    trailer_.size = size;
  }
  if (prev) *prev = prevValue;
  return true;
}
