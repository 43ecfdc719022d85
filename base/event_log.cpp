#include "base/event_log.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <deque>

namespace {

SRWLOCK g_logLock = SRWLOCK_INIT;
std::deque<std::wstring>* g_lines;  // allocated on first use, never freed

std::deque<std::wstring>& Lines() {
  // Called only under the exclusive lock or after the first append.
  if (!g_lines) g_lines = new std::deque<std::wstring>();
  return *g_lines;
}

}  // namespace

std::wstring FormatEventLine(unsigned long tick, const wchar_t* message) {
  wchar_t line[kEventLogLineMax + 1];
  int n = _snwprintf(line, kEventLogLineMax, L"%9lu  %ls", tick, message);
  if (n < 0 || size_t(n) > kEventLogLineMax) n = int(kEventLogLineMax);
  line[n] = 0;
  return std::wstring(line, size_t(n));
}

void AppendEventLine(std::wstring line) {
  AcquireSRWLockExclusive(&g_logLock);
  try {
    std::deque<std::wstring>& lines = Lines();
    lines.push_back(std::move(line));
    if (lines.size() > kEventLogCapacity) lines.pop_front();
  } catch (...) {
    // A line that can't be stored is lost; logging never fails visibly.
  }
  ReleaseSRWLockExclusive(&g_logLock);
}

void LogEvent(const wchar_t* format, ...) {
  wchar_t message[kEventLogMessageMax + 1];
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(message, kEventLogMessageMax, format, args);
  va_end(args);
  if (n < 0 || size_t(n) > kEventLogMessageMax) n = int(kEventLogMessageMax);
  message[n] = 0;
  std::wstring line;
  try {
    line = FormatEventLine(GetTickCount(), message);
  } catch (...) {
    return;
  }
  AppendEventLine(std::move(line));
}

void ReadEventLog(std::wstring& out) {
  AcquireSRWLockShared(&g_logLock);
  try {
    if (g_lines) {
      for (const std::wstring& line : *g_lines) {
        out += line;
        out += L"\r\n";
      }
    }
  } catch (...) {
    // Out of memory: the caller gets what fitted.
  }
  ReleaseSRWLockShared(&g_logLock);
}
