#pragma once
#include <array>
#include <optional>
#include <ostream>
#include <vector>

#include "scene/host_scene.h"

struct RTCDeviceTy;
struct RTCSceneTy;

// What a primary ray hit: the node, its world point, and the shading normal there.
struct RayHit {
  int nodeIndex = -1;  // into HostScene::Nodes()
  Point3 point;        // world space
  Point3 normal;       // world space, unit, facing the ray's origin
};

// The scene's nodes as Embree triangles in world space, for primary rays from many threads.
class RayScene {
 public:
  // Shows the build on progressTo when given. Builds on `threads` threads (0: every core);
  // the rays hit the same faces for any count. The scene's meshes lend their corners to Embree
  // and to the normals: they must outlive this and stay unchanged.
  explicit RayScene(const HostScene& scene, std::ostream* progressTo = nullptr, int threads = 0);
  ~RayScene();
  RayScene(const RayScene&) = delete;
  RayScene& operator=(const RayScene&) = delete;

  std::optional<RayHit> Trace(const Point3& origin, const Point3& direction) const;

 private:
  // Per node: its normals in world space, one per vertex when its vertices' corners all share
  // one (vertexOfCorner then holds the mesh's corners), otherwise one per corner
  // (vertexOfCorner null); and its triangles' corners (left empty when every face is a
  // triangle: triangle t is then corners 3t to 3t + 2).
  std::vector<std::vector<Point3>> normals;
  std::vector<const int*> vertexOfCorner;
  std::vector<std::vector<std::array<int, 3>>> triangles;
  std::vector<std::vector<float>> vertices;  // per node, in world space, read by Embree in place
  RTCDeviceTy* device = nullptr;
  RTCSceneTy* scene = nullptr;
};
