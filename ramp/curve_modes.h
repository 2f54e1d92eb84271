#pragma once
#include <algorithm>
#include <cmath>

// Curve modes of a marker's in and out sides. The values are stored in scene files and are
// the item indices of the rollout's "In ramp" and "Out ramp" lists: never renumber them.
enum CurveMode : int {
  CurveLinear = 0,
  CurveExponential = 1,
  CurveGamma = 2,
  CurveSolid = 3,
  CurveNo = 4,
};
inline constexpr int kCurveModeCount = 5;

// The curve of a mode at x, clamped to 0..1. An unknown mode is linear. Inline, as it is
// asked twice for every shading sample that lands between two markers.
inline float CurveValue(float x, int mode) {
  float f;
  switch (mode) {
    case CurveExponential:
      f = 1.0f - 0.38715473f * std::exp(3.0f * x - 2.0f);
      break;
    case CurveGamma:
      f = 1.0f - std::sqrt(x);
      break;
    case CurveSolid:
      f = 0.0f;
      break;
    case CurveNo:
      f = 1.0f;
      break;
    default:
      f = 1.0f - x;
      break;
  }
  return std::max(std::min(f, 1.0f), 0.0f);
}

// Weight of the right-hand marker N at u (0..1) in the segment from marker P to N, shaped by
// N's in mode and P's out mode. Both linear gives u.
inline float SegmentWeight(float u, int inMode, int outMode) {
  return (1.0f - CurveValue(u, inMode)) * u + CurveValue(1.0f - u, outMode) * (1.0f - u);
}
