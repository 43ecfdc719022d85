// UTF-8 encoding of single code points. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>

// Appends code point `cp` (at most 0x10FFFF) in UTF-8. A surrogate is
// written as its own three-byte sequence, which decoders treat as invalid.
void AppendUtf8(std::string& out, uint32_t cp);
