// The ray scene answers the same for any number of builder threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "mesh/builtin_meshes.h"
#include "mesh/mesh_triangles.h"
#include "render/ray_scene.h"
#include "render/ray_scene_normals.h"
#include "scene/host_scene.h"

// Two nodes with the same faces in the same place, so every ray meets two coincident
// triangles and which node it reports depends only on how the builder ordered them.
TEST(RayScene, CoincidentFacesHitTheSameNodeForAnyBuilderThreadCount) {
  SceneReset reset;
  // 80k triangles a node: large enough for a parallel build.
  const PolyMeshData mesh = MakeBuiltinMesh({.shape = BuiltinShape::Sphere, .segments = 400});
  // The second copy lists its faces backwards, so the builder meets the two copies' faces in
  // different orders and neither node wins every tie.
  PolyMeshData reversed;
  reversed.vertices = mesh.vertices;
  for (int f = mesh.NumFaces() - 1; f >= 0; --f) {
    std::vector<int> corners;
    for (int k = 0; k < mesh.FaceSize(f); ++k) corners.push_back(mesh.Corner(f, k));
    reversed.AddFace(corners, mesh.smoothingGroups[size_t(f)], mesh.materials[size_t(f)]);
  }
  SceneDescription description;
  description.nodes = {{"first", mesh, ObjectKind::Poly, Matrix3()},
                       {"second", reversed, ObjectKind::Poly, Matrix3()}};
  const HostScene scene(std::move(description));

  auto hits = [&](int threads) {
    const RayScene rays(scene, nullptr, threads);
    std::vector<int> nodes;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 120; ++x) {
        const Point3 origin(-0.6f + 0.01f * float(x), -0.6f + 0.01f * float(y), 2.0f);
        const auto hit = rays.Trace(origin, Point3(0.0f, 0.0f, -1.0f));
        nodes.push_back(hit ? hit->nodeIndex : -1);
      }
    return nodes;
  };
  const std::vector<int> one = hits(1);
  EXPECT_GT(std::count(one.begin(), one.end(), 1), 0) << "both nodes must be seen to tell";
  for (int threads : {2, 3, 8}) EXPECT_EQ(hits(threads), one) << threads << " builder threads";
}

// Normals kept per vertex only where every corner of the vertex has that very normal, to the bit.
TEST(RayScene, SharedVertexNormalsAreEveryCornersOwn) {
  for (auto smoothing : {BuiltinSmoothing::All, BuiltinSmoothing::Parts, BuiltinSmoothing::None})
    for (auto shape : {BuiltinShape::Sphere, BuiltinShape::Torus, BuiltinShape::Box})
      for (bool split : {false, true}) {
        // Large enough for the sums to be split between threads; split into triangles, the
        // meshes scans and exports give, too.
        PolyMeshData mesh =
            MakeBuiltinMesh({.shape = shape, .segments = 300, .smoothing = smoothing});
        if (split) {
          PolyMeshData triangles;
          triangles.vertices = mesh.vertices;
          for (int f = 0; f < mesh.NumFaces(); ++f)
            for (int k = 1; k + 1 < mesh.FaceSize(f); ++k)
              triangles.AddFace({mesh.Corner(f, 0), mesh.Corner(f, k), mesh.Corner(f, k + 1)},
                                mesh.smoothingGroups[size_t(f)], 0);
          mesh = std::move(triangles);
        }
        const auto byVertex = SharedVertexNormals(mesh, 3);
        const auto byCorner = CornerNormals(mesh);
        ASSERT_EQ(byVertex.empty(), smoothing != BuiltinSmoothing::All) << int(shape);
        for (size_t c = 0; c < byCorner.size() && !byVertex.empty(); ++c)
          ASSERT_EQ(std::memcmp(&byVertex[size_t(mesh.corners[c])], &byCorner[c], sizeof(Point3)),
                    0)
              << int(shape) << (split ? " split" : "") << " corner " << c;
      }
}
