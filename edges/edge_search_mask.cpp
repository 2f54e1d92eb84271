#include "edge_search_mask.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

void NearEdgeMask::Frame(const Point3& boundsMin, const Point3& boundsMax, float forDistance) {
  *this = NearEdgeMask{};
  if (!(forDistance > 0.0f) || !std::isfinite(forDistance)) return;
  // Past the distance: the search's own distances are rounded, at coordinates as large as
  // the box's, and an edge it finds at the limit must not lie in a cell marked clear.
  float largest = 0.0f;
  for (int axis = 0; axis < 3; ++axis)
    largest = std::max({largest, std::fabs(boundsMin[axis]), std::fabs(boundsMax[axis])});
  margin = forDistance * 1.001f + 8.0f * FLT_EPSILON * largest;
  double extent[3];
  for (int axis = 0; axis < 3; ++axis) {
    origin[axis] = boundsMin[axis] - margin;
    extent[axis] = double((boundsMax[axis] + margin) - origin[axis]);
    cells[axis] = 1;
  }
  // Doubles the cells along the axis whose cells are longest, while bits remain.
  for (int total = 1; total < kBits; total *= 2) {
    int longest = -1;
    for (int axis = 0; axis < 3; ++axis) {
      if (axis == 0 && cells[0] >= kMostAlongX) continue;
      if (longest < 0 || extent[axis] / cells[axis] > extent[longest] / cells[longest])
        longest = axis;
    }
    cells[longest] *= 2;
  }
  for (int axis = 0; axis < 3; ++axis) {
    cellCount[axis] = float(cells[axis]);
    // A box too large for finite cells puts everything in cell 0 of that axis.
    const float inverse = cellCount[axis] / float(extent[axis]);
    inverseCell[axis] = std::isfinite(inverse) ? inverse : 0.0f;
  }
  distance = forDistance;
}

void NearEdgeMask::Mark(const Point3& lo, const Point3& hi) {
  MarkCells(lo, hi, 0);
}

void NearEdgeMask::MarkWidened(const Point3& lo, const Point3& hi) {
  MarkCells(lo, hi, 1);
}

bool NearEdgeMask::CellRange(const Point3& lo, const Point3& hi, int widened, int from[3],
                             int to[3]) const {
  for (int axis = 0; axis < 3; ++axis) {
    const int more = widened * Reach(axis);
    from[axis] = std::max(std::clamp(Cell(axis, lo[axis]), 0, cells[axis] - 1) - more, 0);
    to[axis] =
        std::min(std::clamp(Cell(axis, hi[axis]), 0, cells[axis] - 1) + more, cells[axis] - 1);
  }
  return to[0] >= from[0];  // not with an end not a number
}

void NearEdgeMask::MarkCells(const Point3& lo, const Point3& hi, int widened) {
  int from[3], to[3];
  if (!CellRange(lo, hi, widened, from, to)) return;
  // A row along X lies within one word (at most 64 cells, a power of two): its run of cells is
  // one mask.
  const int run = to[0] - from[0] + 1;
  const uint64_t cellsInRun = run == 64 ? ~uint64_t(0) : (uint64_t(1) << run) - 1;
  for (int cz = from[2]; cz <= to[2]; ++cz)
    for (int cy = from[1]; cy <= to[1]; ++cy) {
      const unsigned bit = Bit(from[0], cy, cz);
      bits[bit / 64] |= cellsInRun << (bit % 64);
    }
}

int NearEdgeMask::Reach(int axis) const {
  // Cell() rounds a coordinate's place by a few millionths of a cell at most: a thousandth
  // covers that without a whole cell more.
  const float more = std::ceil(margin * inverseCell[axis] + 1.0e-3f);
  return !(more < cellCount[axis]) ? cells[axis] : int(more);
}

void NearEdgeMask::Widen() {
  // Axis by axis, which widens every marked box alike.
  const int reach[3] = {Reach(0), Reach(1), Reach(2)};
  // By (z, y): the row's X cells as bits, a row within one word.
  const int nx = cells[0], ny = cells[1], nz = cells[2];
  const uint64_t full = nx == 64 ? ~uint64_t(0) : (uint64_t(1) << nx) - 1;
  std::vector<uint64_t> rows(size_t(ny) * size_t(nz));
  for (size_t i = 0; i < rows.size(); ++i) {
    const size_t bit = i * size_t(nx);
    rows[i] = bits[bit / 64] >> (bit % 64) & full;
  }
  for (uint64_t& row : rows) {
    uint64_t wide = row;
    for (int s = 1; s <= std::min(reach[0], nx - 1); ++s) wide |= row << s | row >> s;
    row = wide & full;
  }
  for (int axis = 1; axis < 3; ++axis) {
    const std::vector<uint64_t> narrow = rows;
    const int n = cells[axis];
    for (int z = 0; z < nz; ++z)
      for (int y = 0; y < ny; ++y) {
        const int c = axis == 1 ? y : z;
        uint64_t wide = 0;
        for (int k = std::max(c - reach[axis], 0); k <= std::min(c + reach[axis], n - 1); ++k)
          wide |= narrow[size_t(axis == 1 ? z * ny + k : k * ny + y)];
        rows[size_t(z * ny + y)] = wide;
      }
  }
  bits.fill(0);
  for (size_t i = 0; i < rows.size(); ++i) {
    const size_t bit = i * size_t(nx);
    bits[bit / 64] |= rows[i] << (bit % 64);
  }
}

int NearEdgeMask::Cell(int axis, float v) const {
  const float f = (v - origin[axis]) * inverseCell[axis];
  if (!(f >= 0.0f)) return -1;
  return f >= cellCount[axis] ? cells[axis] : int(f);
}
