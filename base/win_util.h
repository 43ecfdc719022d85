// Small helpers over Windows that every layer may use: the program's own
// path, the system's text for an error code, reading a whole file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/handles.h"

// The full path of this program file (never cut), or empty on failure.
std::wstring ProgramPath();

// The user's temporary folder with its trailing separator, however long it
// is; empty when Windows can't say (GetLastError tells why).
std::wstring TempFolder();

// The system's message for a Windows error code (at most 399 characters,
// trailing blanks and line ends removed), or "Windows error %lu." when there
// is none.
std::wstring SystemErrorText(DWORD code);

constexpr uint64_t kMaxEditableFileBytes = 1073741824;  // 1 GB

// Reads a whole file into memory; files above 1 GB are refused. On failure
// `error` says why in words the user can read.
bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& error);

// Registry reading. A key that can't be opened is empty; a value counts only
// when it has the expected type: a REG_DWORD of all four bytes, a REG_SZ of
// at most `maxBytes` bytes (taken up to its first terminator).
UniqueRegKey OpenRegistryKey(HKEY root, const wchar_t* path, REGSAM access);
bool ReadRegistryNumber(HKEY key, const wchar_t* name, DWORD& value);
bool ReadRegistryText(HKEY key, const wchar_t* name, DWORD maxBytes, std::wstring& text);
