#pragma once
#include <cstdint>
#include <vector>

#include "acolor.h"

// A 16-bit RGBA picture, rows from the top: for bakes whose gradients must not band.
struct Rgba16Image {
  int width = 0;
  int height = 0;
  std::vector<uint16_t> pixels;  // 4 channels per pixel

  Rgba16Image(int width, int height)
      : width(width), height(height), pixels(size_t(width) * size_t(height) * 4, 0) {}
  // Stores c clamped to 0..1 and rounded.
  void Set(int x, int y, const AColor& c);
};
