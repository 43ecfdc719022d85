// Linked only into FolivexFaults.exe, the test build of the program: before
// the program starts, the save faults are filled in from FV_SAVE_FAULTS,
// e.g. "short-write=0", "exit-at-write=3", "skew-read-back",
// "strand-on-replace" (several separated by commas).
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "engine/save_faults.h"

namespace {

long NumberAfter(const char* text, const char* name) {
  const char* at = std::strstr(text, name);
  return at ? std::strtol(at + std::strlen(name), nullptr, 10) : -1;
}

struct FaultsFromEnvironment {
  FaultsFromEnvironment() {
    char text[256] = {};
    const DWORD n = GetEnvironmentVariableA("FV_SAVE_FAULTS", text, sizeof(text));
    if (n == 0 || n >= sizeof(text)) return;
    SaveFaults& faults = TestSaveFaults();
    faults.shortWriteAt = NumberAfter(text, "short-write=");
    faults.exitAtWrite = NumberAfter(text, "exit-at-write=");
    faults.skewReadBack = std::strstr(text, "skew-read-back") != nullptr;
    faults.strandOnReplace = std::strstr(text, "strand-on-replace") != nullptr;
  }
} g_faultsFromEnvironment;

}  // namespace
