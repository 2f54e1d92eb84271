#pragma once
#include <memory>
#include <vector>
#include "WindowsDefines.h"
#include "edge_search_index.h"
#include "edge_segment.h"
#include "grid_cell.h"
#include "point3.h"

class Object;

// One node's qualifying edges and their search grid. Built once, never changed afterwards.
struct NodeEdgeCache {
  ULONG nodeHandle = 0;
  Object* object = nullptr;  // not owned
  float angleThreshold = 0.0f;
  bool selectionOnly = false;
  bool openEdges = false;
  bool smooth = false;
  int smoothEq = 0;
  bool matId = false;
  int matIdEq = 0;
  bool complanar = false;
  int conditions = 0;
  float distance = 0.0f;
  bool matIdRange = false;
  int matId1 = 0;
  int matId2 = 0;
  std::vector<EdgeSegment> segments;
  std::vector<GridCell> cells;
  float cellSize = 0.0f;
  int cMult = 0;
  Point3 boundsMin;
  Point3 boundsMax;
  int columns = 0;
  int rows = 0;
  Point3 gridOrigin;

  // Every cell's index list, one after another; the cells view into it. Shared, so that a
  // copy of the record keeps valid views.
  std::shared_ptr<const std::vector<int>> cellIndexStore;
  // What the distance query scans, derived from the segments with the grid.
  EdgeSearchIndex search;
};
