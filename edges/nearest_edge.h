#pragma once
#include "node_edge_cache.h"
#include "point3.h"

// Distance reported when no segment is near.
inline constexpr float kNoEdgeDistance = 1.0e9f;

// True when the perpendicular foot of p lies on segment a..b (ends included); then sets the
// foot and the distance to it.
bool ProjectOntoSegment(const Point3& p, const Point3& a, const Point3& b, Point3& foot,
                        float& distance);

// Distance from an object-space point to the nearest segment listed in its cell. nearest is
// written only when some segment is closer than kNoEdgeDistance.
float NearestEdgeDistance(const NodeEdgeCache& record, const Point3& p, Point3& nearest);
