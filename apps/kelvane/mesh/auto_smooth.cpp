#include "mesh/auto_smooth.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>

#include "common/progress_bar.h"
#include "host_huge_pages.h"
#include "host_uninitialized_storage.h"
#include "mesh/parallel_chunks.h"

namespace {

// Slack for "at or below": a box's 90-degree edges must join at 90 even after rounding.
constexpr double kAngleSlackDegrees = 1e-3;
constexpr size_t kMaxPairedFaces = 8;

// Regions of faces, joined on every core at once. A root is only ever linked under a smaller
// one, so each region ends up led by its first face whatever order the joins come in, and a
// find only ever moves an entry up to one of its ancestors.
class DisjointSets {
 public:
  DisjointSets(int n, int threads) {
    ReserveHuge(parent, size_t(n));
    ResizeUnconstructed(parent, size_t(n));
    ParallelChunks(size_t(n), threads, [&](size_t begin, size_t end) {
      for (size_t i = begin; i < end; ++i) parent[i] = int(i);
    });
  }
  int Find(int i) {
    for (;;) {
      const int up = Parent(i).load(std::memory_order_relaxed);
      if (up == i) return i;
      const int above = Parent(up).load(std::memory_order_relaxed);
      if (above != up) Parent(i).store(above, std::memory_order_relaxed);
      i = above;
    }
  }
  // The forest's array, for other use once every find is done.
  UninitializedVector<int> TakeStorage() { return std::move(parent); }
  void Join(int a, int b) {
    for (;;) {
      a = Find(a);
      b = Find(b);
      if (a == b) return;
      if (a < b) std::swap(a, b);
      int root = a;
      if (Parent(a).compare_exchange_strong(root, b, std::memory_order_relaxed)) return;
    }
  }

 private:
  std::atomic_ref<int> Parent(int i) { return std::atomic_ref<int>(parent[size_t(i)]); }
  UninitializedVector<int> parent;
};

// Whether two normals are at most `limitDegrees` apart. The angle is atan2(|a x b|, a . b);
// away from the limit, comparing |a x b| with (a . b) tan(limit) gives the same verdict at a
// fraction of the cost, so atan2 decides only close to it.
class AngleTest {
 public:
  explicit AngleTest(double limitDegrees)
      : limitDegrees(limitDegrees), tangent(std::tan(limitDegrees * std::numbers::pi / 180.0)) {}

  bool AtMostLimit(const Point3& a, const Point3& b) const {
    const double cx = double(a.y) * b.z - double(a.z) * b.y;
    const double cy = double(a.z) * b.x - double(a.x) * b.z;
    const double cz = double(a.x) * b.y - double(a.y) * b.x;
    const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
    const double cross = std::sqrt(cx * cx + cy * cy + cz * cz);
    if (dot > 0.0 && limitDegrees > 0.0 && limitDegrees < kQuickBelowDegrees) {
      const double margin = cross - dot * tangent;
      if (margin < -1e-9 * dot) return true;
      if (margin > 1e-9 * dot) return false;
    }
    return std::atan2(cross, dot) * 180.0 / std::numbers::pi <= limitDegrees;
  }

 private:
  static constexpr double kQuickBelowDegrees = 85.0;  // the tangent grows steep beyond
  double limitDegrees, tangent;
};

// One side of an edge, filed under the edge's smaller vertex.
struct EdgeEnd {
  int other;  // the edge's larger vertex
  int face;
  int corner;  // the face corner the edge starts at
};

// Every edge's faces, grouped by edge without a hash map: ends are filed by their smaller
// vertex in face order (a counting sort, each thread filing one range of faces after the ranges
// before it), then each vertex's few ends are sorted by the other vertex (stably, so an edge's
// faces stay in face order). The same walk numbers the edges as the host's polygon mesh does
// (into mesh.cornerEdges), so the host need not file them all again.
struct EdgeTable {
  UninitializedVector<int> start;     // per vertex, its first end
  UninitializedVector<EdgeEnd> ends;  // every one written by the threads that file them

  EdgeTable(PolyMeshData& mesh, int threads) {
    const size_t numVerts = mesh.vertices.size();
    const size_t numFaces = size_t(mesh.NumFaces());
    // Per corner, the corner that makes its edge; numbered below. Until then it holds each face
    // range's count (then cursor) per vertex, range after range: every vertex is used, so it
    // has room for as many ranges as there are corners per vertex.
    UninitializedVector<int>& maker = mesh.cornerEdges;
    maker.clear();
    ReserveHuge(maker, mesh.corners.size());
    ResizeUnconstructed(maker, mesh.corners.size());
    const int fileThreads = int(std::clamp<size_t>(
        mesh.corners.size() / std::max<size_t>(numVerts, 1), 1, size_t(std::max(threads, 1))));
    const size_t ranges = ChunksOf(numFaces, fileThreads);
    // Only the counts start at zero: every corner's own entry is written when its edge is found.
    ParallelChunks(ranges * numVerts, threads, [&](size_t begin, size_t end) {
      std::fill(maker.begin() + ptrdiff_t(begin), maker.begin() + ptrdiff_t(end), 0);
    });
    auto cursors = [&](size_t begin) {
      size_t r = 0;
      while (numFaces * r / ranges != begin) ++r;
      return maker.data() + r * numVerts;
    };
    // Visits the edges of faces [begin, end), in face order.
    auto forEachEdge = [&](size_t begin, size_t end, auto visit) {
      for (size_t f = begin; f < end; ++f) {
        const int first = mesh.faceStart[f], n = mesh.faceStart[f + 1] - first;
        for (int k = 0; k < n; ++k) {
          const int a = mesh.corners[size_t(first + k)];
          const int b = mesh.corners[size_t(first + (k + 1 == n ? 0 : k + 1))];
          visit(std::min(a, b), std::max(a, b), int(f), first + k);
        }
      }
    };
    ParallelChunks(numFaces, fileThreads, [&](size_t begin, size_t end) {
      int* count = cursors(begin);
      forEachEdge(begin, end, [&](int a, int, int, int) { ++count[a]; });
    });
    ReserveHuge(start, numVerts + 1);
    ResizeUnconstructed(start, numVerts + 1);
    int total = 0;
    for (size_t v = 0; v < numVerts; ++v) {
      start[v] = total;
      for (size_t r = 0; r < ranges; ++r) {
        int& at = maker[r * numVerts + v];
        const int count = at;
        at = total;
        total += count;
      }
    }
    start[numVerts] = total;
    ReserveHuge(ends, size_t(total));
    ResizeUnconstructed(ends, size_t(total));
    ParallelChunks(numFaces, fileThreads, [&](size_t begin, size_t end) {
      int* cursor = cursors(begin);
      forEachEdge(begin, end, [&](int a, int b, int f, int c) {
        ends[size_t(cursor[a]++)] = {b, f, c};
      });
    });
    ParallelChunks(numVerts, threads, [&](size_t begin, size_t end) {
      for (size_t v = begin; v < end; ++v) {
        const auto from = ends.begin() + start[v], to = ends.begin() + start[v + 1];
        // Insertion sort for the few ends of most vertices: no allocation.
        if (to - from > 32)
          std::stable_sort(from, to,
                           [](const EdgeEnd& x, const EdgeEnd& y) { return x.other < y.other; });
        else
          for (auto i = from + 1; i < to; ++i)
            for (auto j = i; j != from && (j - 1)->other > j->other; --j) std::iter_swap(j - 1, j);
        // Along a vertex pair's run, in face order, the first end makes an edge, the next of
        // another face joins it, and a later one makes a new edge.
        const EdgeEnd* open = nullptr;
        for (auto i = from; i != to; ++i) {
          if (open && (open->other != i->other || open->face == i->face)) open = nullptr;
          maker[size_t(i->corner)] = open ? open->corner : i->corner;
          open = open ? nullptr : &*i;
        }
      }
    });
    // Edges numbered in their makers' order: a maker's entry becomes -1 - its edge, a joiner's
    // the edge (its maker, an earlier corner, is numbered by then).
    int edges = 0;
    for (size_t c = 0; c < maker.size(); ++c)
      maker[c] = maker[c] == int(c) ? -1 - edges++ : -1 - maker[size_t(maker[c])];
  }

  // Calls visit(first, last) for each edge's run of ends among vertices [begin, end).
  template <class Visit>
  void Edges(size_t begin, size_t end, Visit visit) const {
    for (size_t v = begin; v < end; ++v)
      for (int i = start[v], j; i < start[v + 1]; i = j) {
        for (j = i + 1; j < start[v + 1] && ends[size_t(j)].other == ends[size_t(i)].other; ++j) {
        }
        visit(i, j);
      }
  }
};

}  // namespace

void AutoSmooth(PolyMeshData& mesh, float angleDegrees, ProgressBar* progress, int threads) {
  threads = LoadThreads(threads);
  const int numFaces = mesh.NumFaces();
  // The bar moves between steps: the parallel ones cannot share it.
  auto show = [&](double fraction) {
    if (progress) progress->Show(fraction);
  };
  // Arrays every element of which the threads write are left unfilled until then, so that
  // their fresh pages are first touched (and cleared by the kernel) on every core, not here.
  UninitializedVector<Point3> normals;
  ReserveHuge(normals, size_t(numFaces));
  ResizeUnconstructed(normals, size_t(numFaces));
  UninitializedVector<char> usable;
  ReserveHuge(usable, size_t(numFaces));
  ResizeUnconstructed(usable, size_t(numFaces));
  ParallelChunks(size_t(numFaces), threads, [&](size_t begin, size_t end) {
    for (size_t f = begin; f < end; ++f) {
      Point3 n = FaceNormal(mesh, int(f));
      usable[f] = n.Length() > 0.0f && std::isfinite(n.Length());
      normals[f] = n.Normalize();
    }
  });
  const AngleTest angle(double(angleDegrees) + kAngleSlackDegrees);
  auto smooth = [&](int f, int g) {
    return usable[size_t(f)] && usable[size_t(g)] &&
           angle.AtMostLimit(normals[size_t(f)], normals[size_t(g)]);
  };

  show(0.1);
  const EdgeTable edges(mesh, threads);
  show(0.4);
  // Edges between two faces, nearly all of them, are judged in parallel: the verdict is kept
  // on the edge's first end. Others are judged below.
  enum : char { kNotJudged, kSmooth, kSharp };
  UninitializedVector<char> verdict;  // read only on an edge's first end
  ReserveHuge(verdict, edges.ends.size());
  ResizeUnconstructed(verdict, edges.ends.size());
  ParallelChunks(edges.start.size() - 1, threads, [&](size_t begin, size_t end) {
    edges.Edges(begin, end, [&](int i, int j) {
      verdict[size_t(i)] = j - i != 2 ? kNotJudged
                           : smooth(edges.ends[size_t(i)].face, edges.ends[size_t(i) + 1].face)
                               ? kSmooth
                               : kSharp;
    });
  });

  show(0.6);
  DisjointSets regions(numFaces, threads);
  // Sharp pairs by range of vertices, put together in range order.
  const size_t numVerts = edges.start.size() - 1, ranges = ChunksOf(numVerts, threads);
  std::vector<std::vector<std::pair<int, int>>> sharpOf(ranges);
  ParallelChunks(numVerts, threads, [&](size_t begin, size_t end) {
    size_t range = 0;
    while (numVerts * range / ranges != begin) ++range;
    auto pair = [&](int f, int g, bool isSmooth) {
      if (isSmooth)
        regions.Join(f, g);
      else
        sharpOf[range].emplace_back(f, g);
    };
    edges.Edges(begin, end, [&](int first, int last) {
      if (verdict[size_t(first)] != kNotJudged) {
        pair(edges.ends[size_t(first)].face, edges.ends[size_t(first) + 1].face,
             verdict[size_t(first)] == kSmooth);
        return;
      }
      const size_t count = size_t(last - first);
      // Every pair around an edge, except on a fan of many faces (a broken file), where
      // neighbours in the list stand for all.
      for (size_t i = 0; i < count; ++i)
        for (size_t j = i + 1; j < (count > kMaxPairedFaces ? std::min(i + 2, count) : count);
             ++j) {
          const int f = edges.ends[size_t(first) + i].face, g = edges.ends[size_t(first) + j].face;
          pair(f, g, smooth(f, g));
        }
    });
  });
  std::vector<std::pair<int, int>> sharp;
  for (const auto& some : sharpOf) sharp.insert(sharp.end(), some.begin(), some.end());

  // Each face's region leader, on every core, kept in its smoothing group until the groups are
  // known; nothing joins any more, so the finds race only with each other.
  DWORD* leaderOf = mesh.smoothingGroups.data();
  ParallelChunks(size_t(numFaces), threads, [&](size_t begin, size_t end) {
    for (size_t f = begin; f < end; ++f) leaderOf[f] = DWORD(regions.Find(int(f)));
  });
  for (auto& [f, g] : sharp) f = int(leaderOf[size_t(f)]), g = int(leaderOf[size_t(g)]);

  // Regions that meet at a sharp edge, by leader (a neighbour once per sharp edge), filed in the
  // forest's own array: counted, then each leader's entry moved on as its list fills, so that
  // a leader's list ends at its own entry and starts at the one before's.
  UninitializedVector<int> listEnd = regions.TakeStorage();
  ParallelChunks(size_t(numFaces), threads, [&](size_t begin, size_t end) {
    std::fill(listEnd.begin() + ptrdiff_t(begin), listEnd.begin() + ptrdiff_t(end), 0);
  });
  size_t listed = 0;
  for (const auto& [f, g] : sharp)
    if (f != g) ++listEnd[size_t(f)], ++listEnd[size_t(g)], listed += 2;
  for (int f = 0, total = 0; f < numFaces; ++f) {
    const int count = listEnd[size_t(f)];
    listEnd[size_t(f)] = total;
    total += count;
  }
  std::vector<int> neighbours(listed);
  for (const auto& [f, g] : sharp) {
    if (f == g) continue;
    neighbours[size_t(listEnd[size_t(f)]++)] = g;
    neighbours[size_t(listEnd[size_t(g)]++)] = f;
  }

  show(0.8);
  // Leaders take their groups in face order (a region's leader is its first face): the
  // neighbours already coloured are those led by an earlier face.
  UninitializedVector<unsigned char> bit;  // written for leaders only
  ReserveHuge(bit, size_t(numFaces));
  ResizeUnconstructed(bit, size_t(numFaces));
  for (int f = 0; f < numFaces; ++f) {
    if (leaderOf[size_t(f)] != DWORD(f)) continue;
    int uses[32] = {};
    for (int i = f > 0 ? listEnd[size_t(f) - 1] : 0; i < listEnd[size_t(f)]; ++i)
      if (neighbours[size_t(i)] < f) ++uses[bit[size_t(neighbours[size_t(i)])]];
    // The first free group; with all 32 taken, the one fewest neighbours share.
    bit[size_t(f)] = static_cast<unsigned char>(std::min_element(uses, uses + 32) - uses);
  }
  ParallelChunks(size_t(numFaces), threads, [&](size_t begin, size_t end) {
    for (size_t f = begin; f < end; ++f) leaderOf[f] = DWORD(1) << bit[leaderOf[f]];
  });
  if (progress) progress->Finish();
}
