#pragma once
#include <array>
#include <cstdint>

#include "point3.h"

// Which parts of a record's space lie within a distance of some qualifying edge, as one bit
// per cell of a coarse grid over the edges' box widened by that distance. Most points shaded
// lie beyond Distance of every edge (all of a tube between its rims, all of a sphere away
// from its seams); a point in a clear cell, or off the grid, is answered with that one bit.
struct NearEdgeMask {
  static constexpr int kCells = 16;  // per axis

  float distance = 0.0f;  // what the cells were marked for; 0 while there is no mask
  float margin = 0.0f;    // how far past a box Mark reaches
  Point3 origin;
  Point3 inverseCell;  // cells per unit length, per axis
  std::array<uint64_t, kCells * kCells * kCells / 64> bits{};

  // Lays the grid over the box of all the edges, for queries bounded by `distance`; marks
  // nothing yet. A distance that is not positive and finite leaves no mask.
  void Frame(const Point3& boundsMin, const Point3& boundsMax, float distance);
  // Marks the cells the box from lo to hi touches; Widen then adds the cells within the
  // distance of those. Two steps, so that the many boxes of a large record with a large
  // distance each mark a few cells rather than most of the grid.
  void Mark(const Point3& lo, const Point3& hi);
  void Widen();
  // True when no edge lies within limit of p. Only a limit up to `distance` can be answered;
  // a larger one, or no mask, gives false.
  bool Clear(const Point3& p, float limit) const;
  // Cell of a coordinate along an axis: -1 before the grid (and for NaN), kCells past it.
  // Marking and asking use this one function, so that a point inside a widened box falls
  // into a marked cell whatever the rounding.
  int Cell(int axis, float v) const;
};
