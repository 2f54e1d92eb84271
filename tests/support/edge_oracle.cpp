#include "edge_oracle.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>

#include "edge_grid.h"
#include "edge_grid_query.h"
#include "edge_search_query.h"
#include "nearest_edge.h"

namespace {

float LargestCoordinate(const NodeEdgeCache& r) {
  float largest = 0.0f;
  for (int i = 0; i < 3; ++i)
    largest = std::max({largest, std::fabs(r.boundsMin[i]), std::fabs(r.boundsMax[i])});
  return largest;
}

std::ostream& operator<<(std::ostream& out, const Point3& p) {
  return out << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}

// A zero-length segment measures from its start.
double ExactSegmentDistance(const Point3& p, const EdgeSegment& s) {
  const double ax = s.start.x, ay = s.start.y, az = s.start.z;
  const double dx = s.end.x - ax, dy = s.end.y - ay, dz = s.end.z - az;
  const double len2 = dx * dx + dy * dy + dz * dz;
  double t = len2 > 0.0 ? ((p.x - ax) * dx + (p.y - ay) * dy + (p.z - az) * dz) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = p.x - (ax + t * dx), ey = p.y - (ay + t * dy), ez = p.z - (az + t * dz);
  return std::sqrt(ex * ex + ey * ey + ez * ez);
}

// The fast search's and the plain scan's floats, rounded at coordinates as large as the record's.
float PlainTolerance(const NodeEdgeCache& r) {
  return 16.0f * FLT_EPSILON * std::max(r.cellSize, LargestCoordinate(r));
}

// Whether more than one segment comes within tol of d from p, so that either may supply the
// nearest point. p's grid cell lists every segment that near when d is below the cell size.
bool NearTie(const NodeEdgeCache& r, const Point3& p, float d, float tol) {
  int within = 0;
  auto count = [&](const EdgeSegment& s) {
    Point3 point;
    within += MeasureSegment(p, s, point) <= d + tol ? 1 : 0;
  };
  if (const GridCell* cell = FindGridCell(r, p)) {
    for (int index : cell->edgeIndices) count(r.segments[size_t(index)]);
  } else {
    for (const EdgeSegment& s : r.segments) count(s);
  }
  return within > 1;
}

}  // namespace

double ExactNearestDistance(const std::vector<EdgeSegment>& segments, const Point3& p) {
  double best = std::numeric_limits<double>::infinity();
  for (const EdgeSegment& s : segments) best = std::min(best, ExactSegmentDistance(p, s));
  return best;
}

double ExactTolerance(const NodeEdgeCache& r, double distance) {
  return 1e-4 * distance + 4.0 * FLT_EPSILON * double(LargestCoordinate(r));
}

std::string DisagreementWithPlain(const NodeEdgeCache& r, const Point3& p) {
  const Point3 unset(-7.0f, -7.0f, -7.0f);
  Point3 fast = unset, plain = unset;
  const float f = NearestEdgeDistance(r, p, fast);
  const float g = NearestEdgeDistancePlain(r, p, plain);
  const float tol = PlainTolerance(r);
  auto describe = [&]() {
    std::ostringstream out;
    out.precision(9);
    out << "at " << p << ": fast " << f << " at " << fast << ", plain " << g << " at " << plain
        << ", cell size " << r.cellSize;
    return out.str();
  };
  // Nothing nearer than kNoEdgeDistance is exactly that, with the nearest point untouched.
  if (!(f < kNoEdgeDistance) && (f != kNoEdgeDistance || !(fast == unset))) return describe();
  if (!(g < kNoEdgeDistance) && (g != kNoEdgeDistance || !(plain == unset))) return describe();
  if (g < r.cellSize - tol) {
    if (std::fabs(f - g) > tol) return describe();
    if (!(fast == plain) && !NearTie(r, p, g, tol)) return describe();
  } else if (!(f >= r.cellSize - tol)) {
    return describe();
  }
  // The bounded query, as shading asks it: at the record's Distance, and below the cell size.
  for (float limit : {r.distance, 0.3f * r.cellSize, r.cellSize}) {
    Point3 point;
    const float b = NearestEdgeDistanceWithin(r, p, limit, point);
    // The colour's query, without the point, answers the same to the bit.
    if (std::bit_cast<uint32_t>(NearestEdgeDistanceWithin(r, p, limit)) !=
        std::bit_cast<uint32_t>(b))
      return describe() + ": without the point, " + std::to_string(b);
    if (g < limit - tol ? std::fabs(b - g) > tol : !(b >= limit - tol)) {
      std::ostringstream out;
      out << describe() << ", within " << limit << ": " << b;
      return out.str();
    }
  }
  if (ScanKernelAvailable(ScanKernel::kAvx2) &&
      FindNearestSegment(r.search, p, SearchReach::kRadius, ScanKernel::kSse2).segment !=
          FindNearestSegment(r.search, p, SearchReach::kRadius, ScanKernel::kAvx2).segment)
    return describe() + ": the vector widths disagree";
  return {};
}
