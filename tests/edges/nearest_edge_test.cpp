// The distance query on hand-placed segments: feet, ends, ties and nothing near.
#include <gtest/gtest.h>

#include <cmath>

#include "edge_grid_query.h"
#include "nearest_edge.h"
#include "test_meshes.h"

const Point3 kUntouched(-7.0f, -7.0f, -7.0f);

TEST(NearestEdge, PointsOnAndBesideASegment) {
  NodeEdgeCache r = RecordFromSegments({{{0.0f, 0.0f, 0.0f}, {4.0f, 0.0f, 0.0f}}}, 1.0f);
  Point3 nearest = kUntouched;
  EXPECT_EQ(NearestEdgeDistance(r, {1.5f, 0.0f, 0.0f}, nearest), 0.0f);
  EXPECT_EQ(nearest, Point3(1.5f, 0.0f, 0.0f));
  EXPECT_EQ(NearestEdgeDistance(r, {4.0f, 0.0f, 0.0f}, nearest), 0.0f);
  EXPECT_EQ(nearest, Point3(4.0f, 0.0f, 0.0f));
  // Foot beyond the end: the distance to the nearer endpoint, and that endpoint.
  EXPECT_FLOAT_EQ(NearestEdgeDistance(r, {5.0f, 1.0f, 0.0f}, nearest), std::sqrt(2.0f));
  EXPECT_EQ(nearest, Point3(4.0f, 0.0f, 0.0f));
  // Far above in Z but over the segment in X and Y: found, measured in 3D.
  EXPECT_FLOAT_EQ(NearestEdgeDistance(r, {2.0f, 0.0f, 500.0f}, nearest), 500.0f);
  EXPECT_EQ(nearest, Point3(2.0f, 0.0f, 0.0f));
}

TEST(NearestEdge, ZeroLengthSegmentIsMeasuredByItsEnds) {
  Point3 foot;
  float d = -1.0f;
  EXPECT_FALSE(
      ProjectOntoSegment({1.0f, 1.0f, 0.0f}, {2.0f, 2.0f, 0.0f}, {2.0f, 2.0f, 0.0f}, foot, d));
  NodeEdgeCache r = RecordFromSegments(
      {{{2.0f, 2.0f, 0.0f}, {2.0f, 2.0f, 0.0f}}, {{0.0f, 5.0f, 0.0f}, {5.0f, 5.0f, 0.0f}}}, 1.0f);
  Point3 nearest;
  EXPECT_FLOAT_EQ(NearestEdgeDistance(r, {2.0f, 2.5f, 0.0f}, nearest), 0.5f);
  EXPECT_EQ(nearest, Point3(2.0f, 2.0f, 0.0f));
}

TEST(NearestEdge, TiesGoToTheLowerIndexThenFootStartEnd) {
  // Two parallel segments at the same distance from the query point.
  NodeEdgeCache r = RecordFromSegments(
      {{{0.0f, 1.0f, 0.0f}, {4.0f, 1.0f, 0.0f}}, {{0.0f, -1.0f, 0.0f}, {4.0f, -1.0f, 0.0f}}}, 2.0f);
  Point3 nearest;
  EXPECT_EQ(NearestEdgeDistance(r, {2.0f, 0.0f, 0.0f}, nearest), 1.0f);
  EXPECT_EQ(nearest, Point3(2.0f, 1.0f, 0.0f));
  // Two segments meeting at a corner: the shared point is reached first as a foot (t = 1).
  NodeEdgeCache corner = RecordFromSegments(
      {{{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}}, {{1.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 0.0f}}}, 1.0f);
  EXPECT_EQ(NearestEdgeDistance(corner, {1.0f, 0.0f, 0.0f}, nearest), 0.0f);
  EXPECT_EQ(nearest, Point3(1.0f, 0.0f, 0.0f));
}

TEST(NearestEdge, NothingNearLeavesTheNearestPointAlone) {
  NodeEdgeCache empty;
  Point3 nearest = kUntouched;
  EXPECT_EQ(NearestEdgeDistance(empty, {0.0f, 0.0f, 0.0f}, nearest), kNoEdgeDistance);
  EXPECT_EQ(nearest, kUntouched);

  NodeEdgeCache r = RecordFromSegments({{{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}}}, 0.5f);
  EXPECT_EQ(NearestEdgeDistance(r, {100.0f, 0.0f, 0.0f}, nearest), kNoEdgeDistance);
  EXPECT_EQ(NearestEdgeDistance(r, {std::nanf(""), 0.0f, 0.0f}, nearest), kNoEdgeDistance);
  EXPECT_EQ(nearest, kUntouched);

  // Over the grid but kNoEdgeDistance or more away is nothing near as well: exactly
  // kNoEdgeDistance, the nearest point untouched, from every query. Just below, an answer.
  NodeEdgeCache pair = RecordFromSegments(
      {{{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}}, {{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}}}, 0.5f);
  auto within = [](const NodeEdgeCache& r, const Point3& p, Point3& nearest) {
    return NearestEdgeDistanceWithin(r, p, 2.0f * r.cellSize, nearest);
  };
  for (auto query : {NearestEdgeDistance, NearestEdgeDistancePlain, +within}) {
    for (float height : {kNoEdgeDistance, 2.0e9f, 1.0e38f}) {
      nearest = kUntouched;
      EXPECT_EQ(query(pair, {0.5f, 0.5f, height}, nearest), kNoEdgeDistance) << height;
      EXPECT_EQ(nearest, kUntouched) << height;
    }
    EXPECT_FLOAT_EQ(query(pair, {0.5f, 0.0f, 0.9e9f}, nearest), 0.9e9f);
    EXPECT_EQ(nearest, Point3(0.5f, 0.0f, 0.0f));
  }
}
