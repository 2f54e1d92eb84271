#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "acolor.h"

// A channel value clamped to 0..1 and rounded to the channel's width. The 8-bit rounding is
// done in float, as pictures have always been written; 16 bits need double's precision.
template <class Channel>
Channel QuantizeChannel(float v);

template <>
inline uint8_t QuantizeChannel<uint8_t>(float v) {
  if (!(v > 0.0f)) return 0;  // NaN too
  if (v >= 1.0f) return 255;
  return uint8_t(std::lround(v * 255.0f));
}

template <>
inline uint16_t QuantizeChannel<uint16_t>(float v) {
  if (!(v > 0.0f)) return 0;  // NaN too
  if (v >= 1.0f) return 65535;
  return uint16_t(std::lround(double(v) * 65535.0));
}

// An RGBA picture, rows from the top, four channels per pixel.
template <class Channel>
struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<Channel> pixels;

  RgbaPicture(int width, int height)
      : width(width), height(height), pixels(size_t(width) * size_t(height) * 4, 0) {}
  // Stores c clamped to 0..1 and rounded.
  void Set(int x, int y, const AColor& c) {
    Channel* p = &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
    p[0] = QuantizeChannel<Channel>(c.r);
    p[1] = QuantizeChannel<Channel>(c.g);
    p[2] = QuantizeChannel<Channel>(c.b);
    p[3] = QuantizeChannel<Channel>(c.a);
  }
};

using RgbaImage = RgbaPicture<uint8_t>;
// For bakes whose gradients must not band.
using Rgba16Image = RgbaPicture<uint16_t>;
