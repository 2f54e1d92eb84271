#pragma once
// The walk over XY columns, written once over a lane type L as the column scan is, and
// instantiated with it by edge_search_columns_sse2.cpp and edge_search_columns_avx2.cpp, so
// that each file's walk calls its own scan inline rather than through a call per column.
// What the walk uses of the index is inline and small, and must stay so: the AVX2 file must
// not emit a function other files share (see edge_search_columns.h). Standard algorithms
// that may not be inlined stay in edge_search_query.cpp (NothingNear).
#include <immintrin.h>
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "edge_search_column_scan.h"
#include "edge_search_columns.h"
#include "edge_search_gap.h"
#include "edge_search_index.h"
#include "portability.h"

namespace {

// p's bin along the three axes, clamped into the grid, consistent with the bin edges: per
// axis, the bin the scaled offset falls in, moved by one where rounding put p across an
// edge, the edges computed as Edge does; the three axes at once.
KELVANE_FORCE_INLINE void StartBins(const EdgeSearchIndex& x, const Point3& p, int* bin) {
  const __m128 zero = _mm_setzero_ps();
  const __m128i one = _mm_set1_epi32(1);
  const __m128 v = _mm_setr_ps(p.x, p.y, p.z, 0.0f);
  const __m128 origin = _mm_setr_ps(x.origin.x, x.origin.y, x.origin.z, 0.0f);
  const __m128 size = _mm_set1_ps(x.binSize);
  const __m128i count = _mm_setr_epi32(x.columns, x.rows, x.layers, 1);
  const __m128 f = _mm_mul_ps(_mm_sub_ps(v, origin), _mm_set1_ps(x.inverseBinSize));
  // !(f >= 0) ? 0 : f >= count ? count - 1 : int(f)
  const __m128i beyond = _mm_castps_si128(_mm_cmpge_ps(f, _mm_cvtepi32_ps(count)));
  __m128i c = _mm_or_si128(_mm_and_si128(beyond, _mm_sub_epi32(count, one)),
                           _mm_andnot_si128(beyond, _mm_cvttps_epi32(f)));
  c = _mm_and_si128(c, _mm_castps_si128(_mm_cmpge_ps(f, zero)));
  // c > 0 && v < Edge(c): one down.
  const __m128 lower = _mm_add_ps(origin, _mm_mul_ps(_mm_cvtepi32_ps(c), size));
  c = _mm_add_epi32(c, _mm_and_si128(_mm_cmpgt_epi32(c, _mm_setzero_si128()),
                                     _mm_castps_si128(_mm_cmplt_ps(v, lower))));
  // c + 1 < count && v >= Edge(c + 1): one up.
  const __m128i next = _mm_add_epi32(c, one);
  const __m128 upper = _mm_add_ps(origin, _mm_mul_ps(_mm_cvtepi32_ps(next), size));
  c = _mm_sub_epi32(
      c, _mm_and_si128(_mm_cmplt_epi32(next, count), _mm_castps_si128(_mm_cmpge_ps(v, upper))));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(bin), c);
}

// Where this thread's last walk started: p's bins, the bounds that put p in them, and the
// lower and upper ends of the three columns around p's along X and Y as SideGaps takes them.
// Consecutive samples mostly lie in the same bins, which then need no working out again.
struct RingStart {
  uint64_t build;
  float from[4], to[4];  // x, y, z, then -1 and 1
  int bin[4];
  float lower[2][4], upper[2][4];
  ColumnStart own;  // p's column's walk
};
static constinit thread_local RingStart lastStart KELVANE_HOT_THREAD_LOCAL = {};

// Squared XY gap from p to column (c, r), reach included.
inline float FlatGap(const EdgeSearchIndex& x, const Point3& p, int c, int r) {
  const float gx = Gap(p.x, x.Edge(0, c) - x.reach.x, x.Edge(0, c + 1) + x.reach.x);
  const float gy = Gap(p.y, x.Edge(1, r) - x.reach.y, x.Edge(1, r + 1) + x.reach.y);
  return gx * gx + gy * gy;
}

// Visits a column unless it, or the box of what it holds, lies beyond the best distance or
// the XY limit.
template <class L>
KELVANE_FORCE_INLINE void Visit(const EdgeSearchIndex& x, const SearchColumns& v, const Point3& p,
                                int c, int r, int layer, float flat, float flatLimit,
                                SearchBest& best) {
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
  if (flat <= best.d2 && flat < flatLimit) ScanColumn<L>(v, p.x, p.y, p.z, c, r, layer, flat, best);
}

// The columns of block (bc, br) not in the first ring around (cx, cy), unless the block's box
// lies beyond the best distance or the XY limit.
template <class L>
KELVANE_FORCE_INLINE void VisitBlock(const EdgeSearchIndex& x, const SearchColumns& v,
                                     const Point3& p, int cx, int cy, int cz, int bc, int br,
                                     float flatLimit, SearchBest& best) {
  const float* box = x.blockBoxes.data() + 4 * (size_t(br) * size_t(x.blockColumns) + size_t(bc));
  if (box[0] > box[1]) return;  // nothing in it
  const float gx = Gap(p.x, box[0], box[1]), gy = Gap(p.y, box[2], box[3]);
  const float flat = gx * gx + gy * gy;
  if (!(flat <= best.d2 && flat < flatLimit)) return;
  const int k = EdgeSearchIndex::kBlock;
  const size_t block = size_t(br) * size_t(x.blockColumns) + size_t(bc);
  for (uint64_t held = x.blockColumnsHeld[block]; held; held &= held - 1) {
    const int bit = std::countr_zero(held);
    const int c = bc * k + bit % k, r = br * k + bit / k;
    if (c >= cx - 1 && c <= cx + 1 && r >= cy - 1 && r <= cy + 1) continue;  // seen already
    Visit<L>(x, v, p, c, r, cz, FlatGap(x, p, c, r), flatLimit, best);
  }
}

// Blocks in square rings around p's block, until every block of a ring lies beyond the best
// distance or the XY limit: the ring's inner border, less the reach, bounds them all.
template <class L>
inline void SearchBlocks(const EdgeSearchIndex& x, const SearchColumns& v, const Point3& p, int cx,
                         int cy, int cz, float flatLimit, SearchBest& best) {
  const int k = EdgeSearchIndex::kBlock;
  const int bx = cx / k, by = cy / k;
  const float reach = std::max(x.reach.x, x.reach.y);
  const int rings =
      std::max(std::max(bx, x.blockColumns - 1 - bx), std::max(by, x.blockRows - 1 - by));
  VisitBlock<L>(x, v, p, cx, cy, cz, bx, by, flatLimit, best);
  for (int ring = 1; ring <= rings; ++ring) {
    const float inner =
        std::min(std::min(p.x - x.Edge(0, (bx - ring + 1) * k), x.Edge(0, (bx + ring) * k) - p.x),
                 std::min(p.y - x.Edge(1, (by - ring + 1) * k), x.Edge(1, (by + ring) * k) - p.y));
    const float gap = inner - reach;
    if (gap > 0.0f && (gap * gap > best.d2 || gap * gap >= flatLimit)) break;
    const int c0 = std::max(bx - ring, 0), c1 = std::min(bx + ring, x.blockColumns - 1);
    const int r0 = std::max(by - ring, 0), r1 = std::min(by + ring, x.blockRows - 1);
    for (int r = r0; r <= r1; ++r) {
      if (r == by - ring || r == by + ring) {
        for (int c = c0; c <= c1; ++c) VisitBlock<L>(x, v, p, cx, cy, cz, c, r, flatLimit, best);
      } else {
        if (bx - ring >= 0) VisitBlock<L>(x, v, p, cx, cy, cz, bx - ring, r, flatLimit, best);
        if (bx + ring < x.blockColumns)
          VisitBlock<L>(x, v, p, cx, cy, cz, bx + ring, r, flatLimit, best);
      }
    }
  }
}

// Along one axis, the gaps from v to the column before p's, p's own and the one after (gap[0]
// to gap[2]), the columns before and after reaching towards p's by toward[2 * axis] and
// toward[2 * axis + 1], p's own by the record's reach: Gap's arithmetic on the three at once,
// the bin edges and reaches computed as Edge and ColumnReach do.
inline void SideBounds(const EdgeSearchIndex& x, const uint8_t* toward, int axis, int c,
                       float* lowerOut, float* upperOut) {
  const __m128 index = _mm_cvtepi32_ps(_mm_setr_epi32(c - 1, c, c + 1, c + 2));
  const __m128 edge =
      _mm_add_ps(_mm_set1_ps(x.origin[axis]), _mm_mul_ps(index, _mm_set1_ps(x.binSize)));
  const float reach = x.reach[axis];
  const float before = x.ColumnReach(toward[2 * axis]);
  const float after = x.ColumnReach(toward[2 * axis + 1]);
  _mm_storeu_ps(lowerOut, _mm_sub_ps(edge, _mm_setr_ps(reach, reach, after, 0.0f)));
  _mm_storeu_ps(upperOut, _mm_add_ps(_mm_shuffle_ps(edge, edge, _MM_SHUFFLE(3, 3, 2, 1)),
                                     _mm_setr_ps(before, reach, reach, 0.0f)));
}
KELVANE_FORCE_INLINE void SideGaps(const float* lower, const float* upper, float v, float* gap) {
  const __m128 at = _mm_set1_ps(v);
  _mm_storeu_ps(gap, _mm_max_ps(_mm_max_ps(_mm_sub_ps(_mm_loadu_ps(lower), at),
                                           _mm_sub_ps(at, _mm_loadu_ps(upper))),
                                _mm_setzero_ps()));
}

// Columns in square rings around p's column, nearest ring first, until a whole ring lies
// beyond the best distance found or the XY limit. The first ring goes nearest column first:
// usually the only one that matters is the one across the nearest border. A positive
// `radius` bounds the search, as best does, and lets a point with nothing in its own column
// that lies far from every segment stop there.
template <class L>
inline void SearchRings(const EdgeSearchIndex& x, const SearchColumns& v, const Point3& p,
                        float flatLimit, float radius, SearchBest& best) {
  RingStart& start = lastStart;
  const __m128 at = _mm_setr_ps(p.x, p.y, p.z, 0.0f);
  const bool same = start.build == x.build &&
                    _mm_movemask_ps(_mm_and_ps(_mm_cmple_ps(_mm_loadu_ps(start.from), at),
                                               _mm_cmplt_ps(at, _mm_loadu_ps(start.to)))) == 15;
  if (!same) {
    StartBins(x, p, start.bin);
    const int c[3] = {start.bin[0], start.bin[1], start.bin[2]};
    // How far the columns around reach towards p's is mostly far below the record's reach.
    const uint8_t* toward =
        x.ringReach.data() + 4 * (size_t(c[1]) * size_t(x.columns) + size_t(c[0]));
    SideBounds(x, toward, 0, c[0], start.lower[0], start.upper[0]);
    SideBounds(x, toward, 1, c[1], start.lower[1], start.upper[1]);
    // Remembered only where p lies between its bins' edges (not where it was clamped in).
    bool inside = true;
    for (int axis = 0; axis < 3; ++axis) {
      start.from[axis] = x.Edge(axis, c[axis]);
      start.to[axis] = x.Edge(axis, c[axis] + 1);
      inside = inside && start.from[axis] <= p[axis] && p[axis] < start.to[axis];
    }
    start.from[3] = -1.0f;
    start.to[3] = 1.0f;
    start.own = StartOfColumn<L>(v, c[0], c[1], c[2]);
    start.build = inside ? x.build : 0;
  }
  const int cx = start.bin[0], cy = start.bin[1], cz = start.bin[2];
  // p's own column, then the first ring nearest side first: the columns across the nearer X
  // and Y borders (the nearer of those first), the corner between them, then the far sides
  // and corners.
  float gapX[4], gapY[4];
  SideGaps(start.lower[0], start.upper[0], p.x, gapX);
  SideGaps(start.lower[1], start.upper[1], p.y, gapY);
  // p's own column without the box of what it holds: p lies over it, so that box only prunes
  // what the layers and the run boxes would prune anyway.
  const float own = gapX[1] * gapX[1] + gapY[1] * gapY[1];
  if (own <= best.d2 && own < flatLimit && start.own.begin != start.own.end)
    ScanLayers<L>(v, p.x, p.y, p.z, start.own, own, best);
  // Asked only now: a point on the surface finds something in its own column.
  if (radius > 0.0f && best.segment < 0 && NothingNear(x, p, radius)) return;
  // Usually that is all: every other column lies beyond the nearest side.
  const float side = std::min(std::min(gapX[0], gapX[2]), std::min(gapY[0], gapY[2]));
  if (side * side > best.d2 || side * side >= flatLimit) return;
  // The first ring's columns that can hold anything nearer, found at once: bit 4 * (dy + 1) +
  // (dx + 1) for column (cx + dx, cy + dy). Most fail, and an ordered walk testing each one
  // cost more than the few it scans. Columns beside p's go first, then the corners.
  const __m128 squareX = _mm_mul_ps(_mm_loadu_ps(gapX), _mm_loadu_ps(gapX));
  const __m128 bound = _mm_set1_ps(best.d2), limit = _mm_set1_ps(flatLimit);
  unsigned ring = 0;
  for (int dy = 0; dy < 3; ++dy) {
    const __m128 flat = _mm_add_ps(squareX, _mm_set1_ps(gapY[dy] * gapY[dy]));
    const __m128 within = _mm_and_ps(_mm_cmple_ps(flat, bound), _mm_cmplt_ps(flat, limit));
    ring |= unsigned(_mm_movemask_ps(within) & 7) << (4 * dy);
  }
  ring &= ~(1u << 5);  // p's own
  if (cx == 0) ring &= ~0x111u;
  if (cx + 1 == x.columns) ring &= ~0x444u;
  if (cy == 0) ring &= ~0x007u;
  if (cy + 1 == x.rows) ring &= ~0x700u;
  for (unsigned part : {ring & 0x252u, ring & 0x505u}) {
    for (; part; part &= part - 1) {
      const int bit = std::countr_zero(part), i = bit & 3, j = bit >> 2;
      Visit<L>(x, v, p, cx + i - 1, cy + j - 1, cz, gapX[i] * gapX[i] + gapY[j] * gapY[j],
               flatLimit, best);
    }
  }

  // Every column past the first ring is at least a whole bin away from p's column.
  const float reach = std::max(x.reach.x, x.reach.y);
  const float beyond = x.binSize - reach;
  if (beyond > 0.0f && (beyond * beyond > best.d2 || beyond * beyond >= flatLimit)) return;
  SearchBlocks<L>(x, v, p, cx, cy, cz, flatLimit, best);
}

}  // namespace
