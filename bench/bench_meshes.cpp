#include "bench_meshes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "polyobj.h"

namespace {

// n x n quads: 2 n (n + 1) edges.
void BuildPlane(MNMesh& mm, size_t edges) {
  const int n = std::max(1, int(std::lround((std::sqrt(1.0 + 2.0 * double(edges)) - 1.0) / 2.0)));
  const double size = 100.0;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i)
      mm.NewVert(Point3(size * (double(i) / n - 0.5), size * (double(j) / n - 0.5), 0.0));
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      int a = j * (n + 1) + i;
      int quad[4] = {a, a + 1, a + n + 2, a + n + 1};
      mm.NewFace(-1, 4, quad);
    }
  }
}

// `stacks` from pole to pole, 2 x stacks around: 2 s (2 s - 1) edges.
void BuildSphere(MNMesh& mm, size_t edges) {
  const int stacks = std::max(2, int(std::lround(std::sqrt(double(edges) / 4.0))));
  const int slices = 2 * stacks;
  const double radius = 50.0;
  const double pi = std::numbers::pi;
  const int north = mm.NewVert(Point3(0.0, 0.0, radius));
  for (int s = 1; s < stacks; ++s) {
    double polar = pi * s / stacks;
    for (int k = 0; k < slices; ++k) {
      double az = 2.0 * pi * k / slices;
      mm.NewVert(Point3(radius * std::sin(polar) * std::cos(az),
                        radius * std::sin(polar) * std::sin(az), radius * std::cos(polar)));
    }
  }
  const int south = mm.NewVert(Point3(0.0, 0.0, -radius));
  auto ring = [&](int s, int k) { return 1 + (s - 1) * slices + (k % slices); };
  for (int k = 0; k < slices; ++k) {
    int tri[3] = {north, ring(1, k), ring(1, k + 1)};
    mm.NewFace(-1, 3, tri);
  }
  for (int s = 1; s + 1 < stacks; ++s) {
    for (int k = 0; k < slices; ++k) {
      int quad[4] = {ring(s, k), ring(s + 1, k), ring(s + 1, k + 1), ring(s, k + 1)};
      mm.NewFace(-1, 4, quad);
    }
  }
  for (int k = 0; k < slices; ++k) {
    int tri[3] = {south, ring(stacks - 1, k + 1), ring(stacks - 1, k)};
    mm.NewFace(-1, 3, tri);
  }
}

// 64 sides and `bands` bands of quads: 64 (2 bands + 1) edges; the caps add none.
void BuildCylinder(MNMesh& mm, size_t edges) {
  const int sides = 64;
  const int bands = std::max(1, int(std::lround((double(edges) / sides - 1.0) / 2.0)));
  const double radius = 1.0, height = 1000.0 * radius;
  const double pi = std::numbers::pi;
  for (int b = 0; b <= bands; ++b) {
    double z = height * b / bands;
    for (int k = 0; k < sides; ++k) {
      double az = 2.0 * pi * k / sides;
      mm.NewVert(Point3(radius * std::cos(az), radius * std::sin(az), z));
    }
  }
  auto at = [&](int b, int k) { return b * sides + (k % sides); };
  for (int b = 0; b < bands; ++b) {
    for (int k = 0; k < sides; ++k) {
      int quad[4] = {at(b, k), at(b, k + 1), at(b + 1, k + 1), at(b + 1, k)};
      mm.NewFace(-1, 4, quad);
    }
  }
  std::vector<int> cap(sides);
  for (int k = 0; k < sides; ++k) cap[size_t(k)] = at(0, sides - k);
  mm.NewFace(-1, sides, cap.data());
  for (int k = 0; k < sides; ++k) cap[size_t(k)] = at(bands, k);
  mm.NewFace(-1, sides, cap.data());
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
  PolyObject* object = CreateEditablePolyObject();
  MNMesh& mm = object->GetMesh();
  switch (shape) {
    case Shape::kPlane:
      BuildPlane(mm, edges);
      break;
    case Shape::kSphere:
      BuildSphere(mm, edges);
      break;
    case Shape::kCylinder:
      BuildCylinder(mm, edges);
      break;
  }
  mm.FillInMesh();
  return object;
}
