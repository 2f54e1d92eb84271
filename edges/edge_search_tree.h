#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A tree over the stored segments, eight children to a node, for records whose segments lie
// along a few curves (seams, rims) and whose Distance reaches past a bin. There a point may
// lie far from every segment yet within Distance of many, and a walk outwards over bins meets
// many that are near but hold nothing nearest; the tree goes to the nearest child first,
// whatever the radius, and stops where every child left lies beyond the best distance found.
//
// Each child is bounded by a capsule, the points within a radius of an axis segment, rather
// than a box: a run of segments along a curve is long and thin in a direction that need not
// follow an axis, and a box around it lies nearer to a point than its segments by up to half
// its width, which far from the curve lets many runs through; the capsule's axis runs through
// the middle of the curve's bulge, so that its radius is about half the sagitta over the run.
//
// The runs are of up to kRun slots of one bin. Leaves hold kLeafRuns runs each, found by
// halving the runs across their widest spread, and again; the nodes above group the leaves
// the same way into groups that fill whole subtrees. A leaf is measured whole rather than
// run by run: its capsule is thin enough that a point it lets through is usually near it.
struct SearchTreeNode {
  static constexpr int kWidth = 8;
  static constexpr uint32_t kRun = 8;
  static constexpr size_t kLeafRuns = 8;
  // Per child, lane by lane: the capsule's axis from a to a + d, the inverse of its squared
  // length (0 for none) and its radius, widened by the rounding slack. A lane with no child
  // has its axis as far away as a float goes.
  float a[3][kWidth];
  float d[3][kWidth];
  float inverse[kWidth];
  float radius[kWidth];
  // A node below, or with kRunBit the run of kRun slots from child - kRunBit, which may
  // reach into the next bin: those segments are real ones, and a search may look at more
  // than it must.
  static constexpr uint32_t kRunBit = 0x80000000u;
  uint32_t child[kWidth];
};

// Children before their parents. The root is wide: up to kTop children, whose lanes fill
// the last `top` nodes, so that a small tree's nodes of the lowest level are all tested at
// once rather than through a level or two of capsules around whole curves.
struct SearchTree {
  static constexpr int kTop = 64;
  std::vector<SearchTreeNode> nodes;
  uint32_t top = 0;
};

// Builds the tree over the segments stored as structure of arrays, in bins that begin at
// the slots binSlots lists (with the end last).
void BuildSearchTree(SearchTree& tree, const float* ax, const float* ay, const float* az,
                     const float* bx, const float* by, const float* bz,
                     const std::vector<uint32_t>& binSlots, float slack);
