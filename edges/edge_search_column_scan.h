#pragma once
// The scan of one column's bins, written once over a lane type L and instantiated by
// edge_search_columns_sse2.cpp (4 lanes) and edge_search_columns_avx2.cpp (8 lanes) with
// lane types of their own. Everything here lives in an unnamed namespace, so each of those
// files has its own copy, built for its own instruction set.
//
// L provides: kWidth; the vector types F (floats) and I (32-bit integers, also lane masks)
// with + - * / on F and & on I; Splat, Load, Min, Max (a < b ? a : b and a > b ? a : b, lane
// by lane), Equal and Less (masks), Select (mask ? a : b), SpreadMin (the smallest lane in every
// lane), First (lane 0) and Lanes (the mask as bits, lane 0 lowest; at most 8 lanes).
#include <immintrin.h>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "edge_search_columns.h"
#include "portability.h"

namespace {

// The lowest lane of each mask of up to 8 lanes (0 for none), looked up: the search asks at
// every improvement, and a loop over the bits cost more than the rest of the comparison.
struct LowestLaneTable {
  uint8_t lane[256];
};
constexpr LowestLaneTable MakeLowestLaneTable() {
  LowestLaneTable t{};
  for (unsigned mask = 1; mask < 256; ++mask) {
    uint8_t k = 0;
    while (!((mask >> k) & 1u)) ++k;
    t.lane[mask] = k;
  }
  return t;
}
constexpr LowestLaneTable kLowestLane = MakeLowestLaneTable();

// Squared distances from p to the stored segments in slots s to s + kWidth, each to its
// closest point (clamped projection; a zero-length segment measures from its start), the
// nearest kept in best.
template <class L, class X>
KELVANE_FORCE_INLINE void ScanGroup(const X& x, uint32_t s, typename L::F pxs, typename L::F pys,
                                    typename L::F pzs, SearchBest& best) {
  using F = typename L::F;
  using I = typename L::I;
  const F zero = L::Splat(0.0f), one = L::Splat(1.0f);
  const F ax = L::Load(x.ax + s), ay = L::Load(x.ay + s), az = L::Load(x.az + s);
  const F bx = L::Load(x.bx + s), by = L::Load(x.by + s), bz = L::Load(x.bz + s);
  const F dx = bx - ax, dy = by - ay, dz = bz - az;
  const F vx = pxs - ax, vy = pys - ay, vz = pzs - az;
  F t = (dx * vx + dy * vy + dz * vz) / (dx * dx + dy * dy + dz * dz);
  t = L::Max(t, zero);  // NaN, from a zero-length segment, too
  t = L::Min(t, one);
  const F ex = vx - t * dx, ey = vy - t * dy, ez = vz - t * dz;
  const F d2 = ex * ex + ey * ey + ez * ez;
  const F nearest = L::SpreadMin(d2);
  const float n = L::First(nearest);
  if (!(n <= best.d2)) return;
  // Among the lanes at that distance, the lowest segment index, and its lane.
  const I segment = L::Load(x.segment + s);
  const I tie = L::Equal(d2, nearest);
  const I lowest = L::SpreadMin(L::Select(tie, segment, L::Splat(int32_t(INT32_MAX))));
  const int32_t low = L::First(lowest);
  if (n < best.d2 || low < best.segment) {
    const int lane = kLowestLane.lane[L::Lanes(tie & L::Equal(segment, lowest))];
    best = {n, low, s + uint32_t(lane)};
  }
}

// The slots from `begin` on, kWidth at a time, until `end` is covered. The last few may reach
// into the next bin: those segments are real ones (or padding that never wins), and a search
// may always look at more than it must.
template <class L, class X>
KELVANE_FORCE_INLINE void ScanSlots(const X& x, uint32_t begin, uint32_t end, float px, float py,
                                    float pz, SearchBest& best) {
  const typename L::F pxs = L::Splat(px), pys = L::Splat(py), pzs = L::Splat(pz);
  for (uint32_t s = begin; s < end; s += L::kWidth) ScanGroup<L>(x, s, pxs, pys, pzs, best);
}

// Scans bin b, or, when it keeps run boxes, the runs whose box can hold something nearer:
// a block of boxes at a time, each squared gap by Gap's arithmetic summed x, y, then z.
template <class L>
KELVANE_FORCE_INLINE void ScanBin(const SearchColumns& x, uint32_t b, float px, float py, float pz,
                                  SearchBest& best) {
  using F = typename L::F;
  const uint32_t begin = x.binSlots[b], end = x.binSlots[b + 1];
  const uint32_t firstBox = x.binChunks[b];
  if (firstBox == x.binChunks[b + 1]) {
    ScanSlots<L>(x, begin, end, px, py, pz, best);
    return;
  }
  constexpr uint32_t kBlock = SearchColumns::kRunBlock;
  const F pxs = L::Splat(px), pys = L::Splat(py), pzs = L::Splat(pz), zero = L::Splat(0.0f);
  const float* block = x.chunkBoxes + 6 * size_t(firstBox);
  for (uint32_t s = begin; s < end; s += kBlock * SearchColumns::kChunk, block += 6 * kBlock) {
    float gap[kBlock];
    unsigned near = 0;
    const F bound = L::Splat(best.d2);
    for (uint32_t k = 0; k < kBlock; k += L::kWidth) {
      const F gx =
          L::Max(L::Max(L::Load(block + k) - pxs, pxs - L::Load(block + 3 * kBlock + k)), zero);
      const F gy = L::Max(
          L::Max(L::Load(block + kBlock + k) - pys, pys - L::Load(block + 4 * kBlock + k)), zero);
      const F gz = L::Max(
          L::Max(L::Load(block + 2 * kBlock + k) - pzs, pzs - L::Load(block + 5 * kBlock + k)),
          zero);
      const F g = gx * gx + gy * gy + gz * gz;
      L::Store(gap + k, g);
      near |= L::Lanes(L::AtMost(g, bound)) << k;
    }
    // Lanes past the bin's last run hold no run (with no bound yet, even their box passes).
    const uint32_t runs = (end - s + SearchColumns::kChunk - 1) / SearchColumns::kChunk;
    if (runs < kBlock) near &= (1u << runs) - 1u;
    if (near == 0) continue;
    // The nearest box first: it mostly holds the answer, which then bounds the others.
    uint32_t first = uint32_t(std::countr_zero(near));
    for (unsigned rest = near & (near - 1); rest; rest &= rest - 1) {
      const uint32_t k = uint32_t(std::countr_zero(rest));
      if (gap[k] < gap[first]) first = k;
    }
    near &= ~(1u << first);
    for (uint32_t j = 0; j < SearchColumns::kChunk; j += L::kWidth)
      ScanGroup<L>(x, s + first * SearchColumns::kChunk + j, pxs, pys, pzs, best);
    // Then in order, each against the best as it stands. The whole run, even the last one of
    // the bin that ends early, as ScanSlots does.
    for (; near; near &= near - 1) {
      const uint32_t k = uint32_t(std::countr_zero(near));
      if (gap[k] > best.d2) continue;
      const uint32_t run = s + k * SearchColumns::kChunk;
      for (uint32_t j = 0; j < SearchColumns::kChunk; j += L::kWidth)
        ScanGroup<L>(x, run + j, pxs, pys, pzs, best);
    }
  }
}

// Squared Z gaps from pz to the bins of layer k, the column's reach included, from below
// (bins at or above p's layer) and from above (bins below it): a point in the grid lies
// below the top of every bin at or above its layer and above the bottom of every bin below
// it, so the other side of Gap adds nothing there (and leaving it out only ever lowers the
// bound).
KELVANE_FORCE_INLINE float GapToLayerAbove(const SearchColumns& x, float pz, int32_t k,
                                           float reach) {
  const float lower = x.originZ + float(k) * x.binSize - reach;
  const float gz = _mm_cvtss_f32(_mm_max_ss(_mm_set_ss(lower - pz), _mm_setzero_ps()));
  return gz * gz;
}
KELVANE_FORCE_INLINE float GapToLayerBelow(const SearchColumns& x, float pz, int32_t k,
                                           float reach) {
  const float upper = x.originZ + float(k + 1) * x.binSize + reach;
  const float gz = _mm_cvtss_f32(_mm_max_ss(_mm_set_ss(pz - upper), _mm_setzero_ps()));
  return gz * gz;
}

// Where a column's walk starts: its bins, the first at or above p's layer, and how far in Z
// what it holds reaches beyond them. No bins for an empty column.
struct ColumnStart {
  uint32_t begin, end, at;
  float reach;
};

template <class L>
KELVANE_FORCE_INLINE ColumnStart StartOfColumn(const SearchColumns& x, int c, int r, int layer) {
  const size_t column = size_t(r) * size_t(x.columns) + size_t(c);
  const uint32_t begin = x.columnBins[column], end = x.columnBins[column + 1];
  if (begin == end) return {begin, end, end, 0.0f};
  const int32_t* layers = x.binLayer;
  const float reach = float(x.reachZ[column]) * x.reachUnit + x.reachSlack;
  // First bin at or above p's layer: directly when the column's layers have no gaps (a tall
  // object), by bisection otherwise.
  uint32_t at;
  const uint32_t n = end - begin;
  if (n <= L::kWidth && end >= L::kWidth) {
    // Most columns hold a few bins: their layers are the last n lanes of one load ending at
    // the column's end, sorted, so those below p's layer are the lowest of them.
    const unsigned below =
        L::Lanes(L::Less(L::Load(layers + (end - L::kWidth)), L::Splat(int32_t(layer))));
    const unsigned held = ((1u << n) - 1u) << (L::kWidth - n);
    at = end - L::kWidth + uint32_t(std::countr_zero((~below & held) | (1u << L::kWidth)));
  } else if (const int32_t low = layers[begin], high = layers[end - 1];
             int64_t(high) - low == int64_t(n) - 1) {
    at = layer <= low ? begin : layer > high ? end : begin + uint32_t(layer - low);
  } else {
    // Bisection without branches: the outcome of each step is anyone's guess.
    const int32_t* base = layers + begin;
    for (uint32_t m = n; m > 1; m -= m / 2) base += size_t(base[m / 2 - 1] < layer) * (m / 2);
    at = uint32_t(base - layers) + uint32_t(*base < layer);
  }
  return {begin, end, at, reach};
}

// Walks up and then down from p's layer, each walk ending at the first bin too far away.
template <class L>
KELVANE_FORCE_INLINE void ScanLayers(const SearchColumns& x, float px, float py, float pz,
                                     const ColumnStart& start, float flat, SearchBest& best) {
  // One loop for both ways, so that the bin scan is emitted once, with one set of registers.
  const int32_t* layers = x.binLayer;
  uint32_t b = start.at;
  bool up = true;
  for (;;) {
    if (up && b == start.end) {
      up = false;
      b = start.at;
    }
    if (!up) {
      if (b == start.begin) return;
      --b;
    }
    const float gap = up ? GapToLayerAbove(x, pz, layers[b], start.reach)
                         : GapToLayerBelow(x, pz, layers[b], start.reach);
    if (flat + gap > best.d2) {
      if (!up) return;
      up = false;
      b = start.at;
      continue;
    }
    ScanBin<L>(x, b, px, py, pz, best);
    if (up) ++b;
  }
}

template <class L>
KELVANE_FORCE_INLINE void ScanColumn(const SearchColumns& x, float px, float py, float pz, int c,
                                     int r, int layer, float flat, SearchBest& best) {
  const ColumnStart start = StartOfColumn<L>(x, c, r, layer);
  if (start.begin != start.end) ScanLayers<L>(x, px, py, pz, start, flat, best);
}

}  // namespace
