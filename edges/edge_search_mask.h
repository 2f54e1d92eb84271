#pragma once
#include <immintrin.h>
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
  // Per axis, and a fourth lane that every point passes, so that Clear takes the axes at once.
  alignas(16) float origin[4] = {};
  alignas(16) float inverseCell[4] = {};          // cells per unit length
  alignas(16) float cellCount[4] = {0, 0, 0, 1};  // cells as floats
  int cells[3] = {};  // per axis, each a power of two, their product at most kBits
  std::array<uint64_t, kBits / 64> bits{};

  // Lays the grid over the box of all the edges, for queries bounded by `distance`; marks
  // nothing yet. A distance that is not positive and finite leaves no mask.
  void Frame(const Point3& boundsMin, const Point3& boundsMax, float distance);
  // Marks the cells the box from lo to hi touches; Widen then adds the cells within the
  // distance of those. Two steps, so that the many boxes of a large record with a large
  // distance each mark a few cells rather than most of the grid.
  void Mark(const Point3& lo, const Point3& hi);
  void Widen();
  // Mark and Widen of one box at once: for a few boxes (a small record's segments), the same
  // bits at the cost of the cells they set rather than of the whole grid.
  void MarkWidened(const Point3& lo, const Point3& hi);
  // True when no edge lies within limit of p. Only a limit up to `distance` can be answered;
  // a larger one, or no mask, gives false. Inline and without branches on the cells: it is
  // most of the cost of a point far from every edge, and in random order a branch on where
  // the point lies is a coin toss. The cells are Cell()'s.
  bool Clear(const Point3& p, float limit) const {
    if (!(limit <= distance)) return false;
    int cell[3];
    if (!CellOf(p, cell)) return true;
    const unsigned bit = Bit(cell[0], cell[1], cell[2]);
    return !(bits[bit / 64] >> (bit % 64) & 1u);
  }
  // The cell p lies in, per axis; false off the grid (NaN too). Cell()'s arithmetic, the three
  // axes at once.
  bool CellOf(const Point3& p, int cell[3]) const {
    const __m128 f = _mm_mul_ps(_mm_sub_ps(_mm_setr_ps(p.x, p.y, p.z, 0.0f), _mm_load_ps(origin)),
                                _mm_load_ps(inverseCell));
    const __m128 on =
        _mm_and_ps(_mm_cmpge_ps(f, _mm_setzero_ps()), _mm_cmplt_ps(f, _mm_load_ps(cellCount)));
    if (_mm_movemask_ps(on) != 15) return false;
    const __m128i c = _mm_cvttps_epi32(f);
    cell[0] = _mm_cvtsi128_si32(c);
    cell[1] = _mm_cvtsi128_si32(_mm_shuffle_epi32(c, 1));
    cell[2] = _mm_cvtsi128_si32(_mm_shuffle_epi32(c, 2));
    return true;
  }
  // Cell of a coordinate along an axis: -1 before the grid (and for NaN), cells[axis] past
  // it. Marking and asking use the same arithmetic, so that a point inside a widened box
  // falls into a marked cell whatever the rounding.
  int Cell(int axis, float v) const;
  // How many cells past the cells it touches a box widened by the margin reaches along an axis.
  int Reach(int axis) const;
  // Marks the cells from lo's to hi's, widened by the reach when `widened` is 1.
  void MarkCells(const Point3& lo, const Point3& hi, int widened);
  // The cells MarkCells marks, per axis from `from` to `to`; none when false.
  bool CellRange(const Point3& lo, const Point3& hi, int widened, int from[3], int to[3]) const;
  unsigned Bit(int cx, int cy, int cz) const {
    return (unsigned(cz) * unsigned(cells[1]) + unsigned(cy)) * unsigned(cells[0]) + unsigned(cx);
  }
};
