// The default camera, for either up axis.
#include <gtest/gtest.h>

#include "render/camera.h"

namespace {

SceneNode Box(const Point3& low, const Point3& high) {
  SceneNode node;
  for (int i = 0; i < 8; ++i)
    node.mesh.vertices.push_back(
        Point3(i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z));
  return node;
}

TEST(Camera, DefaultCameraSeesAYUpSceneAsTheSameSceneTurnedZUp) {
  // A tall box in a Y-up file, and the same box turned Z up ((x, y, z) -> (x, -z, y)).
  SceneNode yUp = Box(Point3(0, 0, 0), Point3(1, 3, 2));
  SceneNode zUp = Box(Point3(0, -2, 0), Point3(1, 0, 3));
  CameraDescription y = DefaultCamera({&yUp}, 64, 32, UpAxis::Y);
  CameraDescription z = DefaultCamera({&zUp}, 64, 32, UpAxis::Z);
  auto turn = [](const Point3& p) { return Point3(p.x, -p.z, p.y); };
  EXPECT_TRUE(turn(y.position).Equals(z.position, 1e-4f) && turn(y.target).Equals(z.target, 1e-4f));
  EXPECT_TRUE(turn(y.up).Equals(z.up) && z.up.Equals(Point3(0, 0, 1)));
  EXPECT_TRUE(z.position.z > z.target.z && z.position.y < z.target.y) << "from above, in front";

  SceneNode far = Box(Point3(10, 0, 0), Point3(11, 1, 1));
  CameraDescription one = DefaultCamera({&far}, 64, 32, UpAxis::Z);
  EXPECT_TRUE(one.target.Equals(Point3(10.5f, 0.5f, 0.5f))) << "framing one node";
  EXPECT_LT((one.position - one.target).Length(), (z.position - z.target).Length());
}

}  // namespace
