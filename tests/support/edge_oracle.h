#pragma once
#include <string>
#include <vector>

#include "edge_segment.h"
#include "node_edge_cache.h"
#include "point3.h"

// What "agrees" means for the nearest-edge query, in one place for the tests and the
// benchmark's agreement check: the exact distance, the rounding allowed, and when two
// segments count as tied.

// Exact distance from p to a segment, in doubles; a zero-length segment measures from its
// start.
double ExactSegmentDistance(const Point3& p, const EdgeSegment& s);
// Exact distance from p to the nearest of the segments; infinity when there are none.
double ExactNearestDistance(const std::vector<EdgeSegment>& segments, const Point3& p);

// How far a float answer may lie from the exact one on a record queried out to `distance`:
// relative to the distance, plus a few ulps of the largest coordinate, which a nearest point
// computed in absolute coordinates carries.
double ExactTolerance(const NodeEdgeCache& record, double distance);

// How far the fast search's distance may lie from the plain scan's: both are floats,
// rounded at coordinates as large as the record's.
float PlainTolerance(const NodeEdgeCache& record);

// Whether more than one segment comes within tol of distance d from p, so that either may
// supply the nearest point. Looks at p's grid cell, which lists every segment that near
// when d is below the cell size; at every segment when p has no cell.
bool NearTie(const NodeEdgeCache& record, const Point3& p, float d, float tol);

// Empty when the record's query answers at p as its plain scan does, else a description of
// what differs. Agreeing means: where the plain distance is below the cell size, the same
// distance and, short of a near tie, the same nearest point; elsewhere at least the cell
// size. Neither answers more than kNoEdgeDistance, nor kNoEdgeDistance with the nearest
// point written. The bounded query agrees below its limit, and both vector widths choose the
// same segment.
std::string DisagreementWithPlain(const NodeEdgeCache& record, const Point3& p);
