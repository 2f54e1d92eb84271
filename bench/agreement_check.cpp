#include "agreement_check.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

#include "bench_workload.h"
#include "edge_grid_query.h"
#include "edge_oracle.h"
#include "nearest_edge.h"

namespace {

// Seconds of record queries the check may spend; the rest is cheap.
constexpr double kCheckBudgetSeconds = 3.0;
constexpr size_t kMinChecked = 1000;
constexpr int kReportedDisagreements = 5;

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

}  // namespace

void CheckAgreement(const Workload& w, const std::vector<Point3>& points) {
  const NodeEdgeCache& r = w.record;
  const double distance = w.distance;
  const double tol = ExactTolerance(r, distance);
  const size_t count = AffordableCount(w, points);
  size_t near = 0;
  int bad = 0;
  double worstKelvane = 0.0, worstEmbree = 0.0;
  for (size_t i = 0; i < count; ++i) {
    const Point3& p = points[i];
    Point3 nearest;
    const double exact = w.cgal->Nearest(p);
    const double kelvane = NearestEdgeDistance(r, p, nearest);
    const double embree = w.embree->Nearest(p, w.distance);
    bool ok = kelvane >= exact - tol && embree >= exact - tol;
    if (exact < distance - tol) {
      ++near;
      worstKelvane = std::max(worstKelvane, std::fabs(kelvane - exact));
      worstEmbree = std::max(worstEmbree, std::fabs(embree - exact));
      ok = ok && std::fabs(kelvane - exact) <= tol && std::fabs(embree - exact) <= tol;
    }
    const std::string plain = DisagreementWithPlain(r, p);
    if (ok && plain.empty()) continue;
    if (bad < kReportedDisagreements)
      std::fprintf(stderr,
                   "edge-bench: %s: point %zu (%.9g, %.9g, %.9g): kelvane %.9g at (%.9g, %.9g, "
                   "%.9g), embree %.9g, cgal %.9g (distance %.9g, tolerance %.3g)%s%s\n",
                   w.name.c_str(), i, double(p.x), double(p.y), double(p.z), kelvane,
                   double(nearest.x), double(nearest.y), double(nearest.z), embree, exact, distance,
                   tol, plain.empty() ? "" : "; against the plain scan ", plain.c_str());
    ++bad;
  }
  if (bad > 0) {
    std::fprintf(stderr, "edge-bench: %s: the methods disagree on %d of %zu points; not timing\n",
                 w.name.c_str(), bad, count);
    std::exit(EXIT_FAILURE);
  }
  std::fprintf(stderr,
               "edge-bench: %s: methods agree on %zu of %zu points (%zu within distance); "
               "largest error kelvane %.3g, embree %.3g (tolerance %.3g)\n",
               w.name.c_str(), count, points.size(), near, worstKelvane, worstEmbree, tol);
}
