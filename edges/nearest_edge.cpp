#include "nearest_edge.h"

#include <algorithm>
#include <cmath>

#include "edge_grid.h"
#include "edge_search_query.h"
#include "portability.h"

namespace {

// MeasureSegment's body, where the queries below can inline it: measuring the winner again is
// a good part of a query over a few segments.
inline float Measure(const Point3& p, const EdgeSegment& s, Point3& nearest) {
  // The plain scan's arithmetic for one segment (ProjectOntoSegment, then Length to each
  // end, as in edge_grid_query.cpp), compared in squares: a square root is only needed where
  // squares that differ could round to equal distances, which then keep the earlier candidate.
  const Point3 d = s.end - s.start;
  const float t = (d % (p - s.start)) / (d % d);
  const float toStart = (s.start - p).LengthSquared();
  float best = toStart;
  nearest = s.start;
  if (t >= 0.0f && t <= 1.0f) {
    const Point3 foot = s.start + t * d;
    const float toFoot = (p - foot).LengthSquared();
    if (!(toStart < toFoot) || !(std::sqrt(toStart) < std::sqrt(toFoot))) {
      best = toFoot;
      nearest = foot;
    }
  }
  const float toEnd = (s.end - p).LengthSquared();
  if (toEnd < best && std::sqrt(toEnd) < std::sqrt(best)) {
    best = toEnd;
    nearest = s.end;
  }
  return std::sqrt(best);
}

// Measure's distance alone, by the same steps: the colour asks for nothing more, and the
// points it would pick were most of the cost.
KELVANE_FORCE_INLINE float MeasureDistance(const Point3& p, const EdgeSegment& s) {
  const Point3 d = s.end - s.start;
  const float t = (d % (p - s.start)) / (d % d);
  const float toStart = (s.start - p).LengthSquared();
  float best = toStart;
  if (t >= 0.0f && t <= 1.0f) {
    const float toFoot = (p - (s.start + t * d)).LengthSquared();
    if (!(toStart < toFoot) || !(std::sqrt(toStart) < std::sqrt(toFoot))) best = toFoot;
  }
  const float toEnd = (s.end - p).LengthSquared();
  if (toEnd < best && std::sqrt(toEnd) < std::sqrt(best)) best = toEnd;
  return std::sqrt(best);
}

}  // namespace

float MeasureSegment(const Point3& p, const EdgeSegment& s, Point3& nearest) {
  return Measure(p, s, nearest);
}

namespace {

// The found segment's distance, written to nearest only when below kNoEdgeDistance: farther
// counts as nothing near, as the plain scan has it, whose best starts there.
float Answer(const Point3& p, const SearchHit& hit, Point3& nearest, int* segment) {
  if (segment) *segment = -1;
  if (hit.segment < 0) return kNoEdgeDistance;
  Point3 point;
  const float d = Measure(p, hit.copy, point);
  if (!(d < kNoEdgeDistance)) return kNoEdgeDistance;
  nearest = point;
  if (segment) *segment = hit.segment;
  return d;
}

float FindEdge(const NodeEdgeCache& record, const Point3& p, Point3& nearest, int* segment) {
  // Like the grid, a point over its cells gets the nearest segment around its column of
  // space, however far above or below: one walk over the columns within the cell size in XY
  // finds that, and it is the nearest of all when it lies within the cell size. Any other
  // point gets only what lies within the cell size.
  const SearchReach reach = FindGridCell(record, p) ? SearchReach::kColumns : SearchReach::kRadius;
  // The index's copy holds the same coordinates as the record's segment, and is in cache.
  return Answer(p, FindNearestSegment(record.search, p, reach), nearest, segment);
}

// Without kNearest, nearest and segment are left alone: for callers that want the distance
// alone, which then skips picking the point out of a small record's lanes.
// With kLanesAsked, the caller has found that the cell lanes do not answer.
template <bool kNearest = true, bool kLanesAsked = false>
KELVANE_FORCE_INLINE float FindEdgeWithin(const NodeEdgeCache& record, const Point3& p, float limit,
                                          Point3& nearest, int* segment) {
  // Past the exact radius the answers around the point's column count as well: only the
  // full query gives those.
  if (!(limit <= record.search.radius)) return FindEdge(record, p, nearest, segment);
  const NearEdgeMask& mask = record.search.nearMask;
  const SmallEdgeSet& few = record.search.small;
  if (!kLanesAsked && nearest_edge_detail::ByCellLanes(record, limit)) {
    if (segment) *segment = -1;
    const int lane = nearest_edge_detail::CellLaneNearest(record, p, limit);
    if (lane < 0) return kNoEdgeDistance;
    if constexpr (!kNearest) {
      const float d = SmallLaneDistance(few, lane, p);
      return d < kNoEdgeDistance ? d : kNoEdgeDistance;
    }
    const int k = few.segmentAt[lane];
    Point3 point;
    const float d = MeasureSmallEdge(few, k, p, point);
    if (!(d < kNoEdgeDistance)) return kNoEdgeDistance;
    nearest = point;
    if (segment) *segment = k;
    return d;
  }
  // Most of an object lies farther than limit from every qualifying edge (all of a tube
  // between its rims, all of a sphere away from its seams): those points need no search.
  if (record.search.nearMaskAsked && mask.Clear(p, limit)) {
    if (segment) *segment = -1;
    return kNoEdgeDistance;
  }
  // A few segments: measured all at once, straight from here (limit is within the radius).
  if (few.count > 0) {
    if (segment) *segment = -1;
    if constexpr (!kNearest) {
      const int lane = NearestSmallLane(few, p, limit * limit, limit);
      if (lane < 0) return kNoEdgeDistance;
      const float d = SmallLaneDistance(few, lane, p);
      return d < kNoEdgeDistance ? d : kNoEdgeDistance;
    }
    const int k = NearestSmallEdge(few, p, limit * limit);
    if (k < 0) return kNoEdgeDistance;
    Point3 point;
    const float d = MeasureSmallEdge(few, k, p, point);  // Answer's, measured in its lanes
    if (!(d < kNoEdgeDistance)) return kNoEdgeDistance;
    nearest = point;
    if (segment) *segment = k;
    return d;
  }
  if constexpr (!kNearest) {
    const SearchHit hit = FindNearestSegmentWithin(record.search, p, limit);
    if (hit.segment < 0) return kNoEdgeDistance;
    const float d = MeasureDistance(p, hit.copy);
    return d < kNoEdgeDistance ? d : kNoEdgeDistance;
  }
  return Answer(p, FindNearestSegmentWithin(record.search, p, limit), nearest, segment);
}

}  // namespace

float NearestEdgeDistance(const NodeEdgeCache& record, const Point3& p, Point3& nearest) {
  return FindEdge(record, p, nearest, nullptr);
}

float NearestEdgeDistanceWithin(const NodeEdgeCache& record, const Point3& p, float limit,
                                Point3& nearest) {
  return FindEdgeWithin(record, p, limit, nearest, nullptr);
}

float nearest_edge_detail::DistanceWithin(const NodeEdgeCache& record, const Point3& p,
                                          float limit) {
  Point3 unused;
  return FindEdgeWithin<false, true>(record, p, limit, unused, nullptr);
}

float NearestEdgeSegment(const NodeEdgeCache& record, const Point3& p, Point3& nearest,
                         int& segment) {
  return FindEdge(record, p, nearest, &segment);
}

float NearestEdgeSegmentWithin(const NodeEdgeCache& record, const Point3& p, float limit,
                               Point3& nearest, int& segment) {
  return FindEdgeWithin(record, p, limit, nearest, &segment);
}
