#pragma once
#include <array>
#include <vector>

#include "point3.h"
#include "scene/host_scene.h"

struct RTCDeviceTy;
struct RTCSceneTy;

// The surface of one node, in its object space, for asking whether a point lies near it.
class NodeSurface {
 public:
  explicit NodeSurface(const SceneNode& node);
  ~NodeSurface();
  NodeSurface(const NodeSurface&) = delete;
  NodeSurface& operator=(const NodeSurface&) = delete;

  // True when some triangle of the node lies within radius of the object-space point.
  bool Within(const Point3& point, float radius) const;

 private:
  const PolyMeshData& mesh;
  std::vector<std::array<int, 3>> triangles;  // corners, as TriangulateCorners gives them
  std::vector<float> vertices;                // Embree reads them in place
  RTCDeviceTy* device = nullptr;
  RTCSceneTy* scene = nullptr;
};

// The distance from p to the triangle (a, b, c).
float PointTriangleDistance(const Point3& p, const Point3& a, const Point3& b, const Point3& c);
