#include "nearest_edge_hint.h"

#include <algorithm>
#include <cmath>

#include "nearest_edge.h"

namespace {

// The segment this thread found last, and the record it belongs to.
struct LastFound {
  const NodeEdgeCache* record = nullptr;
  uint64_t serial = 0;
  EdgeSegment segment;
};
thread_local LastFound lastFound;

// Whether `last` holds a segment of this record: the address alone could be a new record's
// where an old one was freed, the serial never repeats.
bool Holds(const LastFound& last, const NodeEdgeCache& record) {
  return record.serial != 0 && last.record == &record && last.serial == record.serial;
}

// A radius the nearest segment surely lies within, given that s is one of the record's: the
// distance to s, widened past the rounding of both this measure and the search's own. Their
// rounding grows with the size of the coordinates, not of the distance; the last term keeps
// the square of a zero distance above zero, so a point on an edge finds it. NaN for a NaN p.
float RadiusFrom(const Point3& p, const EdgeSegment& s) {
  Point3 unused;
  const float d = MeasureSegment(p, s, unused);
  float size = 0.0f;
  for (int axis = 0; axis < 3; ++axis)
    size = std::max({size, std::fabs(p[axis]), std::fabs(s.start[axis]), std::fabs(s.end[axis])});
  return d * 1.0001f + size * 1.0e-5f + 1.0e-18f;
}

void Remember(const NodeEdgeCache& record, int segment) {
  if (segment >= 0 && record.serial != 0)
    lastFound = {&record, record.serial, record.segments[size_t(segment)]};
}

}  // namespace

float HintedNearestEdgeWithin(const NodeEdgeCache& record, const Point3& p, float limit,
                              Point3& nearest) {
  // Below limit the answer is the same for a smaller limit that the nearest segment still
  // lies within; std::min keeps limit for a NaN radius.
  if (Holds(lastFound, record)) limit = std::min(limit, RadiusFrom(p, lastFound.segment));
  int segment = -1;
  const float d = NearestEdgeSegmentWithin(record, p, limit, nearest, segment);
  Remember(record, segment);
  return d;
}

float HintedNearestEdge(const NodeEdgeCache& record, const Point3& p, Point3& nearest) {
  int segment = -1;
  float d;
  // Within the search radius, the bounded query's answer is the full one's.
  const float radius = Holds(lastFound, record) ? RadiusFrom(p, lastFound.segment) : NAN;
  if (radius < record.search.radius)
    d = NearestEdgeSegmentWithin(record, p, radius, nearest, segment);
  else
    d = NearestEdgeSegment(record, p, nearest, segment);
  Remember(record, segment);
  return d;
}
