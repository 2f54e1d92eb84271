// The nearest-segment search over an EdgeSearchIndex: the choice of search, here, and the walk
// over XY columns with the scan of their bins, built for SSE2 and for AVX2
// (edge_search_columns_*.cpp) and chosen by asking the CPU once. PE modules have no ifunc, so the
// choice is a plain CPUID test rather than target_clones.
#include <immintrin.h>
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "edge_search_columns.h"
#include "edge_search_gap.h"
#include "edge_search_query.h"
#include "portability.h"

namespace {

static_assert(SearchColumns::kChunk == EdgeSearchIndex::kChunk);

// Slots a record may hold to be scanned whole, without looking at bins: a few always; more
// when the search would visit every column anyway (a point over a few far segments, which
// finds nothing near to stop the walk early).
constexpr uint32_t kScannedWhole = 32;
constexpr uint32_t kScannedWholeForAll = 256;

struct Sse2Kernel {
  static void Rings(const EdgeSearchIndex& x, const SearchColumns& v, const Point3& p,
                    float flatLimit, float radius, SearchBest& best) {
    SearchRingsSse2(x, v, p, flatLimit, radius, best);
  }
  static void Slots(const SearchColumns& v, uint32_t end, const Point3& p, SearchBest& best) {
    ScanSlotsSse2(v, 0, end, p.x, p.y, p.z, best);
  }
  static void Tree(const SearchTreeColumns& v, const Point3& p, SearchBest& best) {
    SearchTreeSse2(v, p.x, p.y, p.z, best);
  }
};

struct Avx2Kernel {
  static void Rings(const EdgeSearchIndex& x, const SearchColumns& v, const Point3& p,
                    float flatLimit, float radius, SearchBest& best) {
    SearchRingsAvx2(x, v, p, flatLimit, radius, best);
  }
  static void Slots(const SearchColumns& v, uint32_t end, const Point3& p, SearchBest& best) {
    ScanSlotsAvx2(v, 0, end, p.x, p.y, p.z, best);
  }
  static void Tree(const SearchTreeColumns& v, const Point3& p, SearchBest& best) {
    SearchTreeAvx2(v, p.x, p.y, p.z, best);
  }
};

// Whether every column lies less than the radius from p in XY, reach included: the far
// corners of all the columns together bound each column's gap.
inline bool EveryColumnWithin(const EdgeSearchIndex& x, const Point3& p, float radius2) {
  const float fx =
      std::max(p.x - (x.Edge(0, 0) - x.reach.x), x.Edge(0, x.columns) + x.reach.x - p.x);
  const float fy = std::max(p.y - (x.Edge(1, 0) - x.reach.y), x.Edge(1, x.rows) + x.reach.y - p.y);
  return fx * fx + fy * fy < radius2;
}

template <class Kernel>
KELVANE_FORCE_INLINE SearchHit Search(const EdgeSearchIndex& x, const Point3& p, SearchReach reach,
                                      float radius) {
  if (x.segment.empty() || !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
    return {};
  const float radius2 = radius * radius;
  SearchBest best{reach == SearchReach::kRadius ? radius2 : std::numeric_limits<float>::infinity(),
                  -1, 0};
  const uint32_t slots = uint32_t(x.segment.size()) - EdgeSearchIndex::kPadding;
  const bool whole = reach == SearchReach::kRadius
                         ? slots <= kScannedWhole
                         : slots <= kScannedWholeForAll && EveryColumnWithin(x, p, radius2);
  if (whole) {
    Kernel::Slots(x.view, slots, p, best);
  } else {
    // The tree's first test does what the stretches would.
    if (reach == SearchReach::kRadius && !x.tree.nodes.empty()) {
      Kernel::Tree(x.treeView, p, best);
    } else if (reach == SearchReach::kRadius) {
      Kernel::Rings(x, x.view, p, std::numeric_limits<float>::infinity(), radius, best);
    } else {
      Kernel::Rings(x, x.view, p, radius2, 0.0f, best);
    }
  }
  if (best.segment < 0) return {};
  const uint32_t k = best.slot;
  return {best.segment, {{x.ax[k], x.ay[k], x.az[k]}, {x.bx[k], x.by[k], x.bz[k]}}};
}

// Decided once, when the module loads.
const bool hasAvx2 = CpuHasAvx2();

}  // namespace

// Whether along some axis no occupied stretch comes within radius of p. The radius is
// widened a little for the rounding of p - radius and of the search's own distances.
bool NothingNear(const EdgeSearchIndex& x, const Point3& p, float radius) {
  for (int axis = 0; axis < 3; ++axis) {
    const float v = p[axis];
    const float r = radius * 1.001f + 2.5e-7f * std::fabs(v);
    const std::vector<float>& to = x.occupiedTo[axis];
    // The first stretch that does not end before v - r.
    const size_t i = size_t(std::lower_bound(to.begin(), to.end(), v - r) - to.begin());
    if (i == to.size() || x.occupiedFrom[axis][i] > v + r) return true;
  }
  return false;
}

bool ScanKernelAvailable(ScanKernel kernel) {
  return kernel == ScanKernel::kSse2 || hasAvx2;
}

SearchHit FindNearestSegment(const EdgeSearchIndex& x, const Point3& p, SearchReach reach) {
  return hasAvx2 ? Search<Avx2Kernel>(x, p, reach, x.radius)
                 : Search<Sse2Kernel>(x, p, reach, x.radius);
}

SearchHit FindNearestSegment(const EdgeSearchIndex& x, const Point3& p, SearchReach reach,
                             ScanKernel kernel) {
  return kernel == ScanKernel::kAvx2 && hasAvx2 ? Search<Avx2Kernel>(x, p, reach, x.radius)
                                                : Search<Sse2Kernel>(x, p, reach, x.radius);
}

SearchHit FindNearestSegmentWithin(const EdgeSearchIndex& x, const Point3& p, float radius) {
  radius = std::min(radius, x.radius);
  // A few segments are measured all at once (a point not finite measures near none of them).
  if (x.small.count > 0) {
    const int k = NearestSmallEdge(x.small, p, radius * radius);
    return k < 0 ? SearchHit{} : SearchHit{k, x.small.Segment(k)};
  }
  return hasAvx2 ? Search<Avx2Kernel>(x, p, SearchReach::kRadius, radius)
                 : Search<Sse2Kernel>(x, p, SearchReach::kRadius, radius);
}
