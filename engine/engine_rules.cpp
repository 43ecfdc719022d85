#include "engine/engine_rules.h"

#include <algorithm>
#include <cmath>

NormBox PackNormBox(long long x0, long long y0, long long x1, long long y1) {
  auto clamp = [](long long v) -> uint64_t { return uint64_t(std::clamp<long long>(v, 0, kNormBoxMax)); };
  uint64_t left = clamp(std::min(x0, x1)), right = clamp(std::max(x0, x1));
  uint64_t top = clamp(std::min(y0, y1)), bottom = clamp(std::max(y0, y1));
  return left | top << 16 | right << 32 | bottom << 48;
}

wchar_t PageCharFromCode(unsigned int code) {
  if (code == 0) return L' ';
  if (code < 0x10000) return wchar_t(code);
  return wchar_t(0xFFFD);
}

float PageSideFromPixels(double pixels) {
  const double largest = kMaxPagePoints * 96.0 / 72.0;
  if (!(pixels >= 1.0)) return 1.0f;  // also NaN
  if (pixels > largest) return float(largest);
  return float(pixels);
}

float PageSideFromPoints(double points) {
  if (std::isnan(points)) return 1.0f;
  return PageSideFromPixels(points * 96.0 / 72.0);
}

std::wstring TextUpToNull(const uint16_t* units, size_t count) {
  std::wstring text;
  if (!units) return text;
  size_t n = 0;
  while (n < count && units[n] != 0) ++n;
  text.reserve(n);
  for (size_t i = 0; i < n; ++i) text.push_back(wchar_t(units[i]));
  return text;
}

std::wstring BookmarkTitle(const uint16_t* units, size_t count) {
  std::wstring title = TextUpToNull(units, std::min(count, kMaxTitleChars));
  for (wchar_t& c : title)
    if (unsigned(c) <= 31) c = L' ';
  return title;
}

std::wstring WideFromUtf8(const char* bytes, size_t count) {
  std::wstring text;
  if (!bytes) return text;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  size_t end = 0;
  while (end < count && p[end] != 0) ++end;
  size_t i = 0;
  auto put = [&text](uint32_t cp) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      text.push_back(wchar_t(0xD800 + (cp >> 10)));
      text.push_back(wchar_t(0xDC00 + (cp & 0x3FF)));
    } else {
      text.push_back(wchar_t(cp));
    }
  };
  while (i < end) {
    unsigned char b = p[i];
    int extra;
    uint32_t cp, least;
    if (b < 0x80) {
      put(b);
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, cp = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, cp = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, cp = b & 0x07, least = 0x10000;
    } else {
      put(0xFFFD);
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool ok = true;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= end || (p[j] & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = cp << 6 | (p[j] & 0x3F);
    }
    if (!ok || cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      put(0xFFFD);
      i = j;  // a byte that broke the sequence starts the next one
      continue;
    }
    put(cp);
    i = j;
  }
  return text;
}

void TurnPixels(const uint32_t* from, int width, int height, int rotation, uint32_t* to) {
  const size_t w = size_t(width), h = size_t(height);
  rotation &= 3;
  for (size_t i = 0; i < h; ++i) {
    const uint32_t* row = from + i * w;
    for (size_t j = 0; j < w; ++j) {
      switch (rotation) {
        case 0: to[i * w + j] = row[j]; break;                      // W wide
        case 1: to[j * h + (h - 1 - i)] = row[j]; break;            // H wide
        case 2: to[(h - 1 - i) * w + (w - 1 - j)] = row[j]; break;  // W wide
        default: to[(w - 1 - j) * h + i] = row[j]; break;           // H wide
      }
    }
  }
}

int32_t RenderWithBmpRetry(bool& bmpMode, const std::function<int32_t(bool bmp)>& attempt,
                           const std::function<void(int32_t hr, bool bmp)>& reportFailure) {
  bool asked = bmpMode;
  int32_t hr = attempt(asked);
  if (hr >= 0) return hr;
  reportFailure(hr, asked);
  if (!asked) return hr;
  bmpMode = false;
  hr = attempt(false);
  if (hr < 0) reportFailure(hr, false);
  return hr;
}
