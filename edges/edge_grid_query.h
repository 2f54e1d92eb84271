#pragma once
#include "nearest_edge.h"
#include "node_edge_cache.h"
#include "point3.h"

// The reference query: the straightforward scan of the point's grid cell that the fast
// search (nearest_edge.h, edge_search_*) is checked against.

// True when the perpendicular foot of p lies on segment a..b (ends included); then sets the
// foot and the distance to it.
bool ProjectOntoSegment(const Point3& p, const Point3& a, const Point3& b, Point3& foot,
                        float& distance);

// Distance from p to the nearest segment listed in its grid cell: each segment's foot, start
// and end in turn, a candidate replacing the best only when strictly nearer, so among equal
// distances the lower index wins, and within a segment the foot, then start, then end.
// kNoEdgeDistance, nearest untouched, outside the grid or where nothing listed is nearer.
float NearestEdgeDistancePlain(const NodeEdgeCache& record, const Point3& p, Point3& nearest);
