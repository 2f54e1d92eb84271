#pragma once
#include <string>
#include <vector>

#include "edge_segment.h"
#include "node_edge_cache.h"
#include "point3.h"

// What "agrees" means for the nearest-edge query, in one place for the tests and the
// benchmark's agreement check: the exact distance, the rounding allowed, and ties.

// Exact distance from p to the nearest of the segments, in doubles; infinity when there are none.
double ExactNearestDistance(const std::vector<EdgeSegment>& segments, const Point3& p);

// How far a float answer may lie from the exact one on a record queried out to `distance`:
// relative to the distance, plus a few ulps of the largest coordinate.
double ExactTolerance(const NodeEdgeCache& record, double distance);

// Empty when the record's query answers at p as its plain scan does, else what differs.
// Agreeing means: where the plain distance is below the cell size, the same distance and, short
// of a near tie, the same nearest point; elsewhere at least the cell size. Neither answers more
// than kNoEdgeDistance, nor kNoEdgeDistance with the nearest point written. The bounded query
// agrees below its limit, and both vector widths choose the same segment.
std::string DisagreementWithPlain(const NodeEdgeCache& record, const Point3& p);
