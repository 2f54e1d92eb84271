// The nearest-segment search over an EdgeSearchIndex, compiled twice: with SSE2, which every
// x86-64 has, and with AVX2, chosen at run time. PE modules have no ifunc, so the choice is a
// plain CPUID test rather than target_clones.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <immintrin.h>
#include <limits>

#include "edge_search_query.h"

namespace {

template <int W>
struct Lanes;
template <>
struct Lanes<4> {
  typedef float F __attribute__((vector_size(16)));
  typedef int32_t I __attribute__((vector_size(16)));
};
template <>
struct Lanes<8> {
  typedef float F __attribute__((vector_size(32)));
  typedef int32_t I __attribute__((vector_size(32)));
};

// The nearest stored segment so far: its squared distance, its index in the record and the
// slot it is stored in.
struct Best {
  float d2;
  int32_t segment;
  uint32_t slot;
};

// Distance from v to the interval [lo, hi]; 0 inside. With max instructions: as branches,
// the compiler's choice, it would be mispredicted all the time.
inline float Gap(float v, float lo, float hi) {
  const __m128 out = _mm_max_ss(_mm_set_ss(lo - v), _mm_set_ss(v - hi));
  return _mm_cvtss_f32(_mm_max_ss(out, _mm_setzero_ps()));
}

// The scanning helpers take no vector arguments by value and are always inlined into one
// function per instruction set, Kernel::Column, which carries the target attribute. The walk
// over columns is scalar and calls it.

// The smallest lane of v, in every lane.
template <class V>
[[gnu::always_inline]] inline void SpreadSmallest(V& v) {
  V w;
  if constexpr (sizeof(V) == 32) {
    w = __builtin_shufflevector(v, v, 4, 5, 6, 7, 0, 1, 2, 3);
    v = w < v ? w : v;
    w = __builtin_shufflevector(v, v, 2, 3, 0, 1, 6, 7, 4, 5);
    v = w < v ? w : v;
    w = __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6);
  } else {
    w = __builtin_shufflevector(v, v, 2, 3, 0, 1);
    v = w < v ? w : v;
    w = __builtin_shufflevector(v, v, 1, 0, 3, 2);
  }
  v = w < v ? w : v;
}

// Squared distances from p to the stored segments from slot `begin` on, W at a time, until
// `end` is covered, each to its closest point (clamped projection; a zero-length segment
// measures from its start). The last W may reach into the next bin: those segments are real
// ones (or padding that never wins), and a search may always look at more than it must.
template <int W>
[[gnu::always_inline]] inline void ScanSlots(const EdgeSearchIndex& x, uint32_t begin, uint32_t end,
                                             const Point3& p, Best& best) {
  using F = typename Lanes<W>::F;
  using I = typename Lanes<W>::I;
  const F zero = {};
  const F one = zero + 1.0f;
  const F px = zero + p.x, py = zero + p.y, pz = zero + p.z;
  for (uint32_t s = begin; s < end; s += W) {
    F ax, ay, az, bx, by, bz;
    std::memcpy(&ax, x.ax.data() + s, sizeof ax);
    std::memcpy(&ay, x.ay.data() + s, sizeof ay);
    std::memcpy(&az, x.az.data() + s, sizeof az);
    std::memcpy(&bx, x.bx.data() + s, sizeof bx);
    std::memcpy(&by, x.by.data() + s, sizeof by);
    std::memcpy(&bz, x.bz.data() + s, sizeof bz);
    const F dx = bx - ax, dy = by - ay, dz = bz - az;
    const F vx = px - ax, vy = py - ay, vz = pz - az;
    F t = (dx * vx + dy * vy + dz * vz) / (dx * dx + dy * dy + dz * dz);
    t = t > zero ? t : zero;  // NaN, from a zero-length segment, too
    t = t < one ? t : one;
    const F ex = vx - t * dx, ey = vy - t * dy, ez = vz - t * dz;
    const F d2 = ex * ex + ey * ey + ez * ez;
    F nearest = d2;
    SpreadSmallest(nearest);
    if (!(nearest[0] <= best.d2)) continue;
    // Among the lanes at that distance, the lowest segment index, and its lane.
    I segment;
    std::memcpy(&segment, x.segment.data() + s, sizeof segment);
    const I none = I{} + std::numeric_limits<int32_t>::max();
    I lowest = d2 == nearest ? segment : none;
    SpreadSmallest(lowest);
    if (nearest[0] < best.d2 || lowest[0] < best.segment) {
      I lane = {};
      for (int k = 0; k < W; ++k) lane[k] = k;
      I at = ((d2 == nearest) & (segment == lowest)) ? lane : none;
      SpreadSmallest(at);
      best = {nearest[0], lowest[0], s + uint32_t(at[0])};
    }
  }
}

// Scans bin b, or, when it keeps run boxes, the runs whose box can hold something nearer.
template <int W>
[[gnu::always_inline]] inline void ScanBinWith(const EdgeSearchIndex& x, uint32_t b,
                                               const Point3& p, Best& best) {
  const uint32_t begin = x.binSlots[b], end = x.binSlots[b + 1];
  const uint32_t firstBox = x.binChunks[b];
  if (firstBox == x.binChunks[b + 1]) {
    ScanSlots<W>(x, begin, end, p, best);
    return;
  }
  const float* box = x.chunkBoxes.data() + 6 * size_t(firstBox);
  for (uint32_t s = begin; s < end; s += EdgeSearchIndex::kChunk, box += 6) {
    const float gx = Gap(p.x, box[0], box[3]), gy = Gap(p.y, box[1], box[4]);
    const float gz = Gap(p.z, box[2], box[5]);
    if (gx * gx + gy * gy + gz * gz > best.d2) continue;
    ScanSlots<W>(x, s, std::min(s + EdgeSearchIndex::kChunk, end), p, best);
  }
}

// Bin of p along an axis, clamped into the grid, consistent with the bin edges.
inline int StartBin(const EdgeSearchIndex& x, int axis, float v, int count) {
  float f = (v - x.origin[axis]) * x.inverseBinSize;
  int c = !(f >= 0.0f) ? 0 : f >= float(count) ? count - 1 : int(f);
  if (c > 0 && v < x.Edge(axis, c)) --c;
  if (c + 1 < count && v >= x.Edge(axis, c + 1)) ++c;
  return c;
}

// Squared XY gap from p to column (c, r), reach included.
inline float FlatGap(const EdgeSearchIndex& x, const Point3& p, int c, int r) {
  const float gx = Gap(p.x, x.Edge(0, c) - x.reach.x, x.Edge(0, c + 1) + x.reach.x);
  const float gy = Gap(p.y, x.Edge(1, r) - x.reach.y, x.Edge(1, r + 1) + x.reach.y);
  return gx * gx + gy * gy;
}

// Scans the bins of one XY column, `flat` (squared) away from p, that can hold something
// nearer than the best so far, walking up and then down from p's layer, each walk ending at
// the first bin too far away.
template <int W>
[[gnu::always_inline]] inline void VisitColumn(const EdgeSearchIndex& x, const Point3& p, int c,
                                               int r, int layer, float flat, Best& best) {
  const size_t column = size_t(r) * size_t(x.columns) + size_t(c);
  const uint32_t begin = x.columnBins[column], end = x.columnBins[column + 1];
  if (begin == end) return;
  const int32_t* layers = x.binLayer.data();
  // First bin at or above p's layer: directly when the column's layers have no gaps (a tall
  // object), by bisection otherwise.
  uint32_t at;
  const int32_t low = layers[begin], high = layers[end - 1];
  if (int64_t(high) - low == int64_t(end - begin) - 1) {
    at = layer <= low ? begin : layer > high ? end : begin + uint32_t(layer - low);
  } else {
    // Bisection without branches: the outcome of each step is anyone's guess.
    const int32_t* base = layers + begin;
    for (uint32_t n = end - begin; n > 1; n -= n / 2)
      base += size_t(base[n / 2 - 1] < layer) * (n / 2);
    at = uint32_t(base - layers) + uint32_t(*base < layer);
  }
  for (uint32_t b = at; b < end; ++b) {
    const float gz =
        Gap(p.z, x.Edge(2, layers[b]) - x.reach.z, x.Edge(2, layers[b] + 1) + x.reach.z);
    if (flat + gz * gz > best.d2) break;
    ScanBinWith<W>(x, b, p, best);
  }
  for (uint32_t b = at; b-- > begin;) {
    const float gz =
        Gap(p.z, x.Edge(2, layers[b]) - x.reach.z, x.Edge(2, layers[b] + 1) + x.reach.z);
    if (flat + gz * gz > best.d2) break;
    ScanBinWith<W>(x, b, p, best);
  }
}

struct Sse2Kernel {
  static void Column(const EdgeSearchIndex& x, const Point3& p, int c, int r, int layer, float flat,
                     Best& best) {
    VisitColumn<4>(x, p, c, r, layer, flat, best);
  }
};

struct Avx2Kernel {
  __attribute__((target("avx2"))) static void Column(const EdgeSearchIndex& x, const Point3& p,
                                                     int c, int r, int layer, float flat,
                                                     Best& best) {
    VisitColumn<8>(x, p, c, r, layer, flat, best);
  }
};

// Visits a column unless it, or the box of what it holds, lies beyond the best distance or
// the XY limit.
template <class Kernel>
[[gnu::always_inline]] inline void Visit(const EdgeSearchIndex& x, const Point3& p, int c, int r,
                                         int layer, float flat, float flatLimit, Best& best) {
  if (!(flat <= best.d2 && flat < flatLimit)) return;
  const size_t column = size_t(r) * size_t(x.columns) + size_t(c);
  // Around a seam or a rim most columns are empty.
  if (x.columnBins[column] == x.columnBins[column + 1]) return;
  const uint8_t* box = x.columnBoxes.data() + 4 * column;
  const float baseX = x.Edge(0, c) - x.reach.x, stepX = x.BoxStep(0);
  const float baseY = x.Edge(1, r) - x.reach.y, stepY = x.BoxStep(1);
  const float gx = Gap(p.x, baseX + float(box[0]) * stepX, baseX + float(box[1]) * stepX);
  const float gy = Gap(p.y, baseY + float(box[2]) * stepY, baseY + float(box[3]) * stepY);
  flat = gx * gx + gy * gy;
  if (flat <= best.d2 && flat < flatLimit) Kernel::Column(x, p, c, r, layer, flat, best);
}

// Columns in square rings around p's column, nearest ring first, until a whole ring lies
// beyond the best distance found or the XY limit. The first ring goes nearest column first:
// usually the only one that matters is the one across the nearest border.
template <class Kernel>
inline void SearchRings(const EdgeSearchIndex& x, const Point3& p, float flatLimit, Best& best) {
  const int cx = StartBin(x, 0, p.x, x.columns);
  const int cy = StartBin(x, 1, p.y, x.rows);
  const int cz = StartBin(x, 2, p.z, x.layers);
  // p's own column, then the first ring nearest side first: the columns across the nearer X
  // and Y borders (the nearer of those first), the corner between them, then the far sides
  // and corners.
  float gapX[3], gapY[3];
  for (int k = 0; k < 3; ++k) {
    gapX[k] = Gap(p.x, x.Edge(0, cx + k - 1) - x.reach.x, x.Edge(0, cx + k) + x.reach.x);
    gapY[k] = Gap(p.y, x.Edge(1, cy + k - 1) - x.reach.y, x.Edge(1, cy + k) + x.reach.y);
  }
  Visit<Kernel>(x, p, cx, cy, cz, gapX[1] * gapX[1] + gapY[1] * gapY[1], flatLimit, best);
  // Usually that is all: every other column lies beyond the nearest side.
  const float side = std::min(std::min(gapX[0], gapX[2]), std::min(gapY[0], gapY[2]));
  if (side * side > best.d2 || side * side >= flatLimit) return;
  // Computed rather than branched on, as branches here are a coin toss.
  const int nx = 1 - 2 * int(gapX[0] < gapX[2]), ny = 1 - 2 * int(gapY[0] < gapY[2]);
  const int xFirst = int(gapX[1 + nx] < gapY[1 + ny]);
  const int order[8][2] = {{nx * xFirst, ny * (1 - xFirst)},
                           {nx * (1 - xFirst), ny * xFirst},
                           {nx, ny},
                           {-nx, 0},
                           {0, -ny},
                           {-nx, ny},
                           {nx, -ny},
                           {-nx, -ny}};
  for (const auto& [dx, dy] : order) {
    const int c = cx + dx, r = cy + dy;
    const float flat = gapX[1 + dx] * gapX[1 + dx] + gapY[1 + dy] * gapY[1 + dy];
    if (c >= 0 && c < x.columns && r >= 0 && r < x.rows)
      Visit<Kernel>(x, p, c, r, cz, flat, flatLimit, best);
  }

  const float reach = std::max(x.reach.x, x.reach.y);
  const int rings = std::max({cx, x.columns - 1 - cx, cy, x.rows - 1 - cy});
  for (int ring = 2; ring <= rings; ++ring) {
    // Every column of this ring is at least ring - 1 whole bins away from p's column.
    const float gap = float(ring - 1) * x.binSize - reach;
    if (gap > 0.0f && (gap * gap > best.d2 || gap * gap >= flatLimit)) break;
    const int c0 = std::max(cx - ring, 0), c1 = std::min(cx + ring, x.columns - 1);
    const int r0 = std::max(cy - ring, 0), r1 = std::min(cy + ring, x.rows - 1);
    for (int r = r0; r <= r1; ++r) {
      if (r == cy - ring || r == cy + ring) {
        for (int c = c0; c <= c1; ++c)
          Visit<Kernel>(x, p, c, r, cz, FlatGap(x, p, c, r), flatLimit, best);
      } else {
        if (cx - ring >= 0)
          Visit<Kernel>(x, p, cx - ring, r, cz, FlatGap(x, p, cx - ring, r), flatLimit, best);
        if (cx + ring < x.columns)
          Visit<Kernel>(x, p, cx + ring, r, cz, FlatGap(x, p, cx + ring, r), flatLimit, best);
      }
    }
  }
}

// Whether along some axis no occupied stretch comes within radius of p. The radius is
// widened a little for the rounding of p - radius and of the search's own distances.
bool NothingWithin(const EdgeSearchIndex& x, const Point3& p, float radius) {
  for (int axis = 0; axis < 3; ++axis) {
    const float v = p[axis];
    const float r = radius * 1.001f + 2.5e-7f * std::fabs(v);
    const std::vector<float>& to = x.occupiedTo[axis];
    // The first stretch that does not end before v - r.
    const size_t i = size_t(std::lower_bound(to.begin(), to.end(), v - r) - to.begin());
    if (i == to.size() || x.occupiedFrom[axis][i] > v + r) return true;
  }
  return false;
}

template <class Kernel>
SearchHit Search(const EdgeSearchIndex& x, const Point3& p, SearchReach reach, float radius) {
  if (x.segment.empty() || !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
    return {};
  if (reach == SearchReach::kRadius && NothingWithin(x, p, radius)) return {};
  const float radius2 = radius * radius;
  Best best{reach == SearchReach::kRadius ? radius2 : std::numeric_limits<float>::infinity(), -1,
            0};
  SearchRings<Kernel>(
      x, p, reach == SearchReach::kRadius ? std::numeric_limits<float>::infinity() : radius2, best);
  if (best.segment < 0) return {};
  const uint32_t k = best.slot;
  return {best.segment, {{x.ax[k], x.ay[k], x.az[k]}, {x.bx[k], x.by[k], x.bz[k]}}};
}

bool CpuHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

// Decided once, when the module loads.
const bool hasAvx2 = CpuHasAvx2();

}  // namespace

bool ScanKernelAvailable(ScanKernel kernel) {
  return kernel == ScanKernel::kSse2 || hasAvx2;
}

SearchHit FindNearestSegment(const EdgeSearchIndex& x, const Point3& p, SearchReach reach) {
  return hasAvx2 ? Search<Avx2Kernel>(x, p, reach, x.radius)
                 : Search<Sse2Kernel>(x, p, reach, x.radius);
}

SearchHit FindNearestSegment(const EdgeSearchIndex& x, const Point3& p, SearchReach reach,
                             ScanKernel kernel) {
  return kernel == ScanKernel::kAvx2 && hasAvx2 ? Search<Avx2Kernel>(x, p, reach, x.radius)
                                                : Search<Sse2Kernel>(x, p, reach, x.radius);
}

SearchHit FindNearestSegmentWithin(const EdgeSearchIndex& x, const Point3& p, float radius) {
  radius = std::min(radius, x.radius);
  return hasAvx2 ? Search<Avx2Kernel>(x, p, SearchReach::kRadius, radius)
                 : Search<Sse2Kernel>(x, p, SearchReach::kRadius, radius);
}
