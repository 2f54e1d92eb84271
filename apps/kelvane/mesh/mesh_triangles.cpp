#include "mesh/mesh_triangles.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "host_huge_pages.h"
#include "mesh/parallel_chunks.h"
#include "mesh/polygon_triangulation.h"

namespace {
constexpr size_t kMaxMasksPerVertex = 64;
}

std::vector<std::array<int, 3>> TriangulateCorners(const PolyMeshData& mesh) {
  std::vector<std::array<int, 3>> out;
  ReserveHuge(out, mesh.corners.size() - 2 * size_t(mesh.NumFaces()));
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

std::vector<Point3> CornerNormals(const PolyMeshData& mesh, int threads) {
  threads = LoadThreads(threads);
  const int numFaces = mesh.NumFaces();
  std::vector<Point3> faceNormals;
  AssignHuge(faceNormals, size_t(numFaces), Point3(0.0f, 0.0f, 0.0f));
  ParallelChunks(size_t(numFaces), threads, [&](size_t begin, size_t end) {
    for (size_t f = begin; f < end; ++f) faceNormals[f] = FaceNormal(mesh, int(f));
  });

  // The faces around each vertex, in face order.
  const size_t numVerts = mesh.vertices.size();
  std::vector<int> start;
  AssignHuge(start, numVerts + 1, 0);
  for (int v : mesh.corners) ++start[size_t(v) + 1];
  std::partial_sum(start.begin(), start.end(), start.begin());
  std::vector<int> faces;
  AssignHuge(faces, mesh.corners.size(), 0);
  {
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (int f = 0; f < numFaces; ++f)
      for (int k = 0; k < mesh.FaceSize(f); ++k)
        faces[size_t(fill[size_t(mesh.Corner(f, k))]++)] = f;
  }

  // Per vertex, the summed normals of its faces by smoothing mask, in mask order; a corner
  // adds up the sums of the masks it shares a bit with. Each vertex writes only its own
  // corners, and sums in face order, so any thread count gives the same bits.
  std::vector<Point3> normals;
  AssignHuge(normals, mesh.corners.size(), Point3(0.0f, 0.0f, 0.0f));
  ParallelChunks(numVerts, threads, [&](size_t begin, size_t end) {
    std::vector<std::pair<DWORD, Point3>> sums;
    for (size_t v = begin; v < end; ++v) {
      sums.clear();
      for (int i = start[v]; i < start[v + 1]; ++i) {
        const int f = faces[size_t(i)];
        const DWORD mask = mesh.smoothingGroups[size_t(f)];
        if (mask == 0) continue;
        auto it =
            std::find_if(sums.begin(), sums.end(), [&](const auto& s) { return s.first == mask; });
        if (it == sums.end())
          sums.emplace_back(mask, Point3(0.0f, 0.0f, 0.0f) + faceNormals[size_t(f)]);
        else
          it->second += faceNormals[size_t(f)];
      }
      std::sort(sums.begin(), sums.end(),
                [](const auto& a, const auto& b) { return a.first < b.first; });
      for (int i = start[v]; i < start[v + 1]; ++i) {
        const int f = faces[size_t(i)];
        const DWORD mask = mesh.smoothingGroups[size_t(f)];
        Point3 n(0.0f, 0.0f, 0.0f);
        // A vertex among very many different masks is left faceted rather than slow.
        if (mask != 0 && sums.size() <= kMaxMasksPerVertex)
          for (const auto& [other, sum] : sums)
            if (other & mask) n += sum;
        n = n.Normalize();
        const int first = mesh.faceStart[size_t(f)];
        int k = 0;
        while (mesh.corners[size_t(first + k)] != int(v)) ++k;
        normals[size_t(first + k)] =
            n.LengthSquared() > 0.0f ? n : faceNormals[size_t(f)].Normalize();
      }
    }
  });
  return normals;
}
