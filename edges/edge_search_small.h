#pragma once
#include <immintrin.h>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "edge_segment.h"
#include "point3.h"
#include "portability.h"

// The segments of a record so small that measuring every one beats any search (a box's dozen
// edges, and a scene may hold thousands of boxes): kept side by side up to four to a vector,
// and measured all at once. The segments are grouped by where they lie (a box's top, its
// bottom, its uprights side by side), and each vector keeps the box of its segments, so that a
// query skips the vectors out of its reach: a point on a box's face is near a few of its edges.
struct SmallEdgeSet {
  static constexpr int kMost = 16;
  // Four segments' ends, lane by lane: a query reads a few cache lines in a row, which matters
  // because tracing the sample's ray has usually pushed the record out of the nearest cache.
  // Unused lanes hold NaN, which never measures nearer than anything. With each segment's
  // direction (end minus start) and its squared length, computed once with the arithmetic a
  // query would use: the query reads the first seven rows, and only the winner's measure the
  // ends.
  struct Four {
    alignas(16) float ax[4], ay[4], az[4];
    alignas(16) float dx[4], dy[4], dz[4], length2[4];
    alignas(16) float bx[4], by[4], bz[4];
  };

  int count = 0;  // 0 for a record with more segments (or none)
  Four four[kMost / 4];
  // Per axis, vector by vector, the lower and upper ends of the vector's segments, widened by
  // the rounding of coordinates as large as theirs; vectors past the last are empty.
  alignas(16) float lower[3][4], upper[3][4];
  uint8_t segmentAt[kMost];  // the record's index of the segment in each lane
  uint8_t laneOf[kMost];     // the lane of each of the record's segments
  // Per axis, for each layer of the record's near-edge mask cells across it, the lanes whose
  // segment marked cells in that layer: those of the X layers, then the Y, then the Z ones.
  // A cell's lanes, the three layers' in common, are the segments that marked it, so a point
  // is measured against those alone. Empty without a mask.
  std::vector<uint16_t> layerLanes;
  int firstY = 0, firstZ = 0;  // where the Y and Z layers start

  // The lanes of segments that marked the mask's cell (cx, cy, cz).
  unsigned CellLanes(const int cell[3]) const {
    const uint16_t* l = layerLanes.data();
    return unsigned(l[cell[0]]) & l[firstY + cell[1]] & l[firstZ + cell[2]];
  }

  // The record's segment k as stored.
  EdgeSegment Segment(int k) const {
    const int lane = laneOf[k];
    const Four& f = four[lane / 4];
    const int i = lane % 4;
    return {{f.ax[i], f.ay[i], f.az[i]}, {f.bx[i], f.by[i], f.bz[i]}};
  }
};

// Keeps the segments when they are at most kMost; count stays 0 otherwise.
void BuildSmallEdgeSet(SmallEdgeSet& set, const std::vector<EdgeSegment>& segments);

namespace small_edge_detail {

// Squared distances from p to the four segments of f, each to its closest point, as the slot
// scans compute them: the same arithmetic in the same order.
KELVANE_FORCE_INLINE __m128 Measure(const SmallEdgeSet::Four& f, __m128 px, __m128 py, __m128 pz) {
  const __m128 ax = _mm_load_ps(f.ax), ay = _mm_load_ps(f.ay), az = _mm_load_ps(f.az);
  const __m128 dx = _mm_load_ps(f.dx), dy = _mm_load_ps(f.dy), dz = _mm_load_ps(f.dz);
  const __m128 vx = _mm_sub_ps(px, ax), vy = _mm_sub_ps(py, ay), vz = _mm_sub_ps(pz, az);
  const __m128 dot =
      _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, vx), _mm_mul_ps(dy, vy)), _mm_mul_ps(dz, vz));
  // NaN, from a zero-length segment, gives 0.
  const __m128 t = _mm_min_ps(_mm_max_ps(_mm_div_ps(dot, _mm_load_ps(f.length2)), _mm_setzero_ps()),
                              _mm_set1_ps(1.0f));
  const __m128 ex = _mm_sub_ps(vx, _mm_mul_ps(t, dx));
  const __m128 ey = _mm_sub_ps(vy, _mm_mul_ps(t, dy));
  const __m128 ez = _mm_sub_ps(vz, _mm_mul_ps(t, dz));
  return _mm_add_ps(_mm_add_ps(_mm_mul_ps(ex, ex), _mm_mul_ps(ey, ey)), _mm_mul_ps(ez, ez));
}

// The lane of the least squared distance below radius2 among the vectors in `reached`, one
// bit each (-1 for none); among equal distances the lower index in the record.
KELVANE_FORCE_INLINE int NearestIn(const SmallEdgeSet& set, unsigned reached, __m128 px, __m128 py,
                                   __m128 pz, float radius2) {
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
  int best = std::countr_zero(at);
  for (at &= at - 1; at; at &= at - 1)
    if (set.segmentAt[std::countr_zero(at)] < set.segmentAt[best]) best = std::countr_zero(at);
  return best;
}

}  // namespace small_edge_detail

// The lane of the segment nearest to p whose squared distance is below radius2 (-1 for none);
// among equal distances the lower index in the record. Measures each segment exactly as the
// slot scans do, so the answer is theirs to the bit. `radius` is radius2's root, or as near as
// rounding has it: a caller holding the radius saves the root.
// Inline: the query of every sample near a small record's edges, which a call would add to.
// (So no file built for wider vectors than SSE2 may include this one.)
KELVANE_FORCE_INLINE int NearestSmallLane(const SmallEdgeSet& set, const Point3& p, float radius2,
                                          float radius) {
  // SSE2, which every x86-64 has: four vectors at most, so nothing wider to ask the CPU for.
  static_assert(SmallEdgeSet::kMost == 16);
  const __m128 px = _mm_set1_ps(p.x), py = _mm_set1_ps(p.y), pz = _mm_set1_ps(p.z);
  // The vectors whose box p lies within the radius of, axis by axis, lane by vector. A point
  // not finite lies in none. Past the radius a little, for its own rounding.
  const __m128 reach = _mm_set1_ps(radius * 1.001f);
  const __m128 inX = _mm_and_ps(_mm_cmpge_ps(px, _mm_sub_ps(_mm_load_ps(set.lower[0]), reach)),
                                _mm_cmple_ps(px, _mm_add_ps(_mm_load_ps(set.upper[0]), reach)));
  const __m128 inY = _mm_and_ps(_mm_cmpge_ps(py, _mm_sub_ps(_mm_load_ps(set.lower[1]), reach)),
                                _mm_cmple_ps(py, _mm_add_ps(_mm_load_ps(set.upper[1]), reach)));
  const __m128 inZ = _mm_and_ps(_mm_cmpge_ps(pz, _mm_sub_ps(_mm_load_ps(set.lower[2]), reach)),
                                _mm_cmple_ps(pz, _mm_add_ps(_mm_load_ps(set.upper[2]), reach)));
  const unsigned reached = unsigned(_mm_movemask_ps(_mm_and_ps(_mm_and_ps(inX, inY), inZ)));
  if (!reached) return -1;

  return small_edge_detail::NearestIn(set, reached, px, py, pz, radius2);
}

// NearestSmallLane's answer for a point whose candidates are known: `lanes` holds every lane
// whose segment could lie within the radius of p (CellLanes), and perhaps others, and is not
// empty. Mostly a single one, near the middle of an edge: then that lane alone is measured.
KELVANE_FORCE_INLINE int NearestSmallLaneOf(const SmallEdgeSet& set, unsigned lanes,
                                            const Point3& p, float radius2) {
  const __m128 px = _mm_set1_ps(p.x), py = _mm_set1_ps(p.y), pz = _mm_set1_ps(p.z);
  if (!(lanes & (lanes - 1))) {
    const int lane = std::countr_zero(lanes);
    alignas(16) float d2[4];
    _mm_store_ps(d2, small_edge_detail::Measure(set.four[lane / 4], px, py, pz));
    return d2[lane % 4] < radius2 ? lane : -1;
  }
  // The vectors holding a candidate.
  const unsigned any = lanes | lanes >> 1 | lanes >> 2 | lanes >> 3;
  const unsigned reached = (any & 1u) | (any >> 3 & 2u) | (any >> 6 & 4u) | (any >> 9 & 8u);
  return small_edge_detail::NearestIn(set, reached, px, py, pz, radius2);
}

// The record's index of that segment (-1 for none).
KELVANE_FORCE_INLINE int NearestSmallEdge(const SmallEdgeSet& set, const Point3& p, float radius2) {
  const int lane = NearestSmallLane(set, p, radius2, std::sqrt(radius2));
  return lane < 0 ? -1 : set.segmentAt[lane];
}

// The distance from p to the segment in `lane`, as MeasureSegment (nearest_edge.h) gives it to
// the bit: its arithmetic, step by step. One lane's worth of scalar steps is fewer than the
// four lanes' vectors for callers that want the distance alone.
KELVANE_FORCE_INLINE float SmallLaneDistance(const SmallEdgeSet& set, int lane, const Point3& p) {
  const SmallEdgeSet::Four& f = set.four[lane / 4];
  const int i = lane % 4;
  const float ax = f.ax[i], ay = f.ay[i], az = f.az[i];
  const float dx = f.dx[i], dy = f.dy[i], dz = f.dz[i];
  const float vx = p.x - ax, vy = p.y - ay, vz = p.z - az;
  const float t = (dx * vx + dy * vy + dz * vz) / f.length2[i];
  // The start minus p is exactly minus v: the same squares.
  const float toStart = vx * vx + vy * vy + vz * vz;
  float best = toStart;
  if (t >= 0.0f && t <= 1.0f) {
    const float fx = p.x - (ax + t * dx), fy = p.y - (ay + t * dy), fz = p.z - (az + t * dz);
    const float toFoot = fx * fx + fy * fy + fz * fz;
    if (!(toStart < toFoot) || !(std::sqrt(toStart) < std::sqrt(toFoot))) best = toFoot;
  }
  const float ex = f.bx[i] - p.x, ey = f.by[i] - p.y, ez = f.bz[i] - p.z;
  const float toEnd = ex * ex + ey * ey + ez * ez;
  if (toEnd < best && std::sqrt(toEnd) < std::sqrt(best)) best = toEnd;
  return std::sqrt(best);
}

namespace small_edge_detail {

// MeasureSmallEdge below.
KELVANE_FORCE_INLINE float MeasureLane(const SmallEdgeSet& set, int k, const Point3& p,
                                       Point3& nearest) {
  const int lane = set.laneOf[k];
  const SmallEdgeSet::Four& f = set.four[lane / 4];
  const __m128 px = _mm_set1_ps(p.x), py = _mm_set1_ps(p.y), pz = _mm_set1_ps(p.z);
  const __m128 ax = _mm_load_ps(f.ax), ay = _mm_load_ps(f.ay), az = _mm_load_ps(f.az);
  const __m128 bx = _mm_load_ps(f.bx), by = _mm_load_ps(f.by), bz = _mm_load_ps(f.bz);
  const auto square = [](__m128 x, __m128 y, __m128 z) {
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)), _mm_mul_ps(z, z));
  };
  const __m128 dx = _mm_load_ps(f.dx), dy = _mm_load_ps(f.dy), dz = _mm_load_ps(f.dz);
  const __m128 dot =
      _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, _mm_sub_ps(px, ax)), _mm_mul_ps(dy, _mm_sub_ps(py, ay))),
                 _mm_mul_ps(dz, _mm_sub_ps(pz, az)));
  const __m128 t = _mm_div_ps(dot, _mm_load_ps(f.length2));
  const __m128 footX = _mm_add_ps(ax, _mm_mul_ps(t, dx));
  const __m128 footY = _mm_add_ps(ay, _mm_mul_ps(t, dy));
  const __m128 footZ = _mm_add_ps(az, _mm_mul_ps(t, dz));
  const __m128 toStart =
      _mm_sqrt_ps(square(_mm_sub_ps(ax, px), _mm_sub_ps(ay, py), _mm_sub_ps(az, pz)));
  const __m128 toFoot =
      _mm_sqrt_ps(square(_mm_sub_ps(px, footX), _mm_sub_ps(py, footY), _mm_sub_ps(pz, footZ)));
  const __m128 toEnd =
      _mm_sqrt_ps(square(_mm_sub_ps(bx, px), _mm_sub_ps(by, py), _mm_sub_ps(bz, pz)));
  // The foot, when on the segment, unless the start is nearer (NaN keeps the foot); then the
  // end, when nearer still. A root below another means a square below it.
  const __m128 onSegment =
      _mm_and_ps(_mm_cmpge_ps(t, _mm_setzero_ps()), _mm_cmple_ps(t, _mm_set1_ps(1.0f)));
  const __m128 footWins = _mm_and_ps(onSegment, _mm_cmpnlt_ps(toStart, toFoot));
  const __m128 best = _mm_or_ps(_mm_and_ps(footWins, toFoot), _mm_andnot_ps(footWins, toStart));
  const __m128 endWins = _mm_cmplt_ps(toEnd, best);
  const int i = lane % 4;
  alignas(16) float distance[4];
  _mm_store_ps(distance, _mm_or_ps(_mm_and_ps(endWins, toEnd), _mm_andnot_ps(endWins, best)));
  alignas(16) float at[3][4];
  const auto pick = [&](__m128 start, __m128 foot, __m128 end) {
    const __m128 v = _mm_or_ps(_mm_and_ps(footWins, foot), _mm_andnot_ps(footWins, start));
    return _mm_or_ps(_mm_and_ps(endWins, end), _mm_andnot_ps(endWins, v));
  };
  _mm_store_ps(at[0], pick(ax, footX, bx));
  _mm_store_ps(at[1], pick(ay, footY, by));
  _mm_store_ps(at[2], pick(az, footZ, bz));
  nearest = Point3(at[0][i], at[1][i], at[2][i]);
  return distance[i];
}

}  // namespace small_edge_detail

// Distance from p to the record's segment k and its nearest point, as MeasureSegment
// (nearest_edge.h) gives them to the bit: the same products and sums, and in place of its
// comparisons of square roots, the same comparisons made on the lanes' roots. Measures the
// four segments of k's vector at once, straight from the lanes the query just read.
inline float MeasureSmallEdge(const SmallEdgeSet& set, int k, const Point3& p, Point3& nearest) {
  return small_edge_detail::MeasureLane(set, k, p, nearest);
}
