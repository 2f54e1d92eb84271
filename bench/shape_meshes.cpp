#include "shape_meshes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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
int CylinderBands(size_t edges) {
  return std::max(1, int(std::lround((double(edges) / 64.0 - 1.0) / 2.0)));
}

PolyObject* Cylinder(size_t edges) {
  return MakeCylinder(CylinderBands(edges), 1000.0f);
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

PolyObject* MakeSeamedSphere(size_t edges) {
  PolyObject* object = Sphere(edges);
  MNMesh& mm = object->GetMesh();
  for (int f = 0; f < mm.FNum(); ++f) {
    MNFace& face = *mm.F(f);
    Point3 centre(0.0f, 0.0f, 0.0f);
    for (int j = 0; j < face.deg; ++j) centre += mm.P(face.vtx[j]);
    const double turn = std::atan2(double(centre.y), double(centre.x)) / (2.0 * std::numbers::pi);
    face.material = MtlID(std::min(int(3.0 * (turn + 0.5)), 2));
  }
  return object;
}

PolyObject* MakeOpenCylinder(size_t edges) {
  return MakeCylinder(CylinderBands(edges), 1000.0f, false);
}
