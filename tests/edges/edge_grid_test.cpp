// The search grid: its layout and its bounded size.
#include <gtest/gtest.h>

#include "edge_grid.h"
#include "edge_grid_query.h"
#include "nearest_edge.h"
#include "test_meshes.h"

namespace {

const Point3 kUntouched(-7.0f, -7.0f, -7.0f);

void ExpectWellFormed(const NodeEdgeCache& r) {
  ASSERT_EQ(r.cells.size(), size_t(r.columns) * size_t(r.rows));
  EXPECT_GE(r.cellSize, r.distance);
  for (int row = 0; row < r.rows; ++row) {
    for (int col = 0; col < r.columns; ++col) {
      const GridCell& cell = r.cells[size_t(row * r.columns + col)];
      EXPECT_EQ(cell.column, col);
      EXPECT_EQ(cell.row, row);
      for (size_t k = 1; k < cell.edgeIndices.size(); ++k)
        ASSERT_LT(cell.edgeIndices[k - 1], cell.edgeIndices[k]) << "ascending and unique";
    }
  }
}

float Query(const NodeEdgeCache& r, Point3 p) {
  Point3 nearest;
  return NearestEdgeDistance(r, p, nearest);
}

}  // namespace

TEST(EdgeGrid, LayoutAndCellSize) {
  ScopedNode plane(MakePlane(10, 4));
  NodeEdgeCache r = BuildRecord(plane.Handle(), {.distance = 0.5f});
  EXPECT_EQ(r.cellSize, 2.0f);  // mean length 1 times c_mult 2
  EXPECT_TRUE(r.columns == 6 && r.rows == 3);
  ExpectWellFormed(r);

  // Sub-millimetre edges and Distance still get a grid and a gradient, from both queries.
  NodeEdgeCache tiny =
      RecordFromSegments({{{0.0f, 0.0f, 0.0f}, {0.0004f, 0.0f, 0.0f}}}, 0.0001f, 1);
  EXPECT_FALSE(tiny.cells.empty());
  ExpectWellFormed(tiny);
  for (auto query : {NearestEdgeDistance, NearestEdgeDistancePlain}) {
    Point3 nearest = kUntouched;
    EXPECT_EQ(query(tiny, {0.0002f, 0.0f, 0.0f}, nearest), 0.0f);
    EXPECT_EQ(nearest, Point3(0.0002f, 0.0f, 0.0f));
    EXPECT_NEAR(query(tiny, {0.0002f, 0.00005f, 0.0f}, nearest), 0.00005f, 1e-9f);
  }
}

TEST(EdgeGrid, SparseLongAndHugeEdgesStayBounded) {
  // Two edges of length 0.01 a thousand units apart would need over a billion cells of 0.02.
  NodeEdgeCache r = RecordFromSegments({{{0.0f, 0.0f, 0.0f}, {0.01f, 0.0f, 0.0f}},
                                        {{1000.0f, 1000.0f, 0.0f}, {1000.0f, 1000.01f, 0.0f}}},
                                       0.005f);
  EXPECT_LE(r.cells.size(), 4096u);
  ExpectWellFormed(r);
  EXPECT_NEAR(Query(r, {0.005f, 0.004f, 0.0f}), 0.004f, 1e-6f);
  // Coordinates near the float's limit: no overflow, any answer but no crash.
  r = RecordFromSegments({{{-3.0e38f, -3.0e38f, 0.0f}, {-3.0e38f, -3.0e38f, 1.0f}},
                          {{3.0e38f, 3.0e38f, 0.0f}, {3.0e38f, 3.0e38f, 1.0f}}},
                         1.0f);
  EXPECT_LE(r.cells.size(), 4096u);
  ExpectWellFormed(r);
  Query(r, {0.0f, 0.0f, 0.0f});

  // Thousands of tiny edges and a few crossing the field: the cell lists stay bounded.
  std::vector<EdgeSegment> segs;
  for (int i = 0; i < 4000; ++i) {
    float x = float(i % 64) * 15.0f, y = float(i / 64) * 15.0f;
    segs.push_back({{x, y, 0.0f}, {x + 0.05f, y, 0.0f}});
  }
  for (int i = 0; i < 50; ++i)
    segs.push_back({{0.0f, float(i), 1.0f}, {945.0f, 945.0f - float(i), 1.0f}});
  r = RecordFromSegments(segs, 0.1f);
  size_t listed = 0;
  for (const GridCell& c : r.cells) listed += c.edgeIndices.size();
  EXPECT_LE(listed, 32 * segs.size() + 4096);
  ExpectWellFormed(r);
  EXPECT_NEAR(Query(r, {30.02f, 30.05f, 0.0f}), 0.05f, 1e-4f);
}
