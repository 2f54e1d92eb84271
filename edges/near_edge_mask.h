#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "edge_segment.h"
#include "point3.h"

// Which parts of a record's space lie within a distance of some qualifying edge, as one bit
// per cell of a coarse grid over the edges' box widened by that distance. Most points shaded
// lie beyond Distance of every edge (all of a tube between its rims, all of a sphere away
// from its seams); a point in a clear cell, or off the grid, is answered with that one bit.
struct NearEdgeMask {
  static constexpr int kCells = 16;  // per axis

  float distance = 0.0f;  // what the cells were marked for; 0 when there is no mask
  Point3 origin;
  Point3 inverseCell;  // cells per unit length, per axis
  std::array<uint64_t, kCells * kCells * kCells / 64> bits{};

  // True when no segment lies within limit of p. Only a limit up to `distance` can be
  // answered; a larger one, or no mask, gives false.
  bool Clear(const Point3& p, float limit) const;
  // Cell of a coordinate along an axis: -1 before the grid (and for NaN), kCells past it.
  // Marking and asking use this one function, so that a point inside a segment's widened
  // box falls into a marked cell whatever the rounding.
  int Cell(int axis, float v) const;
};

// Marks the cells within `distance` of each segment, over the box of all of them.
void BuildNearEdgeMask(NearEdgeMask& mask, const std::vector<EdgeSegment>& segments,
                       const Point3& boundsMin, const Point3& boundsMax, float distance);
