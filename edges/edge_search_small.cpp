#include "edge_search_small.h"

#include <immintrin.h>
#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

using Order = std::array<uint8_t, SmallEdgeSet::kMost>;

// Lower and upper ends, per axis, of the segments order[from] to order[to - 1].
void GroupBox(const std::vector<EdgeSegment>& segments, const Order& order, size_t from, size_t to,
              Point3& lo, Point3& hi) {
  const float inf = std::numeric_limits<float>::infinity();
  lo = Point3(inf, inf, inf);
  hi = Point3(-inf, -inf, -inf);
  for (size_t k = from; k < to; ++k) {
    const EdgeSegment& s = segments[order[k]];
    for (int axis = 0; axis < 3; ++axis) {
      lo[axis] = std::min({lo[axis], s.start[axis], s.end[axis]});
      hi[axis] = std::max({hi[axis], s.start[axis], s.end[axis]});
    }
  }
}

// How much of space the vectors' boxes cover, as half their surface: what a query's chance of
// reaching into them grows with. NaN (a coordinate not a number) counts as everything.
float GroupsCost(const std::vector<EdgeSegment>& segments, const Order& order) {
  float cost = 0.0f;
  for (size_t from = 0; from < segments.size(); from += 4) {
    Point3 lo, hi;
    GroupBox(segments, order, from, std::min(from + 4, segments.size()), lo, hi);
    const Point3 e = hi - lo;
    const float half = e.x * e.y + e.y * e.z + e.z * e.x;
    cost += half >= 0.0f ? half : std::numeric_limits<float>::infinity();
  }
  return cost;
}

}  // namespace

void BuildSmallEdgeSet(SmallEdgeSet& set, const std::vector<EdgeSegment>& segments) {
  set = SmallEdgeSet{};
  if (segments.size() > size_t(SmallEdgeSet::kMost)) return;
  set.count = int(segments.size());
  // Record order, or sorted by midpoint along the axis whose groups of four cover least.
  Order order{};
  std::iota(order.begin(), order.begin() + set.count, uint8_t(0));
  float cost = GroupsCost(segments, order);
  for (int axis = 0; axis < 3; ++axis) {
    Order sorted = order;
    std::iota(sorted.begin(), sorted.begin() + set.count, uint8_t(0));
    std::stable_sort(sorted.begin(), sorted.begin() + set.count, [&](uint8_t a, uint8_t b) {
      return segments[a].start[axis] + segments[a].end[axis] <
             segments[b].start[axis] + segments[b].end[axis];
    });
    const float sortedCost = GroupsCost(segments, sorted);
    if (sortedCost < cost) order = sorted, cost = sortedCost;
  }

  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int lane = 0; lane < SmallEdgeSet::kMost; ++lane) {
    const bool used = lane < set.count;
    const EdgeSegment s =
        used ? segments[order[size_t(lane)]] : EdgeSegment{{nan, nan, nan}, {nan, nan, nan}};
    if (used) {
      set.segmentAt[lane] = order[size_t(lane)];
      set.laneOf[order[size_t(lane)]] = uint8_t(lane);
    }
    SmallEdgeSet::Four& f = set.four[lane / 4];
    const int i = lane % 4;
    f.ax[i] = s.start.x, f.ay[i] = s.start.y, f.az[i] = s.start.z;
    f.bx[i] = s.end.x, f.by[i] = s.end.y, f.bz[i] = s.end.z;
  }
  // A vector's box, widened by what rounding at coordinates as large as its segments' can move
  // a measured point; a vector without segments has none (lower above upper).
  for (int v = 0; v < SmallEdgeSet::kMost / 4; ++v) {
    Point3 lo(FLT_MAX, FLT_MAX, FLT_MAX), hi(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    if (v * 4 < set.count) {
      GroupBox(segments, order, size_t(v) * 4, std::min(size_t(v) * 4 + 4, segments.size()), lo,
               hi);
      float largest = 0.0f;
      for (int axis = 0; axis < 3; ++axis)
        largest = std::max({largest, std::fabs(lo[axis]), std::fabs(hi[axis])});
      const float slack = 8.0f * FLT_EPSILON * largest;
      for (int axis = 0; axis < 3; ++axis) lo[axis] -= slack, hi[axis] += slack;
    }
    for (int axis = 0; axis < 3; ++axis) {
      set.lower[axis][v] = lo[axis];
      set.upper[axis][v] = hi[axis];
    }
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

}  // namespace

int NearestSmallEdge(const SmallEdgeSet& set, const Point3& p, float radius2) {
  // SSE2, which every x86-64 has: four vectors at most, so nothing wider to ask the CPU for.
  static_assert(SmallEdgeSet::kMost == 16);
  const __m128 px = _mm_set1_ps(p.x), py = _mm_set1_ps(p.y), pz = _mm_set1_ps(p.z);
  // The vectors whose box p lies within the radius of, axis by axis, lane by vector. A point
  // not finite lies in none. Past the radius a little, for its own rounding.
  const __m128 reach = _mm_set1_ps(std::sqrt(radius2) * 1.001f);
  const __m128 inX = _mm_and_ps(_mm_cmpge_ps(px, _mm_sub_ps(_mm_load_ps(set.lower[0]), reach)),
                                _mm_cmple_ps(px, _mm_add_ps(_mm_load_ps(set.upper[0]), reach)));
  const __m128 inY = _mm_and_ps(_mm_cmpge_ps(py, _mm_sub_ps(_mm_load_ps(set.lower[1]), reach)),
                                _mm_cmple_ps(py, _mm_add_ps(_mm_load_ps(set.upper[1]), reach)));
  const __m128 inZ = _mm_and_ps(_mm_cmpge_ps(pz, _mm_sub_ps(_mm_load_ps(set.lower[2]), reach)),
                                _mm_cmple_ps(pz, _mm_add_ps(_mm_load_ps(set.upper[2]), reach)));
  const unsigned reached = unsigned(_mm_movemask_ps(_mm_and_ps(_mm_and_ps(inX, inY), inZ)));
  if (!reached) return -1;

  // Lane by lane the least so far below radius2; min keeps its second operand against NaN.
  // A vector skipped holds nothing below radius2, and stands as radius2 throughout.
  const __m128 limit = _mm_set1_ps(radius2);
  const __m128 d0 = reached & 1u ? Measure(set.four[0], px, py, pz) : limit;
  const __m128 d1 = reached & 2u ? Measure(set.four[1], px, py, pz) : limit;
  const __m128 d2 = reached & 4u ? Measure(set.four[2], px, py, pz) : limit;
  const __m128 d3 = reached & 8u ? Measure(set.four[3], px, py, pz) : limit;
  __m128 least = _mm_min_ps(d3, _mm_min_ps(d2, _mm_min_ps(d1, _mm_min_ps(d0, limit))));
  least = _mm_min_ps(least, _mm_shuffle_ps(least, least, _MM_SHUFFLE(1, 0, 3, 2)));
  least = _mm_min_ps(least, _mm_shuffle_ps(least, least, _MM_SHUFFLE(2, 3, 0, 1)));
  if (!(_mm_cvtss_f32(least) < radius2)) return -1;
  // The lanes at that distance (never one skipped), and of those the lowest index in the
  // record: nearly always the one lane.
  unsigned at = unsigned(_mm_movemask_ps(_mm_cmpeq_ps(d0, least))) |
                unsigned(_mm_movemask_ps(_mm_cmpeq_ps(d1, least))) << 4 |
                unsigned(_mm_movemask_ps(_mm_cmpeq_ps(d2, least))) << 8 |
                unsigned(_mm_movemask_ps(_mm_cmpeq_ps(d3, least))) << 12;
  int best = set.segmentAt[std::countr_zero(at)];
  for (at &= at - 1; at; at &= at - 1)
    best = std::min(best, int(set.segmentAt[std::countr_zero(at)]));
  return best;
}
