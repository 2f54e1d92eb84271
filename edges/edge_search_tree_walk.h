#pragma once
// The walk down the search tree, written once over a lane type L as the column scan is (see
// edge_search_column_scan.h, whose ScanSlots reads the runs) and instantiated by the SSE2
// and AVX2 files. L also provides Store and Abs.
#include <cstdint>
#include <limits>

#include "edge_search_column_scan.h"
#include "edge_search_columns.h"
#include "edge_search_tree.h"

namespace {

// Squared lower bounds on the distances from p to what the children in lanes [lane, lane +
// L::kWidth) of a node hold: the squares of how far p lies outside each box along its axes,
// summed. The sum is shaded down a little, so that however the rounding falls it stays below
// the squared distance to anything inside, also for points far from the box.
template <class L>
KELVANE_FORCE_INLINE typename L::F LaneGaps(const SearchTreeNode& n, int lane, typename L::F pxs,
                                            typename L::F pys, typename L::F pzs) {
  using F = typename L::F;
  const F zero = L::Splat(0.0f);
  const F vx = pxs - L::Load(&n.centre[0][lane]), vy = pys - L::Load(&n.centre[1][lane]),
          vz = pzs - L::Load(&n.centre[2][lane]);
  F sum = zero;
  for (int axis = 0; axis < 3; ++axis) {
    const F along = L::Load(&n.u[axis][0][lane]) * vx + L::Load(&n.u[axis][1][lane]) * vy +
                    L::Load(&n.u[axis][2][lane]) * vz;
    const F out = L::Max(L::Abs(along) - L::Load(&n.extent[axis][lane]), zero);
    sum = sum + out * out;
  }
  return sum * L::Splat(0.999999f);
}

// The same for all eight children.
template <class L>
KELVANE_FORCE_INLINE void NodeGaps(const SearchTreeNode& n, float px, float py, float pz,
                                   float* d2) {
  const auto pxs = L::Splat(px), pys = L::Splat(py), pzs = L::Splat(pz);
  for (int lane = 0; lane < SearchTreeNode::kWidth; lane += int(L::kWidth))
    L::Store(d2 + lane, LaneGaps<L>(n, lane, pxs, pys, pzs));
}

template <class L>
void WalkTree(const SearchTreeColumns& x, uint32_t at, float px, float py, float pz,
              SearchBest& best);

// Measures the segments of a leaf's runs that can hold something nearer: the run nearest p
// first, whose segments usually hold the answer or come close, then every run left that can
// still hold something nearer, keeping the nearest lane by lane and choosing among the lanes
// once at the end: no test between those runs, so that their arithmetic overlaps rather than
// waiting on each choice.
template <class L>
KELVANE_FORCE_INLINE void ScanRuns(const SearchTreeColumns& x, const SearchTreeNode& n, float px,
                                   float py, float pz, SearchBest& best) {
  using F = typename L::F;
  using I = typename L::I;
  const F zero = L::Splat(0.0f), one = L::Splat(1.0f);
  const F pxs = L::Splat(px), pys = L::Splat(py), pzs = L::Splat(pz);
  const I none = L::Splat(int32_t(INT32_MAX));
  // All the node's lanes: those past its runs lie infinitely far.
  constexpr int kGroups = int(SearchTreeNode::kWidth / int(L::kWidth));
  static_assert(kGroups >= 1 && kGroups * int(L::kWidth) == SearchTreeNode::kWidth);
  F gaps[kGroups];
  F nearestGap = gaps[0] = LaneGaps<L>(n, 0, pxs, pys, pzs);
  for (int g = 1; g < kGroups; ++g) {
    gaps[g] = LaneGaps<L>(n, g * int(L::kWidth), pxs, pys, pzs);
    nearestGap = L::Min(nearestGap, gaps[g]);
  }
  nearestGap = L::SpreadMin(nearestGap);
  // A leaf is only entered when its box lies within the best distance, and its nearest
  // run usually does too: measured straight away, it leaves a best distance that rules out
  // most of the other runs.
  unsigned first = 0;
  for (int g = 0; g < kGroups; ++g)
    first |= L::Lanes(L::Equal(gaps[g], nearestGap)) << (g * int(L::kWidth));
  const int nearestRun = LowestSetBit(first);
  if (L::First(nearestGap) <= best.d2 && (n.child[nearestRun] & SearchTreeNode::kRunBit)) {
    const uint32_t run = n.child[nearestRun] - SearchTreeNode::kRunBit;
    ScanSlots<L>(x, run, run + SearchTreeNode::kRun, px, py, pz, best);
  }
  const F within = L::Splat(best.d2);
  unsigned runs = 0;
  for (int g = 0; g < kGroups; ++g)
    runs |= L::Lanes(L::AtMost(gaps[g], within)) << (g * int(L::kWidth));
  runs &= ~(1u << nearestRun);
  if (!runs) return;
  F least = L::Splat(best.d2);
  I lowest = L::Splat(best.segment);
  for (; runs; runs &= runs - 1) {
    const uint32_t child = n.child[LowestSetBit(runs)];
    if (!(child & SearchTreeNode::kRunBit)) break;
    const uint32_t run = child - SearchTreeNode::kRunBit;
    for (uint32_t s = run; s < run + SearchTreeNode::kRun; s += L::kWidth) {
      const F ax = L::Load(x.ax + s), ay = L::Load(x.ay + s), az = L::Load(x.az + s);
      const F bx = L::Load(x.bx + s), by = L::Load(x.by + s), bz = L::Load(x.bz + s);
      const F dx = bx - ax, dy = by - ay, dz = bz - az;
      const F vx = pxs - ax, vy = pys - ay, vz = pzs - az;
      F t = (dx * vx + dy * vy + dz * vz) / (dx * dx + dy * dy + dz * dz);
      t = L::Max(t, zero);
      t = L::Min(t, one);
      const F ex = vx - t * dx, ey = vy - t * dy, ez = vz - t * dz;
      const F d2 = ex * ex + ey * ey + ez * ez;
      const F nearer = L::Min(d2, least);
      const I segment = L::Load(x.segment + s);
      lowest = L::Min(L::Select(L::Equal(d2, nearer), segment, none),
                      L::Select(L::Equal(least, nearer), lowest, none));
      least = nearer;
    }
  }
  const F nearest = L::SpreadMin(least);
  const float d2 = L::First(nearest);
  const int32_t low = L::First(L::SpreadMin(L::Select(L::Equal(least, nearest), lowest, none)));
  if (low == best.segment) return;
  // The slot of that segment, wherever it lies among the runs: every run's matches packed
  // into one word, by a loop of fixed length rather than one that stops at the first.
  static_assert(SearchTreeNode::kLeafRuns * SearchTreeNode::kRun <= 64);
  const I wanted = L::Splat(low);
  uint64_t where = 0;
  for (size_t lane = 0; lane < SearchTreeNode::kLeafRuns; ++lane) {
    if (!(n.child[lane] & SearchTreeNode::kRunBit)) break;
    const uint32_t run = n.child[lane] - SearchTreeNode::kRunBit;
    for (uint32_t k = 0; k < SearchTreeNode::kRun; k += L::kWidth)
      where |= uint64_t(L::Lanes(L::Equal(L::Load(x.segment + run + k), wanted)))
               << (lane * SearchTreeNode::kRun + k);
  }
  const int at = LowestSetBit(where);
  best = {d2, low,
          n.child[at / int(SearchTreeNode::kRun)] - SearchTreeNode::kRunBit +
              uint32_t(at) % SearchTreeNode::kRun};
}

// Visits the children of `count` nodes from `first` nearest first, until the nearest left
// lies beyond the best distance, which shrinks as runs are scanned. The nearest is found by
// vector minimum over all the lanes, a visited one counting as infinitely far: branches on
// lane after lane would each be a coin toss.
template <class L>
KELVANE_FORCE_INLINE void WalkNodes(const SearchTreeColumns& x, uint32_t first, uint32_t count,
                                    float px, float py, float pz, SearchBest& best) {
  using F = typename L::F;
  const int width = SearchTreeNode::kWidth;
  const float far = std::numeric_limits<float>::infinity();
  float d2[SearchTree::kTop];
  for (uint32_t k = 0; k < count; ++k)
    NodeGaps<L>(x.treeNodes[first + k], px, py, pz, d2 + width * int(k));
  const int lanes = width * int(count);
  for (;;) {
    F least = L::Load(d2);
    for (int h = int(L::kWidth); h < lanes; h += int(L::kWidth))
      least = L::Min(least, L::Load(d2 + h));
    const F nearest = L::SpreadMin(least);
    const float n = L::First(nearest);
    if (!(n <= best.d2) || n == far) return;
    // Its lane, from the lanes' masks side by side: a loop that always runs its whole length
    // rather than one that stops at the first match.
    static_assert(SearchTree::kTop <= 64);
    uint64_t where = 0;
    for (int h = 0; h < lanes; h += int(L::kWidth))
      where |= uint64_t(L::Lanes(L::Equal(L::Load(d2 + h), nearest))) << h;
    const int at = LowestSetBit(where);
    d2[at] = far;
    const uint32_t child = x.treeNodes[first + uint32_t(at / width)].child[at % width];
    if (child & SearchTreeNode::kRunBit) {
      const uint32_t run = child - SearchTreeNode::kRunBit;
      ScanSlots<L>(x, run, run + SearchTreeNode::kRun, px, py, pz, best);
    } else if (const SearchTreeNode& below = x.treeNodes[child];
               below.child[0] & SearchTreeNode::kRunBit) {
      // A leaf, measured here rather than through a call: most of a walk is leaves.
      ScanRuns<L>(x, below, px, py, pz, best);
    } else {
      WalkTree<L>(x, child, px, py, pz, best);
    }
  }
}

template <class L>
void WalkTree(const SearchTreeColumns& x, uint32_t at, float px, float py, float pz,
              SearchBest& best) {
  const SearchTreeNode& n = x.treeNodes[at];
  if (n.child[0] & SearchTreeNode::kRunBit) {
    ScanRuns<L>(x, n, px, py, pz, best);
    return;
  }
  WalkNodes<L>(x, at, 1, px, py, pz, best);
}

}  // namespace
