#pragma once
#include <embree3/rtcore.h>

#include <array>
#include <vector>

#include "matrix3.h"
#include "mesh/poly_mesh_data.h"

// A new Embree geometry of a mesh's triangles (triples of corners, as TriangulateCorners gives
// them), the vertices taken through `transform` into `vertexStore`, which Embree reads in place:
// the caller keeps it, unchanged, as long as the geometry. Committed, for the caller to attach
// to a scene and release. With no triangles given, a mesh whose faces are all triangles (see
// AllTriangles) lends its corners as the index buffer: the mesh must then outlive the geometry
// and keep its corners unchanged. Filled on `threads` threads (0: every core). Throws
// std::bad_alloc when Embree has no room for it.
RTCGeometry NewTriangleGeometry(RTCDevice device, const PolyMeshData& mesh,
                                const std::vector<std::array<int, 3>>& triangles,
                                const Matrix3& transform, std::vector<float>& vertexStore,
                                int threads = 0);
