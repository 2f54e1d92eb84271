#pragma once
#include "edge_grid_cell.h"
#include "node_edge_cache.h"
#include "point3.h"

// The reference grid: cells over X and Y listing every segment within one cell of them. The
// plain scan (edge_grid_query.h) reads it; the fast search (edge_search_*) is checked
// against that scan.

// Builds the record's XY grid over its segments: settles the cell size (at least Distance
// times C-mult when Distance is the larger, enlarged to keep the grid's memory bounded) and
// lists each segment in the cells around it. Nothing else of the record changes. Any cell
// size with a finite inverse gets a grid, however small; zero, NaN or a size whose inverse
// overflows gets none, and then no cells.
void BuildEdgeGrid(NodeEdgeCache& record);

// The cell holding an object-space point, or null (also when there is no grid).
const GridCell* FindGridCell(const NodeEdgeCache& record, const Point3& p);
