// Fuzzes the feed reader: every key lookup on arbitrary bytes, and the
// judgement of the whole feed. Checks the lengths the record promises and
// that no complete feed names a version that isn't plain digits and dots.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "update/feed.h"
#include "update/update_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kFeedLimitBytes) return 0;
  std::string doc(reinterpret_cast<const char*>(data), size);  // the reader sees up to the first zero byte
  UpdateInfo info;
  ReadFeed(doc.c_str(), info);
  if (info.version.size() >= kVersionChars || info.exeUrl.size() >= kUrlChars ||
      info.exeSha256.size() >= kSha256Chars || info.notes.size() >= kNotesChars ||
      info.setupUrl.size() >= kUrlChars || info.setupSha256.size() >= kSha256Chars)
    std::abort();
  if (info.ok) {
    if (!IsPlainVersion(info.version) || info.exeSha256.size() != 64 || info.exeUrl.empty()) std::abort();
    if (info.version.find_first_not_of(L"0123456789.") != std::wstring::npos) std::abort();
  }
  for (size_t capacity : {size_t(1), size_t(2), size_t(5)}) {
    std::wstring out;
    JsonValue(doc.c_str(), "a", out, capacity);
    if (out.size() >= capacity) std::abort();
  }
  CompareVersions(info.version, info.notes);
  NotesSummary(info.notes);
  return 0;
}
