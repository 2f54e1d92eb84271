#include "render/ray_scene_normals.h"

#include <algorithm>
#include <atomic>

#include "host_huge_pages.h"
#include "mesh/mesh_triangles.h"
#include "mesh/parallel_chunks.h"

std::vector<Point3> SharedVertexNormals(const PolyMeshData& mesh, int threads) {
  const auto& groups = mesh.smoothingGroups;
  if (std::find(groups.begin(), groups.end(), DWORD(0)) != groups.end()) return {};
  const size_t numVerts = mesh.vertices.size();
  const size_t numFaces = size_t(mesh.NumFaces());
  // Per vertex, the sum of its faces' normals in face order (as CornerNormals adds them) and
  // its faces' mask (0: no face yet); each thread sums its own vertices over all faces.
  std::vector<Point3> normals;
  AssignHuge(normals, numVerts, Point3(0.0f, 0.0f, 0.0f));
  std::vector<DWORD> masks;
  AssignHuge(masks, numVerts, DWORD(0));
  // Plain pointers: through the vectors the compiler must assume every sum written may have
  // moved the mesh's arrays, and reloads them at each corner.
  const int* starts = mesh.faceStart.data();
  const int* corners = mesh.corners.data();
  const Point3* points = mesh.vertices.data();
  const DWORD* faceGroups = groups.data();
  Point3* sums = normals.data();
  DWORD* vertexGroups = masks.data();
  const bool allTriangles = AllTriangles(mesh);
  std::atomic<bool> shared = true;
  ParallelChunks(numVerts, LoadThreads(threads), [&](size_t begin, size_t end) {
    for (size_t f = 0; f < numFaces && shared.load(std::memory_order_relaxed); ++f) {
      const size_t first = allTriangles ? 3 * f : size_t(starts[f]);
      const size_t last = allTriangles ? first + 3 : size_t(starts[f + 1]);
      bool known = false;
      Point3 faceNormal;
      for (size_t c = first; c < last; ++c) {
        const size_t v = size_t(corners[c]);
        if (v < begin || v >= end) continue;
        if (vertexGroups[v] == 0) vertexGroups[v] = faceGroups[f];
        if (vertexGroups[v] != faceGroups[f]) shared = false;
        if (!known) {
          // A triangle's as FaceNormal works it out, step for step, so the same bits.
          const Point3& o = points[corners[first]];
          faceNormal = allTriangles ? Point3(0.0f, 0.0f, 0.0f) + ((points[corners[first + 1]] - o) ^
                                                                  (points[corners[first + 2]] - o))
                                    : FaceNormal(mesh, int(f));
          known = true;
        }
        sums[v] += faceNormal;
      }
    }
    for (size_t v = begin; v < end && shared.load(std::memory_order_relaxed); ++v) {
      // The same steps as a corner's normal, so the same bits.
      sums[v] = (Point3(0.0f, 0.0f, 0.0f) + sums[v]).Normalize();
      // Such a corner would take its own face's normal instead.
      if (vertexGroups[v] != 0 && sums[v].LengthSquared() == 0.0f) shared = false;
    }
  });
  if (!shared) return {};
  return normals;
}
