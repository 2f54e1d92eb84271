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
    // As Point3's operators form them (NaN in unused lanes).
    const Point3 d = s.end - s.start;
    f.dx[i] = d.x, f.dy[i] = d.y, f.dz[i] = d.z;
    f.length2[i] = d.x * d.x + d.y * d.y + d.z * d.z;
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
