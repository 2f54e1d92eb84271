#pragma once
#include <algorithm>

// The arithmetic of one ramp segment that every evaluation of a shading sample shares, so
// that each answers alike to the bit.

// Where the colour arriving at a marker from its left is sampled.
inline float LeftOf(float position) {
  return float(double(position) - 0.01);
}

// Local parameter of t in the segment from left to right. Sorted, finite positions give 0..1;
// a marker whose position is not a number or infinite would give NaN, which becomes 0.
inline float SegmentParameter(float t, float left, float right) {
  float u = (t - left) / (right - left);
  return u > 0.0f ? std::min(u, 1.0f) : 0.0f;
}
