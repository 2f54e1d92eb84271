// Distances to a node's surface, against a dense sampling of the triangle.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "render/surface_distance.h"

namespace {

// The slow twin: the nearest of a fine grid of points over the triangle.
float SampledDistance(const Point3& p, const Point3& a, const Point3& b, const Point3& c) {
  constexpr int kSteps = 200;
  float best = 1e30f;
  for (int i = 0; i <= kSteps; ++i)
    for (int j = 0; i + j <= kSteps; ++j) {
      const float u = float(i) / kSteps, v = float(j) / kSteps;
      best = std::min(best, (p - (a + (b - a) * u + (c - a) * v)).Length());
    }
  return best;
}

TEST(SurfaceDistance, PointsNearEveryPartOfATriangleAgreeWithSampling) {
  const Point3 a(0.0f, 0.0f, 0.0f), b(2.0f, 0.0f, 0.5f), c(0.5f, 1.5f, 0.0f);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> coordinate(-1.5f, 3.0f);
  for (int i = 0; i < 200; ++i) {
    const Point3 p(coordinate(random), coordinate(random), coordinate(random) * 0.5f);
    // Sampling overestimates by at most the grid's spacing.
    EXPECT_NEAR(PointTriangleDistance(p, a, b, c), SampledDistance(p, a, b, c), 0.012f)
        << p.x << ", " << p.y << ", " << p.z;
  }
  const Point3 line(1.0f, 0.0f, 0.0f);  // a triangle with no area still has its edges
  EXPECT_NEAR(PointTriangleDistance(Point3(0.5f, 1.0f, 0.0f), a, line, Point3(2.0f, 0.0f, 0.0f)),
              1.0f, 1e-6f);
}

TEST(SurfaceDistance, ANodeSurfaceIsAskedInItsObjectSpace) {
  SceneNode node;
  node.mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  node.mesh.AddFace({0, 1, 2, 3}, 1, 0);
  NodeSurface surface(node);
  // Above the face, and past a corner.
  EXPECT_TRUE(surface.Within(Point3(0.5f, 0.5f, 0.09f), 0.1f) &&
              surface.Within(Point3(1.05f, 1.05f, 0.0f), 0.1f));
  EXPECT_FALSE(surface.Within(Point3(0.5f, 0.5f, 0.11f), 0.1f) ||
               surface.Within(Point3(1.1f, 1.1f, 0.0f), 0.1f));
}

}  // namespace
