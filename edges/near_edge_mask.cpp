#include "near_edge_mask.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Widens the segments' boxes past the distance: the search's own distances are rounded, at
// coordinates as large as the box's, and a segment it finds at the limit must not lie in a
// cell marked clear.
float Margin(float distance, const Point3& boundsMin, const Point3& boundsMax) {
  float largest = 0.0f;
  for (int axis = 0; axis < 3; ++axis)
    largest = std::max({largest, std::fabs(boundsMin[axis]), std::fabs(boundsMax[axis])});
  return distance * 1.001f + 8.0f * FLT_EPSILON * largest;
}

size_t BitOf(int cx, int cy, int cz) {
  return size_t((cz * NearEdgeMask::kCells + cy) * NearEdgeMask::kCells + cx);
}

}  // namespace

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

void BuildNearEdgeMask(NearEdgeMask& mask, const std::vector<EdgeSegment>& segments,
                       const Point3& boundsMin, const Point3& boundsMax, float distance) {
  mask = NearEdgeMask{};
  if (segments.empty() || !(distance > 0.0f) || !std::isfinite(distance)) return;
  const float margin = Margin(distance, boundsMin, boundsMax);
  for (int axis = 0; axis < 3; ++axis) {
    mask.origin[axis] = boundsMin[axis] - margin;
    const float extent = (boundsMax[axis] + margin) - mask.origin[axis];
    // A box too large for finite cells puts everything in cell 0 of that axis.
    const float inverse = float(NearEdgeMask::kCells) / extent;
    mask.inverseCell[axis] = std::isfinite(inverse) ? inverse : 0.0f;
  }
  for (const EdgeSegment& s : segments) {
    int lo[3], hi[3];
    for (int axis = 0; axis < 3; ++axis) {
      const float a = s.start[axis], b = s.end[axis];
      lo[axis] = std::clamp(mask.Cell(axis, std::min(a, b) - margin), 0, NearEdgeMask::kCells - 1);
      hi[axis] = std::clamp(mask.Cell(axis, std::max(a, b) + margin), 0, NearEdgeMask::kCells - 1);
    }
    for (int cz = lo[2]; cz <= hi[2]; ++cz)
      for (int cy = lo[1]; cy <= hi[1]; ++cy)
        for (int cx = lo[0]; cx <= hi[0]; ++cx) {
          const size_t bit = BitOf(cx, cy, cz);
          mask.bits[bit / 64] |= uint64_t(1) << (bit % 64);
        }
  }
  mask.distance = distance;
}
