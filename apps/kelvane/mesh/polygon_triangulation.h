#pragma once
#include <array>
#include <vector>

#include "point3.h"

// Splits one polygon into triangles of its own corners (indices 0..n-1 into `points`), wound
// like the polygon. Concave polygons are clipped ear by ear in the polygon's plane; a polygon
// too degenerate to have ears, or too large for ear clipping to stay quick, is fanned from
// corner 0. Always n - 2 triangles for n >= 3.
std::vector<std::array<int, 3>> TriangulatePolygon(const std::vector<Point3>& points);

// True when corners a and b of an n-gon are neighbours: the triangle edge between them is a
// polygon edge, not a diagonal.
inline bool IsPolygonEdge(int a, int b, int n) {
  return (a + 1) % n == b || (b + 1) % n == a;
}
