// The release feed as the program reads it: a small JSON object of which a
// few string values are picked out by key, the record a check produces, and
// the comparison of dotted version numbers. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The running version, as the version resource and the feed know it.
inline constexpr wchar_t kRunningVersion[] = L"1.6.2";

// The largest feed accepted, in bytes.
inline constexpr size_t kFeedLimitBytes = 262144;

// What one update check found. The texts are kept to the lengths the feed
// allows (the capacities below include a terminator, as the feed's limits
// are written).
struct UpdateInfo {
  bool ok = false;      // the feed was fetched and is complete
  bool manual = false;  // the user asked for this check
  std::wstring errorText;
  std::wstring version;
  std::wstring exeUrl;
  std::wstring exeSha256;
  std::wstring notes;
  uint32_t exeSize = 0;
  std::wstring setupUrl;
  std::wstring setupSha256;
  uint32_t setupSize = 0;  // 0 when the feed has no "setup_size"
};

inline constexpr size_t kErrorTextChars = 400;
inline constexpr size_t kVersionChars = 32;
inline constexpr size_t kUrlChars = 600;
inline constexpr size_t kSha256Chars = 80;
inline constexpr size_t kNotesChars = 3000;
inline constexpr size_t kSizeChars = 32;

// Looks up `key` in a null-terminated UTF-8 document: the first occurrence
// of the quoted key anywhere, then a colon, then a string (escapes decoded)
// or a bare value (a number, true, false, null as their text). Writes at
// most capacity - 1 characters into `out`. False, with `out` empty, when
// the key is missing or not followed by a colon.
bool JsonValue(const char* document, const char* key, std::wstring& out, size_t capacity);

// Compares up to four dot-separated decimal numbers ("%d.%d.%d.%d"; parts
// that are missing or unreadable count as 0): -1, 0 or 1.
int CompareVersions(const std::wstring& a, const std::wstring& b);

// A size from the feed: leading blanks skipped, digits up to the first
// non-digit, 0 when there are none, 4294967295 at most.
uint32_t FeedSize(const std::wstring& text);

// True for a version made only of digits and dots, with at least one digit.
// The version becomes part of a file name, so nothing else is let through.
bool IsPlainVersion(const std::wstring& version);

inline constexpr wchar_t kFeedIncomplete[] = L"The update information on the server is incomplete.";
inline constexpr wchar_t kFeedBadVersion[] =
    L"The update information on the server names a version Folivex can't read.";

// Reads the feed's keys into `info` and judges it: ok when "version" and
// "exe" are there and "sha256" has 64 characters, and the version is plain;
// otherwise errorText says why. Leaves `manual` alone.
void ReadFeed(const char* document, UpdateInfo& info);
