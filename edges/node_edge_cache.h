#pragma once
#include "WindowsDefines.h"
#include <memory>
#include <vector>
#include "edge_grid_cell.h"
#include "edge_parameters.h"
#include "edge_search_index.h"
#include "edge_segment.h"
#include "matrix3.h"
#include "point3.h"
#include "round_edge.h"

class Object;

// One node's qualifying edges and their search structures, with the parameters they were
// extracted with. Built once, never changed afterwards.
struct NodeEdgeCache : EdgeParameters {
  ULONG nodeHandle = 0;
  Object* object = nullptr;  // not owned
  std::vector<EdgeSegment> segments;
  // With round edges, each segment's two faces, index for index; otherwise empty, so that
  // the default record costs nothing more.
  std::vector<SegmentFaces> segmentFaces;
  std::vector<GridCell> cells;
  float cellSize = 0.0f;
  Point3 boundsMin;
  Point3 boundsMax;
  int columns = 0;
  int rows = 0;
  Point3 gridOrigin;
  // With worldUnits, the node's object-to-world transform at the build time: the segments,
  // bounds and grid are in world space, and the shading point is taken there with it.
  Matrix3 objectToWorld;

  // Every cell's index list, one after another; the cells view into it. Shared, so that a
  // copy of the record keeps valid views.
  std::shared_ptr<const std::vector<int>> cellIndexStore;
  // What the distance query scans, derived from the segments with the grid.
  EdgeSearchIndex search;
};
