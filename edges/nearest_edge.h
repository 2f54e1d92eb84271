#pragma once
#include "edge_segment.h"
#include "node_edge_cache.h"
#include "point3.h"

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
float NearestEdgeDistanceWithin(const NodeEdgeCache& record, const Point3& p, float limit);

// The two queries above, also giving the found segment's index in the record, or -1 where
// they find none.
float NearestEdgeSegment(const NodeEdgeCache& record, const Point3& p, Point3& nearest,
                         int& segment);
float NearestEdgeSegmentWithin(const NodeEdgeCache& record, const Point3& p, float limit,
                               Point3& nearest, int& segment);
