#include "mesh/poly_mesh_data.h"

#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "common/input_error.h"

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
  for (int i = 0; i < numVerts; ++i)
    if (!Finite(mesh.vertices[size_t(i)]))
      fail("vertex " + std::to_string(i) + " has a coordinate that is not a finite number");
  if (int(mesh.smoothingGroups.size()) != numFaces || int(mesh.materials.size()) != numFaces)
    fail("smoothing groups and material IDs must have one entry per face");

  // The edge set only serves the selected-edge check; most meshes select none.
  const bool collectEdges = !mesh.selectedEdges.empty();
  std::unordered_set<uint64_t> edges;
  std::vector<int> seenInFace(size_t(numVerts), -1);
  for (int f = 0; f < numFaces; ++f) {
    const int n = mesh.FaceSize(f);
    if (n < 3) fail("face " + std::to_string(f) + " has fewer than 3 vertices");
    for (int k = 0; k < n; ++k) {
      int v = mesh.Corner(f, k);
      if (v < 0 || v >= numVerts)
        fail("face " + std::to_string(f) + " uses vertex " + std::to_string(v) +
             ", but the mesh has " + std::to_string(numVerts) + " vertices");
      if (seenInFace[size_t(v)] == f)
        fail("face " + std::to_string(f) + " uses vertex " + std::to_string(v) + " twice");
      seenInFace[size_t(v)] = f;
      if (collectEdges && k > 0) edges.insert(EdgeKey(mesh.Corner(f, k - 1), v));
    }
    if (collectEdges) edges.insert(EdgeKey(mesh.Corner(f, n - 1), mesh.Corner(f, 0)));
  }

  for (const auto& [a, b] : mesh.selectedEdges) {
    if (!edges.count(EdgeKey(a, b)))
      fail("selected edge [" + std::to_string(a) + ", " + std::to_string(b) +
           "] is not an edge of any face");
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
