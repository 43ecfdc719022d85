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
