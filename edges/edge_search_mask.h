#pragma once
#include <array>
#include <cstdint>

#include "point3.h"

// Which parts of a record's space lie within a distance of some qualifying edge, as one bit
// per cell of a coarse grid over the edges' box widened by that distance. Most points shaded
// lie beyond Distance of every edge (all of a tube between its rims, all of a sphere away
// from its seams); a point in a clear cell, or off the grid, is answered with that one bit.
//
// The cells are as near cubes as a fixed number of them allows: a tall tube gets many thin
// layers rather than sixteen, so that the band marked around each rim is a few layers of
// hundreds, not a third of the tube.
struct NearEdgeMask {
  static constexpr int kBits = 4096;
  // A row of cells along X is one word, at most; along Y and Z, up to all the bits.
  static constexpr int kMostAlongX = 64;

  float distance = 0.0f;  // what the cells were marked for; 0 while there is no mask
  float margin = 0.0f;    // how far past a box Mark reaches
  Point3 origin;
  Point3 inverseCell;  // cells per unit length, per axis
  int cells[3] = {};   // per axis, each a power of two, their product at most kBits
  Point3 cellCount;    // the same as floats
  std::array<uint64_t, kBits / 64> bits{};

  // Lays the grid over the box of all the edges, for queries bounded by `distance`; marks
  // nothing yet. A distance that is not positive and finite leaves no mask.
  void Frame(const Point3& boundsMin, const Point3& boundsMax, float distance);
  // Marks the cells the box from lo to hi touches; Widen then adds the cells within the
  // distance of those. Two steps, so that the many boxes of a large record with a large
  // distance each mark a few cells rather than most of the grid.
  void Mark(const Point3& lo, const Point3& hi);
  void Widen();
  // True when no edge lies within limit of p. Only a limit up to `distance` can be answered;
  // a larger one, or no mask, gives false. Inline and without branches on the cells: it is
  // most of the cost of a point far from every edge, and in random order a branch on where
  // the point lies is a coin toss. The cells are Cell()'s.
  bool Clear(const Point3& p, float limit) const {
    if (!(limit <= distance)) return false;
    const float fx = (p.x - origin.x) * inverseCell.x;
    const float fy = (p.y - origin.y) * inverseCell.y;
    const float fz = (p.z - origin.z) * inverseCell.z;
    // Off the grid, NaN too.
    if (!((fx >= 0.0f) & (fx < cellCount.x) & (fy >= 0.0f) & (fy < cellCount.y) & (fz >= 0.0f) &
          (fz < cellCount.z)))
      return true;
    const unsigned bit = Bit(int(fx), int(fy), int(fz));
    return !(bits[bit / 64] >> (bit % 64) & 1u);
  }
  // Cell of a coordinate along an axis: -1 before the grid (and for NaN), cells[axis] past
  // it. Marking and asking use the same arithmetic, so that a point inside a widened box
  // falls into a marked cell whatever the rounding.
  int Cell(int axis, float v) const;
  unsigned Bit(int cx, int cy, int cz) const {
    return (unsigned(cz) * unsigned(cells[1]) + unsigned(cy)) * unsigned(cells[0]) + unsigned(cx);
  }
};
