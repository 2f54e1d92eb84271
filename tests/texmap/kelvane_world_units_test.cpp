// "World units": distances through the node's transform, perturbations back in object space.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "edge_oracle.h"
#include "test_meshes.h"
#include "texmap_test_support.h"

namespace {

// Rows of a rotation by `angle` about a unit axis, scaled per object axis, then moved.
Matrix3 Transform(Point3 axis, float angle, Point3 scale, Point3 move) {
  const float c = std::cos(angle), s = std::sin(angle), k = 1.0f - c;
  const float x = axis.x, y = axis.y, z = axis.z;
  Point3 r0(c + x * x * k, x * y * k + z * s, x * z * k - y * s);
  Point3 r1(x * y * k - z * s, c + y * y * k, y * z * k + x * s);
  Point3 r2(x * z * k + y * s, y * z * k - x * s, c + z * z * k);
  return Matrix3(r0 * scale.x, r1 * scale.y, r2 * scale.z, move);
}

// A jittered height field on a transformed node; shade points in object space, as PointTo gives.
class WorldUnitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    node = std::make_unique<ScopedNode>(MakeRandomPoly(7, 5, 5));
    map = NewKelvane();
    map->ramp = RampAt({0.0f, 1.0f});  // black to white: the colour's red is t
    map->SyncMarkerReferences();
    sc.node = node->node;
  }
  void TearDown() override { map->DeleteThis(); }

  void Use(const Matrix3& tm, float distance, bool worldUnits) {
    node->node->SetNodeTM(0, tm);
    map->pblock->SetValue(pb_distance, 0, distance);
    map->pblock->SetValue(pb_world_units, 0, worldUnits ? 1 : 0);
    Interval valid = FOREVER;
    map->Update(0, valid);
  }
  // The node's object-space edges moved by tm.
  std::vector<EdgeSegment> Edges(const Matrix3& tm = Matrix3()) {
    std::vector<EdgeSegment> edges = BuildRecord(node->Handle(), {}).segments;
    for (EdgeSegment& s : edges) s = {s.start * tm, s.end * tm};
    return edges;
  }
  // The normalised distance at an object-space point.
  float T(const Point3& p) {
    sc.point = p;
    sc.cachedMap = nullptr;
    return map->EvalColor(sc).r;
  }
  // The perturbation's unit direction in object space: with a white start it is that plus z.
  Point3 Direction(const Point3& p) {
    map->ramp.markers.front().color = AColor(1.0f, 1.0f, 1.0f, 1.0f);
    sc.point = p;
    Point3 v = map->EvalNormalPerturb(sc);
    map->ramp.markers.front().color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
    v.z -= 1.0f;
    return v.Normalize();
  }
  std::vector<Point3> Points(int n) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> x(-0.5f, 5.5f), z(-1.0f, 1.0f);
    std::vector<Point3> points;
    for (int i = 0; i < n; ++i) points.emplace_back(x(rng), x(rng), z(rng));
    return points;
  }

  std::unique_ptr<ScopedNode> node;
  Kelvane* map = nullptr;
  TestShadeContext sc;
};

}  // namespace

TEST_F(WorldUnitsTest, DistanceAgreesWithTheTransformedEdges) {
  const Matrix3 tm =
      Transform(Point3(1, 2, 3).Normalize(), 0.7f, {3.0f, 0.5f, 1.5f}, {4.0f, -2.0f, 7.0f});
  const float distance = 0.8f;
  const std::vector<EdgeSegment> world = Edges(tm), object = Edges();
  // The normalised exact distance from p, moved by `to`, to `edges`.
  auto exact = [&](const std::vector<EdgeSegment>& edges, const Point3& p, const Matrix3& to) {
    return std::min(ExactNearestDistance(edges, p * to) / distance, 1.0);
  };
  Use(tm, distance, true);
  int differ = 0;
  for (const Point3& p : Points(400)) {
    ASSERT_NEAR(T(p), exact(world, p, tm), 2e-4) << "at " << p.x << ", " << p.y << ", " << p.z;
    differ += std::fabs(exact(world, p, tm) - exact(object, p, Matrix3())) > 0.05;
  }
  EXPECT_GT(differ, 100) << "the transform must matter for this test to mean anything";

  // The next frame's transform is the next Update's: the records are built again.
  const Matrix3 next = Transform(Point3(0.0f, 0.0f, 1.0f), 0.0f, {0.5f, 2.0f, 1.0f}, {});
  Use(next, distance, true);
  for (const Point3& p : Points(50)) EXPECT_NEAR(T(p), exact(Edges(next), p, next), 2e-4);
  // Off, the same node measures in object space again.
  Use(tm, distance, false);
  for (const Point3& p : Points(50)) EXPECT_NEAR(T(p), exact(object, p, Matrix3()), 2e-4);
}

TEST_F(WorldUnitsTest, DirectionIsTheObjectSpaceGradientOfTheWorldDistance) {
  // Under a non-uniform scale: the gradient of the world distance over the object point.
  const Matrix3 tm = Transform(Point3(1, 0, 0), 0.4f, {4.0f, 0.5f, 1.0f}, {0, 0, 0});
  const std::vector<EdgeSegment> world = Edges(tm);
  auto f = [&](Point3 p) { return ExactNearestDistance(world, p * tm); };
  Use(tm, 100.0f, true);
  int checked = 0;
  for (const Point3& p : Points(200)) {
    Point3 g[2];
    for (int k = 0; k < 2; ++k) {
      const float h = k ? 1e-3f : 5e-4f;
      for (int i = 0; i < 3; ++i) {
        Point3 e;
        e[i] = h;
        g[k][i] = float((f(p + e) - f(p - e)) / (2.0 * h));
      }
    }
    // Where the nearest edge changes within the step the difference means nothing.
    if (Length(g[0] - g[1]) > 1e-2f * Length(g[0]) || f(p) < 1e-2) continue;
    EXPECT_LT(Length(Direction(p) - g[0].Normalize()), 1e-2f);
    ++checked;
  }
  EXPECT_GT(checked, 150);
}
