#pragma once
#include <vector>

#include "mesh/poly_mesh_data.h"

// One normal per vertex, equal to what CornerNormals gives every corner of that vertex, when
// the mesh allows it: every face is in a smoothing group, no vertex lies among faces of
// different groups, and no used vertex's faces cancel out. Otherwise empty, and the caller
// keeps a normal per corner. Far less to compute and keep for the smooth meshes that scans and
// CAD exports mostly are. Runs on `threads` threads (0: every core), the same for any count.
std::vector<Point3> SharedVertexNormals(const PolyMeshData& mesh, int threads = 0);
