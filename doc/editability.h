// Whether the open document's pages may be rearranged: the file must be
// readable, at most 1 GB, and understood completely by our own reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The reason the bytes of a PDF can't be rearranged, or empty when they can.
// `filePages` is the number of pages the engine found in the file when it
// was opened.
std::wstring EditabilityReason(const std::vector<uint8_t>& bytes, size_t filePages);

// Checks the document once and remembers the verdict; a refusal is
// explained to the user at every attempt. Called before any page edit.
bool EnsureEditable();
