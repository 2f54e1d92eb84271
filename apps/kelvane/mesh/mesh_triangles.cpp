#include "mesh/mesh_triangles.h"

#include <map>

#include "mesh/polygon_triangulation.h"

namespace {
constexpr size_t kMaxMasksPerVertex = 64;
}

std::vector<std::array<int, 3>> TriangulateCorners(const PolyMeshData& mesh) {
  std::vector<std::array<int, 3>> out;
  out.reserve(mesh.corners.size());
  std::vector<Point3> points;
  for (int f = 0; f < mesh.NumFaces(); ++f) {
    const int start = mesh.faceStart[size_t(f)];
    const int n = mesh.FaceSize(f);
    if (n == 3) {
      out.push_back({start, start + 1, start + 2});
      continue;
    }
    points.clear();
    for (int k = 0; k < n; ++k) points.push_back(mesh.vertices[size_t(mesh.Corner(f, k))]);
    for (const auto& t : TriangulatePolygon(points))
      out.push_back({start + t[0], start + t[1], start + t[2]});
  }
  return out;
}

std::vector<Point3> CornerNormals(const PolyMeshData& mesh) {
  const int numFaces = mesh.NumFaces();
  std::vector<Point3> faceNormals(static_cast<size_t>(numFaces));
  for (int f = 0; f < numFaces; ++f) faceNormals[size_t(f)] = FaceNormal(mesh, f);

  // Per vertex, the summed normals of its faces by smoothing mask. Masks around one vertex
  // are few, so a corner adds up the sums of the masks it shares a bit with.
  std::vector<std::map<DWORD, Point3>> sums(mesh.vertices.size());
  for (int f = 0; f < numFaces; ++f) {
    DWORD mask = mesh.smoothingGroups[size_t(f)];
    if (mask == 0) continue;
    for (int k = 0; k < mesh.FaceSize(f); ++k)
      sums[size_t(mesh.Corner(f, k))][mask] += faceNormals[size_t(f)];
  }

  std::vector<Point3> normals(mesh.corners.size());
  for (int f = 0; f < numFaces; ++f) {
    const DWORD mask = mesh.smoothingGroups[size_t(f)];
    const Point3 own = faceNormals[size_t(f)].Normalize();
    for (int k = 0; k < mesh.FaceSize(f); ++k) {
      Point3 n(0.0f, 0.0f, 0.0f);
      const auto& around = sums[size_t(mesh.Corner(f, k))];
      // A vertex among very many different masks is left faceted rather than slow.
      if (mask != 0 && around.size() <= kMaxMasksPerVertex)
        for (const auto& [other, sum] : around)
          if (other & mask) n += sum;
      n = n.Normalize();
      normals[size_t(mesh.faceStart[size_t(f)] + k)] = n.LengthSquared() > 0.0f ? n : own;
    }
  }
  return normals;
}
