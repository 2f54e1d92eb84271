#include "bench_meshes.h"

#include <algorithm>
#include <cmath>

#include "polyobj.h"
#include "test_meshes.h"

namespace {

// n x n quads: 2 n (n + 1) edges.
PolyObject* Plane(size_t edges) {
  const int n = std::max(1, int(std::lround((std::sqrt(1.0 + 2.0 * double(edges)) - 1.0) / 2.0)));
  const float size = 100.0f;
  return MakePlane(n, n, size / float(n), Point3(-0.5f * size, -0.5f * size, 0.0f));
}

// `stacks` from pole to pole, 2 x stacks around: 2 s (2 s - 1) edges.
PolyObject* Sphere(size_t edges) {
  return MakeUvSphere(std::max(2, int(std::lround(std::sqrt(double(edges) / 4.0)))), 50.0f);
}

// 64 sides and `bands` bands of quads: 64 (2 bands + 1) edges; the caps add none.
PolyObject* Cylinder(size_t edges) {
  return MakeCylinder(std::max(1, int(std::lround((double(edges) / 64.0 - 1.0) / 2.0))), 1000.0f);
}

}  // namespace

const char* ShapeName(Shape shape) {
  switch (shape) {
    case Shape::kPlane:
      return "plane";
    case Shape::kSphere:
      return "sphere";
    case Shape::kCylinder:
      return "cylinder";
  }
  return "?";
}

PolyObject* MakeShapeObject(Shape shape, size_t edges) {
  switch (shape) {
    case Shape::kPlane:
      return Plane(edges);
    case Shape::kSphere:
      return Sphere(edges);
    case Shape::kCylinder:
      return Cylinder(edges);
  }
  return nullptr;
}
