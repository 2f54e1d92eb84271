#include "render/ray_scene.h"

#include <embree3/rtcore.h>

#include <algorithm>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <string>

#include "common/progress_bar.h"
#include "mesh/mesh_triangles.h"
#include "mesh/parallel_chunks.h"
#include "render/embree_triangles.h"
#include "render/ray_scene_normals.h"

namespace {

// Normals go through the inverse transpose of the object's transform.
Point3 NormalToWorld(const Matrix3& worldToObject, const Point3& n) {
  return Point3(DotProd(n, worldToObject.GetRow(0)), DotProd(n, worldToObject.GetRow(1)),
                DotProd(n, worldToObject.GetRow(2)))
      .Normalize();
}

}  // namespace

RayScene::RayScene(const HostScene& hostScene, std::ostream* progressTo, int threads) {
  // The first half of the bar is our geometry, the second Embree's build.
  ProgressBar progress(progressTo, "Building the ray scene");
  // Our own part of the build fills each thread's own range.
  threads = LoadThreads(threads);
  size_t totalFaces = 0, doneFaces = 0;
  for (const SceneNode& node : hostScene.Nodes()) totalFaces += size_t(node.mesh.NumFaces());
  // Embree's builds below high quality are deterministic for any number of builder threads,
  // so rays that meet two coincident faces see the same one whatever the machine (the
  // ray-scene tests hold it to that). The scene keeps the default build quality.
  // Huge pages for the hierarchy: far fewer page faults while a large scene is built.
  std::string config = "threads=" + std::to_string(threads) + ",hugepages=1";
#if defined(__SANITIZE_THREAD__)
  // Embree and its task library are not built for ThreadSanitizer, which cannot see their
  // own synchronisation: under it the builder keeps to the calling thread.
  config = "threads=1";
#endif
  device = rtcNewDevice(config.c_str());
  if (!device)
    throw std::runtime_error("cannot start Embree (error " +
                             std::to_string(rtcGetDeviceError(nullptr)) + ")");
  scene = rtcNewScene(device);
  // Rays that graze an edge shared by two triangles must hit one of them. Compact leaves
  // carry vertex indices rather than copies of the vertices: the same hits and a build that
  // writes far less, but rays walk them about a fifth slower, so only scenes whose build
  // outweighs a picture's tracing (millions of faces) take them.
  constexpr size_t kCompactFaces = size_t(4) << 20;
  rtcSetSceneFlags(scene, totalFaces > kCompactFaces
                              ? RTC_SCENE_FLAG_ROBUST | RTC_SCENE_FLAG_COMPACT
                              : RTC_SCENE_FLAG_ROBUST);

  normals.reserve(hostScene.Nodes().size());
  vertexOfCorner.reserve(hostScene.Nodes().size());
  triangles.reserve(hostScene.Nodes().size());
  vertices.reserve(hostScene.Nodes().size());
  for (const SceneNode& node : hostScene.Nodes()) {
    const PolyMeshData& mesh = node.mesh;
    // A mesh of triangles alone needs no table of them: its corners are the index buffer.
    auto& nodeTriangles = triangles.emplace_back();
    if (!AllTriangles(mesh)) nodeTriangles = TriangulateCorners(mesh);
    // Taken to world space where they lie, rather than copied per triangle.
    auto& nodeNormals = normals.emplace_back(SharedVertexNormals(mesh, threads));
    vertexOfCorner.push_back(nodeNormals.empty() ? nullptr : mesh.corners.data());
    if (nodeNormals.empty()) nodeNormals = CornerNormals(mesh, threads);
    ParallelChunks(nodeNormals.size(), threads, [&](size_t begin, size_t end) {
      for (size_t c = begin; c < end; ++c)
        nodeNormals[c] = NormalToWorld(node.worldToObject, nodeNormals[c]);
    });
    RTCGeometry geometry = NewTriangleGeometry(device, mesh, nodeTriangles, node.objectToWorld,
                                               vertices.emplace_back(), threads);
    rtcAttachGeometryByID(scene, geometry, unsigned(normals.size() - 1));
    rtcReleaseGeometry(geometry);
    doneFaces += size_t(mesh.NumFaces());
    progress.Show(0.5 * double(doneFaces) / double(std::max<size_t>(totalFaces, 1)));
  }
  // Embree reports from its builder threads, several at once and not always in order.
  struct BuildProgress {
    ProgressBar& bar;
    std::mutex lock;
    double shown = 0.0;
  } build{progress, {}, 0.0};
  rtcSetSceneProgressMonitorFunction(
      scene,
      [](void* data, double fraction) {
        auto& build = *static_cast<BuildProgress*>(data);
        std::lock_guard<std::mutex> hold(build.lock);
        if (fraction > build.shown) build.bar.Show(0.5 + 0.5 * (build.shown = fraction));
        return true;
      },
      &build);
  rtcCommitScene(scene);
  rtcSetSceneProgressMonitorFunction(scene, nullptr, nullptr);
  if (rtcGetDeviceError(device) != RTC_ERROR_NONE)
    throw std::runtime_error("Embree could not build the scene");
}

RayScene::~RayScene() {
  if (scene) rtcReleaseScene(scene);
  if (device) rtcReleaseDevice(device);
}

std::optional<RayHit> RayScene::Trace(const Point3& origin, const Point3& direction) const {
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  RTCRayHit rh{};
  rh.ray.org_x = origin.x;
  rh.ray.org_y = origin.y;
  rh.ray.org_z = origin.z;
  rh.ray.dir_x = direction.x;
  rh.ray.dir_y = direction.y;
  rh.ray.dir_z = direction.z;
  rh.ray.tnear = 0.0f;
  rh.ray.tfar = std::numeric_limits<float>::infinity();
  rh.ray.mask = 0xFFFFFFFFu;
  rh.hit.geomID = RTC_INVALID_GEOMETRY_ID;
  rtcIntersect1(scene, &context, &rh);
  if (rh.hit.geomID == RTC_INVALID_GEOMETRY_ID) return std::nullopt;

  RayHit hit;
  hit.nodeIndex = int(rh.hit.geomID);
  hit.point = origin + rh.ray.tfar * direction;
  const auto& nodeTriangles = triangles[rh.hit.geomID];
  const int first = int(3 * rh.hit.primID);
  const std::array<int, 3> t = nodeTriangles.empty()
                                   ? std::array<int, 3>{first, first + 1, first + 2}
                                   : nodeTriangles[rh.hit.primID];
  const auto& n = normals[rh.hit.geomID];
  const int* byVertex = vertexOfCorner[rh.hit.geomID];
  auto at = [&](int corner) { return n[size_t(byVertex ? byVertex[corner] : corner)]; };
  const float u = rh.hit.u, v = rh.hit.v;
  hit.normal = ((1.0f - u - v) * at(t[0]) + u * at(t[1]) + v * at(t[2])).Normalize();
  if (hit.normal.LengthSquared() == 0.0f)
    hit.normal = Point3(rh.hit.Ng_x, rh.hit.Ng_y, rh.hit.Ng_z).Normalize();
  // Two-sided: the side the ray sees faces it.
  if (DotProd(Point3(rh.hit.Ng_x, rh.hit.Ng_y, rh.hit.Ng_z), direction) > 0.0f)
    hit.normal = -hit.normal;
  if (DotProd(hit.normal, direction) > 0.0f)
    hit.normal = hit.normal - 2.0f * DotProd(hit.normal, direction) * direction;
  return hit;
}
