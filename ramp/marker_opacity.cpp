#include "marker_opacity.h"

#include "imtl.h"

float MapOpacity(const RampMarker& marker, ShadeContext& sc) {
  if (!marker.transparentMapOn || !marker.transparentMap) return 1.0f;
  AColor c = marker.transparentMap->EvalColor(sc);
  return 1.0f - (c.r + c.g + c.b) * kThird;
}
