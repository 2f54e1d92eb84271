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

// How likely a query is to reach a box from lo to hi: half the surface of the box widened by
// `margin` on every side, a stand-in for the query's reach (Distance, unknown here). NaN (a
// coordinate not a number) counts as everything.
float BoxCost(const Point3& lo, const Point3& hi, float margin) {
  const Point3 e = hi - lo + Point3(2.0f * margin, 2.0f * margin, 2.0f * margin);
  const float half = e.x * e.y + e.y * e.z + e.z * e.x;
  return half >= 0.0f ? half : std::numeric_limits<float>::infinity();
}

// The cheapest cut of `order` into at most four runs of at most four segments, each run a
// vector: the runs' sizes in `sizes`, and their summed cost.
float CheapestRuns(const std::vector<EdgeSegment>& segments, const Order& order, float margin,
                   std::array<int, 4>& sizes) {
  constexpr int kVectors = SmallEdgeSet::kMost / 4;
  const int n = int(segments.size());
  const float inf = std::numeric_limits<float>::infinity();
  // run[j][size - 1]: the cost of the run of `size` segments ending before j.
  float run[SmallEdgeSet::kMost + 1][4];
  for (int from = 0; from < n; ++from) {
    Point3 lo(inf, inf, inf), hi(-inf, -inf, -inf);
    for (int to = from + 1; to <= std::min(n, from + 4); ++to) {
      const EdgeSegment& s = segments[order[size_t(to - 1)]];
      for (int axis = 0; axis < 3; ++axis) {
        const float a = s.start[axis], b = s.end[axis];
        lo[axis] = std::min(lo[axis], std::min(a, b));
        hi[axis] = std::max(hi[axis], std::max(a, b));
      }
      run[to][to - from - 1] = BoxCost(lo, hi, margin);
    }
  }
  // best[g][j]: the first j segments in g runs; last[g][j]: the size of the last of them.
  float best[kVectors + 1][SmallEdgeSet::kMost + 1];
  int last[kVectors + 1][SmallEdgeSet::kMost + 1] = {};
  for (auto& row : best) std::fill(std::begin(row), std::end(row), inf);
  best[0][0] = 0.0f;
  // g runs hold from g segments to four times g.
  for (int g = 1; g <= kVectors; ++g)
    for (int j = g; j <= std::min(n, 4 * g); ++j)
      for (int size = std::max(1, j - 4 * (g - 1)); size <= std::min(4, j - (g - 1)); ++size) {
        const float c = best[g - 1][j - size] + run[j][size - 1];
        if (c < best[g][j]) best[g][j] = c, last[g][j] = size;
      }
  int groups = 0;
  for (int g = 1; g <= kVectors; ++g)
    if (best[g][n] < (groups ? best[groups][n] : inf)) groups = g;
  sizes = {};
  if (!groups) return inf;
  for (int g = groups, j = n; g > 0; j -= last[g][j], --g) sizes[size_t(g - 1)] = last[g][j];
  return best[groups][n];
}

}  // namespace

void BuildSmallEdgeSet(SmallEdgeSet& set, const std::vector<EdgeSegment>& segments) {
  set = SmallEdgeSet{};
  if (segments.size() > size_t(SmallEdgeSet::kMost)) return;
  set.count = int(segments.size());
  // Record order in fours, or sorted by midpoint along one axis and then another and cut into
  // the runs that cover least: a box's edges become its top, its bottom, and its uprights by
  // side, so that a point on its top reaches one vector or two rather than every upright.
  Order order{};
  std::iota(order.begin(), order.begin() + set.count, uint8_t(0));
  std::array<int, 4> sizes{};
  for (int v = 0; v < set.count; v += 4) sizes[size_t(v / 4)] = std::min(4, set.count - v);
  Point3 allLo, allHi;
  GroupBox(segments, order, 0, size_t(set.count), allLo, allHi);
  const Point3 all = allHi - allLo;
  const float margin = std::max({all.x, all.y, all.z}) / 8.0f;
  float cost = 0.0f;
  for (int v = 0, from = 0; v < 4; from += sizes[size_t(v)], ++v)
    if (sizes[size_t(v)]) {
      Point3 lo, hi;
      GroupBox(segments, order, size_t(from), size_t(from + sizes[size_t(v)]), lo, hi);
      cost += BoxCost(lo, hi, margin);
    }
  // Each axis first, then whichever of the other two the segments spread over more.
  float mids[SmallEdgeSet::kMost][3];
  for (int k = 0; k < set.count; ++k)
    for (int axis = 0; axis < 3; ++axis)
      mids[k][axis] = segments[size_t(k)].start[axis] + segments[size_t(k)].end[axis];
  const auto mid = [&](uint8_t k, int axis) { return mids[k][axis]; };
  for (int first = 0; first < 3; ++first) {
    const int next = (first + 1) % 3, last = (first + 2) % 3;
    const int second = all[last] > all[next] ? last : next;
    Order sorted{};
    std::iota(sorted.begin(), sorted.begin() + set.count, uint8_t(0));
    const auto before = [&](uint8_t x, uint8_t y) {
      if (mid(x, first) != mid(y, first)) return mid(x, first) < mid(y, first);
      return mid(x, second) < mid(y, second);
    };
    // Insertion, so stable: a dozen segments, sorted three times per record.
    for (int i = 1; i < set.count; ++i)
      for (int j = i; j > 0 && before(sorted[size_t(j)], sorted[size_t(j - 1)]); --j)
        std::swap(sorted[size_t(j)], sorted[size_t(j - 1)]);
    std::array<int, 4> runs{};
    const float sortedCost = CheapestRuns(segments, sorted, margin, runs);
    if (sortedCost < cost) order = sorted, sizes = runs, cost = sortedCost;
  }

  // Each run fills its vector from the first lane; the lanes left over hold NaN.
  std::array<int, SmallEdgeSet::kMost> laneSegment;  // the order's index in each lane, or -1
  laneSegment.fill(-1);
  std::array<int, 5> runStart{};
  for (int v = 0; v < 4; ++v) {
    runStart[size_t(v + 1)] = runStart[size_t(v)] + sizes[size_t(v)];
    for (int i = 0; i < sizes[size_t(v)]; ++i)
      laneSegment[size_t(v * 4 + i)] = runStart[size_t(v)] + i;
  }
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int lane = 0; lane < SmallEdgeSet::kMost; ++lane) {
    const int at = laneSegment[size_t(lane)];
    const bool used = at >= 0;
    const EdgeSegment s =
        used ? segments[order[size_t(at)]] : EdgeSegment{{nan, nan, nan}, {nan, nan, nan}};
    if (used) {
      set.segmentAt[lane] = order[size_t(at)];
      set.laneOf[order[size_t(at)]] = uint8_t(lane);
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
    if (sizes[size_t(v)] > 0) {
      GroupBox(segments, order, size_t(runStart[size_t(v)]), size_t(runStart[size_t(v + 1)]), lo,
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
