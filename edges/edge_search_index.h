#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "edge_search_columns.h"
#include "edge_search_mask.h"
#include "edge_search_small.h"
#include "edge_search_tree.h"
#include "edge_segment.h"
#include "point3.h"

// What the nearest-edge query scans: the record's segments sorted into cubic bins, derived
// once with the grid.
//
// A segment is stored once, in the bin of its midpoint, when it reaches less than half a bin
// beyond that bin; a longer one is stored in every bin it passes through. Bins follow one
// another by XY column (row-major, as the grid's cells) and by rising Z within a column.
// Within a bin, segments follow a Morton curve through their midpoints, and a bin holding
// many (where the mesh is dense) keeps the box of each run of kChunk, so that a query skips
// the runs too far away. Each column keeps the XY box of what it holds, coarsely, so that a
// query skips the columns that only border on it.
//
// Bins are sized by how dense the segments are, never by the search radius: a large radius
// is the walk's business. Past the columns next to the query's own, the walk goes by blocks
// of kBlock x kBlock columns, each keeping the XY box of everything its columns hold, so that
// the empty space around a seam or a rim costs one test per block rather than per column.
struct EdgeSearchArrays {
  static constexpr uint32_t kChunk = 8;
  static constexpr int kBlock = 8;  // columns per block side
  // Room after the last slot: a vector load may start at any slot.
  static constexpr uint32_t kPadding = 8;

  float radius = 0.0f;  // searches are exact below this distance
  // Names the build, never reused (0 for none): a copy is the same index, another build at
  // the same address is not.
  uint64_t build = 0;
  // A record of a few segments, all of them, for the radius query to measure at once.
  SmallEdgeSet small;
  float binSize = 0.0f;
  float inverseBinSize = 0.0f;
  Point3 origin;  // lower corner of bin (0, 0, 0)
  int columns = 0, rows = 0, layers = 0;
  // How far a stored segment can reach beyond its bin, per axis, rounding slack included.
  Point3 reach;
  std::vector<uint32_t> columnBins;  // columns * rows + 1: each XY column's first bin
  // In reach units, rounded up. ringReach, four per column: how far what the three columns on
  // each side of it (left, right, below, above) hold reaches towards it, bounding the first
  // ring around it. columnReachZ, one per column: how far in Z what it holds reaches beyond
  // its bins. Mostly far below the reach, which one segment anywhere sets. A long segment,
  // stored wherever it passes, counts only by the slack.
  std::vector<uint8_t> ringReach, columnReachZ;
  float reachUnit = 0.0f;   // 1/255 of half a bin, the most a short segment reaches out
  float reachSlack = 0.0f;  // rounding slack, added to every column's reach
  // Per column: lower x, upper x, lower y, upper y of what it holds, in 255ths of the
  // column widened by the reach, rounded outwards.
  std::vector<uint8_t> columnBoxes;
  int blockColumns = 0, blockRows = 0;
  // Per block: lower x, upper x, lower y, upper y, the union of its columns' boxes as the
  // query reads them; lower above upper for a block with nothing in it.
  std::vector<float> blockBoxes;
  // Per block: which of its columns hold anything, bit (row - first row) * kBlock + (column -
  // first column).
  std::vector<uint64_t> blockColumnsHeld;
  std::vector<int32_t> binLayer;   // each bin's Z layer
  std::vector<uint32_t> binSlots;  // bins + 1: each bin's first slot
  // bins + 1: each bin's first run box; none if equal. A bin's boxes fill whole blocks.
  std::vector<uint32_t> binChunks;
  // Per block of SearchColumns::kRunBlock run boxes: their lower x, y and z, then their upper
  // x, y and z.
  std::vector<float> chunkBoxes;
  // The stored segments, one slot each, as structure of arrays.
  std::vector<float> ax, ay, az;  // start
  std::vector<float> bx, by, bz;  // end
  std::vector<int32_t> segment;   // index into the record's segments
  // Per axis, the stretches of that axis the segments occupy: sorted, disjoint lower and
  // upper ends, where gaps narrower than a bin are closed. A point farther than the search
  // radius from every stretch of one axis has no segment within that radius, which is most
  // of a tall object between its rims, or of a sphere beside its seams.
  std::vector<float> occupiedFrom[3], occupiedTo[3];
  // Where a query bounded by the record's Distance can find anything at all.
  NearEdgeMask nearMask;
  // Whether the mask is worth asking: not where it marks nearly every cell.
  bool nearMaskAsked = true;
  // Where the segments lie along a few curves, what a query bounded by a radius walks
  // instead of the columns; no nodes elsewhere.
  SearchTree tree;

  // Lower edge of bin c along an axis; a bin holds the points from its lower edge up to,
  // not including, the next one. Both the build and the query use exactly this.
  float Edge(int axis, int c) const { return origin[axis] + float(c) * binSize; }
  // One step of the column boxes along X or Y.
  float BoxStep(int axis) const { return (binSize + 2.0f * reach[axis]) * (1.0f / 255.0f); }
  // A column's reach from its units.
  float ColumnReach(uint8_t units) const { return float(units) * reachUnit + reachSlack; }
  size_t Bytes() const;
};

struct EdgeSearchIndex : EdgeSearchArrays {
  EdgeSearchIndex() = default;
  EdgeSearchIndex(const EdgeSearchIndex& other);
  EdgeSearchIndex(EdgeSearchIndex&& other) noexcept;
  EdgeSearchIndex& operator=(const EdgeSearchIndex& other);
  EdgeSearchIndex& operator=(EdgeSearchIndex&& other) noexcept;

  // Points the views at the arrays, as they are now.
  void RefreshView();

  // What the column scans read of the arrays, gathered once rather than by every query, and
  // gathered again wherever the arrays move.
  SearchColumns view{};
  // The same for the walk down the tree.
  SearchTreeColumns treeView{};
};

// Derives the index from a record's segments, their bounds, the grid's cell size and the
// record's Distance.
void BuildEdgeSearchIndex(EdgeSearchIndex& index, const std::vector<EdgeSegment>& segments,
                          const Point3& boundsMin, const Point3& boundsMax, float radius,
                          float distance);
// The same for a radius that another thread settles meanwhile: most of the build needs none,
// and settleRadius is called once, when the rest does (0 for no index), unless there are no
// segments.
void BuildEdgeSearchIndex(EdgeSearchIndex& index, const std::vector<EdgeSegment>& segments,
                          const Point3& boundsMin, const Point3& boundsMax,
                          const std::function<float()>& settleRadius, float distance);
