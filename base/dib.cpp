#include "base/dib.h"

#include <algorithm>
#include <utility>

#include "base/handles.h"

HBITMAP CreateTopDownDib(int width, int height, void** bits) {
  *bits = nullptr;
  if (width <= 0 || height <= 0) return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  Gdi<HBITMAP> dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
  if (!dib || !*bits) {
    *bits = nullptr;
    return nullptr;
  }
  return dib.Release();
}

namespace {

struct Spare {
  Gdi<HBITMAP> bitmap;
  void* bits = nullptr;
  int width = 0;
  int height = 0;
};

SRWLOCK g_spareLock = SRWLOCK_INIT;
Spare g_spares[kSpareDibs];  // oldest first
size_t g_spareCount = 0;

long long PixelsOf(const Spare& s) { return static_cast<long long>(s.width) * s.height; }

// Takes spare i out of the list (lock held).
Spare RemoveSpare(size_t i) {
  Spare s = std::move(g_spares[i]);
  std::move(g_spares + i + 1, g_spares + g_spareCount, g_spares + i);
  --g_spareCount;
  return s;
}

}  // namespace

HBITMAP TakePictureDib(int width, int height, void** bits) {
  AcquireSRWLockExclusive(&g_spareLock);
  for (size_t i = 0; i < g_spareCount; ++i) {
    if (g_spares[i].width == width && g_spares[i].height == height) {
      Spare s = RemoveSpare(i);
      ReleaseSRWLockExclusive(&g_spareLock);
      *bits = s.bits;
      return s.bitmap.Release();
    }
  }
  ReleaseSRWLockExclusive(&g_spareLock);
  return CreateTopDownDib(width, height, bits);
}

void RetirePictureDib(HBITMAP bitmap) {
  if (!bitmap) return;
  Spare spare;
  spare.bitmap.Reset(bitmap);
  DIBSECTION section = {};
  const bool dib = GetObjectW(bitmap, sizeof(section), &section) == sizeof(section) && section.dsBm.bmBits &&
                   section.dsBmih.biBitCount == 32;
  spare.bits = dib ? section.dsBm.bmBits : nullptr;
  spare.width = int(section.dsBm.bmWidth);
  spare.height = int(section.dsBm.bmHeight);
  if (!dib || PixelsOf(spare) > kSparePixels) return;  // deleted on the way out
  // Spares put out are deleted after the lock is let go.
  Spare putOut[kSpareDibs];
  size_t outCount = 0;
  AcquireSRWLockExclusive(&g_spareLock);
  long long pixels = PixelsOf(spare);
  for (size_t i = 0; i < g_spareCount; ++i) pixels += PixelsOf(g_spares[i]);
  while (g_spareCount > 0 && (g_spareCount == kSpareDibs || pixels > kSparePixels)) {
    Spare oldest = RemoveSpare(0);
    pixels -= PixelsOf(oldest);
    putOut[outCount++] = std::move(oldest);
  }
  g_spares[g_spareCount++] = std::move(spare);
  ReleaseSRWLockExclusive(&g_spareLock);
}

void ReleaseSpareDibs() {
  Spare putOut[kSpareDibs];
  AcquireSRWLockExclusive(&g_spareLock);
  for (size_t i = 0; i < g_spareCount; ++i) putOut[i] = std::move(g_spares[i]);
  g_spareCount = 0;
  ReleaseSRWLockExclusive(&g_spareLock);
}

size_t SpareDibCount() {
  AcquireSRWLockShared(&g_spareLock);
  const size_t count = g_spareCount;
  ReleaseSRWLockShared(&g_spareLock);
  return count;
}
