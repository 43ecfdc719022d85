#include "app/icon_scale.h"

#include <algorithm>
#include <cmath>

namespace {

struct Tap {
  int index;
  double weight;
};

// For each of the `to` target cells along one axis, the source cells it
// covers and how much of each (in source units; the weights of one target
// cell add up to from / to).
std::vector<std::vector<Tap>> Coverage(int from, int to) {
  std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
  double step = double(from) / double(to);
  for (int t = 0; t < to; ++t) {
    double start = t * step, end = (t + 1) * step;
    int first = int(std::floor(start));
    int last = std::min(from - 1, int(std::ceil(end)) - 1);
    for (int s = first; s <= last; ++s) {
      double w = std::min(end, double(s + 1)) - std::max(start, double(s));
      if (w > 1e-12) taps[size_t(t)].push_back({s, w});
    }
  }
  return taps;
}

}  // namespace

std::vector<uint8_t> ShrinkByArea(const uint8_t* source, size_t sourceBytes, int sw, int sh, int dw, int dh) {
  if (!source || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return {};
  if (sourceBytes / 4 / size_t(sw) < size_t(sh)) return {};
  std::vector<std::vector<Tap>> xs = Coverage(sw, dw), ys = Coverage(sh, dh);
  double area = (double(sw) / dw) * (double(sh) / dh);

  // Horizontal pass into doubles, then the vertical pass.
  std::vector<double> rows(size_t(sh) * size_t(dw) * 4);
  for (int y = 0; y < sh; ++y) {
    const uint8_t* row = source + size_t(y) * size_t(sw) * 4;
    double* out = &rows[size_t(y) * size_t(dw) * 4];
    for (int x = 0; x < dw; ++x)
      for (const Tap& tap : xs[size_t(x)])
        for (int c = 0; c < 4; ++c) out[size_t(x) * 4 + size_t(c)] += tap.weight * row[size_t(tap.index) * 4 + size_t(c)];
  }
  std::vector<uint8_t> result(size_t(dw) * size_t(dh) * 4);
  std::vector<double> sum(size_t(dw) * 4);
  for (int y = 0; y < dh; ++y) {
    std::fill(sum.begin(), sum.end(), 0.0);
    for (const Tap& tap : ys[size_t(y)]) {
      const double* in = &rows[size_t(tap.index) * size_t(dw) * 4];
      for (size_t i = 0; i < sum.size(); ++i) sum[i] += tap.weight * in[i];
    }
    uint8_t* out = &result[size_t(y) * size_t(dw) * 4];
    for (size_t i = 0; i < sum.size(); ++i) out[i] = uint8_t(std::clamp(std::lround(sum[i] / area), 0L, 255L));
  }
  return result;
}
