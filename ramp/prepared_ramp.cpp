#include "prepared_ramp.h"

#include <algorithm>
#include <cmath>

#include "curve_modes.h"
#include "marker_opacity.h"
#include "ramp_segment.h"

namespace {

bool MapsInUse(const RampMarker& m) {
  return (m.colorMapOn && m.colorMap) || (m.transparentMapOn && m.transparentMap);
}

}  // namespace

void PreparedRamp::Prepare(const GradientRamp& ramp) {
  const std::vector<RampMarker>& m = ramp.markers;
  ready = std::none_of(m.begin(), m.end(), MapsInUse);
  positions.clear();
  colors.clear();
  segments.assign(m.size(), Segment{});
  if (!ready) return;
  for (const RampMarker& marker : m) {
    positions.push_back(marker.position);
    colors.push_back(marker.color);
  }
  // The blend's terms as Evaluate forms them, with both opacities 1: no map changes them.
  // Segment i's left colour comes from the markers before i alone, prepared by then.
  const float rhoP = 1.0f, rhoN = 1.0f;
  for (size_t i = 1; i < m.size(); ++i) {
    Segment& s = segments[i];
    s.inMode = m[i].inMode;
    s.outMode = m[i - 1].outMode;
    s.k = TransparencyFactor(m[i]);
    s.cN = m[i].color;
    s.c0 = Over(int(i), LeftOf(m[i - 1].position));
    s.x1 = s.cN * (1.0f - rhoN) + s.c0 * rhoN;
    s.x3 = s.cN * rhoP + s.c0 * (1.0f - rhoP);
  }
  atZero = atOne = AColor();
  if (m.empty()) return;
  atZero = Over(int(m.size()), 0.0f);
  atOne = Over(int(m.size()), 1.0f);
}

AColor PreparedRamp::Between(float t) const {
  if (positions.empty()) return AColor(0.0f, 0.0f, 0.0f, 0.0f);
  return Over(int(positions.size()), t);
}

AColor PreparedRamp::Over(int count, float t) const {
  t = std::min(t, 1.0f);
  if (!(t >= kRampSnap)) t = 0.0f;  // NaN too
  int i = 0;
  while (i < count && t > positions[size_t(i)]) ++i;
  if (i == count) return colors[size_t(count - 1)];
  if (i == 0) return colors[0];
  if (std::fabs(t - positions[size_t(i)]) < kRampSnap) return colors[size_t(i)];
  const Segment& s = segments[size_t(i)];
  float u = SegmentParameter(t, positions[size_t(i - 1)], positions[size_t(i)]);
  float w = SegmentWeight(u, s.inMode, s.outMode);
  AColor x2 = s.x1 * w + s.c0 * (1.0f - w);
  AColor x4 = (s.cN * w + s.x3 * (1.0f - w)) * w + x2 * (1.0f - w);
  return x4 * s.k + s.c0 * (1.0f - s.k);
}
