// The ramp's value at a position: ColorAt from marker colours, Evaluate and EvaluatePerturb
// for shading samples.
#include <algorithm>
#include <cmath>

#include "curve_modes.h"
#include "gradient_ramp.h"
#include "imtl.h"
#include "marker_opacity.h"
#include "ramp_segment.h"

namespace {

// ColorAt over the first count markers. The colour arriving at P comes from the markers before
// N only: the scan from index 0 would otherwise land in the same segment again when P is far
// from 0 (0.01 is lost in rounding there) or at minus infinity, and never end.
AColor ColorOver(const RampMarker* m, int count, float t) {
  int i = 0;
  while (i < count && t >= m[i].position) ++i;
  if (i == count) return m[count - 1].color;
  if (i == 0) return m[0].color;
  const RampMarker& n = m[i];
  const RampMarker& p = m[i - 1];
  float u = SegmentParameter(t, p.position, n.position);
  AColor c0 = ColorOver(m, i, LeftOf(p.position));
  float w = SegmentWeight(u, n.inMode, p.outMode);
  float k = TransparencyFactor(n);
  return (n.color * w + c0 * (1.0f - w)) * k + c0 * (1.0f - k);
}

// Evaluate and EvaluatePerturb over the first count markers; V is AColor or Point3 and
// valueOf gives a marker's own value. As in ColorOver, the recursion sees only the markers
// before N: with markers below 0 the left sample snaps back to 0 and would find N again
// forever. Since each level also moves t at least 0.01 left of the last, the depth stays
// near 100 whatever the marker count. Only locals: render threads share the ramp.
template <class V, class ValueOf>
V EvaluateOver(const RampMarker* m, int count, ShadeContext& sc, float t, const ValueOf& valueOf) {
  t = std::min(t, 1.0f);
  if (!(t >= kRampSnap)) t = 0.0f;  // NaN too
  int i = 0;
  while (i < count && t > m[i].position) ++i;
  if (i == count) return valueOf(m[count - 1]);
  if (i == 0) return valueOf(m[0]);
  const RampMarker& n = m[i];
  if (std::fabs(t - n.position) < kRampSnap) return valueOf(n);
  const RampMarker& p = m[i - 1];
  float u = SegmentParameter(t, p.position, n.position);
  // Maps are sampled in this order: the left colour, P's opacity, N's opacity, N's value.
  V c0 = EvaluateOver<V>(m, i, sc, LeftOf(p.position), valueOf);
  float rhoP = MapOpacity(p, sc);
  float rhoN = MapOpacity(n, sc);
  V cN = valueOf(n);
  float w = SegmentWeight(u, n.inMode, p.outMode);
  float k = TransparencyFactor(n);
  V x1 = cN * (1.0f - rhoN) + c0 * rhoN;
  V x2 = x1 * w + c0 * (1.0f - w);
  V x3 = cN * rhoP + c0 * (1.0f - rhoP);
  V x4 = (cN * w + x3 * (1.0f - w)) * w + x2 * (1.0f - w);
  return x4 * k + c0 * (1.0f - k);
}

}  // namespace

// A ramp with no markers (a scene file may store none) answers with the map's default
// results: transparent black and no perturbation.

AColor GradientRamp::ColorAt(float t) const {
  if (markers.empty()) return AColor(0.0f, 0.0f, 0.0f, 0.0f);
  return ColorOver(markers.data(), int(markers.size()), t);
}

AColor GradientRamp::Evaluate(ShadeContext& sc, float t) const {
  if (markers.empty()) return AColor(0.0f, 0.0f, 0.0f, 0.0f);
  auto valueOf = [&sc](const RampMarker& m) {
    return m.colorMapOn && m.colorMap ? m.colorMap->EvalColor(sc) : m.color;
  };
  return EvaluateOver<AColor>(markers.data(), int(markers.size()), sc, t, valueOf);
}

Point3 GradientRamp::EvaluatePerturb(ShadeContext& sc, float t, const Point3& direction) const {
  if (markers.empty()) return Point3(0.0f, 0.0f, 0.0f);
  auto valueOf = [&sc, &direction](const RampMarker& m) {
    if (m.colorMapOn && m.colorMap) return m.colorMap->EvalNormalPerturb(sc);
    float mono = (m.color.r + m.color.g + m.color.b) * kThird;
    return Point3(mono * direction.x, mono * direction.y, mono * direction.z + mono);
  };
  return EvaluateOver<Point3>(markers.data(), int(markers.size()), sc, t, valueOf);
}
