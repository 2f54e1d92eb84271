#pragma once
#include "edge_segment.h"
#include "node_edge_cache.h"
#include "point3.h"
#include "portability.h"

// The record's distance query, as shading asks it: the fast search (edge_search_*) finds the
// nearest segment, measured here as the reference scan (edge_grid_query.h) measures it.

// Distance reported when no segment is near.
inline constexpr float kNoEdgeDistance = 1.0e9f;

// Distance from p to one segment and the point of it that gives the distance: the foot when
// it lies on the segment, else the nearer end; among equal distances the foot, then start,
// then end.
float MeasureSegment(const Point3& p, const EdgeSegment& s, Point3& nearest);

// Distance from an object-space point to the nearest segment, exact up to the record's cell
// size (the grid's reach); beyond it, kNoEdgeDistance or a distance of at least the cell
// size. Nothing is nearer than kNoEdgeDistance: then exactly kNoEdgeDistance, and nearest
// untouched; otherwise nearest is written. Among equal distances the lower segment index
// wins.
float NearestEdgeDistance(const NodeEdgeCache& record, const Point3& p, Point3& nearest);

// The same answer where it is below limit; where NearestEdgeDistance would give limit or more,
// any distance of at least limit. For callers that clamp the distance at limit anyway (the
// colour is the ramp's end beyond it), this skips the far search.
float NearestEdgeDistanceWithin(const NodeEdgeCache& record, const Point3& p, float limit,
                                Point3& nearest);
// The same distance, for callers that want no nearest point (the colour): a little cheaper.
// Inline for a small record, whose few segments the colour of every sample measures.
inline float NearestEdgeDistanceWithin(const NodeEdgeCache& record, const Point3& p, float limit);

// The two queries above, also giving the found segment's index in the record, or -1 where
// they find none.
float NearestEdgeSegment(const NodeEdgeCache& record, const Point3& p, Point3& nearest,
                         int& segment);
float NearestEdgeSegmentWithin(const NodeEdgeCache& record, const Point3& p, float limit,
                               Point3& nearest, int& segment);

namespace nearest_edge_detail {

// Whether a small record's mask cells answer a query bounded by limit: each cell knows the
// segments that marked it (SmallEdgeSet::CellLanes), and the mask reaches no farther than the
// exact radius.
KELVANE_FORCE_INLINE bool ByCellLanes(const NodeEdgeCache& record, float limit) {
  return !record.search.small.layerLanes.empty() && limit <= record.search.nearMask.distance;
}

// Where ByCellLanes: the lane of the segment nearest to p below limit, or -1. A point is
// measured against the segments of its cell alone, and a cell none marked is clear.
KELVANE_FORCE_INLINE int CellLaneNearest(const NodeEdgeCache& record, const Point3& p,
                                         float limit) {
  int cell[3];
  if (!record.search.nearMask.CellOf(p, cell)) return -1;
  const unsigned lanes = record.search.small.CellLanes(cell);
  if (!lanes) return -1;
  return NearestSmallLaneOf(record.search.small, lanes, p, limit * limit);
}

// NearestEdgeDistanceWithin for any record, without asking the cell lanes (the inline part has).
float DistanceWithin(const NodeEdgeCache& record, const Point3& p, float limit);

}  // namespace nearest_edge_detail

inline float NearestEdgeDistanceWithin(const NodeEdgeCache& record, const Point3& p, float limit) {
  if (!nearest_edge_detail::ByCellLanes(record, limit))
    return nearest_edge_detail::DistanceWithin(record, p, limit);
  const int lane = nearest_edge_detail::CellLaneNearest(record, p, limit);
  if (lane < 0) return kNoEdgeDistance;
  const float d = SmallLaneDistance(record.search.small, lane, p);
  return d < kNoEdgeDistance ? d : kNoEdgeDistance;
}
