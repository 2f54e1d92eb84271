#include "prepared_ramp.h"

#include <immintrin.h>
#include <algorithm>
#include <cmath>

#include "curve_modes.h"
#include "marker_opacity.h"
#include "portability.h"
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
    s.linear = s.inMode == CurveLinear && s.outMode == CurveLinear;
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

// Inline in the walk, and the walk in Between: a sample between markers makes one call.
KELVANE_FORCE_INLINE AColor PreparedRamp::Blend(size_t i, float t) const {
  const Segment& s = segments[i];
  const float u = SegmentParameter(t, positions[i - 1], positions[i]);
  // Both linear: u lies within 0..1, where the curves' clamps change nothing.
  const float a = 1.0f - u, b = 1.0f - a;
  const float w = s.linear ? b * u + b * a : SegmentWeight(u, s.inMode, s.outMode);
  // The four channels at once, each with the same products and sums as AColor's operators.
  const auto load = [](const AColor& c) { return _mm_loadu_ps(&c.r); };
  const __m128 vw = _mm_set1_ps(w), rest = _mm_set1_ps(1.0f - w);
  const __m128 c0 = load(s.c0);
  const __m128 x2 = _mm_add_ps(_mm_mul_ps(load(s.x1), vw), _mm_mul_ps(c0, rest));
  const __m128 x4 = _mm_add_ps(
      _mm_mul_ps(_mm_add_ps(_mm_mul_ps(load(s.cN), vw), _mm_mul_ps(load(s.x3), rest)), vw),
      _mm_mul_ps(x2, rest));
  const __m128 c =
      _mm_add_ps(_mm_mul_ps(x4, _mm_set1_ps(s.k)), _mm_mul_ps(c0, _mm_set1_ps(1.0f - s.k)));
  AColor out;
  _mm_storeu_ps(&out.r, c);
  return out;
}

KELVANE_FORCE_INLINE AColor PreparedRamp::Walk(int count, float t) const {
  int i = 0;
  while (i < count && t > positions[size_t(i)]) ++i;
  if (i == count) return colors[size_t(count - 1)];
  if (i == 0) return colors[0];
  if (std::fabs(t - positions[size_t(i)]) < kRampSnap) return colors[size_t(i)];
  return Blend(size_t(i), t);
}

AColor PreparedRamp::Over(int count, float t) const {
  t = std::min(t, 1.0f);
  if (!(t >= kRampSnap)) t = 0.0f;  // NaN too
  return Walk(count, t);
}

AColor PreparedRamp::Between(float t) const {
  // t lies from kRampSnap up to below 1 here: Over's clamps would change nothing.
  if (positions.empty()) return AColor(0.0f, 0.0f, 0.0f, 0.0f);
  return Walk(int(positions.size()), t);
}
