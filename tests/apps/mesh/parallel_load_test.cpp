// Loading on many threads makes exactly what one thread makes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <set>
#include <sstream>

#include "mesh/mesh_import.h"
#include "mesh/mesh_triangles.h"
#include "polyobj.h"
#include "render/ray_scene.h"
#include "scene/host_objects.h"
#include "support/app_test_support.h"

namespace {

// A bumpy sphere with an open rim, written as exporters write one: quads and triangles, a UV
// seam whose vertices are repeated, three material bands, a face the weld folds away and a fin
// of faces sharing one edge three ways. The bumps make many smooth regions at a small angle, so
// groups need colouring.
std::string BumpySphereObj(int rows, int columns) {
  std::ostringstream obj;
  obj << "mtllib bands.mtl\no bumpy\n";
  auto index = [&](int r, int c) { return r * (columns + 1) + c + 1; };
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c <= columns; ++c) {
      const double lat = 1.2 - 2.6 * r / rows, lon = 2 * std::numbers::pi * (c % columns) / columns;
      const double radius = 1.0 + 0.02 * std::sin(7.0 * r) * std::cos(5.0 * (c % columns));
      obj << "v " << radius * std::cos(lat) * std::cos(lon) << ' ' << radius * std::sin(lat) << ' '
          << radius * std::cos(lat) * std::sin(lon) << "\nvt " << double(c) / columns << ' '
          << double(r) / rows << '\n';
    }
  for (int r = 0; r + 1 < rows; ++r) {
    obj << "usemtl band" << r * 3 / rows << '\n';
    for (int c = 0; c < columns; ++c) {
      const int a = index(r, c), b = index(r + 1, c), d = index(r + 1, c + 1), e = index(r, c + 1);
      if ((r + c) % 3 == 0)
        obj << "f " << a << '/' << a << ' ' << b << '/' << b << ' ' << d << '/' << d << ' ' << e
            << '/' << e << '\n';
      else
        obj << "f " << a << '/' << a << ' ' << b << '/' << b << ' ' << d << '/' << d << "\nf " << a
            << '/' << a << ' ' << d << '/' << d << ' ' << e << '/' << e << '\n';
    }
  }
  // A face the seam's welding folds to two vertices: dropped, though its UVs were read.
  obj << "f " << index(3, 0) << "/1 " << index(3, columns) << "/2 " << index(4, 0) << "/3\n";
  const int tip = rows * (columns + 1) + 1;
  obj << "v 0 3 0\nvt 0 0\nf " << index(5, 3) << "/1 " << index(6, 3) << "/1 " << tip << '/' << tip
      << '\n';
  return obj.str();
}

template <class List>
bool SameBits(const List& a, const List& b) {
  return a.size() == b.size() &&
         std::memcmp(a.data(), b.data(), a.size() * sizeof(typename List::value_type)) == 0;
}

TEST(ParallelLoad, OneThreadAndManyMakeTheSameMeshGroupsAndNormals) {
  TempFolder folder;
  folder.Write("bands.mtl", "newmtl band0\nnewmtl band1\nnewmtl band2\n");
  // Large enough that every step splits its work among the threads.
  const std::string path = folder.Write("bumpy.obj", BumpySphereObj(150, 240));
  for (float angle : {3.0f, 30.0f}) {
    const PolyMeshData one = ImportMergedMesh(path, angle, nullptr, 1);
    const PolyMeshData many = ImportMergedMesh(path, angle, nullptr, 3);
    ASSERT_GT(one.NumFaces(), 50000);
    EXPECT_TRUE(SameBits(one.vertices, many.vertices) && SameBits(one.faceStart, many.faceStart) &&
                SameBits(one.corners, many.corners) && SameBits(one.materials, many.materials) &&
                SameBits(one.uvs, many.uvs) && SameBits(one.uvCorners, many.uvCorners));
    EXPECT_TRUE(SameBits(one.smoothingGroups, many.smoothingGroups)) << "at " << angle;
    EXPECT_TRUE(SameBits(one.cornerEdges, many.cornerEdges));
    EXPECT_TRUE(SameBits(CornerNormals(one, 1), CornerNormals(many, 3)));
    std::set<DWORD> groups(one.smoothingGroups.begin(), one.smoothingGroups.end());
    EXPECT_TRUE(angle > 10.0f || groups.size() > 2u) << "the bumps should need several groups";
  }
}

// A file whose faces share its points in another order than they use them, and a point no face
// uses: the points are numbered in order of use, the same on any number of threads.
TEST(ParallelLoad, PointsRenumberedInOrderOfUseOnAnyThreads) {
  const int n = 200, points = (n + 1) * (n + 1);
  std::ostringstream ply;
  ply << "ply\nformat ascii 1.0\nelement vertex " << points + 1
      << "\nproperty float x\nproperty float y\nproperty float z\nelement face " << 2 * n * n
      << "\nproperty list uchar int vertex_indices\nend_header\n5 5 5\n";
  for (int i = points; i-- > 0;) ply << i % (n + 1) << ' ' << i / (n + 1) << " 0\n";
  auto id = [&](int r, int c) { return points - r * (n + 1) - c; };
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      ply << "3 " << id(r, c) << ' ' << id(r, c + 1) << ' ' << id(r + 1, c + 1) << "\n3 "
          << id(r, c) << ' ' << id(r + 1, c + 1) << ' ' << id(r + 1, c) << '\n';
  TempFolder folder;
  const std::string path = folder.Write("grid.ply", ply.str());
  const PolyMeshData one = ImportMergedMesh(path, 30, nullptr, 1);
  const PolyMeshData many = ImportMergedMesh(path, 30, nullptr, 3);
  ASSERT_EQ(one.vertices.size(), size_t(points));
  EXPECT_EQ(one.corners[0] + one.corners[1] + one.corners[2] + one.corners[3], 0 + 1 + 2 + 0);
  EXPECT_TRUE(SameBits(one.vertices, many.vertices) && SameBits(one.corners, many.corners) &&
              SameBits(one.cornerEdges, many.cornerEdges));
}

// The host object takes its edges from the smoothing's table: the same as it builds itself.
TEST(ParallelLoad, HostEdgesFromTheSmoothingMatchTheHostsOwn) {
  TempFolder folder;
  folder.Write("bands.mtl", "newmtl band0\nnewmtl band1\nnewmtl band2\n");
  PolyMeshData mesh = ImportMergedMesh(folder.Write("bumpy.obj", BumpySphereObj(60, 90)), 30);
  ASSERT_EQ(mesh.cornerEdges.size(), mesh.corners.size());
  Object* given = MakeHostObject(mesh, ObjectKind::Poly);
  mesh.cornerEdges.clear();
  Object* own = MakeHostObject(mesh, ObjectKind::Poly);
  const MNMesh &a = static_cast<PolyObject*>(given)->GetMesh(),
               &b = static_cast<PolyObject*>(own)->GetMesh();
  ASSERT_EQ(a.ENum(), b.ENum());
  for (int e = 0; e < a.ENum(); ++e)
    ASSERT_TRUE(a.E(e)->v1 == b.E(e)->v1 && a.E(e)->v2 == b.E(e)->v2 && a.E(e)->f1 == b.E(e)->f1 &&
                a.E(e)->f2 == b.E(e)->f2)
        << "edge " << e;
  given->DeleteThis();
  own->DeleteThis();
}

// A node of triangles alone lends its corners to the ray scene; polygons go through a table of
// triangles. Both must reach the same points and, near enough, the same shading normals.
TEST(ParallelLoad, RaysSeeTheSameSurfaceOnPolygonsAndOnTheirTriangles) {
  TempFolder folder;
  folder.Write("bands.mtl", "newmtl band0\nnewmtl band1\nnewmtl band2\n");
  const PolyMeshData mesh = ImportMergedMesh(folder.Write("bumpy.obj", BumpySphereObj(60, 90)), 30);
  auto trace = [&](ObjectKind kind) {
    SceneReset reset;
    SceneDescription description;
    description.nodes.push_back({"bumpy", mesh, kind, Matrix3()});
    const HostScene scene(std::move(description));
    const RayScene rays(scene, nullptr, 2);
    std::vector<RayHit> hits;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x)
        if (auto hit =
                rays.Trace(Point3(-0.9f + 0.045f * float(x), -0.9f + 0.045f * float(y), 3.0f),
                           Point3(0.0f, 0.0f, -1.0f)))
          hits.push_back(*hit);
    return hits;
  };
  const auto polygons = trace(ObjectKind::Poly), triangles = trace(ObjectKind::Tri);
  ASSERT_EQ(polygons.size(), triangles.size());
  ASSERT_GT(polygons.size(), 1000u);
  for (size_t i = 0; i < polygons.size(); ++i) {
    EXPECT_LT((polygons[i].point - triangles[i].point).Length(), 1e-4f) << "ray " << i;
    EXPECT_GT(DotProd(polygons[i].normal, triangles[i].normal), 0.98f) << "ray " << i;
  }
}

}  // namespace
