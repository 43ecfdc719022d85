#include "engine/save_faults.h"

namespace {

SaveFaults g_faults;
std::atomic<long> g_writes{0};

}  // namespace

SaveFaults& TestSaveFaults() { return g_faults; }

long SaveFileWrites() { return g_writes.load(); }

BOOL WriteSaveFile(HANDLE file, const void* data, DWORD size, DWORD* written) {
  const long number = g_writes.fetch_add(1);
  if (number == g_faults.exitAtWrite) TerminateProcess(GetCurrentProcess(), 97);
  if (number == g_faults.shortWriteAt && size > 1) size /= 2;
  return WriteFile(file, data, size, written, nullptr);
}

BOOL ReplaceSavedFile(const wchar_t* target, const wchar_t* replacement, const wchar_t* backup) {
  if (g_faults.strandOnReplace && backup) {
    if (MoveFileExW(target, backup, MOVEFILE_REPLACE_EXISTING)) SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
    return FALSE;
  }
  return ReplaceFileW(target, replacement, backup, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
}

BOOL MoveSavedFile(const wchar_t* from, const wchar_t* to, DWORD flags) {
  if (g_faults.strandOnReplace) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  return MoveFileExW(from, to, flags);
}
