#include "app/window_geometry.h"

#include <cstdint>

int ScalePx(int value, int dpi) {
  // MulDiv(value, dpi, 96): rounds half away from zero.
  int64_t p = int64_t(value) * dpi;
  int64_t q = p >= 0 ? (p + 48) / 96 : (p - 48) / 96;
  return int(q);
}

IntRect DefaultWindowRect(int workLeft, int workTop, int workWidth, int workHeight, int dpi) {
  IntRect r;
  r.w = 6 * workWidth / 10;
  int minimum = ScalePx(1000, dpi);
  if (r.w < minimum) r.w = minimum;
  if (r.w > workWidth) r.w = workWidth;
  r.h = 9 * workHeight / 10;
  r.x = workLeft + (workWidth - r.w) / 2;
  r.y = workTop + (workHeight - r.h) / 2;
  return r;
}

bool FrameCorrectedRect(const IntRect& asked, int winLeft, int winTop, int winRight, int winBottom,
                        int frameLeft, int frameTop, int frameRight, int frameBottom, IntRect& out) {
  int left = frameLeft - winLeft, top = frameTop - winTop;
  int right = winRight - frameRight, bottom = winBottom - frameBottom;
  if (left >= 40 || top >= 40 || right >= 40 || bottom >= 40) return false;
  if (left == 0 && top == 0 && right == 0 && bottom == 0) return false;
  out.x = asked.x - left;
  out.y = asked.y - top;
  out.w = asked.w + left + right;
  out.h = asked.h + top + bottom;
  return true;
}
