// Shrinking a picture of premultiplied 32-bit pixels by averaging, for each
// target pixel, exactly the source area it covers. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// `source` holds sw x sh pixels of 4 bytes (B, G, R, A, premultiplied), rows
// packed top-down. Returns dw x dh pixels in the same layout; empty when a
// size is not positive or the source is too short.
std::vector<uint8_t> ShrinkByArea(const uint8_t* source, size_t sourceBytes, int sw, int sh, int dw, int dh);
