// Polygons into n - 2 triangles: concave ones tiled exactly, degenerate and huge ones too.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "mesh/polygon_triangulation.h"

namespace {

double SignedArea2D(const Point3& a, const Point3& b, const Point3& c) {
  return 0.5 *
         ((double(b.x) - a.x) * (double(c.y) - a.y) - (double(c.x) - a.x) * (double(b.y) - a.y));
}

}  // namespace

TEST(PolygonTriangulation, ConcavePolygonsSplitIntoTrianglesThatTileThem) {
  // An L and an arrow, counter-clockwise in XY.
  const std::vector<std::vector<Point3>> polygons = {
      {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}},
      {{0, 0, 0}, {2, 1, 0}, {0, 2, 0}, {1, 1, 0}},
  };
  for (const auto& poly : polygons) {
    double area = 0;
    for (size_t i = 0; i < poly.size(); ++i)
      area += SignedArea2D(Point3(), poly[i], poly[(i + 1) % poly.size()]);
    auto triangles = TriangulatePolygon(poly);
    ASSERT_EQ(triangles.size(), poly.size() - 2);
    double sum = 0;
    for (const auto& t : triangles) {
      double a = SignedArea2D(poly[size_t(t[0])], poly[size_t(t[1])], poly[size_t(t[2])]);
      EXPECT_GE(a, 0.0) << "every triangle keeps the polygon's winding";
      sum += a;
    }
    EXPECT_NEAR(sum, area, 1e-9) << "triangles cover the polygon exactly once";
  }
}

TEST(PolygonTriangulation, DegenerateAndHugePolygonsStillGiveNMinusTwoTriangles) {
  const std::vector<Point3> line = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}},
                            bowTie = {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}};
  EXPECT_EQ(std::tuple(TriangulatePolygon(line).size(), TriangulatePolygon(bowTie).size()),
            std::tuple(3u, 2u));
  std::vector<Point3> circle;
  for (int i = 0; i < 5000; ++i)
    circle.push_back(Point3(std::cos(i * 0.001256), std::sin(i * 0.001256), 0.0));
  EXPECT_EQ(TriangulatePolygon(circle).size(), 4998u);
  EXPECT_TRUE(IsPolygonEdge(4, 0, 5) && !IsPolygonEdge(1, 3, 5));
}
