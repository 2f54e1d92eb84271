#include "mesh/poly_mesh_data.h"

#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "common/input_error.h"
#include "mesh/parallel_chunks.h"

void PolyMeshData::AddFace(const std::vector<int>& verts, DWORD smoothing, MtlID material) {
  cornerEdges.clear();
  corners.insert(corners.end(), verts.begin(), verts.end());
  faceStart.push_back(int(corners.size()));
  smoothingGroups.push_back(smoothing);
  materials.push_back(material);
}

namespace {

bool Finite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

uint64_t EdgeKey(int a, int b) {
  if (a > b) std::swap(a, b);
  return (uint64_t(uint32_t(a)) << 32) | uint32_t(b);
}

}  // namespace

void ValidateMesh(const PolyMeshData& mesh, const std::string& what) {
  auto fail = [&](const std::string& problem) { throw InputError(what + ": " + problem); };
  const int numVerts = int(mesh.vertices.size());
  const int numFaces = mesh.NumFaces();
  if (numVerts == 0) fail("the mesh has no vertices");
  if (numFaces <= 0) fail("the mesh has no faces");
  // Checked on every core; the first fault in vertex or face order is the one reported.
  const int threads = LoadThreads(0);
  ParallelChunks(size_t(numVerts), threads, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i)
      if (!Finite(mesh.vertices[i]))
        fail("vertex " + std::to_string(i) + " has a coordinate that is not a finite number");
  });
  if (int(mesh.smoothingGroups.size()) != numFaces || int(mesh.materials.size()) != numFaces)
    fail("smoothing groups and material IDs must have one entry per face");

  ParallelChunks(size_t(numFaces), threads, [&](size_t begin, size_t end) {
    std::unordered_set<int> seen;  // a large polygon's vertices so far
    for (int f = int(begin); f < int(end); ++f) {
      const int n = mesh.FaceSize(f);
      if (n < 3) fail("face " + std::to_string(f) + " has fewer than 3 vertices");
      const int* face = mesh.corners.data() + mesh.faceStart[size_t(f)];
      constexpr int kCompareAll = 16;  // faces up to this size compare each pair
      if (n > kCompareAll) seen.clear();
      for (int k = 0; k < n; ++k) {
        const int v = face[k];
        if (v < 0 || v >= numVerts)
          fail("face " + std::to_string(f) + " uses vertex " + std::to_string(v) +
               ", but the mesh has " + std::to_string(numVerts) + " vertices");
        bool twice = false;
        if (n > kCompareAll)
          twice = !seen.insert(v).second;
        else
          for (int j = 0; j < k; ++j) twice |= face[j] == v;
        if (twice)
          fail("face " + std::to_string(f) + " uses vertex " + std::to_string(v) + " twice");
      }
    }
  });

  // The edge set only serves the selected-edge check; most meshes select none.
  if (!mesh.selectedEdges.empty()) {
    std::unordered_set<uint64_t> edges;
    for (int f = 0; f < numFaces; ++f)
      for (int k = 0, n = mesh.FaceSize(f); k < n; ++k)
        edges.insert(EdgeKey(mesh.Corner(f, k), mesh.Corner(f, k + 1 == n ? 0 : k + 1)));
    for (const auto& [a, b] : mesh.selectedEdges) {
      if (!edges.count(EdgeKey(a, b)))
        fail("selected edge [" + std::to_string(a) + ", " + std::to_string(b) +
             "] is not an edge of any face");
    }
  }

  if (mesh.HasUVs()) {
    if (mesh.uvCorners.size() != mesh.corners.size()) fail("UVs must cover every face corner");
    for (const Point3& uv : mesh.uvs)
      if (!Finite(uv)) fail("a UV coordinate is not a finite number");
    for (int i : mesh.uvCorners)
      if (i < 0 || i >= int(mesh.uvs.size())) fail("a face corner uses a UV that does not exist");
  }
}

Point3 FaceNormal(const PolyMeshData& mesh, int f) {
  // Relative to the first corner, so a mesh far from the origin keeps its precision.
  Point3 n(0.0f, 0.0f, 0.0f);
  const int count = mesh.FaceSize(f);
  const Point3 origin = mesh.vertices[size_t(mesh.Corner(f, 0))];
  for (int k = 1; k + 1 < count; ++k) {
    const Point3 a = mesh.vertices[size_t(mesh.Corner(f, k))] - origin;
    const Point3 b = mesh.vertices[size_t(mesh.Corner(f, k + 1))] - origin;
    n += a ^ b;
  }
  return n;
}
