#include "edge_search_small.h"

#include <immintrin.h>
#include <bit>
#include <limits>

void BuildSmallEdgeSet(SmallEdgeSet& set, const std::vector<EdgeSegment>& segments) {
  set = SmallEdgeSet{};
  if (segments.size() > size_t(SmallEdgeSet::kMost)) return;
  set.count = int(segments.size());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int k = 0; k < SmallEdgeSet::kMost; ++k) {
    const EdgeSegment s =
        k < set.count ? segments[size_t(k)] : EdgeSegment{{nan, nan, nan}, {nan, nan, nan}};
    SmallEdgeSet::Four& f = set.four[k / 4];
    const int i = k % 4;
    f.ax[i] = s.start.x, f.ay[i] = s.start.y, f.az[i] = s.start.z;
    f.bx[i] = s.end.x, f.by[i] = s.end.y, f.bz[i] = s.end.z;
  }
}

namespace {

// Squared distances from p to the four segments of f, each to its closest point, as the slot
// scans compute them: the same arithmetic in the same order.
inline __m128 Measure(const SmallEdgeSet::Four& f, __m128 px, __m128 py, __m128 pz) {
  const __m128 ax = _mm_load_ps(f.ax), ay = _mm_load_ps(f.ay), az = _mm_load_ps(f.az);
  const __m128 dx = _mm_sub_ps(_mm_load_ps(f.bx), ax);
  const __m128 dy = _mm_sub_ps(_mm_load_ps(f.by), ay);
  const __m128 dz = _mm_sub_ps(_mm_load_ps(f.bz), az);
  const __m128 vx = _mm_sub_ps(px, ax), vy = _mm_sub_ps(py, ay), vz = _mm_sub_ps(pz, az);
  const __m128 dot =
      _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, vx), _mm_mul_ps(dy, vy)), _mm_mul_ps(dz, vz));
  const __m128 length2 =
      _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
  // NaN, from a zero-length segment, gives 0.
  const __m128 t =
      _mm_min_ps(_mm_max_ps(_mm_div_ps(dot, length2), _mm_setzero_ps()), _mm_set1_ps(1.0f));
  const __m128 ex = _mm_sub_ps(vx, _mm_mul_ps(t, dx));
  const __m128 ey = _mm_sub_ps(vy, _mm_mul_ps(t, dy));
  const __m128 ez = _mm_sub_ps(vz, _mm_mul_ps(t, dz));
  return _mm_add_ps(_mm_add_ps(_mm_mul_ps(ex, ex), _mm_mul_ps(ey, ey)), _mm_mul_ps(ez, ez));
}

// The whole scan over a known number of vectors, so that it unrolls into straight code.
template <int kVectors>
int Nearest(const SmallEdgeSet& set, const Point3& p, float radius2) {
  const __m128 px = _mm_set1_ps(p.x), py = _mm_set1_ps(p.y), pz = _mm_set1_ps(p.z);
  __m128 d2[kVectors];
  // Lane by lane the least so far below radius2; min keeps its second operand against NaN.
  __m128 least = _mm_set1_ps(radius2);
  for (int k = 0; k < kVectors; ++k) {
    d2[k] = Measure(set.four[k], px, py, pz);
    least = _mm_min_ps(d2[k], least);
  }
  least = _mm_min_ps(least, _mm_shuffle_ps(least, least, _MM_SHUFFLE(1, 0, 3, 2)));
  least = _mm_min_ps(least, _mm_shuffle_ps(least, least, _MM_SHUFFLE(2, 3, 0, 1)));
  if (!(_mm_cvtss_f32(least) < radius2)) return -1;
  // The lowest lane at that distance is the lowest index.
  unsigned at = 0;
  for (int k = 0; k < kVectors; ++k)
    at |= unsigned(_mm_movemask_ps(_mm_cmpeq_ps(d2[k], least))) << (4 * k);
  return std::countr_zero(at);
}

}  // namespace

int NearestSmallEdge(const SmallEdgeSet& set, const Point3& p, float radius2) {
  // SSE2, which every x86-64 has: four vectors at most, so nothing wider to ask the CPU for.
  static_assert(SmallEdgeSet::kMost == 16);
  switch ((set.count + 3) / 4) {
    case 1:
      return Nearest<1>(set, p, radius2);
    case 2:
      return Nearest<2>(set, p, radius2);
    case 3:
      return Nearest<3>(set, p, radius2);
    case 4:
      return Nearest<4>(set, p, radius2);
    default:
      return -1;
  }
}
