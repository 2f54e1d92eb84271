#include "render/rgba16_image.h"

#include <cmath>

namespace {

uint16_t Channel(float v) {
  if (!(v > 0.0f)) return 0;  // NaN too
  if (v >= 1.0f) return 65535;
  return uint16_t(std::lround(double(v) * 65535.0));
}

}  // namespace

void Rgba16Image::Set(int x, int y, const AColor& c) {
  uint16_t* p = &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
  p[0] = Channel(c.r);
  p[1] = Channel(c.g);
  p[2] = Channel(c.b);
  p[3] = Channel(c.a);
}
