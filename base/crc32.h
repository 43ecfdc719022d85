// CRC-32 as used by zip, PNG and zlib (reflected, polynomial 0xEDB88320).
#pragma once

#include <cstddef>
#include <cstdint>

// Returns the CRC-32 of data[0, length) continued from crc, the result of an
// earlier call over the preceding bytes (0 to start): Crc32(b, n2, Crc32(a, n1))
// equals the CRC of a followed by b.
uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0);
