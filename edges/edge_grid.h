#pragma once
#include "grid_cell.h"
#include "node_edge_cache.h"
#include "point3.h"

// Cells below this edge length are not built: the record answers no distance.
inline constexpr float kMinCellSize = 0.001f;

// Builds the record's XY grid over its segments.
void BuildEdgeGrid(NodeEdgeCache& record);

// The cell holding an object-space point, or null.
const GridCell* FindGridCell(const NodeEdgeCache& record, const Point3& p);
