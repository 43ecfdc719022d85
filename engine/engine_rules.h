// The engine-independent rules for what the engines report: character and
// title cleanup, page-size limits, picture turning and the BMP render retry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/engine_types.h"

constexpr int kMaxPageChars = 2000000;    // characters read from one page
constexpr int kMaxWebLinks = 2000;        // web links found in one page's text
constexpr int kMaxWebLinkRects = 16;      // rectangles kept per web link
constexpr int kMaxLinkAnnotations = 4999; // link annotations read per page
constexpr size_t kMaxUriChars = 65536;    // longest URI kept (longer ones are dropped)
constexpr size_t kMaxTitleChars = 65535;  // bookmark titles are cut here
constexpr double kMaxPagePoints = 14400;  // largest page side kept, in points (200 inches)

// US Letter, the size assumed when an engine can't tell a page's size.
constexpr double kLetterWidthPoints = 612;
constexpr double kLetterHeightPoints = 792;
constexpr float kLetterWidthPixels = 816;
constexpr float kLetterHeightPixels = 1056;

// The stored code unit for an engine character code: a space for 0, the code
// itself below 0x10000, U+FFFD above.
wchar_t PageCharFromCode(unsigned int code);

// A page side in points as stored: pixels at 96 DPI, at least 1.0, at most
// kMaxPagePoints (also for NaN and infinite input).
float PageSideFromPoints(double points);
// The same for a side already in pixels at 96 DPI.
float PageSideFromPixels(double pixels);

// The text of UTF-16 code units [0, count) up to the first null.
std::wstring TextUpToNull(const uint16_t* units, size_t count);
// A bookmark title from UTF-16 code units [0, count): up to the first null,
// at most kMaxTitleChars, every code 31 or below turned into a space.
std::wstring BookmarkTitle(const uint16_t* units, size_t count);
// UTF-8 bytes [0, count) up to the first null, as UTF-16. Invalid sequences
// become U+FFFD.
std::wstring WideFromUtf8(const char* bytes, size_t count);

// Writes the 32-bit pixels of a width x height picture (row-major, top row
// first) turned by `rotation` quarter turns clockwise into `to`, which holds
// height x width pixels for odd rotations and width x height otherwise.
// Source pixel (row i, column j) goes to
//   0: (i, j)   1: (j, H-1-i)   2: (H-1-i, W-1-j)   3: (W-1-j, i).
void TurnPixels(const uint32_t* from, int width, int height, int rotation, uint32_t* to);

// A render that may ask for BMP output: runs attempt(bmpMode); when it fails
// (negative result), reports the failure, and when bmpMode was on, switches
// it off for good and runs the attempt once more, whose result is returned.
int32_t RenderWithBmpRetry(bool& bmpMode, const std::function<int32_t(bool bmp)>& attempt,
                           const std::function<void(int32_t hr, bool bmp)>& reportFailure);
