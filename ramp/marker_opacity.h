#pragma once
#include "ramp_marker.h"

class ShadeContext;

// A third as the ramp has always rounded it; the mean of r, g, b is their sum times this.
inline constexpr float kThird = 0.33333334f;

// How much of a segment's blend shows through the transparency colour of its right-hand
// marker: 1 is opaque, 0 leaves the colour arriving from the left.
inline float TransparencyFactor(const RampMarker& right) {
  const AColor& c = right.transparentColor;
  return 1.0f - (c.r + c.g + c.b) * kThird;
}

// Opacity a marker's transparency map gives this sample: 1 without a map or with it switched
// off; a black map keeps the marker opaque, a white one makes it fully transparent.
float MapOpacity(const RampMarker& marker, ShadeContext& sc);
