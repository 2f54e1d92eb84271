#include "edge_search_mask.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

size_t BitOf(int cx, int cy, int cz) {
  return size_t((cz * NearEdgeMask::kCells + cy) * NearEdgeMask::kCells + cx);
}

}  // namespace

void NearEdgeMask::Frame(const Point3& boundsMin, const Point3& boundsMax, float forDistance) {
  *this = NearEdgeMask{};
  if (!(forDistance > 0.0f) || !std::isfinite(forDistance)) return;
  // Past the distance: the search's own distances are rounded, at coordinates as large as
  // the box's, and an edge it finds at the limit must not lie in a cell marked clear.
  float largest = 0.0f;
  for (int axis = 0; axis < 3; ++axis)
    largest = std::max({largest, std::fabs(boundsMin[axis]), std::fabs(boundsMax[axis])});
  margin = forDistance * 1.001f + 8.0f * FLT_EPSILON * largest;
  for (int axis = 0; axis < 3; ++axis) {
    origin[axis] = boundsMin[axis] - margin;
    const float extent = (boundsMax[axis] + margin) - origin[axis];
    // A box too large for finite cells puts everything in cell 0 of that axis.
    const float inverse = float(kCells) / extent;
    inverseCell[axis] = std::isfinite(inverse) ? inverse : 0.0f;
  }
  distance = forDistance;
}

void NearEdgeMask::Mark(const Point3& lo, const Point3& hi) {
  int from[3], to[3];
  for (int axis = 0; axis < 3; ++axis) {
    from[axis] = std::clamp(Cell(axis, lo[axis]), 0, kCells - 1);
    to[axis] = std::clamp(Cell(axis, hi[axis]), 0, kCells - 1);
  }
  for (int cz = from[2]; cz <= to[2]; ++cz)
    for (int cy = from[1]; cy <= to[1]; ++cy)
      for (int cx = from[0]; cx <= to[0]; ++cx) {
        const size_t bit = BitOf(cx, cy, cz);
        bits[bit / 64] |= uint64_t(1) << (bit % 64);
      }
}

void NearEdgeMask::Widen() {
  static_assert(kCells == 16, "a row of cells along X is 16 bits, four to a word");
  // A box widened by the margin reaches at most this many cells past the cells it touches,
  // one more for rounding. Axis by axis, which widens every marked box alike.
  int reach[3];
  for (int axis = 0; axis < 3; ++axis) {
    const float cells = std::ceil(margin * inverseCell[axis]);
    reach[axis] = !(cells < float(kCells)) ? kCells : int(cells) + 1;
  }
  std::array<uint32_t, kCells * kCells> rows;  // by (z, y): the row's X cells as bits
  for (size_t i = 0; i < rows.size(); ++i)
    rows[i] = uint32_t(bits[i / 4] >> (16 * (i % 4))) & 0xffffu;
  for (uint32_t& row : rows) {
    uint32_t wide = row;
    for (int s = 1; s <= reach[0]; ++s) wide |= row << s | row >> s;
    row = wide & 0xffffu;
  }
  for (int axis = 1; axis < 3; ++axis) {
    const auto narrow = rows;
    for (int z = 0; z < kCells; ++z)
      for (int y = 0; y < kCells; ++y) {
        const int c = axis == 1 ? y : z;
        uint32_t wide = 0;
        for (int k = std::max(c - reach[axis], 0); k <= std::min(c + reach[axis], kCells - 1); ++k)
          wide |= narrow[size_t(axis == 1 ? z * kCells + k : k * kCells + y)];
        rows[size_t(z * kCells + y)] = wide;
      }
  }
  bits.fill(0);
  for (size_t i = 0; i < rows.size(); ++i) bits[i / 4] |= uint64_t(rows[i]) << (16 * (i % 4));
}

int NearEdgeMask::Cell(int axis, float v) const {
  const float f = (v - origin[axis]) * inverseCell[axis];
  if (!(f >= 0.0f)) return -1;
  return f >= float(kCells) ? kCells : int(f);
}

bool NearEdgeMask::Clear(const Point3& p, float limit) const {
  if (!(limit <= distance)) return false;
  int c[3];
  for (int axis = 0; axis < 3; ++axis) {
    c[axis] = Cell(axis, p[axis]);
    if (c[axis] < 0 || c[axis] >= kCells) return true;
  }
  const size_t bit = BitOf(c[0], c[1], c[2]);
  return !(bits[bit / 64] >> (bit % 64) & 1u);
}
