// Whether the open document's pages may be rearranged: the file must be
// readable, at most 1 GB, and understood completely by our own reader.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr uint64_t kMaxEditableFileBytes = 1073741824;  // 1 GB

// The system's message for a Windows error code (at most 399 characters,
// trailing blanks and line ends removed), or "Windows error %lu." when there
// is none.
std::wstring SystemErrorText(DWORD code);

// Reads a whole file into memory; files above 1 GB are refused. On failure
// `error` says why in words the user can read.
bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& error);

// The reason the bytes of a PDF can't be rearranged, or empty when they can.
// `filePages` is the number of pages the engine found in the file when it
// was opened.
std::wstring EditabilityReason(const std::vector<uint8_t>& bytes, size_t filePages);

// Checks the document once and remembers the verdict; a refusal is
// explained to the user at every attempt. Called before any page edit.
bool EnsureEditable();
