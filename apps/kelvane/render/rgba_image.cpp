#include "render/rgba_image.h"

#include <cmath>

namespace {

uint8_t Byte(float v) {
  if (!(v > 0.0f)) return 0;  // NaN too
  if (v >= 1.0f) return 255;
  return uint8_t(std::lround(v * 255.0f));
}

}  // namespace

void RgbaImage::Set(int x, int y, const AColor& c) {
  uint8_t* p = &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
  p[0] = Byte(c.r);
  p[1] = Byte(c.g);
  p[2] = Byte(c.b);
  p[3] = Byte(c.a);
}
