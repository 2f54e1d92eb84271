// Small ramps and colour checks; the shade context and the marker map are the shared stubs.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "gradient_ramp.h"
#include "imtl.h"
#include "shade_stubs.h"

// Markers at the given positions, in the given order, each grey of its own position.
inline GradientRamp RampAt(std::initializer_list<float> positions) {
  GradientRamp ramp;
  for (float p : positions) {
    ramp.markers.emplace_back();
    ramp.markers.back().position = p;
    ramp.markers.back().color = AColor(p, p, p, 1.0f);
  }
  return ramp;
}

// Each marker's position in order: a ramp's layout in one comparison.
inline std::vector<float> Positions(const GradientRamp& ramp) {
  std::vector<float> positions;
  for (const RampMarker& m : ramp.markers) positions.push_back(m.position);
  return positions;
}

inline void ExpectColor(const AColor& c, float r, float g, float b, float a = 1.0f) {
  EXPECT_NEAR(c.r, r, 1e-5f);
  EXPECT_NEAR(c.g, g, 1e-5f);
  EXPECT_NEAR(c.b, b, 1e-5f);
  EXPECT_NEAR(c.a, a, 1e-5f);
}
