#pragma once
#include "WindowsDefines.h"
#include "node_edge_cache.h"
#include "point3.h"

// What the two-face tests need of an edge's faces.
struct EdgeFaces {
  DWORD smooth0 = 0, smooth1 = 0;
  int material0 = 0, material1 = 0;
  Point3 normal0, normal1;  // unit normals; read only when the coplanar test is on
};

bool PassesSmoothing(int smoothEq, DWORD mask0, DWORD mask1);
bool PassesCoplanar(float angleThreshold, const Point3& n0, const Point3& n1);
bool PassesMaterial(bool range, int eq, int a, int b, int m0, int m1);

// True when any edge condition of the record is switched on.
bool AnyConditionEnabled(const NodeEdgeCache& record);

// Combines the enabled conditions with And or Or. faces is read only for closed edges.
bool EdgeQualifies(const NodeEdgeCache& record, bool selected, bool open, const EdgeFaces& faces);
