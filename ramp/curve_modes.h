#pragma once

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

// The curve of a mode at x, clamped to 0..1. An unknown mode is linear.
float CurveValue(float x, int mode);

// Weight of the right-hand marker N at u (0..1) in the segment from marker P to N, shaped by
// N's in mode and P's out mode. Both linear gives u.
float SegmentWeight(float u, int inMode, int outMode);
