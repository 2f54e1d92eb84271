// The shading entry points, on a plane whose open border is the qualifying edge set.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>
#include <utility>
#include <vector>

#include "test_meshes.h"
#include "texmap_test_support.h"

namespace {

// A 4 x 4 plane of unit quads and a map that measures to its open border.
class ShadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    node = std::make_unique<ScopedNode>(MakePlane(4, 4));
    map = NewKelvane();
    map->pblock->SetValue(pb_open_edges, 0, 1);
    SetDistance(1.0f);
    sc.node = node->node;
  }
  void TearDown() override { map->DeleteThis(); }
  void SetDistance(float d) {
    map->pblock->SetValue(pb_distance, 0, d);
    Interval valid = FOREVER;
    map->Update(0, valid);
  }
  AColor ColorAt(Point3 p) {
    sc.point = p;
    sc.cachedMap = nullptr;
    return map->EvalColor(sc);
  }
  AColor RampAt(float t) { return map->ramp.Evaluate(sc, t); }

  std::unique_ptr<ScopedNode> node;
  Kelvane* map = nullptr;
  TestShadeContext sc;
};

const AColor kNone(0.0f, 0.0f, 0.0f, 0.0f);

// Shades a map for its own node once from inside its evaluation, as a modifier using it would.
class SelfShadingPlane : public PolyObject {
 public:
  explicit SelfShadingPlane(PolyObject* shape) {
    mm = shape->mm;
    shape->DeleteThis();
  }
  ObjectState Eval(TimeValue t) override {
    if (Kelvane* m = std::exchange(map, nullptr)) inner = m->EvalColor(sc);
    return PolyObject::Eval(t);
  }
  Kelvane* map = nullptr;
  TestShadeContext sc;
  AColor inner;
};

}  // namespace

TEST_F(ShadingTest, DistanceAlongTheRampAndUnclampedForTheBump) {
  EXPECT_EQ(ColorAt({2.0f, 0.0f, 0.0f}), RampAt(0.0f)) << "on the edge";
  EXPECT_EQ(ColorAt({2.0f, 0.25f, 0.0f}), RampAt(0.25f));
  EXPECT_EQ(ColorAt({2.0f, 0.5f, 0.0f}), RampAt(0.5f));
  EXPECT_EQ(ColorAt({2.0f, 2.0f, 0.0f}), RampAt(1.0f)) << "beyond Distance: the ramp's end";
  EXPECT_EQ(ColorAt({2.0f, 0.00005f, 0.0f}), RampAt(0.0f)) << "below 0.0001 snaps to 0";
  EXPECT_EQ(ColorAt({2.0f, 0.0005f, 0.0f}), RampAt(0.0005f));
  EXPECT_NE(RampAt(0.0f), RampAt(1.0f));
  AColor c = ColorAt({2.0f, 0.6f, 0.0f});
  EXPECT_FLOAT_EQ(map->EvalMono(sc), (c.g + c.r + c.b) * 0.33333334f);

  // The bump measures past Distance: 0.5 from the edge with Distance 0.25 is 2.
  SetDistance(0.25f);
  sc.point = {2.0f, 0.5f, 0.0f};
  EXPECT_EQ(map->EvalNormalPerturb(sc),
            map->ramp.EvaluatePerturb(sc, 2.0f, Point3(0.0f, 1.0f, 0.0f)));
}

TEST_F(ShadingTest, SmallMeshesKeepTheirGradient) {
  // The same plane a ten-thousandth the size, with a Distance to match: cells of 0.0002.
  node = std::make_unique<ScopedNode>(MakePlane(4, 4, 1.0e-4f));
  sc.node = node->node;
  SetDistance(1.0e-4f);
  EXPECT_EQ(ColorAt({2.0e-4f, 0.0f, 0.0f}), RampAt(0.0f)) << "on the edge";
  EXPECT_EQ(ColorAt({2.0e-4f, 0.5e-4f, 0.0f}), RampAt(0.5f));
  EXPECT_EQ(ColorAt({2.0e-4f, 2.0e-4f, 0.0f}), RampAt(1.0f));
}

TEST_F(ShadingTest, EarlyExitsGiveTheDefaultsAndMapsOffStopOnlyTheBump) {
  SetDistance(0.0f);
  EXPECT_EQ(ColorAt({2.0f, 0.25f, 0.0f}), kNone);
  EXPECT_EQ(map->EvalMono(sc), 0.0f);
  EXPECT_EQ(map->EvalNormalPerturb(sc), Point3(0.0f, 0.0f, 0.0f));
  EXPECT_EQ(sc.cachedMap, nullptr) << "early exits store nothing";

  SetDistance(1.0f);
  sc.inMtlEditor = TRUE;
  EXPECT_EQ(ColorAt({2.0f, 0.25f, 0.0f}), kNone);
  EXPECT_EQ(map->EvalNormalPerturb(sc), Point3(0.0f, 0.0f, 0.0f));
  sc.inMtlEditor = FALSE;

  sc.node = nullptr;
  EXPECT_EQ(ColorAt({2.0f, 0.25f, 0.0f}), kNone);

  ScopedNode empty(nullptr);  // a node whose evaluation gives no object
  sc.node = empty.node;
  EXPECT_EQ(ColorAt({2.0f, 0.25f, 0.0f}), kNone);
  EXPECT_EQ(map->EvalNormalPerturb(sc), Point3(0.0f, 0.0f, 0.0f));

  // Maps off stop only the bump.
  sc.node = node->node;
  sc.doMaps = FALSE;
  EXPECT_EQ(ColorAt({2.0f, 0.25f, 0.0f}), RampAt(0.25f));
  EXPECT_EQ(map->EvalNormalPerturb(sc), Point3(0.0f, 0.0f, 0.0f));
}

TEST_F(ShadingTest, CacheGBufferAndOutputFilter) {
  map->SetGBufID(7);
  AColor first = ColorAt({2.0f, 0.25f, 0.0f});
  EXPECT_EQ(sc.gbuffer, 7);
  EXPECT_EQ(sc.cachedMap, map);
  sc.point = {2.0f, 0.75f, 0.0f};  // a cached colour answers whatever the point
  EXPECT_EQ(map->EvalColor(sc), first);
  EXPECT_EQ(sc.cacheHits, 1);

  // A marker map through the shading path: every marker the same colour map, filtered.
  for (int i = 0; i < 3; ++i) map->SetSubTexmap(2 * i, NewColorMap(AColor(0.3f, 0.6f, 0.9f, 0.5f)));
  Interval valid = FOREVER;
  map->Update(0, valid);
  EXPECT_NEAR(ColorAt({2.0f, 0.25f, 0.0f}).g, 0.6f, 1e-6f);
  EXPECT_FLOAT_EQ(map->EvalMono(sc), 0.6f);
}

TEST_F(ShadingTest, ConcurrentShadingMatchesOneThread) {
  std::vector<Point3> points;
  for (int i = 0; i < 400; ++i)
    points.push_back({0.01f * float(i), 0.0097f * float(i % 397), 0.001f * float(i % 7)});
  // A second node so threads build two records at once.
  ScopedNode other(MakePlane(3, 5));
  std::vector<AColor> expected(points.size());
  for (size_t i = 0; i < points.size(); ++i) expected[i] = ColorAt(points[i]);
  Interval valid = FOREVER;
  map->Update(0, valid);  // empties the records: the threads rebuild them concurrently

  std::vector<std::thread> threads;
  std::vector<int> mismatches(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      TestShadeContext local;
      for (size_t i = 0; i < points.size(); ++i) {
        local.node = (i + size_t(t)) % 5 == 0 ? other.node : node->node;
        local.point = points[i];
        local.cachedMap = nullptr;
        AColor c = map->EvalColor(local);
        if (local.node == node->node && !(c == expected[i])) ++mismatches[size_t(t)];
      }
    });
  }
  for (std::thread& th : threads) th.join();
  for (int m : mismatches) EXPECT_EQ(m, 0);
}

TEST_F(ShadingTest, ANodeShadedFromInsideItsOwnBuildGetsTheRampsEnd) {
  auto* plane = new SelfShadingPlane(MakePlane(4, 4));
  ScopedNode self(plane);
  plane->map = map;
  plane->sc.node = self.node;
  plane->sc.point = {2.0f, 0.25f, 0.0f};
  sc.node = self.node;
  auto outer = std::async(std::launch::async, [&] { return ColorAt({2.0f, 0.25f, 0.0f}); });
  if (outer.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    std::fprintf(stderr, "the node's build waited for itself\n");
    std::abort();
  }
  EXPECT_EQ(outer.get(), RampAt(0.25f));
  EXPECT_EQ(plane->inner, RampAt(1.0f)) << "inside: as for a node without edges";
}
