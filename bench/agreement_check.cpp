#include "agreement_check.h"

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <benchmark/benchmark.h>

#include "bench_workload.h"
#include "edge_grid.h"
#include "nearest_edge.h"

namespace {

// Seconds of record queries the check may spend; the rest is cheap.
constexpr double kCheckBudgetSeconds = 3.0;
constexpr size_t kMinChecked = 1000;
constexpr int kReportedDisagreements = 5;

// float rounding: relative to the distance, plus a couple of ulps of the largest coordinate,
// since a nearest point computed in absolute coordinates carries their rounding.
double Tolerance(const Workload& w) {
  const NodeEdgeCache& r = w.record;
  double largest = 0.0;
  for (int i = 0; i < 3; ++i)
    largest =
        std::max({largest, std::fabs(double(r.boundsMin[i])), std::fabs(double(r.boundsMax[i]))});
  return 1e-4 * w.distance + 2.0 * FLT_EPSILON * largest;
}

size_t AffordableCount(const Workload& w, const std::vector<Point3>& points) {
  const size_t probe = std::min<size_t>(64, points.size());
  auto begin = std::chrono::steady_clock::now();
  float sink = 0.0f;
  for (size_t i = 0; i < probe; ++i) {
    Point3 nearest;
    sink += NearestEdgeDistancePlain(w.record, points[i], nearest);
  }
  double perQuery =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() /
      double(std::max<size_t>(probe, 1));
  benchmark::DoNotOptimize(sink);
  size_t affordable = perQuery > 0.0 ? size_t(kCheckBudgetSeconds / perQuery) : points.size();
  return std::min(points.size(), std::max(kMinChecked, affordable));
}

// Whether another segment listed in p's cell than the one giving `nearest` comes within the
// tolerance of the best distance: then either may supply the nearest point.
bool NearTie(const NodeEdgeCache& r, const Point3& p, float best, double tol) {
  const GridCell* cell = FindGridCell(r, p);
  if (!cell) return false;
  int within = 0;
  for (int index : cell->edgeIndices) {
    Point3 point;
    if (MeasureSegment(p, r.segments[size_t(index)], point) <= best + tol) ++within;
  }
  return within > 1;
}

}  // namespace

void CheckAgreement(const Workload& w, const std::vector<Point3>& points) {
  const NodeEdgeCache& r = w.record;
  const double distance = w.distance;
  const double tol = Tolerance(w);
  const size_t count = AffordableCount(w, points);
  size_t near = 0;
  int bad = 0;
  double worstKelvane = 0.0, worstEmbree = 0.0;
  for (size_t i = 0; i < count; ++i) {
    const Point3& p = points[i];
    Point3 nearest, plainNearest;
    const double exact = w.cgal->Nearest(p);
    const double kelvane = NearestEdgeDistance(r, p, nearest);
    const double plain = NearestEdgeDistancePlain(r, p, plainNearest);
    const double embree = w.embree->Nearest(p, w.distance);
    bool ok = kelvane >= exact - tol && embree >= exact - tol;
    if (exact < distance - tol) {
      ++near;
      worstKelvane = std::max(worstKelvane, std::fabs(kelvane - exact));
      worstEmbree = std::max(worstEmbree, std::fabs(embree - exact));
      ok = ok && std::fabs(kelvane - exact) <= tol && std::fabs(embree - exact) <= tol;
    }
    if (plain < double(r.cellSize) - tol) {
      ok = ok && std::fabs(kelvane - plain) <= tol &&
           (nearest == plainNearest || NearTie(r, p, float(plain), tol));
    } else {
      ok = ok && kelvane >= double(r.cellSize) - tol;
    }
    if (ok) continue;
    if (bad < kReportedDisagreements)
      std::fprintf(stderr,
                   "edge-bench: %s: point %zu (%.9g, %.9g, %.9g): kelvane %.9g at (%.9g, %.9g, "
                   "%.9g), plain %.9g at (%.9g, %.9g, %.9g), embree %.9g, cgal %.9g (distance "
                   "%.9g, tolerance %.3g)\n",
                   ShapeName(w.shape), i, double(p.x), double(p.y), double(p.z), kelvane,
                   double(nearest.x), double(nearest.y), double(nearest.z), plain,
                   double(plainNearest.x), double(plainNearest.y), double(plainNearest.z), embree,
                   exact, distance, tol);
    ++bad;
  }
  if (bad > 0) {
    std::fprintf(stderr, "edge-bench: %s: the methods disagree on %d of %zu points; not timing\n",
                 ShapeName(w.shape), bad, count);
    std::exit(EXIT_FAILURE);
  }
  std::fprintf(stderr,
               "edge-bench: %s: methods agree on %zu of %zu points (%zu within distance); "
               "largest error kelvane %.3g, embree %.3g (tolerance %.3g)\n",
               ShapeName(w.shape), count, points.size(), near, worstKelvane, worstEmbree, tol);
}
