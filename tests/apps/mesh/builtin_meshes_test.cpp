// Built-in meshes: closed ones closed and facing out, open ones with borders, parts' own groups.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "mesh/builtin_meshes.h"

namespace {

// Edges used by one face only; none may be used by more than two.
int OpenEdges(const PolyMeshData& mesh) {
  std::map<std::pair<int, int>, int> use;
  for (int f = 0; f < mesh.NumFaces(); ++f)
    for (int k = 0; k < mesh.FaceSize(f); ++k) {
      int a = mesh.Corner(f, k), b = mesh.Corner(f, (k + 1) % mesh.FaceSize(f));
      ++use[{std::min(a, b), std::max(a, b)}];
    }
  int open = 0;
  for (auto& [edge, count] : use) {
    EXPECT_LE(count, 2) << "edge " << edge.first << "-" << edge.second;
    open += count == 1;
  }
  return open;
}

Point3 Centroid(const PolyMeshData& mesh, int f) {
  Point3 c;
  for (int k = 0; k < mesh.FaceSize(f); ++k) c += mesh.vertices[size_t(mesh.Corner(f, k))];
  return c / float(mesh.FaceSize(f));
}

TEST(BuiltinMeshes, ClosedShapesAreClosedAndFaceOutwards) {
  for (BuiltinShape shape :
       {BuiltinShape::Box, BuiltinShape::Cylinder, BuiltinShape::Sphere, BuiltinShape::Torus}) {
    const BuiltinMeshOptions o{.shape = shape, .widthSegments = 2, .heightSegments = 3};
    PolyMeshData mesh = MakeBuiltinMesh(o);
    EXPECT_EQ(OpenEdges(mesh), 0) << int(shape);
    for (int f = 0; f < mesh.NumFaces(); ++f) {
      // A point inside the shape behind the face: the torus's ring, or the middle.
      Point3 c = Centroid(mesh, f);
      Point3 inside = shape == BuiltinShape::Torus ? Point3(c.x, c.y, 0.0f).Normalize() * o.radius
                      : shape == BuiltinShape::Sphere ? Point3(0.0f, 0.0f, 0.0f)
                                                      : Point3(0.0f, 0.0f, 0.5f);
      ASSERT_GT(DotProd(FaceNormal(mesh, f), c - inside), 0.0f) << int(shape) << " face " << f;
    }
  }
}

TEST(BuiltinMeshes, OpenShapesHaveTheirBordersAndPartsTheirOwnGroupsAndIDs) {
  EXPECT_EQ(OpenEdges(MakeBuiltinMesh(
                {.shape = BuiltinShape::Plane, .widthSegments = 3, .lengthSegments = 2})),
            2 * (3 + 2));
  EXPECT_EQ(
      OpenEdges(MakeBuiltinMesh({.shape = BuiltinShape::Cylinder, .sides = 10, .caps = false})),
      20);

  auto groupsAndIds = [](const PolyMeshData& b) {
    return std::tuple(std::set<DWORD>(b.smoothingGroups.begin(), b.smoothingGroups.end()),
                      std::set<MtlID>(b.materials.begin(), b.materials.end()));
  };
  EXPECT_EQ(std::get<0>(groupsAndIds(MakeBuiltinMesh({}))).size(), 6u);
  EXPECT_EQ(std::get<1>(groupsAndIds(MakeBuiltinMesh({}))), (std::set<MtlID>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(groupsAndIds(MakeBuiltinMesh({.smoothing = BuiltinSmoothing::None, .materialId = 4})),
            std::tuple(std::set<DWORD>{0}, std::set<MtlID>{3}));

  for (BuiltinShape shape : {BuiltinShape::Plane, BuiltinShape::Box, BuiltinShape::Cylinder,
                             BuiltinShape::Sphere, BuiltinShape::Torus}) {
    PolyMeshData mesh = MakeBuiltinMesh({.shape = shape});
    ASSERT_TRUE(mesh.HasUVs());
    ASSERT_NO_THROW(ValidateMesh(mesh, "builtin"));
    for (const Point3& uv : mesh.uvs) ASSERT_TRUE(uv.x >= 0 && uv.x <= 1 && uv.y >= 0 && uv.y <= 1);
  }
}

}  // namespace
