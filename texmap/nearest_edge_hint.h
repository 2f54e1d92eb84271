#pragma once
#include "node_edge_cache.h"
#include "point3.h"

// The shading path's distance queries, started from what this thread found last. A render
// thread shades neighbouring points one after another, and the segment nearest to the last
// one lies near this one too: its distance from here bounds the nearest distance, so the
// search starts with that radius rather than Distance and gives up the far bins sooner. The
// answers are NearestEdgeDistanceWithin's and NearestEdgeDistance's to the bit.
//
// Each thread keeps one segment of the record it shaded last, keyed by the record's serial:
// nothing is shared between threads, nothing is locked or allocated.

// NearestEdgeDistanceWithin(record, p, limit, nearest).
float HintedNearestEdgeWithin(const NodeEdgeCache& record, const Point3& p, float limit,
                              Point3& nearest);
// NearestEdgeDistance(record, p, nearest).
float HintedNearestEdge(const NodeEdgeCache& record, const Point3& p, Point3& nearest);
