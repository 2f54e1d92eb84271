// Polygons, built-in meshes and auto-smoothing.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "mesh/auto_smooth.h"
#include "mesh/builtin_meshes.h"
#include "mesh/mesh_triangles.h"
#include "mesh/polygon_triangulation.h"

namespace {

double SignedArea2D(const Point3& a, const Point3& b, const Point3& c) {
  return 0.5 *
         ((double(b.x) - a.x) * (double(c.y) - a.y) - (double(c.x) - a.x) * (double(b.y) - a.y));
}

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

TEST(PolygonTriangulation, ConcavePolygonsSplitIntoTrianglesThatTileThem) {
  // An L and an arrow, counter-clockwise in XY.
  const std::vector<std::vector<Point3>> polygons = {
      {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}},
      {{0, 0, 0}, {2, 1, 0}, {0, 2, 0}, {1, 1, 0}},
  };
  for (const auto& poly : polygons) {
    double area = 0;
    for (size_t i = 0; i < poly.size(); ++i)
      area += SignedArea2D(Point3(), poly[i], poly[(i + 1) % poly.size()]);
    auto triangles = TriangulatePolygon(poly);
    ASSERT_EQ(triangles.size(), poly.size() - 2);
    double sum = 0;
    for (const auto& t : triangles) {
      double a = SignedArea2D(poly[size_t(t[0])], poly[size_t(t[1])], poly[size_t(t[2])]);
      EXPECT_GE(a, 0.0) << "every triangle keeps the polygon's winding";
      sum += a;
    }
    EXPECT_NEAR(sum, area, 1e-9) << "triangles cover the polygon exactly once";
  }
}

TEST(PolygonTriangulation, DegenerateAndHugePolygonsStillGiveNMinusTwoTriangles) {
  std::vector<Point3> line = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}};
  EXPECT_EQ(TriangulatePolygon(line).size(), 3u);
  std::vector<Point3> bowTie = {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}};
  EXPECT_EQ(TriangulatePolygon(bowTie).size(), 2u);
  std::vector<Point3> circle;
  for (int i = 0; i < 5000; ++i)
    circle.push_back(Point3(std::cos(i * 0.001256), std::sin(i * 0.001256), 0.0));
  EXPECT_EQ(TriangulatePolygon(circle).size(), 4998u);
  EXPECT_TRUE(IsPolygonEdge(4, 0, 5));
  EXPECT_FALSE(IsPolygonEdge(1, 3, 5));
}

TEST(BuiltinMeshes, ClosedShapesAreClosedAndFaceOutwards) {
  for (BuiltinShape shape :
       {BuiltinShape::Box, BuiltinShape::Cylinder, BuiltinShape::Sphere, BuiltinShape::Torus}) {
    BuiltinMeshOptions o;
    o.shape = shape;
    o.widthSegments = 2;
    o.heightSegments = 3;
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
  BuiltinMeshOptions plane;
  plane.shape = BuiltinShape::Plane;
  plane.widthSegments = 3;
  plane.lengthSegments = 2;
  EXPECT_EQ(OpenEdges(MakeBuiltinMesh(plane)), 2 * (3 + 2));

  BuiltinMeshOptions tube;
  tube.shape = BuiltinShape::Cylinder;
  tube.sides = 10;
  tube.caps = false;
  EXPECT_EQ(OpenEdges(MakeBuiltinMesh(tube)), 20);

  BuiltinMeshOptions box;
  PolyMeshData b = MakeBuiltinMesh(box);
  EXPECT_EQ(std::set<DWORD>(b.smoothingGroups.begin(), b.smoothingGroups.end()).size(), 6u);
  EXPECT_EQ(std::set<MtlID>(b.materials.begin(), b.materials.end()),
            (std::set<MtlID>{0, 1, 2, 3, 4, 5}));

  box.smoothing = BuiltinSmoothing::None;
  box.materialId = 4;
  b = MakeBuiltinMesh(box);
  EXPECT_EQ(std::set<DWORD>(b.smoothingGroups.begin(), b.smoothingGroups.end()),
            std::set<DWORD>{0});
  EXPECT_EQ(std::set<MtlID>(b.materials.begin(), b.materials.end()), std::set<MtlID>{3});

  for (BuiltinShape shape : {BuiltinShape::Plane, BuiltinShape::Box, BuiltinShape::Cylinder,
                             BuiltinShape::Sphere, BuiltinShape::Torus}) {
    BuiltinMeshOptions o;
    o.shape = shape;
    PolyMeshData mesh = MakeBuiltinMesh(o);
    ASSERT_TRUE(mesh.HasUVs());
    ASSERT_NO_THROW(ValidateMesh(mesh, "builtin"));
    for (const Point3& uv : mesh.uvs) ASSERT_TRUE(uv.x >= 0 && uv.x <= 1 && uv.y >= 0 && uv.y <= 1);
  }
}

TEST(AutoSmooth, RegionsFollowTheAngleAndNeighboursAcrossSharpEdgesShareNoGroup) {
  BuiltinMeshOptions o;
  o.widthSegments = o.lengthSegments = o.heightSegments = 2;
  PolyMeshData box = MakeBuiltinMesh(o);
  auto check = [&](float angle, size_t regions) {
    AutoSmooth(box, angle);
    std::set<DWORD> groups(box.smoothingGroups.begin(), box.smoothingGroups.end());
    EXPECT_EQ(groups.size(), regions) << "at " << angle << " degrees";
    for (DWORD g : groups) EXPECT_EQ(g & (g - 1), 0u) << "one group per region";
  };
  // Every side its own region; greedy colouring lets opposite sides share: three groups.
  check(30.0f, 3);
  for (int f = 0; f < box.NumFaces(); ++f)
    for (int g = 0; g < box.NumFaces(); ++g) {
      bool sameSide = box.materials[size_t(f)] == box.materials[size_t(g)];
      bool shareGroup = (box.smoothingGroups[size_t(f)] & box.smoothingGroups[size_t(g)]) != 0;
      // Sides meet only sides of other groups.
      bool adjacent = false;
      for (int k = 0; k < box.FaceSize(f); ++k)
        for (int j = 0; j < box.FaceSize(g); ++j) adjacent |= box.Corner(f, k) == box.Corner(g, j);
      ASSERT_FALSE(adjacent && !sameSide && shareGroup) << f << " " << g;
      ASSERT_TRUE(!sameSide || shareGroup) << f << " " << g;
    }
  check(90.0f, 1);  // at the angle itself, edges join
}

TEST(AutoSmooth, MoreRegionsThanGroupsStillGetValidGroups) {
  // A 40-sided faceted tube: 40 regions in a ring, two groups enough for neighbours.
  BuiltinMeshOptions o;
  o.shape = BuiltinShape::Cylinder;
  o.sides = 40;
  o.caps = false;
  PolyMeshData tube = MakeBuiltinMesh(o);
  AutoSmooth(tube, 5.0f);
  for (int f = 0; f < tube.NumFaces(); ++f) {
    int next = (f + 1) % tube.NumFaces();
    EXPECT_EQ(tube.smoothingGroups[size_t(f)] & tube.smoothingGroups[size_t(next)], 0u);
  }
}

TEST(CornerNormals, SmoothWithinAGroupAndSharpAcrossGroups) {
  BuiltinMeshOptions o;
  o.shape = BuiltinShape::Cylinder;
  o.sides = 8;
  PolyMeshData mesh = MakeBuiltinMesh(o);  // side group 1, caps group 2
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
}

}  // namespace
