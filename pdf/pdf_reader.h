// The program's own reader of a PDF file's structure: cross-reference data
// (classic tables, cross-reference streams, hybrid files, the chain of
// earlier revisions), trailer values, objects (also inside object streams),
// the catalog and the page tree. It works on one byte buffer holding the
// whole file and keeps spans into it; nothing of the file is copied.
//
// Every failure returns false and keeps a plain-English reason; the first
// reason set is the one reported by ErrorText.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pdf/pdf_lexer.h"

// The reason given when the reader refuses to spend more memory on a file
// (and the one the callers use when an allocation fails while examining it).
extern const char kPdfMemoryErrorText[];

// One cross-reference entry: type 0 free, 1 stored in the file (value =
// byte offset, value2 = generation), 2 stored in an object stream (value =
// the stream's object number, value2 = index inside it).
struct PdfXrefEntry {
  uint64_t value = 0;
  uint32_t value2 = 0;
  uint8_t type = kUndefined;
  static constexpr uint8_t kUndefined = 0xFF;
};

// Values of the newest section's trailer. The texts are spans into the file
// exactly as written there (an indirect reference stays "12 0 R").
struct PdfTrailerValues {
  bool recorded = false;
  bool isStream = false;  // newest section is a cross-reference stream
  uint64_t offset = 0;    // its byte offset (where the chain reached it)
  bool hasRoot = false, hasInfo = false, hasId = false;
  PdfSpan root, info, id;
  // A classic table's /XRefStm (a hybrid file's objects in object streams).
  bool hasXRefStm = false;
  PdfSpan xrefStm;
  bool encrypt = false;
  int64_t size = 0;  // /Size, 0 when missing
};

// The attributes a page inherits from intermediate page-tree nodes, kept in
// the order the writer copies them.
enum PdfInheritedName { kPdfCropBox = 0, kPdfMediaBox, kPdfResources, kPdfRotate, kPdfInheritedCount };
extern const std::string_view kPdfInheritedNames[kPdfInheritedCount];

struct PdfInherited {
  bool has[kPdfInheritedCount] = {};
  PdfSpan value[kPdfInheritedCount];
  bool Empty() const {
    for (bool h : has) {
      if (h) return false;
    }
    return true;
  }
};

struct PdfPageRecord {
  uint32_t number = 0;
  uint32_t generation = 0;
  PdfSpan dictionary;  // the page's "<< ... >>" in the file or a decoded object stream
  const PdfInherited* inherited = nullptr;  // never null after ReadPages
  bool directChild = false;  // /Parent is the root and nothing is inherited
};

struct PdfPageTreeRoot {
  bool found = false;
  uint32_t number = 0;
  uint32_t generation = 0;
  PdfSpan dictionary;
};

class PdfReader {
 public:
  // Limits.
  static constexpr size_t kMaxDecodedStream = 268435456;         // one decoded stream
  static constexpr size_t kDefaultObjectStreamCacheLimit = 536870912;  // all cached object streams
  static constexpr size_t kMaxPages = 2000000;
  static constexpr size_t kDefaultNodeVisitLimit = 4000000;

  PdfReader();
  ~PdfReader();
  PdfReader(const PdfReader&) = delete;
  PdfReader& operator=(const PdfReader&) = delete;

  // Reads the cross-reference chain and the trailer of the file in
  // bytes[0, size). The buffer must outlive the reader's results.
  bool ReadCrossReference(const uint8_t* bytes, size_t size);
  // ReadCrossReference, then the catalog and the page tree.
  bool ReadPages(const uint8_t* bytes, size_t size);
  // The value of object `number` (after "N G obj") and its generation (0
  // for objects in object streams). Needs a successful ReadCrossReference.
  bool LoadObject(uint32_t number, PdfSpan& value, uint32_t& generation);
  // The decoded data of the stream that follows `dictionary`, whose end is
  // at `position` in the dictionary's buffer. data either points into the
  // buffer or into storage.
  bool ReadStream(const PdfDictionary& dictionary, size_t position, std::vector<uint8_t>& storage,
                  PdfSpan& data);
  const std::string& ErrorText() const { return error_; }

  // Results.
  const std::vector<PdfPageRecord>& Pages() const { return pages_; }
  const PdfPageTreeRoot& PageTreeRoot() const { return root_; }
  const PdfTrailerValues& Trailer() const { return trailer_; }
  // The larger of /Size and the highest object number plus one.
  int64_t Size() const { return sizeValue_; }
  // How many cross-reference sections the chain had.
  size_t SectionCount() const { return sections_; }
  bool FindEntry(uint32_t number, PdfXrefEntry& entry) const;

  // Bound on the memory all cached object streams may use together; past it
  // the reader refuses with kPdfMemoryErrorText. Set before reading.
  void SetObjectStreamCacheLimit(size_t bytes) { cacheLimit_ = bytes; }
  size_t ObjectStreamCacheBytes() const { return cacheBytes_; }
  // Bound on the page-tree nodes (pages included) one walk may visit. Only a
  // tree that shares subtrees can come near it; past it the reader refuses
  // the file as having too many pages. Set before reading.
  void SetNodeVisitLimit(size_t visits) { visitLimit_ = visits; }

 private:
  struct ObjectStream {
    enum State { kReading, kReady, kFailed } state = kReading;
    std::vector<uint8_t> storage;  // decoded data when the stream is filtered
    PdfSpan data;                  // the decoded data
    std::vector<size_t> offsets;   // of each object, as positions in data.data
  };
  enum class IntegerEntry { kAbsent, kOk, kBad };

  void Reset(const uint8_t* bytes, size_t size);
  bool Fail(const char* text);
  bool FailMemory();
  bool ReadCrossReferenceImpl();
  bool ReadPagesImpl();
  bool ReadClassicSection(uint64_t sectionOffset, size_t pos, int64_t& prev);
  bool ReadStreamSection(uint64_t offset, bool recordTrailer, int64_t* prev);
  void RecordTrailer(const PdfDictionary& dict, bool isStream, uint64_t offset);
  bool Define(int64_t number, uint8_t type, uint64_t value, uint64_t value2);
  const PdfXrefEntry* Lookup(uint32_t number) const;
  // With dict, the value must be a dictionary and is parsed into it.
  bool Load(uint32_t number, PdfSpan& value, uint32_t& generation, PdfDictionary* dict = nullptr);
  bool Stream(const PdfDictionary& dictionary, size_t position, std::vector<uint8_t>& storage,
              PdfSpan& data);
  bool Resolve(const PdfSpan& value, PdfSpan& out);
  IntegerEntry ReadIntegerEntry(const PdfDictionary& dict, std::string_view key, int64_t& value);
  const ObjectStream* GetObjectStream(uint64_t number);
  bool ReadObjectStream(uint32_t number, ObjectStream& stream);
  bool WalkNode(uint32_t number, int depth, const PdfInherited* inherited);

  const uint8_t* bytes_ = nullptr;
  size_t size_ = 0;
  std::string error_;
  bool memoryFailed_ = false;

  // Cross-reference map: dense for small object numbers, hashed above.
  std::vector<PdfXrefEntry> dense_;
  std::unordered_map<uint32_t, PdfXrefEntry> sparse_;
  size_t denseLimit_ = 0;
  size_t sparseLimit_ = 0;
  int64_t maxNumber_ = -1;
  size_t sections_ = 0;
  PdfTrailerValues trailer_;
  int64_t sizeValue_ = 0;

  std::unordered_map<uint32_t, std::unique_ptr<ObjectStream>> streams_;
  size_t cacheBytes_ = 0;
  size_t cacheLimit_ = kDefaultObjectStreamCacheLimit;
  int loadDepth_ = 0;

  std::vector<PdfPageRecord> pages_;
  PdfPageTreeRoot root_;
  std::deque<PdfInherited> inheritedSets_;  // stable addresses for the page records
  std::vector<uint32_t> path_;
  std::vector<PdfDictionary> scratch_;  // one parsed dictionary per page-tree depth
  size_t visits_ = 0;
  size_t visitLimit_ = kDefaultNodeVisitLimit;
};

// For the editability check: the reason the pages of the file in
// bytes[0, size) can't be rearranged, or an empty text when they can. The
// reader must understand the file and find pagesShown pages.
std::string PdfEditabilityReason(const uint8_t* bytes, size_t size, size_t pagesShown);
