// The in-memory event log: the newest 800 lines, each stamped with the
// millisecond clock. Any thread may write; the diagnostic report reads it.
#pragma once
#include <windows.h>

#include <string>

// windows.h maps ReadEventLog to the system's event-log reader; ours is a
// different function.
#undef ReadEventLog

constexpr size_t kEventLogCapacity = 800;
constexpr size_t kEventLogMessageMax = 899;  // characters of message kept
constexpr size_t kEventLogLineMax = 959;     // characters of a finished line

void LogEvent(const wchar_t* format, ...);
// Appends every line, oldest first, each followed by "\r\n".
void ReadEventLog(std::wstring& out);

// The pieces of LogEvent, exposed for tests.
std::wstring FormatEventLine(unsigned long tick, const wchar_t* message);
void AppendEventLine(std::wstring line);
