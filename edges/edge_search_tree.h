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
// Each child is bounded by a box of its own orientation: one axis along the run of segments,
// one towards its bulge and one across both, so that a run along a curve is a long, thin,
// flat box. Unlike a box along the coordinate axes it stays thin whatever the curve's
// direction, and unlike a capsule its gaps add in squares: from a point high above a rim,
// the runs beside the nearest lie farther by the square root of a sum, and a capsule, which
// subtracts its radius from the whole distance, lets them all through.
//
// The runs are of up to kRun slots of one bin. Leaves hold kLeafRuns runs each, found by
// halving the runs across their widest spread, and again; the nodes above group the leaves
// the same way into groups that fill whole subtrees.
struct SearchTreeNode {
  static constexpr int kWidth = 8;
  static constexpr uint32_t kRun = 8;
  static constexpr size_t kLeafRuns = 8;
  // Per child, lane by lane: the box's centre, its three axes (unit vectors, u[axis][x, y or
  // z]) and its half extent along each, widened by the rounding slack. A lane with no child
  // has no axes and an extent of minus infinity, so that every point lies infinitely far.
  float centre[3][kWidth];
  float u[3][3][kWidth];
  float extent[3][kWidth];
  // A node below, or with kRunBit the run of kRun slots from child - kRunBit, which may
  // reach into the next bin: those segments are real ones, and a search may look at more
  // than it must.
  static constexpr uint32_t kRunBit = 0x80000000u;
  uint32_t child[kWidth];
};

// Children before their parents. The root is wide: up to kTop children, whose lanes fill
// the last `top` nodes, so that a small tree's nodes of the lowest level are all tested at
// once rather than through a level or two of boxes around whole curves.
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
