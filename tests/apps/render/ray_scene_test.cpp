// The ray scene answers the same for any number of builder threads.
#include <gtest/gtest.h>

#include <vector>

#include "mesh/builtin_meshes.h"
#include "render/ray_scene.h"
#include "scene/host_scene.h"

namespace {

// Two nodes with the same faces in the same place, so every ray meets two coincident
// triangles and which node it reports depends only on how the builder ordered them.
TEST(RayScene, CoincidentFacesHitTheSameNodeForAnyBuilderThreadCount) {
  SceneReset reset;
  // 80k triangles a node: large enough for a parallel build.
  const PolyMeshData mesh = MakeBuiltinMesh({.shape = BuiltinShape::Sphere, .segments = 400});
  // The second copy lists its faces backwards, so the builder meets the two copies' faces in
  // different orders and neither node wins every tie.
  PolyMeshData reversed = mesh;
  reversed.faceStart.clear();
  reversed.corners.clear();
  reversed.smoothingGroups.clear();
  reversed.materials.clear();
  for (int f = mesh.NumFaces() - 1; f >= 0; --f) {
    std::vector<int> corners;
    for (int k = 0; k < mesh.FaceSize(f); ++k) corners.push_back(mesh.Corner(f, k));
    reversed.AddFace(corners, mesh.smoothingGroups[size_t(f)], mesh.materials[size_t(f)]);
  }
  reversed.uvs.clear();
  reversed.uvCorners.clear();
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
  int second = 0;
  for (int n : one) second += n == 1;
  EXPECT_GT(second, 0) << "the rays should not all see one node, or the test shows nothing";
  for (int threads : {2, 3, 8}) {
    EXPECT_EQ(hits(threads), one) << threads << " builder threads";
  }
}

}  // namespace
