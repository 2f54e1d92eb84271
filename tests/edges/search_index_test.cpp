// The nearest-edge query against the plain grid scan it stands in for, on small versions of
// the benchmark's shapes, sparse edges and awkward segments (random meshes: the brute-force twin).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "edge_grid_query.h"
#include "edge_oracle.h"
#include "edge_search_query.h"
#include "nearest_edge.h"
#include "test_meshes.h"

namespace {

// The oracle's verdict as a test assertion.
::testing::AssertionResult Agrees(const NodeEdgeCache& r, const Point3& p) {
  const std::string difference = DisagreementWithPlain(r, p);
  if (difference.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << difference;
}

// Half on the surface, as shading asks, half anywhere around the mesh.
std::vector<Point3> QueryPoints(const MNMesh& mm, const NodeEdgeCache& r, int count,
                                uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::uniform_int_distribution<int> face(0, mm.FNum() - 1);
  std::vector<Point3> points;
  while (int(points.size()) < count / 2) {
    const MNFace& f = *mm.F(face(rng));
    int k = 1 + std::uniform_int_distribution<int>(0, f.deg - 3)(rng);
    float s = std::sqrt(unit(rng)), t = unit(rng);
    points.push_back(mm.P(f.vtx[0]) * (1.0f - s) + mm.P(f.vtx[k]) * (s * (1.0f - t)) +
                     mm.P(f.vtx[k + 1]) * (s * t));
  }
  const Point3 margin(r.cellSize, r.cellSize, r.cellSize);
  const Point3 lo = r.boundsMin - margin, size = r.boundsMax + margin - lo;
  while (int(points.size()) < count)
    points.emplace_back(lo.x + size.x * unit(rng), lo.y + size.y * unit(rng),
                        lo.z + size.z * unit(rng));
  return points;
}

// A node's record with Distance `factor` times the mean length of the edges that qualify (the
// benchmark's is 2).
NodeEdgeCache RecordAtFactor(ULONG handle, double factor = 2.0, EdgeParameters params = {}) {
  const NodeEdgeCache first = BuildRecord(handle, params);
  double sum = 0.0;
  for (const EdgeSegment& s : first.segments) sum += Length(s.end - s.start);
  params.distance = float(factor * sum / double(first.segments.size()));
  return BuildRecord(handle, params);
}

// Agreement at the points, which must include some within the cell size of an edge.
void ExpectAgreement(const NodeEdgeCache& r, const std::vector<Point3>& points) {
  int nearby = 0;
  for (const Point3& p : points) {
    ASSERT_TRUE(Agrees(r, p));
    Point3 nearest;
    nearby += NearestEdgeDistancePlain(r, p, nearest) < r.cellSize ? 1 : 0;
  }
  EXPECT_GT(nearby, int(points.size()) / 10) << "too few points near an edge to mean anything";
}

}  // namespace

// The benchmark's shapes at its Distance of two mean edge lengths and at one about the object's
// size; edges far below a millimetre with a Distance to match (cells far below a thousandth of
// a unit), near the origin and away from it; one record large enough for its build to share
// out its work between threads.
TEST(SearchIndex, AgreesWithThePlainScanOnTheBenchmarkShapesLargeAndSmall) {
  struct Shape {
    const char* name;
    PolyObject* poly;
    double factor;  // Distance in mean edge lengths
  } shapes[] = {{"plane", MakePlane(48, 48, 0.5f), 2.0},
                {"sphere", MakeUvSphere(24), 2.0},
                {"tall cylinder", MakeCylinder(60, 8.0f), 2.0},
                {"cylinder of long bands", MakeCylinder(40, 1000.0f), 2.0},
                {"plane, Distance its size", MakePlane(48, 48, 0.5f), 48.0},
                {"sphere, Distance its size", MakeUvSphere(24), 16.0},
                {"tall cylinder, Distance its size", MakeCylinder(60, 8.0f), 60.0},
                {"random mesh, Distance its size", MakeRandomPoly(3, 20, 16), 20.0},
                {"plane large enough to build on two threads", MakePlane(110, 110), 2.0},
                {"small plane", MakePlane(24, 24, 1.0e-4f), 2.0},
                {"small plane away from the origin",
                 MakePlane(16, 16, 2.0e-4f, Point3(10.0f, -10.0f, 1.0f)), 2.0},
                {"small sphere", MakeUvSphere(12, 1.0e-3f), 2.0}};
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    ScopedNode node(shape.poly);
    const NodeEdgeCache r = RecordAtFactor(node.Handle(), shape.factor);
    EXPECT_TRUE(!std::string(shape.name).starts_with("small") || r.cellSize < 0.001f);
    ExpectAgreement(r, QueryPoints(shape.poly->GetMesh(), r, 3000, 5));
  }
}

// Samples in order, as a renderer shades them, each a small step from the last, taking turns
// between two records over the same space: a thread's remembered start must serve only its own.
TEST(SearchIndex, AgreesAlongPathsTakingTurnsBetweenRecords) {
  ScopedNode coarse(MakeUvSphere(12)), fine(MakeUvSphere(30));
  const NodeEdgeCache records[2] = {RecordAtFactor(coarse.Handle(), 4.0),
                                    RecordAtFactor(fine.Handle(), 4.0)};
  for (int k = 0; k < 4000; ++k) {
    const float t = 0.002f * float(k);
    const Point3 p(47.5f * std::cos(t), 47.5f * std::sin(t), 15.5f);
    ASSERT_TRUE(Agrees(records[(k / 3) % 2], p)) << "sample " << k;
  }
}

// Few qualifying edges in much empty space, where bins grow to hold more than a few, the walk
// skips whole blocks of columns and few segments over a point are scanned whole: near the
// edges and far from them, at a Distance of a few edges and of most of the object.
TEST(SearchIndex, AgreesWithThePlainScanOnSparseEdges) {
  PolyObject* seamed = MakeUvSphere(64);
  MNMesh& mm = seamed->GetMesh();
  for (int f = 0; f < mm.FNum(); ++f) {
    MNFace& face = *mm.F(f);
    Point3 centre(0.0f, 0.0f, 0.0f);
    for (int j = 0; j < face.deg; ++j) centre += mm.P(face.vtx[j]);
    const float turn = std::atan2(centre.y, centre.x) / 6.2831853f + 0.5f;
    face.material = MtlID(std::min(int(3.0f * turn), 2));
  }
  struct Shape {
    const char* name;
    PolyObject* poly;
    EdgeParameters params;
  } shapes[] = {{"sphere with three seams", seamed, {.matId = true}},
                {"open tall cylinder's rims", MakeCylinder(60, 40.0f, false), {.openEdges = true}}};
  for (const Shape& shape : shapes) {
    ScopedNode node(shape.poly);
    for (double factor : {3.0, 40.0}) {
      SCOPED_TRACE(std::string(shape.name) + " at " + std::to_string(factor));
      const NodeEdgeCache r = RecordAtFactor(node.Handle(), factor, shape.params);
      for (const Point3& p : QueryPoints(shape.poly->GetMesh(), r, 3000, 17))
        ASSERT_TRUE(Agrees(r, p));
    }
  }

  // Clusters of short segments scattered over a wide field, more columns than segments.
  std::mt19937 rng(23);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<EdgeSegment> scattered;
  Point3 cluster;
  for (int i = 0; i < 480; ++i) {
    if (i % 8 == 0) cluster = Point3(500.0f * unit(rng), 500.0f * unit(rng), 20.0f * unit(rng));
    const Point3 a = cluster + Point3(4.0f * unit(rng), 4.0f * unit(rng), unit(rng));
    scattered.push_back({a, a + Point3(unit(rng), unit(rng), unit(rng))});
  }
  for (float distance : {2.0f, 60.0f}) {
    SCOPED_TRACE(distance);
    const NodeEdgeCache r = RecordFromSegments(scattered, distance);
    ASSERT_GT(r.search.blockColumns * r.search.blockRows, 1);
    for (int i = 0; i < 4000; ++i) {
      const EdgeSegment& s = scattered[size_t(i) % scattered.size()];
      const Point3 around = s.start + Point3(3.0f * distance * (unit(rng) - 0.5f),
                                             3.0f * distance * (unit(rng) - 0.5f), unit(rng));
      ASSERT_TRUE(Agrees(r, around));
      ASSERT_TRUE(Agrees(r, Point3(520.0f * unit(rng) - 10.0f, 520.0f * unit(rng) - 10.0f,
                                   40.0f * unit(rng) - 10.0f)));
    }
  }
}

// Ten wavy rings stacked up, of many segments each, Distance reaching across several: a tree
// with levels between its wide root and its runs.
TEST(SearchIndex, AgreesWithThePlainScanAlongLongCurves) {
  std::vector<EdgeSegment> rings;
  for (int ring = 0; ring < 10; ++ring) {
    auto at = [ring](int k) {
      const float a = 6.2831853f * float(k) / 600.0f;
      return Point3(95.0f * std::cos(a), 95.0f * std::sin(a),
                    40.0f * float(ring) + 10.0f * std::sin(3.0f * a));
    };
    for (int k = 0; k < 600; ++k) rings.push_back({at(k), at(k + 1)});
  }
  // One segment stored twice: the lower index answers, exactly, not as a near tie.
  rings.push_back(rings[1234]);
  const NodeEdgeCache r = RecordFromSegments(rings, 80.0f);
  // More nodes than a root over nodes of runs alone could have.
  ASSERT_GT(r.search.tree.nodes.size(), size_t(r.search.tree.top) * (SearchTreeNode::kWidth + 1));
  const Point3 middle = (rings[1234].start + rings[1234].end) * 0.5f;
  const Point3 outside(middle.x * 1.05f, middle.y * 1.05f, middle.z);
  EXPECT_EQ(FindNearestSegment(r.search, outside, SearchReach::kRadius).segment, 1234);
  // On the axis and out to the side, where whole rings lie nearly as far as their nearest
  // segment: the leaves beside the nearest are cut down run by run.
  for (float k : {-0.5f, 0.3f, 1.0f, 2.5f}) {
    ASSERT_TRUE(Agrees(r, Point3(0.0f, 0.0f, 160.0f * k)));
    ASSERT_TRUE(Agrees(r, Point3(150.0f, 40.0f * k, 160.0f * k)));
  }
  std::mt19937 rng(29);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int i = 0; i < 3000; ++i) {
    const Point3 p = rings[size_t(i) * 7 % rings.size()].start +
                     Point3(120.0f * unit(rng), 120.0f * unit(rng), 40.0f * unit(rng));
    ASSERT_TRUE(Agrees(r, p));
  }
}

// Two flat rings tilted off every axis, far from the origin, seen from above and beside:
// every segment of a ring lies nearly as far as the nearest, and only the flat side of each
// run's box can leave a run out.
TEST(SearchIndex, AgreesWithThePlainScanAboveTiltedRings) {
  const Point3 u(0.8f, 0.6f, 0.0f), v(-0.36f, 0.48f, 0.8f), n(0.48f, -0.64f, 0.6f);
  std::vector<EdgeSegment> rings;
  for (int ring = 0; ring < 2; ++ring) {
    const Point3 centre(300.0f + 5.0f * float(ring), -200.0f, 50.0f + 40.0f * float(ring));
    auto at = [&](int k) {
      const float a = 6.2831853f * float(k) / 200.0f;
      return centre + u * (3.0f * std::cos(a)) + v * (3.0f * std::sin(a));
    };
    for (int k = 0; k < 200; ++k) rings.push_back({at(k), at(k + 1)});
  }
  const NodeEdgeCache r = RecordFromSegments(rings, 30.0f);
  ASSERT_FALSE(r.search.tree.nodes.empty());
  std::mt19937 rng(31);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int i = 0; i < 3000; ++i) {
    const Point3 centre(300.0f + 5.0f * float(i % 2), -200.0f, 50.0f + 40.0f * float(i % 2));
    const Point3 p =
        centre + n * (25.0f * unit(rng)) + u * (4.0f * unit(rng)) + v * (4.0f * unit(rng));
    ASSERT_TRUE(Agrees(r, p));
  }
}

// A box's dozen edges fill one bin that spans the whole box: its search and its near-edge
// mask go segment by segment, as they do for each of a scene's many small objects.
TEST(SearchIndex, AgreesWithThePlainScanOnABox) {
  PolyObject* box = MakeBoxPoly();
  ScopedNode node(box);
  for (float distance : {0.05f, 0.4f, 3.0f}) {
    SCOPED_TRACE(distance);
    const NodeEdgeCache r = BuildRecord(node.Handle(), {.distance = distance});
    ASSERT_EQ(r.segments.size(), 12u);
    int clear = 0;
    const SmallEdgeSet& small = r.search.small;
    for (const Point3& p : QueryPoints(box->GetMesh(), r, 3000, 19)) {
      ASSERT_TRUE(Agrees(r, p));
      clear += r.search.nearMask.Clear(p, distance) ? 1 : 0;
      // A cell's lanes: some exactly where it is marked, and among them the lane that the
      // vectors' boxes lead to.
      if (!(distance <= r.search.nearMask.distance)) continue;
      int cell[3];
      const unsigned lanes = r.search.nearMask.CellOf(p, cell) ? small.CellLanes(cell) : 0u;
      ASSERT_EQ(lanes != 0, !r.search.nearMask.Clear(p, distance));
      const int lane = NearestSmallLane(small, p, distance * distance, distance);
      ASSERT_EQ(lanes ? NearestSmallLaneOf(small, lanes, p, distance * distance) : -1, lane);
    }
    // The mask must still answer some points itself, or the small path costs a search each.
    EXPECT_TRUE(distance > 0.1f || clear > 300) << clear;
    // Widened edge by edge, it is the mask marked whole and then widened.
    NearEdgeMask whole;
    whole.Frame(r.boundsMin, r.boundsMax, distance);
    for (const EdgeSegment& s : r.segments) {
      auto ends = [&](auto pick) {
        return Point3(pick(s.start.x, s.end.x), pick(s.start.y, s.end.y), pick(s.start.z, s.end.z));
      };
      whole.Mark(ends([](float a, float b) { return std::min(a, b); }),
                 ends([](float a, float b) { return std::max(a, b); }));
    }
    whole.Widen();
    EXPECT_EQ(whole.bits, r.search.nearMask.bits);
  }
  // Small sets of one, three and four vectors, with an edge stored twice (the lower index
  // wins) and one of no length.
  std::vector<EdgeSegment> few = BuildRecord(node.Handle(), {}).segments;
  few.insert(few.begin() + 2, few[5]);
  few.push_back({few[0].end, few[0].end});
  for (size_t count : {3u, 11u, 14u}) {
    const NodeEdgeCache r = RecordFromSegments({few.begin(), few.begin() + long(count)}, 0.3f);
    ASSERT_GT(r.search.small.count, 0);
    std::vector<Point3> points = QueryPoints(box->GetMesh(), r, 1000, 31);
    for (const EdgeSegment& s : r.segments)
      points.insert(points.end(),
                    {s.start, s.end, (s.start + s.end) * 0.5f + Point3(0.0f, 0.0f, 0.1f)});
    for (const Point3& p : points) {
      ASSERT_TRUE(Agrees(r, p));
      // Measured in its lanes, the winner is MeasureSegment's to the bit.
      Point3 nearest, expected;
      int k = -1;
      const float d = NearestEdgeSegmentWithin(r, p, 0.3f, nearest, k);
      if (k < 0) continue;
      const float e = MeasureSegment(p, r.segments[size_t(k)], expected);
      ASSERT_EQ(std::bit_cast<uint32_t>(d), std::bit_cast<uint32_t>(e));
      ASSERT_TRUE(nearest == expected);
    }
  }
  Point3 nearest;
  int segment = -1;
  const Point3 middle = (few[2].start + few[2].end) * 0.5f;
  NearestEdgeSegmentWithin(RecordFromSegments(few, 0.3f), middle, 0.3f, nearest, segment);
  EXPECT_EQ(segment, 2);
}

TEST(SearchIndex, AwkwardSegments) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<EdgeSegment> segs;
  // Short edges over a field, crossed by long ones that pass through many bins.
  for (int i = 0; i < 600; ++i) {
    Point3 a(40.0f * unit(rng), 40.0f * unit(rng), unit(rng));
    segs.push_back({a, a + Point3(0.3f * unit(rng), 0.3f * unit(rng), 0.1f * unit(rng))});
  }
  for (int i = 0; i < 6; ++i)
    segs.push_back({{0.0f, 40.0f * unit(rng), 0.0f}, {40.0f, 40.0f * unit(rng), 2.0f}});
  // A dense fan around a pole, far more than a bin usually holds.
  for (int i = 0; i < 300; ++i) {
    float a = 0.0209f * float(i);
    segs.push_back(
        {{20.0f, 20.0f, 3.0f}, {20.0f + 0.2f * std::cos(a), 20.0f + 0.2f * std::sin(a), 3.0f}});
  }
  // Zero-length segments, and one edge stored twice.
  segs.push_back({{5.0f, 5.0f, 5.0f}, {5.0f, 5.0f, 5.0f}});
  segs.push_back({{30.0f, 2.0f, 4.0f}, {30.5f, 2.0f, 4.0f}});
  const int twice = int(segs.size());
  segs.push_back({{30.0f, 2.0f, 4.0f}, {30.5f, 2.0f, 4.0f}});
  const NodeEdgeCache r = RecordFromSegments(segs, 0.3f);

  for (int i = 0; i < 4000; ++i) {
    Point3 p(42.0f * unit(rng) - 1.0f, 42.0f * unit(rng) - 1.0f, 6.0f * unit(rng) - 1.0f);
    ASSERT_TRUE(Agrees(r, p));
    Point3 nearPole(19.7f + 0.6f * unit(rng), 19.7f + 0.6f * unit(rng), 3.0f + 0.1f * unit(rng));
    ASSERT_TRUE(Agrees(r, nearPole));
  }
  // The lower index of two equal segments, whichever bin order.
  EXPECT_EQ(FindNearestSegment(r.search, {30.2f, 2.1f, 4.0f}, SearchReach::kRadius).segment,
            twice - 1);
  Point3 nearest;
  EXPECT_FLOAT_EQ(NearestEdgeDistance(r, {5.0f, 5.0f, 5.25f}, nearest), 0.25f);
  EXPECT_EQ(nearest, Point3(5.0f, 5.0f, 5.0f));
}

// The search asks CPUID and XGETBV itself; GCC's runtime asks the same questions (the CPU has
// AVX2, the system saves the 256-bit registers).
TEST(SearchIndex, UsesAvx2ExactlyWhereTheCpuAndSystemAllowIt) {
  __builtin_cpu_init();
  EXPECT_EQ(ScanKernelAvailable(ScanKernel::kAvx2), bool(__builtin_cpu_supports("avx2")));
  EXPECT_TRUE(ScanKernelAvailable(ScanKernel::kSse2));
}

TEST(SearchIndex, RecordsShareNothingMutable) {
  ScopedNode node(MakeUvSphere(12));
  NodeEdgeCache original = RecordAtFactor(node.Handle());
  const std::vector<Point3> points = QueryPoints(
      static_cast<PolyObject*>(node.node->GetObjectRef())->GetMesh(), original, 2000, 3);
  std::vector<float> expected;
  for (const Point3& p : points) {
    Point3 nearest;
    expected.push_back(NearestEdgeDistance(original, p, nearest));
  }
  // A copy outlives its original: its cells still view a live index store.
  const NodeEdgeCache copy = original;
  original = NodeEdgeCache();
  for (const GridCell& cell : copy.cells)
    for (int index : cell.edgeIndices) ASSERT_LT(size_t(index), copy.segments.size());

  // Readers at once get what one reader got.
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t)
    readers.emplace_back([&, t] {
      for (size_t i = size_t(t); i < points.size(); i += 2) {
        Point3 nearest;
        wrong[size_t(t)] += NearestEdgeDistance(copy, points[i], nearest) != expected[i] ? 1 : 0;
      }
    });
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}
