// Removes what earlier runs left behind: the previous program file after an
// update, the previous engine file, update downloads of copies that have
// ended, and private copies of other PDFs that are more than a day old.
#pragma once
#include <cstdint>
#include <string>

constexpr uint64_t kOneDayIn100ns = 864000000000ull;

// True when a file last written at `lastWrite` (FILETIME units) is more than
// one day older than `now`.
bool OlderThanOneDay(uint64_t lastWrite, uint64_t now);

// One cleanup run over the program's own folder and the given temporary
// folder (with a trailing backslash). Files that can't be deleted are left
// for a later run.
void RunCleanup(const std::wstring& programPath, const std::wstring& tempFolder);
