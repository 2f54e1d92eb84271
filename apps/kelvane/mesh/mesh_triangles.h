#pragma once
#include <array>
#include <vector>

#include "mesh/poly_mesh_data.h"

// The mesh's polygons as triangles of corners (indices into mesh.corners, so a triangle
// reaches its vertices, UVs and corner normals), polygon by polygon in face order, each split
// as TriangulatePolygon splits it.
std::vector<std::array<int, 3>> TriangulateCorners(const PolyMeshData& mesh);

// Whether every face is a triangle, so that corners 3t to 3t + 2 are triangle t.
inline bool AllTriangles(const PolyMeshData& mesh) {
  // No face has fewer than three corners, so three per face means three each.
  return mesh.corners.size() == 3 * size_t(mesh.NumFaces());
}

// One unit normal per corner, smoothed the way smoothing groups smooth: a corner's normal is
// the area-weighted mean of the normals of the faces around its vertex that share a group
// with its face. A face without groups, or without area, keeps its own normal. Runs on
// `threads` threads (0: every core), with the same result for any count.
std::vector<Point3> CornerNormals(const PolyMeshData& mesh, int threads = 0);
