// Corner normals: smooth within a smoothing group, sharp across groups.
#include <gtest/gtest.h>

#include <cmath>

#include "mesh/builtin_meshes.h"
#include "mesh/mesh_triangles.h"

TEST(MeshTriangles, CornerNormalsSmoothWithinAGroupAndSharpAcrossGroups) {
  // Side group 1, caps group 2.
  PolyMeshData mesh = MakeBuiltinMesh({.shape = BuiltinShape::Cylinder, .sides = 8});
  auto normals = CornerNormals(mesh);
  for (int f = 0; f < mesh.NumFaces(); ++f)
    for (int k = 0; k < mesh.FaceSize(f); ++k) {
      const Point3& n = normals[size_t(mesh.faceStart[size_t(f)] + k)];
      const Point3& v = mesh.vertices[size_t(mesh.Corner(f, k))];
      if (mesh.materials[size_t(f)] == 0) {  // side: radial
        EXPECT_TRUE(n.Equals(Point3(v.x, v.y, 0.0f).Normalize(), 1e-5f));
      } else {  // caps: flat
        EXPECT_NEAR(std::fabs(n.z), 1.0f, 1e-6f);
      }
    }
  EXPECT_EQ(TriangulateCorners(mesh).size(), size_t(8 * 2 + 2 * 6));

  // Faces facing z, x and y around the origin in groups 1, 1+2 and 2: each corner there smooths
  // with the faces that share a group bit with its own.
  PolyMeshData fan;
  fan.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  fan.AddFace({0, 1, 2}, 1, 0);
  fan.AddFace({0, 2, 3}, 3, 0);
  fan.AddFace({0, 3, 1}, 2, 0);
  normals = CornerNormals(fan);
  EXPECT_TRUE(normals[0].Equals(Point3(1, 0, 1).Normalize(), 1e-6f));
  EXPECT_TRUE(normals[3].Equals(Point3(1, 1, 1).Normalize(), 1e-6f));
  EXPECT_TRUE(normals[6].Equals(Point3(1, 1, 0).Normalize(), 1e-6f));
}
