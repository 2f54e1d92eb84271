// The distance query on hand-placed segments: zero length and nothing near.
#include <gtest/gtest.h>

#include <cmath>

#include "edge_grid_query.h"
#include "nearest_edge.h"
#include "test_meshes.h"

const Point3 kUntouched(-7.0f, -7.0f, -7.0f);

void ExpectNearest(const NodeEdgeCache& r, const Point3& p, float d, const Point3& at) {
  Point3 nearest = kUntouched;
  EXPECT_FLOAT_EQ(NearestEdgeDistance(r, p, nearest), d) << p.x << ", " << p.y << ", " << p.z;
  EXPECT_EQ(nearest, at) << p.x << ", " << p.y << ", " << p.z;
}

TEST(NearestEdge, AZeroLengthSegmentIsItsPoint) {
  NodeEdgeCache r = RecordFromSegments(
      {{{2.0f, 2.0f, 0.0f}, {2.0f, 2.0f, 0.0f}}, {{0.0f, 5.0f, 0.0f}, {5.0f, 5.0f, 0.0f}}}, 1.0f);
  ExpectNearest(r, {2.0f, 2.5f, 0.0f}, 0.5f, {2.0f, 2.0f, 0.0f});
}

TEST(NearestEdge, NothingNearLeavesTheNearestPointAlone) {
  NodeEdgeCache r = RecordFromSegments({{{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}}}, 0.5f);
  ExpectNearest(NodeEdgeCache(), {0.0f, 0.0f, 0.0f}, kNoEdgeDistance, kUntouched);
  ExpectNearest(r, {100.0f, 0.0f, 0.0f}, kNoEdgeDistance, kUntouched);
  ExpectNearest(r, {std::nanf(""), 0.0f, 0.0f}, kNoEdgeDistance, kUntouched);

  // Over the grid but kNoEdgeDistance or more away is nothing near as well: exactly
  // kNoEdgeDistance, the nearest point untouched, from every query. Just below, an answer.
  NodeEdgeCache pair = RecordFromSegments(
      {{{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}}, {{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}}}, 0.5f);
  auto within = [](const NodeEdgeCache& r, const Point3& p, Point3& nearest) {
    return NearestEdgeDistanceWithin(r, p, 2.0f * r.cellSize, nearest);
  };
  for (auto query : {NearestEdgeDistance, NearestEdgeDistancePlain, +within}) {
    for (float height : {kNoEdgeDistance, 2.0e9f, 1.0e38f}) {
      Point3 nearest = kUntouched;
      EXPECT_EQ(query(pair, {0.5f, 0.5f, height}, nearest), kNoEdgeDistance) << height;
      EXPECT_EQ(nearest, kUntouched) << height;
    }
    Point3 nearest;
    EXPECT_FLOAT_EQ(query(pair, {0.5f, 0.0f, 0.9e9f}, nearest), 0.9e9f);
    EXPECT_EQ(nearest, Point3(0.5f, 0.0f, 0.0f));
  }
}
