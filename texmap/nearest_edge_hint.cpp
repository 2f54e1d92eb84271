#include "nearest_edge_hint.h"

#include <algorithm>
#include <cmath>

#include "nearest_edge.h"

namespace {

// The segment this thread found last, and the record it belongs to: the address alone could
// be a new record's where an old one was freed, the serial never repeats.
struct LastFound {
  const NodeEdgeCache* record = nullptr;
  uint64_t serial = 0;
  EdgeSegment segment;
};
thread_local LastFound lastFound;

// Records this small are scanned whole whatever the radius: a hint only costs there.
constexpr size_t kFewSegments = 32;

// Whether the record is worth a hint, and whether `last` holds one of its segments.
bool Hintable(const NodeEdgeCache& record) {
  return record.serial != 0 && record.segments.size() > kFewSegments;
}
bool Holds(const LastFound& last, const NodeEdgeCache& record) {
  return last.record == &record && last.serial == record.serial;
}

// A radius the nearest segment surely lies within, given that s is one of the record's: the
// distance to a point of s, widened past the rounding of this measure and of the search's
// own. Any t from 0 to 1 gives a point of s, so the clamped projection needs no care. The
// rounding grows with the size of the coordinates, not of the distance; the last term keeps
// the square of a zero distance above zero, so a point on an edge finds it. NaN for a NaN p.
float RadiusFrom(const Point3& p, const EdgeSegment& s) {
  const Point3 d = s.end - s.start, v = p - s.start;
  const float dd = d % d;
  const float t = dd > 0.0f ? std::clamp((v % d) / dd, 0.0f, 1.0f) : 0.0f;
  const Point3 e = v - t * d;
  float size = 0.0f;
  for (int axis = 0; axis < 3; ++axis)
    size = std::max({size, std::fabs(p[axis]), std::fabs(s.start[axis]), std::fabs(s.end[axis])});
  return std::sqrt(e % e) * 1.0001f + size * 1.0e-5f + 1.0e-18f;
}

}  // namespace

float HintedNearestEdgeWithin(const NodeEdgeCache& record, const Point3& p, float limit,
                              Point3& nearest) {
  if (!Hintable(record)) return NearestEdgeDistanceWithin(record, p, limit, nearest);
  LastFound& last = lastFound;
  // Below limit the answer is the same for a smaller limit that the nearest segment still
  // lies within; std::min keeps limit for a NaN radius.
  if (Holds(last, record)) limit = std::min(limit, RadiusFrom(p, last.segment));
  int segment = -1;
  const float d = NearestEdgeSegmentWithin(record, p, limit, nearest, segment);
  if (segment >= 0) last = {&record, record.serial, record.segments[size_t(segment)]};
  return d;
}

float HintedNearestEdge(const NodeEdgeCache& record, const Point3& p, Point3& nearest) {
  if (!Hintable(record)) return NearestEdgeDistance(record, p, nearest);
  LastFound& last = lastFound;
  int segment = -1;
  float d;
  // Within the search radius, the bounded query's answer is the full one's.
  const float radius = Holds(last, record) ? RadiusFrom(p, last.segment) : NAN;
  if (radius < record.search.radius)
    d = NearestEdgeSegmentWithin(record, p, radius, nearest, segment);
  else
    d = NearestEdgeSegment(record, p, nearest, segment);
  if (segment >= 0) last = {&record, record.serial, record.segments[size_t(segment)]};
  return d;
}
