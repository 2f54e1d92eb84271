// Curve values, their clamp, and the segment weight of every pair of modes.
#include <gtest/gtest.h>

#include "curve_modes.h"

TEST(RampCurveModes, ValuesAndClamp) {
  EXPECT_NEAR(CurveValue(0.0f, CurveExponential), 0.9476f, 1e-4f);
  EXPECT_NEAR(CurveValue(0.75f, CurveGamma), 0.13397f, 1e-5f);
  EXPECT_GT(CurveValue(0.98f, CurveExponential), 0.0f);  // exponential meets 0 before 1
  EXPECT_EQ(CurveValue(0.99f, CurveExponential), 0.0f);  // and is clamped there
  EXPECT_EQ(CurveValue(0.25f, 17), 0.75f);               // an unknown mode is linear
}

TEST(RampCurveModes, SegmentWeights) {
  // At u = 0.5; rows: the right marker's in mode, columns: the left marker's out mode.
  const float table[kCurveModeCount][kCurveModeCount] = {
      {0.5f, 0.63259f, 0.39645f, 0.25f, 0.75f},
      {0.36741f, 0.5f, 0.26386f, 0.11741f, 0.61741f},
      {0.60355f, 0.73614f, 0.5f, 0.35355f, 0.85355f},
      {0.75f, 0.88259f, 0.64645f, 0.5f, 1.0f},
      {0.25f, 0.38259f, 0.14645f, 0.0f, 0.5f},
  };
  for (int in = 0; in < kCurveModeCount; ++in)
    for (int out = 0; out < kCurveModeCount; ++out)
      EXPECT_NEAR(SegmentWeight(0.5f, in, out), table[in][out], 1e-5f) << in << " " << out;
  for (float u : {0.0f, 0.1f, 0.37f, 1.0f}) {
    EXPECT_FLOAT_EQ(SegmentWeight(u, CurveSolid, CurveSolid), u);
    EXPECT_FLOAT_EQ(SegmentWeight(u, CurveNo, CurveNo), 1.0f - u);
  }
}
