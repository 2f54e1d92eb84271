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

  // Per vertex, the sum of its grouped faces' normals in face order, while they all share one
  // mask, as nearly every vertex does; each thread sums its own vertices over all faces.
  struct VertexSum {
    DWORD mask = 0;  // 0: no grouped face yet
    bool mixed = false;
    Point3 sum{0.0f, 0.0f, 0.0f};
  };
  const size_t numVerts = mesh.vertices.size();
  std::vector<VertexSum> vertexSums;
  AssignHuge(vertexSums, numVerts, VertexSum{});
  ParallelChunks(numVerts, threads, [&](size_t begin, size_t end) {
    for (int f = 0; f < numFaces; ++f) {
      const DWORD mask = mesh.smoothingGroups[size_t(f)];
      if (mask == 0) continue;
      for (int c = mesh.faceStart[size_t(f)]; c < mesh.faceStart[size_t(f) + 1]; ++c) {
        const size_t v = size_t(mesh.corners[size_t(c)]);
        if (v < begin || v >= end) continue;
        VertexSum& s = vertexSums[v];
        if (s.mask == 0) s.mask = mask;
        if (s.mask == mask)
          s.sum += faceNormals[size_t(f)];
        else
          s.mixed = true;
      }
    }
  });

  std::vector<Point3> normals;
  AssignHuge(normals, mesh.corners.size(), Point3(0.0f, 0.0f, 0.0f));
  // A corner's normal from its vertex's sums that share a bit with its face's mask; a face
  // without groups, or with nothing to smooth with, keeps its own.
  auto write = [&](int f, int corner, Point3 n) {
    n = n.Normalize();
    normals[size_t(corner)] = n.LengthSquared() > 0.0f ? n : faceNormals[size_t(f)].Normalize();
  };
  ParallelChunks(size_t(numFaces), threads, [&](size_t begin, size_t end) {
    for (size_t f = begin; f < end; ++f) {
      const DWORD mask = mesh.smoothingGroups[f];
      for (int c = mesh.faceStart[f]; c < mesh.faceStart[f + 1]; ++c) {
        const VertexSum& s = vertexSums[size_t(mesh.corners[size_t(c)])];
        Point3 n(0.0f, 0.0f, 0.0f);
        if (mask != 0 && s.mixed) continue;
        if (mask != 0) n += s.sum;
        write(int(f), c, n);
      }
    }
  });

  // Vertices among faces of different masks: per vertex, the sums by mask in mask order, each
  // in face order; a corner adds up those that share a bit with its face's mask.
  std::vector<int> start(numVerts + 1, 0);
  for (size_t v = 0; v < numVerts; ++v) start[v + 1] = start[v] + (vertexSums[v].mixed ? 1 : 0);
  if (start.back() == 0) return normals;
  std::vector<int> mixed(size_t(start.back()));
  for (size_t v = 0; v < numVerts; ++v)
    if (vertexSums[v].mixed) mixed[size_t(start[v])] = int(v);
  // Their grouped faces, in face order.
  std::vector<int> faceStart(mixed.size() + 1, 0);
  auto forEachMixedCorner = [&](auto visit) {
    for (int f = 0; f < numFaces; ++f)
      if (mesh.smoothingGroups[size_t(f)] != 0)
        for (int c = mesh.faceStart[size_t(f)]; c < mesh.faceStart[size_t(f) + 1]; ++c)
          if (vertexSums[size_t(mesh.corners[size_t(c)])].mixed)
            visit(start[size_t(mesh.corners[size_t(c)])], f, c);
  };
  forEachMixedCorner([&](int m, int, int) { ++faceStart[size_t(m) + 1]; });
  std::partial_sum(faceStart.begin(), faceStart.end(), faceStart.begin());
  std::vector<std::pair<int, int>> around(size_t(faceStart.back()));  // face, corner
  {
    std::vector<int> fill(faceStart.begin(), faceStart.end() - 1);
    forEachMixedCorner([&](int m, int f, int c) { around[size_t(fill[size_t(m)]++)] = {f, c}; });
  }
  ParallelChunks(mixed.size(), threads, [&](size_t begin, size_t end) {
    std::vector<std::pair<DWORD, Point3>> sums;
    for (size_t m = begin; m < end; ++m) {
      sums.clear();
      for (int i = faceStart[m]; i < faceStart[m + 1]; ++i) {
        const int f = around[size_t(i)].first;
        const DWORD mask = mesh.smoothingGroups[size_t(f)];
        auto it =
            std::find_if(sums.begin(), sums.end(), [&](const auto& s) { return s.first == mask; });
        if (it == sums.end())
          sums.emplace_back(mask, Point3(0.0f, 0.0f, 0.0f) + faceNormals[size_t(f)]);
        else
          it->second += faceNormals[size_t(f)];
      }
      std::sort(sums.begin(), sums.end(),
                [](const auto& a, const auto& b) { return a.first < b.first; });
      for (int i = faceStart[m]; i < faceStart[m + 1]; ++i) {
        const auto [f, c] = around[size_t(i)];
        const DWORD mask = mesh.smoothingGroups[size_t(f)];
        Point3 n(0.0f, 0.0f, 0.0f);
        // A vertex among very many different masks is left faceted rather than slow.
        if (sums.size() <= kMaxMasksPerVertex)
          for (const auto& [other, sum] : sums)
            if (other & mask) n += sum;
        write(f, c, n);
      }
    }
  });
  return normals;
}
