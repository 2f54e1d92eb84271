#include "render/camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

Point3 CameraFrame::Direction(float x, float y, int width, int height) const {
  float sx = (2.0f * x / float(width) - 1.0f) * halfWidth;
  float sy = (1.0f - 2.0f * y / float(height)) * halfHeight;
  return (forward + sx * right + sy * up).Normalize();
}

CameraFrame MakeCameraFrame(const CameraDescription& camera, int width, int height) {
  CameraFrame f;
  f.eye = camera.position;
  f.forward = (camera.target - camera.position).Normalize();
  f.right = CrossProd(f.forward, camera.up).Normalize();
  f.up = CrossProd(f.right, f.forward);
  f.halfWidth = std::tan(camera.fovDegrees * std::numbers::pi_v<float> / 360.0f);
  f.halfHeight = f.halfWidth * float(height) / float(width);
  return f;
}

CameraDescription DefaultCamera(const std::vector<const SceneNode*>& nodes, int width, int height,
                                UpAxis up) {
  Point3 low(1e30f, 1e30f, 1e30f), high(-1e30f, -1e30f, -1e30f);
  for (const SceneNode* node : nodes)
    for (const Point3& v : node->mesh.vertices) {
      Point3 p = v * node->objectToWorld;
      for (int i = 0; i < 3; ++i) {
        low[i] = std::min(low[i], p[i]);
        high[i] = std::max(high[i], p[i]);
      }
    }
  CameraDescription camera;
  camera.fovDegrees = 45.0f;
  // The sphere around the box's centre that holds every vertex: tighter than the box's own.
  const Point3 centre = 0.5f * (low + high);
  float radius = 1e-3f;
  for (const SceneNode* node : nodes)
    for (const Point3& v : node->mesh.vertices)
      radius = std::max(radius, (v * node->objectToWorld - centre).Length());
  // The narrower of the two fields of view decides how far back the camera stands.
  float halfX = std::tan(camera.fovDegrees * std::numbers::pi_v<float> / 360.0f);
  float half = std::atan(std::min(halfX, halfX * float(height) / float(width)));
  float distance = radius / std::sin(half);
  // Right, back and up: (x, -y, z) with Z up, (x, z, y) with Y up.
  Point3 direction = up == UpAxis::Z ? Point3(0.55f, -1.0f, 0.6f) : Point3(0.55f, 0.6f, 1.0f);
  camera.position = centre + distance * direction.Normalize();
  camera.target = centre;
  camera.up = UpVector(up);
  return camera;
}

std::vector<const SceneNode*> AllNodes(const HostScene& scene) {
  std::vector<const SceneNode*> nodes;
  for (const SceneNode& node : scene.Nodes()) nodes.push_back(&node);
  return nodes;
}
