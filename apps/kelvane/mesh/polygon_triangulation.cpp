#include "mesh/polygon_triangulation.h"

#include <cmath>

namespace {

// Ear clipping costs up to n^3 on awkward polygons; past this many corners the fan is the
// safer choice.
constexpr int kMaxEarClippingCorners = 256;

struct P2 {
  double x, y;
};

double Cross(const P2& o, const P2& a, const P2& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool InsideOrOn(const P2& p, const P2& a, const P2& b, const P2& c) {
  return Cross(a, b, p) >= 0.0 && Cross(b, c, p) >= 0.0 && Cross(c, a, p) >= 0.0;
}

std::vector<std::array<int, 3>> Fan(int n) {
  std::vector<std::array<int, 3>> out;
  for (int k = 1; k + 1 < n; ++k) out.push_back({0, k, k + 1});
  return out;
}

}  // namespace

std::vector<std::array<int, 3>> TriangulatePolygon(const std::vector<Point3>& points) {
  const int n = int(points.size());
  if (n < 3) return {};
  if (n == 3) return {{0, 1, 2}};
  if (n > kMaxEarClippingCorners) return Fan(n);

  // Project onto the plane of the Newell normal, dropping its largest component and
  // choosing the axes so that the polygon runs counter-clockwise.
  double nx = 0, ny = 0, nz = 0;
  for (int i = 0; i < n; ++i) {
    const Point3& a = points[size_t(i)];
    const Point3& b = points[size_t((i + 1) % n)];
    nx += (double(a.y) - b.y) * (double(a.z) + b.z);
    ny += (double(a.z) - b.z) * (double(a.x) + b.x);
    nz += (double(a.x) - b.x) * (double(a.y) + b.y);
  }
  const double ax = std::fabs(nx), ay = std::fabs(ny), az = std::fabs(nz);
  if (ax + ay + az == 0.0 || !std::isfinite(ax + ay + az)) return Fan(n);
  std::vector<P2> p(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const Point3& q = points[size_t(i)];
    if (az >= ax && az >= ay)
      p[size_t(i)] = nz > 0 ? P2{q.x, q.y} : P2{q.y, q.x};
    else if (ax >= ay)
      p[size_t(i)] = nx > 0 ? P2{q.y, q.z} : P2{q.z, q.y};
    else
      p[size_t(i)] = ny > 0 ? P2{q.z, q.x} : P2{q.x, q.z};
  }

  std::vector<int> remaining(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) remaining[size_t(i)] = i;
  std::vector<std::array<int, 3>> out;
  out.reserve(size_t(n - 2));
  size_t i = 0;
  int misses = 0;
  while (remaining.size() > 3) {
    const size_t m = remaining.size();
    const int a = remaining[(i + m - 1) % m], b = remaining[i % m], c = remaining[(i + 1) % m];
    bool ear = Cross(p[size_t(a)], p[size_t(b)], p[size_t(c)]) > 0.0;
    for (size_t j = 0; ear && j < m; ++j) {
      int v = remaining[j];
      if (v == a || v == b || v == c) continue;
      ear = !InsideOrOn(p[size_t(v)], p[size_t(a)], p[size_t(b)], p[size_t(c)]);
    }
    // A full round without an ear: the polygon crosses itself or folds flat. Clip anyway,
    // so the loop always ends.
    if (ear || misses >= int(m)) {
      out.push_back({a, b, c});
      remaining.erase(remaining.begin() + long(i % m));
      misses = 0;
      i = i % (m - 1);
    } else {
      ++misses;
      i = (i + 1) % m;
    }
  }
  out.push_back({remaining[0], remaining[1], remaining[2]});
  return out;
}
