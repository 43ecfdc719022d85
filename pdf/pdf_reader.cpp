// Objects, streams, object streams and the page tree of the PDF structure
// reader. The cross-reference chain is in pdf_xref.cpp.
#include "pdf/pdf_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/inflate.h"
#include "pdf/pdf_reader_texts.h"

const char kPdfMemoryErrorText[] = "There wasn't enough memory to examine this PDF.";
const std::string_view kPdfInheritedNames[kPdfInheritedCount] = {"CropBox", "MediaBox", "Resources",
                                                                 "Rotate"};

namespace {

constexpr int kMaxReferenceHops = 16;  // the 16th hop fails
constexpr int kMaxNestedLoads = 40;
constexpr int kMaxTreeDepth = 64;
constexpr int64_t kMaxObjectsInStream = 9999999;
constexpr int64_t kMaxPredictorColumns = 100000;

class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

size_t FindBytes(const uint8_t* d, size_t pos, size_t end, const char* what, size_t length) {
  while (pos < end && end - pos >= length) {
    const void* hit = std::memchr(d + pos, what[0], end - pos - length + 1);
    if (!hit) return SIZE_MAX;
    const size_t at = static_cast<size_t>(static_cast<const uint8_t*>(hit) - d);
    if (std::memcmp(d + at, what, length) == 0) return at;
    pos = at + 1;
  }
  return SIZE_MAX;
}

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  if (pb <= pc) return static_cast<uint8_t>(b);
  return static_cast<uint8_t>(c);
}

// Undoes the PNG row filters: rows of one filter byte and rowLength bytes;
// a trailing partial row is dropped.
bool UnpredictPng(const uint8_t* in, size_t length, size_t rowLength, size_t bytesPerPixel,
                  std::vector<uint8_t>& out) {
  const size_t rows = length / (rowLength + 1);
  out.assign(rows * rowLength, 0);
  for (size_t r = 0; r < rows; ++r) {
    const uint8_t* src = in + r * (rowLength + 1);
    const uint8_t filter = *src++;
    uint8_t* row = out.data() + r * rowLength;
    const uint8_t* up = r ? row - rowLength : nullptr;
    switch (filter) {
      case 0:
        std::memcpy(row, src, rowLength);
        break;
      case 1:
        for (size_t i = 0; i < rowLength; ++i)
          row[i] = static_cast<uint8_t>(src[i] + (i >= bytesPerPixel ? row[i - bytesPerPixel] : 0));
        break;
      case 2:
        for (size_t i = 0; i < rowLength; ++i) row[i] = static_cast<uint8_t>(src[i] + (up ? up[i] : 0));
        break;
      case 3:
        for (size_t i = 0; i < rowLength; ++i) {
          const int left = i >= bytesPerPixel ? row[i - bytesPerPixel] : 0;
          const int above = up ? up[i] : 0;
          row[i] = static_cast<uint8_t>(src[i] + ((left + above) >> 1));
        }
        break;
      case 4:
        for (size_t i = 0; i < rowLength; ++i) {
          const int left = i >= bytesPerPixel ? row[i - bytesPerPixel] : 0;
          const int above = up ? up[i] : 0;
          const int corner = (up && i >= bytesPerPixel) ? up[i - bytesPerPixel] : 0;
          row[i] = static_cast<uint8_t>(src[i] + Paeth(left, above, corner));
        }
        break;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace

PdfReader::PdfReader() = default;
PdfReader::~PdfReader() = default;

// ---------------------------------------------------------------------------
// Values, objects and streams

bool PdfReader::Resolve(const PdfSpan& value, PdfSpan& out) {
  PdfSpan v = value;
  for (int hops = 0;;) {
    uint32_t number = 0, generation = 0;
    if (!PdfParseReference(v, number, generation)) {
      out = v;
      return true;
    }
    if (++hops >= kMaxReferenceHops) return false;
    if (!Load(number, v, generation)) return false;
  }
}

PdfReader::IntegerEntry PdfReader::ReadIntegerEntry(const PdfDictionary& dict, std::string_view key,
                                                    int64_t& value) {
  const PdfDictEntry* e = dict.Find(key);
  if (!e) return IntegerEntry::kAbsent;
  PdfSpan v;
  if (!Resolve(dict.Value(*e), v) || !PdfParseIntegerValue(v, value)) return IntegerEntry::kBad;
  return IntegerEntry::kOk;
}

bool PdfReader::LoadObject(uint32_t number, PdfSpan& value, uint32_t& generation) {
  try {
    return Load(number, value, generation);
  } catch (const std::bad_alloc&) {
    return FailMemory();
  }
}

bool PdfReader::Load(uint32_t number, PdfSpan& value, uint32_t& generation, PdfDictionary* dict) {
  if (memoryFailed_ || loadDepth_ >= kMaxNestedLoads) return false;
  DepthGuard guard(loadDepth_);
  const PdfXrefEntry* entry = Lookup(number);
  if (!entry || entry->type == 0) return false;
  if (entry->type == 1) {
    if (entry->value >= size_) return false;
    const uint8_t* d = bytes_;
    int64_t n = 0, g = 0;
    size_t after = 0;
    size_t pos = PdfSkipWhite(d, static_cast<size_t>(entry->value), size_);
    if (!PdfReadInteger(d, pos, size_, n, after) || n != number) return false;
    pos = PdfSkipWhite(d, after, size_);
    // A generation outside 0..65535 could not be written back as the
    // five digits of a cross-reference line.
    if (!PdfReadInteger(d, pos, size_, g, after) || g < 0 || g > kPdfMaxGeneration) return false;
    pos = PdfSkipWhite(d, after, size_);
    if (!PdfMatchKeyword(d, pos, size_, "obj", after)) return false;
    pos = PdfSkipWhite(d, after, size_);
    if (!(dict ? PdfParseDictionary(d, pos, size_, size_, *dict, after) : PdfSkipValue(d, pos, size_, after)))
      return false;
    value = PdfSpan{d, pos, after, size_};
    generation = static_cast<uint32_t>(g);
    return true;
  }
  // type 2: inside an object stream
  const ObjectStream* stream = GetObjectStream(entry->value);
  if (!stream || entry->value2 >= stream->offsets.size()) return false;
  const PdfSpan& data = stream->data;
  const size_t pos = PdfSkipWhite(data.data, stream->offsets[entry->value2], data.end);
  size_t after = 0;
  if (!(dict ? PdfParseDictionary(data.data, pos, data.end, data.limit, *dict, after)
             : PdfSkipValue(data.data, pos, data.end, after))) {
    return false;
  }
  value = PdfSpan{data.data, pos, after, data.limit};
  generation = 0;
  return true;
}

bool PdfReader::ReadStream(const PdfDictionary& dictionary, size_t position,
                           std::vector<uint8_t>& storage, PdfSpan& data) {
  try {
    return Stream(dictionary, position, storage, data);
  } catch (const std::bad_alloc&) {
    return FailMemory();
  }
}

bool PdfReader::Stream(const PdfDictionary& dictionary, size_t position, std::vector<uint8_t>& storage,
                       PdfSpan& data) {
  storage.clear();
  const uint8_t* d = dictionary.text.data;
  const size_t limit = dictionary.text.limit;
  size_t after = 0;
  size_t start = PdfSkipWhite(d, position, limit);
  if (!PdfMatchKeyword(d, start, limit, "stream", after)) return false;
  start = after;
  if (start < limit && d[start] == '\r') ++start;
  if (start < limit && d[start] == '\n') ++start;

  // The data: /Length bytes when "endstream" follows them, else up to the
  // next "endstream".
  size_t end = SIZE_MAX;
  if (const PdfDictEntry* e = dictionary.Find("Length")) {
    PdfSpan v;
    int64_t length = 0;
    if (Resolve(dictionary.Value(*e), v) && PdfParseIntegerValue(v, length) && length >= 0 &&
        static_cast<uint64_t>(length) <= limit - start) {
      const size_t candidate = start + static_cast<size_t>(length);
      if (PdfMatchKeyword(d, PdfSkipWhite(d, candidate, limit), limit, "endstream", after))
        end = candidate;
    }
    if (memoryFailed_) return false;
  }
  if (end == SIZE_MAX) {
    end = FindBytes(d, start, limit, "endstream", 9);
    if (end == SIZE_MAX) return false;
    while (end > start && (d[end - 1] == '\r' || d[end - 1] == '\n')) --end;
  }
  data = PdfSpan{d, start, end, limit};

  // Filter: none, or FlateDecode alone.
  if (const PdfDictEntry* e = dictionary.Find("Filter")) {
    PdfSpan v;
    if (!Resolve(dictionary.Value(*e), v)) return false;
    const std::string_view text = v.text();
    const size_t slashes = static_cast<size_t>(std::count(text.begin(), text.end(), '/'));
    if (slashes > 1) return false;
    if (slashes == 1) {
      if (text.find("/Fl") == std::string_view::npos) return false;
      if (!Inflate(d + start, end - start, storage, kMaxDecodedStream)) return false;
      data = PdfSpan{storage.data(), 0, storage.size(), storage.size()};
    }
  }

  // Predictor.
  const PdfDictEntry* parmsEntry = dictionary.Find("DecodeParms");
  if (!parmsEntry) return true;
  PdfSpan parms;
  if (!Resolve(dictionary.Value(*parmsEntry), parms)) return false;
  if (parms.size() && parms.data[parms.start] == '[') {
    int count = 0;
    PdfSpan element;
    if (!PdfForEachArrayElement(parms, [&](const PdfSpan& el) {
          element = el;
          return ++count <= 1;
        }) ||
        count != 1 || !Resolve(element, parms)) {
      return false;
    }
  }
  if (parms.text() == "null") return true;
  PdfDictionary dict;
  if (!PdfParseDictionary(parms, dict)) return false;
  int64_t predictor = 1, columns = 1, colors = 1, bits = 8;
  if (ReadIntegerEntry(dict, "Predictor", predictor) == IntegerEntry::kBad ||
      ReadIntegerEntry(dict, "Columns", columns) == IntegerEntry::kBad ||
      ReadIntegerEntry(dict, "Colors", colors) == IntegerEntry::kBad ||
      ReadIntegerEntry(dict, "BitsPerComponent", bits) == IntegerEntry::kBad) {
    return false;
  }
  if (predictor <= 1) return true;
  if (predictor < 10) return false;
  if (columns < 1 || columns > kMaxPredictorColumns || colors < 1 || colors > 32 || bits < 1 ||
      bits > 16) {
    return false;
  }
  const size_t bytesPerPixel = std::max<size_t>(1, static_cast<size_t>((colors * bits + 7) / 8));
  const size_t rowLength = static_cast<size_t>((colors * bits * columns + 7) / 8);
  std::vector<uint8_t> out;
  if (!UnpredictPng(data.data + data.start, data.size(), rowLength, bytesPerPixel, out)) return false;
  storage.swap(out);
  data = PdfSpan{storage.data(), 0, storage.size(), storage.size()};
  return true;
}

const PdfReader::ObjectStream* PdfReader::GetObjectStream(uint64_t number) {
  if (number == 0 || number > static_cast<uint64_t>(kPdfMaxObjectNumber)) return nullptr;
  const uint32_t n = static_cast<uint32_t>(number);
  auto it = streams_.find(n);
  if (it != streams_.end()) {
    // A stream being read is one that contains itself.
    return it->second->state == ObjectStream::kReady ? it->second.get() : nullptr;
  }
  const PdfXrefEntry* entry = Lookup(n);
  if (!entry || entry->type != 1) return nullptr;
  ObjectStream& stream = *streams_.emplace(n, std::make_unique<ObjectStream>()).first->second;
  if (!ReadObjectStream(n, stream)) {
    // Remembered as failed so that it is not decoded again.
    stream.state = ObjectStream::kFailed;
    std::vector<uint8_t>().swap(stream.storage);
    std::vector<size_t>().swap(stream.offsets);
    return nullptr;
  }
  stream.state = ObjectStream::kReady;
  return &stream;
}

bool PdfReader::ReadObjectStream(uint32_t number, ObjectStream& stream) {
  PdfSpan value;
  uint32_t generation = 0;
  PdfDictionary dict;
  if (!Load(number, value, generation, &dict)) return false;
  if (!Stream(dict, value.end, stream.storage, stream.data)) return false;
  size_t after = 0;
  int64_t count = 0, first = 0;
  if (ReadIntegerEntry(dict, "N", count) != IntegerEntry::kOk || count < 0 ||
      count > kMaxObjectsInStream) {
    return false;
  }
  const PdfSpan& data = stream.data;
  if (ReadIntegerEntry(dict, "First", first) != IntegerEntry::kOk || first < 0 ||
      static_cast<uint64_t>(first) > data.size()) {
    return false;
  }
  // Every cached stream stays until the reader is done, so all of them
  // together are held to one bound.
  const size_t cost = stream.storage.capacity() + static_cast<size_t>(count) * sizeof(size_t);
  if (cost > cacheLimit_ || cacheBytes_ > cacheLimit_ - cost) return FailMemory();

  const uint8_t* d = data.data;
  const size_t headerEnd = data.start + static_cast<size_t>(first);
  // Each pair takes at least four bytes, which bounds what is reserved.
  stream.offsets.reserve(std::min<size_t>(static_cast<size_t>(count), static_cast<size_t>(first) / 4 + 1));
  size_t pos = data.start;
  for (int64_t i = 0; i < count; ++i) {
    int64_t objectNumber = 0, offset = 0;
    pos = PdfSkipWhite(d, pos, headerEnd);
    if (!PdfReadInteger(d, pos, headerEnd, objectNumber, after)) return false;
    pos = PdfSkipWhite(d, after, headerEnd);
    if (!PdfReadInteger(d, pos, headerEnd, offset, after)) return false;
    pos = after;
    if (offset < 0 || static_cast<uint64_t>(offset) >= data.size() - static_cast<size_t>(first))
      return false;
    stream.offsets.push_back(headerEnd + static_cast<size_t>(offset));
  }
  cacheBytes_ += cost;
  return true;
}

// ---------------------------------------------------------------------------
// Catalog and page tree

bool PdfReader::ReadPages(const uint8_t* bytes, size_t size) {
  Reset(bytes, size);
  try {
    if (!ReadCrossReferenceImpl()) return false;
    return ReadPagesImpl();
  } catch (const std::bad_alloc&) {
    return FailMemory();
  }
}

bool PdfReader::ReadPagesImpl() {
  uint32_t rootNumber = 0, rootGeneration = 0;
  if (!PdfParseReference(trailer_.root, rootNumber, rootGeneration)) return Fail(kTextRootNotReference);
  PdfSpan catalogValue;
  uint32_t generation = 0;
  PdfDictionary catalog;
  if (!Load(rootNumber, catalogValue, generation, &catalog)) return Fail(kTextCatalog);
  const PdfDictEntry* pagesEntry = catalog.Find("Pages");
  uint32_t pagesNumber = 0, pagesGeneration = 0;
  if (!pagesEntry || !PdfParseReference(catalog.Value(*pagesEntry), pagesNumber, pagesGeneration))
    return Fail(kTextNoPagesReference);

  scratch_.resize(kMaxTreeDepth + 1);
  inheritedSets_.emplace_back();  // the empty set
  if (!WalkNode(pagesNumber, 0, &inheritedSets_.front())) return false;
  scratch_.clear();
  if (pages_.empty()) return Fail(kTextNoPages);
  if (!root_.found) return Fail(kTextRootWithoutKids);
  return !memoryFailed_;
}

bool PdfReader::WalkNode(uint32_t number, int depth, const PdfInherited* inherited) {
  if (depth > kMaxTreeDepth || std::find(path_.begin(), path_.end(), number) != path_.end())
    return Fail(kTextLoop);
  if (++visits_ > visitLimit_) return Fail(kTextTooManyPages);
  PdfSpan value;
  uint32_t generation = 0;
  PdfDictionary& dict = scratch_[static_cast<size_t>(depth)];
  if (!Load(number, value, generation, &dict)) return Fail(kTextNodeUnreadable);
  // Pages and nodes are plain dictionaries. A stream here (such as an object
  // stream listed in /Kids) would lose its data when the writer rewrites it.
  size_t after = 0;
  if (PdfMatchKeyword(value.data, PdfSkipWhite(value.data, value.end, value.limit), value.limit, "stream",
                      after)) {
    return Fail(kTextNodeUnreadable);
  }

  const PdfDictEntry* kidsEntry = dict.Find("Kids");
  if (!kidsEntry) {
    // A page.
    if (pages_.size() >= kMaxPages) return Fail(kTextTooManyPages);
    PdfPageRecord page;
    page.number = number;
    page.generation = generation;
    page.dictionary = dict.text;
    page.inherited = inherited;
    uint32_t parent = 0, parentGeneration = 0;
    const PdfDictEntry* parentEntry = dict.Find("Parent");
    page.directChild = root_.found && parentEntry &&
                       PdfParseReference(dict.Value(*parentEntry), parent, parentGeneration) &&
                       parent == root_.number && inherited->Empty();
    pages_.push_back(page);
    return true;
  }

  const PdfInherited* forChildren = inherited;
  if (depth == 0) {
    // The root's own attributes stay on the root.
    root_.found = true;
    root_.number = number;
    root_.generation = generation;
    root_.dictionary = dict.text;
  } else {
    PdfInherited own = *inherited;
    bool changed = false;
    for (int i = 0; i < kPdfInheritedCount; ++i) {
      if (const PdfDictEntry* e = dict.Find(kPdfInheritedNames[i])) {
        own.has[i] = true;
        own.value[i] = dict.Value(*e);
        changed = true;
      }
    }
    if (changed) {
      inheritedSets_.push_back(own);
      forChildren = &inheritedSets_.back();
    }
  }
  PdfSpan kids;
  if (!Resolve(dict.Value(*kidsEntry), kids)) return Fail(kTextBadKids);
  // Every element must be "N G R"; read in one pass.
  const uint8_t* d = kids.data;
  size_t pos = kids.start;
  if (pos >= kids.end || d[pos] != '[') return Fail(kTextBadKids);
  ++pos;
  path_.push_back(number);
  for (;;) {
    pos = PdfSkipWhite(d, pos, kids.end);
    if (pos >= kids.end) return Fail(kTextBadKids);
    if (d[pos] == ']') {
      if (PdfSkipWhite(d, pos + 1, kids.end) != kids.end) return Fail(kTextBadKids);
      break;
    }
    int64_t child = 0, childGeneration = 0;
    if (!PdfReadInteger(d, pos, kids.end, child, after)) return Fail(kTextBadKids);
    pos = PdfSkipWhite(d, after, kids.end);
    if (!PdfReadInteger(d, pos, kids.end, childGeneration, after)) return Fail(kTextBadKids);
    pos = PdfSkipWhite(d, after, kids.end);
    if (!PdfMatchKeyword(d, pos, kids.end, "R", after) || child < 1 || child > kPdfMaxObjectNumber ||
        childGeneration < 0 || childGeneration > kPdfMaxGeneration) {
      return Fail(kTextBadKids);
    }
    pos = after;
    if (!WalkNode(static_cast<uint32_t>(child), depth + 1, forChildren)) return Fail(kTextBadKids);
  }
  path_.pop_back();
  return true;
}

std::string PdfEditabilityReason(const uint8_t* bytes, size_t size, size_t pagesShown) {
  try {
    PdfReader reader;
    if (!reader.ReadPages(bytes, size)) {
      return reader.ErrorText().empty() ? "Folivex couldn't read this PDF's structure." : reader.ErrorText();
    }
    if (reader.Pages().size() != pagesShown) {
      return "Folivex and Windows don't agree on how many pages this PDF has, so it isn't safe to change it.";
    }
    return std::string();
  } catch (const std::bad_alloc&) {
    return kPdfMemoryErrorText;
  }
}
