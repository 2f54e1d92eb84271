// The fast and plain distance queries against exhaustive search and each other, random meshes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "edge_grid_query.h"
#include "edge_oracle.h"
#include "nearest_edge.h"
#include "test_meshes.h"

namespace {

EdgeParameters RandomParameters(std::mt19937& rng) {
  std::uniform_int_distribution<int> coin(0, 1), small(0, 3);
  std::uniform_real_distribution<float> distance(0.2f, 3.0f);
  EdgeParameters p{
      .distance = distance(rng), .angleThreshold = 40.0f * 0.017453292f, .cMult = 1 + small(rng)};
  // Each condition on a quarter of the time.
  for (bool* on : {&p.selectionOnly, &p.openEdges, &p.smooth, &p.matId, &p.complanar})
    *on = coin(rng) && coin(rng);
  for (int* mode : {&p.smoothEq, &p.matIdEq, &p.conditions}) *mode = coin(rng);
  return p;
}

// Within Distance: the exact distance and a nearest point on an edge, from both queries; and
// everywhere, the fast query agreeing with the plain scan.
void CheckAgainstBruteForce(const NodeEdgeCache& r, std::mt19937& rng, int queries) {
  if (r.segments.empty()) return;
  const float d = r.distance;
  const double tol = ExactTolerance(r, d);
  std::uniform_real_distribution<float> x(r.boundsMin.x - d, r.boundsMax.x + d);
  std::uniform_real_distribution<float> y(r.boundsMin.y - d, r.boundsMax.y + d);
  std::uniform_real_distribution<float> z(r.boundsMin.z - d, r.boundsMax.z + d);
  int within = 0;
  for (int q = 0; q < queries; ++q) {
    const Point3 p(x(rng), y(rng), z(rng));
    const std::string disagreement = DisagreementWithPlain(r, p);
    ASSERT_TRUE(disagreement.empty()) << disagreement;
    const double expected = ExactNearestDistance(r.segments, p);
    if (expected >= d - tol) continue;
    ++within;
    for (auto query : {NearestEdgeDistance, NearestEdgeDistancePlain}) {
      Point3 nearest(1e20f, 1e20f, 1e20f);
      const float got = query(r, p, nearest);
      ASSERT_NEAR(got, expected, tol) << "at " << p.x << " " << p.y << " " << p.z;
      ASSERT_NEAR(Length(p - nearest), got, tol);
      ASSERT_LT(ExactNearestDistance(r.segments, nearest), tol)
          << "nearest point is on no qualifying edge";
    }
  }
  EXPECT_GT(within, queries / 20) << "too few queries near an edge to mean anything";
}

}  // namespace

TEST(BruteForceTwin, RandomPolygonAndTriangleMeshes) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    PolyObject* poly = MakeRandomPoly(seed, 24, 18);
    ScopedNode polyNode(poly);
    ScopedNode triNode(Triangulate(*poly));
    EdgeParameters params = RandomParameters(rng);
    CheckAgainstBruteForce(BuildRecord(polyNode.Handle(), params), rng, 1500);
    CheckAgainstBruteForce(BuildRecord(triNode.Handle(), params), rng, 1500);
  }
}

TEST(BruteForceTwin, TallRecord) {
  // A column of edges tall in Z over a few cells.
  std::mt19937 rng(99);
  std::vector<EdgeSegment> tall;
  for (int i = 0; i < 2000; ++i) {
    float a = float(i % 16) * 0.3926991f, z = float(i / 16);
    tall.push_back({{std::cos(a), std::sin(a), z}, {std::cos(a), std::sin(a), z + 1.0f}});
  }
  CheckAgainstBruteForce(RecordFromSegments(tall, 0.5f), rng, 3000);
}
