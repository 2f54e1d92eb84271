#pragma once
#include <cstdint>
#include <vector>

#include "acolor.h"

// An 8-bit RGBA picture, rows from the top.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // 4 bytes per pixel

  RgbaImage(int width, int height)
      : width(width), height(height), pixels(size_t(width) * size_t(height) * 4, 0) {}
  // Stores c clamped to 0..1 and rounded.
  void Set(int x, int y, const AColor& c);
};
