#include "render/texel_padding.h"

#include <limits>

std::vector<int> PaddingSources(const std::vector<uint8_t>& covered, int width, int height,
                                int padding) {
  const size_t w = size_t(width), h = size_t(height);
  std::vector<int> source(w * h, -1);
  for (size_t i = 0; i < w * h; ++i)
    if (covered[i]) source[i] = int(i);
  if (padding <= 0) return source;

  // An exact distance transform in two separable passes (Felzenszwalb and Huttenlocher),
  // keeping where each minimum came from. First, per column, the nearest covered row.
  constexpr int kNone = -1;
  std::vector<int> nearestRow(w * h, kNone);
  for (size_t x = 0; x < w; ++x) {
    int last = kNone;
    for (size_t y = 0; y < h; ++y) {
      if (covered[y * w + x]) last = int(y);
      nearestRow[y * w + x] = last;
    }
    last = kNone;
    for (size_t y = h; y-- > 0;) {
      if (covered[y * w + x]) last = int(y);
      const int above = nearestRow[y * w + x];
      if (last != kNone && (above == kNone || last - int(y) < int(y) - above))
        nearestRow[y * w + x] = last;
    }
  }

  // Then, per row, the lower envelope of the parabolas (x - q)^2 + dy(q)^2 over the columns q
  // that have a covered texel somewhere.
  const long long limit = (long long)padding * padding;
  std::vector<int> sites(w);
  std::vector<double> bounds(w + 1);
  for (size_t y = 0; y < h; ++y) {
    auto f = [&](int q) {
      const long long dy = nearestRow[y * w + size_t(q)] - (long long)y;
      return double(dy * dy) + double(q) * double(q);
    };
    int k = -1;
    for (int q = 0; q < width; ++q) {
      if (nearestRow[y * w + size_t(q)] == kNone) continue;
      double s = -std::numeric_limits<double>::infinity();
      while (k >= 0) {
        s = (f(q) - f(sites[size_t(k)])) / (2.0 * (q - sites[size_t(k)]));
        if (s > bounds[size_t(k)]) break;
        --k;
      }
      ++k;
      sites[size_t(k)] = q;
      bounds[size_t(k)] = k == 0 ? -std::numeric_limits<double>::infinity() : s;
    }
    if (k < 0) continue;  // nothing covered in the whole picture
    bounds[size_t(k) + 1] = std::numeric_limits<double>::infinity();
    for (int x = 0, j = 0; x < width; ++x) {
      while (bounds[size_t(j) + 1] < x) ++j;
      const size_t i = y * w + size_t(x);
      if (covered[i]) continue;
      const int q = sites[size_t(j)], row = nearestRow[y * w + size_t(q)];
      const long long dx = x - q, dy = row - (long long)y;
      if (dx * dx + dy * dy <= limit) source[i] = int(size_t(row) * w + size_t(q));
    }
  }
  return source;
}
