#include "render/ray_scene_normals.h"

#include <algorithm>
#include <atomic>

#include "host_huge_pages.h"
#include "mesh/parallel_chunks.h"

std::vector<Point3> SharedVertexNormals(const PolyMeshData& mesh, int threads) {
  const auto& groups = mesh.smoothingGroups;
  if (std::find(groups.begin(), groups.end(), DWORD(0)) != groups.end()) return {};
  const size_t numVerts = mesh.vertices.size();
  const int numFaces = mesh.NumFaces();
  // Per vertex, the sum of its faces' normals in face order (as CornerNormals adds them) and
  // its faces' mask (0: no face yet); each thread sums its own vertices over all faces.
  std::vector<Point3> normals;
  AssignHuge(normals, numVerts, Point3(0.0f, 0.0f, 0.0f));
  std::vector<DWORD> masks;
  AssignHuge(masks, numVerts, DWORD(0));
  std::atomic<bool> shared = true;
  ParallelChunks(numVerts, LoadThreads(threads), [&](size_t begin, size_t end) {
    for (int f = 0; f < numFaces && shared.load(std::memory_order_relaxed); ++f) {
      bool known = false;
      Point3 faceNormal;
      for (int c = mesh.faceStart[size_t(f)]; c < mesh.faceStart[size_t(f) + 1]; ++c) {
        const size_t v = size_t(mesh.corners[size_t(c)]);
        if (v < begin || v >= end) continue;
        if (masks[v] == 0) masks[v] = groups[size_t(f)];
        if (masks[v] != groups[size_t(f)]) shared = false;
        if (!known) faceNormal = FaceNormal(mesh, f), known = true;
        normals[v] += faceNormal;
      }
    }
    for (size_t v = begin; v < end && shared.load(std::memory_order_relaxed); ++v) {
      // The same steps as a corner's normal, so the same bits.
      normals[v] = (Point3(0.0f, 0.0f, 0.0f) + normals[v]).Normalize();
      // Such a corner would take its own face's normal instead.
      if (masks[v] != 0 && normals[v].LengthSquared() == 0.0f) shared = false;
    }
  });
  if (!shared) return {};
  return normals;
}
