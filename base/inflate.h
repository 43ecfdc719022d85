// Decoder for zlib-wrapped deflate data (RFC 1950 around RFC 1951).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes the whole zlib stream in input[0, length) into output, which is
// emptied first and grows as needed, up to maximum bytes. Returns false for
// any malformed or truncated stream, a preset dictionary, or output that
// would exceed maximum; output then holds only what was decoded before the
// failure and must not be used. The Adler-32 trailer is not checked.
bool Inflate(const uint8_t* input, size_t length, std::vector<uint8_t>& output, size_t maximum);
