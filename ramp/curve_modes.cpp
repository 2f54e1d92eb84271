#include "curve_modes.h"

#include <algorithm>
#include <cmath>

float CurveValue(float x, int mode) {
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

float SegmentWeight(float u, int inMode, int outMode) {
  return (1.0f - CurveValue(u, inMode)) * u + CurveValue(1.0f - u, outMode) * (1.0f - u);
}
