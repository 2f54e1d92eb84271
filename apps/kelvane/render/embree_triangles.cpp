#include "render/embree_triangles.h"

#include <new>

#include "host_huge_pages.h"
#include "mesh/mesh_triangles.h"
#include "mesh/parallel_chunks.h"

RTCGeometry NewTriangleGeometry(RTCDevice device, const PolyMeshData& mesh,
                                const std::vector<std::array<int, 3>>& triangles,
                                const Matrix3& transform, std::vector<float>& vertexStore,
                                int threads) {
  threads = LoadThreads(threads);
  // Our own block rather than Embree's: on huge pages a million vertices fault a few times
  // instead of some fifteen hundred. Embree reads the last vertex with a 16-byte load, hence
  // one more float.
  const size_t numVerts = mesh.vertices.size();
  AssignHuge(vertexStore, 3 * numVerts + 1, 0.0f);
  float* vertices = vertexStore.data();
  RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
  rtcSetSharedGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, vertices, 0,
                             3 * sizeof(float), numVerts);
  // Corners are ints of the same size, and ValidateMesh keeps them within the vertices.
  static_assert(sizeof(int) == sizeof(unsigned));
  const bool lent = triangles.empty() && AllTriangles(mesh) && !mesh.corners.empty();
  unsigned* indices = nullptr;
  if (lent)
    rtcSetSharedGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                               mesh.corners.data(), 0, 3 * sizeof(int), size_t(mesh.NumFaces()));
  else
    indices = static_cast<unsigned*>(rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0,
                                                             RTC_FORMAT_UINT3, 3 * sizeof(unsigned),
                                                             triangles.size()));
  if (!lent && !indices) {
    rtcReleaseGeometry(geometry);
    throw std::bad_alloc();
  }
  ParallelChunks(numVerts, threads, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      const Point3 p = mesh.vertices[i] * transform;
      for (int k = 0; k < 3; ++k) vertices[3 * i + size_t(k)] = p[k];
    }
  });
  ParallelChunks(triangles.size(), threads, [&](size_t begin, size_t end) {
    for (size_t t = begin; t < end; ++t)
      for (int k = 0; k < 3; ++k)
        indices[3 * t + size_t(k)] = unsigned(mesh.corners[size_t(triangles[t][size_t(k)])]);
  });
  rtcCommitGeometry(geometry);
  return geometry;
}
