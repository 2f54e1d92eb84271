#include "query_points.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "mnmesh.h"

std::vector<Point3> SampleSurfacePoints(const MNMesh& mesh, size_t count, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_int_distribution<int> pickFace(0, mesh.FNum() - 1);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Point3> points;
  points.reserve(count);
  while (points.size() < count) {
    const MNFace& face = *mesh.F(pickFace(rng));
    if (face.deg < 3) continue;
    int k = 1 + std::uniform_int_distribution<int>(0, face.deg - 3)(rng);
    const Point3& a = mesh.P(face.vtx[0]);
    const Point3& b = mesh.P(face.vtx[k]);
    const Point3& c = mesh.P(face.vtx[k + 1]);
    double s = std::sqrt(unit(rng)), t = unit(rng);
    double wa = 1.0 - s, wb = s * (1.0 - t), wc = s * t;
    points.emplace_back(wa * a.x + wb * b.x + wc * c.x, wa * a.y + wb * b.y + wc * c.y,
                        wa * a.z + wb * b.z + wc * c.z);
  }
  return points;
}

namespace {

// Spreads the low 21 bits of v to every third bit.
uint64_t Spread3(uint64_t v) {
  v &= 0x1fffff;
  v = (v | v << 32) & 0x1f00000000ffffULL;
  v = (v | v << 16) & 0x1f0000ff0000ffULL;
  v = (v | v << 8) & 0x100f00f00f00f00fULL;
  v = (v | v << 4) & 0x10c30c30c30c30c3ULL;
  v = (v | v << 2) & 0x1249249249249249ULL;
  return v;
}

}  // namespace

std::vector<Point3> MortonSorted(const std::vector<Point3>& points) {
  if (points.empty()) return {};
  Point3 lo = points[0], hi = points[0];
  for (const Point3& p : points) {
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], p[i]);
      hi[i] = std::max(hi[i], p[i]);
    }
  }
  // One scale for all three axes: the curve follows true 3D proximity, also on a long shape.
  double extent = std::max({double(hi.x) - lo.x, double(hi.y) - lo.y, double(hi.z) - lo.z});
  double scale = extent > 0.0 ? double((1 << 21) - 1) / extent : 0.0;
  std::vector<std::pair<uint64_t, size_t>> keyed(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    const Point3& p = points[i];
    uint64_t code = 0;
    for (int axis = 0; axis < 3; ++axis)
      code |= Spread3(uint64_t((double(p[axis]) - lo[axis]) * scale)) << axis;
    keyed[i] = {code, i};
  }
  std::sort(keyed.begin(), keyed.end());
  std::vector<Point3> sorted;
  sorted.reserve(points.size());
  for (const auto& [code, i] : keyed) sorted.push_back(points[i]);
  return sorted;
}

std::vector<Point3> RunShuffled(const std::vector<Point3>& points, size_t run, uint64_t seed) {
  size_t runs = (points.size() + run - 1) / run;
  std::vector<size_t> order(runs);
  std::iota(order.begin(), order.end(), size_t(0));
  std::shuffle(order.begin(), order.end(), std::mt19937_64(seed));
  std::vector<Point3> out;
  out.reserve(points.size());
  for (size_t r : order)
    out.insert(out.end(), points.begin() + ptrdiff_t(r * run),
               points.begin() + ptrdiff_t(std::min(points.size(), (r + 1) * run)));
  return out;
}
