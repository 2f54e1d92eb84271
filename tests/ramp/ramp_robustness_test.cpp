// Ramps only a scene file or direct edit makes, and evaluation on threads allocating nothing.
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "ramp_test_support.h"

long AllocationCount();

namespace {
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// With finite colours, every evaluation ends, with numbers, over t well past both ends.
void ExpectFiniteEverywhere(GradientRamp ramp) {
  for (RampMarker& m : ramp.markers) m.color = AColor(0.5f, 0.5f, 0.5f, 1.0f);
  TestShadeContext sc;
  for (float t = -2.0f; t <= 2.0f; t += 0.01f) {
    AColor c = ramp.ColorAt(t), e = ramp.Evaluate(sc, t);
    Point3 p = ramp.EvaluatePerturb(sc, t, Point3(0.0f, 0.0f, 1.0f));
    EXPECT_TRUE(std::isfinite(c.r + c.g + c.b + c.a + e.r + e.g + e.b + e.a + p.x + p.y + p.z))
        << t;
  }
}
}  // namespace

TEST(RampRobustness, EmptyRamp) {
  GradientRamp ramp;
  TestShadeContext sc;
  EXPECT_EQ(ramp.ColorAt(0.5f), AColor(0.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_EQ(ramp.Evaluate(sc, 0.5f), AColor(0.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_EQ(ramp.EvaluatePerturb(sc, 0.5f, Point3(1.0f, 0.0f, 0.0f)), Point3(0.0f, 0.0f, 0.0f));
  EXPECT_EQ(ramp.DuplicateActiveMarker(0.5f), nullptr);  // nothing to copy, nothing added
  EXPECT_EQ(ramp.ActiveMarkerIndex(MarkerActive), 0);
  ramp.DeleteMarkerAt(0.5f, 1.0f);
  RampMarker* added = ramp.AddMarker(0.25f, AColor());
  EXPECT_EQ(added, &ramp.markers.at(0));
}

TEST(RampRobustness, OutOfOrderOutOfRangeAndNaNPositionsStillEnd) {
  for (GradientRamp ramp : {RampAt({0.9f, 0.1f, 0.5f, 0.3f, 0.0f}),
                            RampAt({-kInf, 0.0f, 0.5f, kInf}), RampAt({0.0f, kNaN, 1.0f})})
    ExpectFiniteEverywhere(ramp);
  // Below 0 the left sample snaps back to 0, into the same segment again.
  GradientRamp below = RampAt({-0.5f, -0.2f, 0.5f});
  below.markers[0].color = below.markers[1].color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
  TestShadeContext sc;
  EXPECT_NEAR(below.Evaluate(sc, 0.3f).r, 0.5f * 0.5f / 0.7f, 1e-5f);
  ExpectFiniteEverywhere(below);
  // So far from 0 that taking 0.01 off a position gives the same float.
  GradientRamp distant = RampAt({-1.0e6f, 1.0f});
  distant.markers[0].color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
  EXPECT_NEAR(distant.ColorAt(-5.0e5f).r, 0.5f, 1e-5f);
  ExpectFiniteEverywhere(distant);
}

TEST(RampRobustness, PositionsThatAreNotNumbersGoToZero) {
  GradientRamp ramp = RampAt({0.7f, kNaN, 0.2f, kNaN});
  ramp.SortMarkers();  // they go to 0, where one merges into the other
  ASSERT_EQ(ramp.markers.size(), 3u);
  EXPECT_TRUE(ramp.markers[0].position == 0.0f && ramp.markers[1].position == 0.2f);
  EXPECT_EQ(ramp.AddMarker(kNaN, AColor())->position, 0.0f);
  ramp.InitDefault();
  TestShadeContext sc;
  ExpectColor(ramp.Evaluate(sc, kNaN), 0.0f, 0.0f, 0.0f);  // t that is not a number is 0
}

TEST(RampRobustness, ConcurrentEvaluationAllocatesNothing) {
  TestMap* point = new TestMap(AColor(), true);
  TestMap* grey = new TestMap(AColor(0.5f, 0.5f, 0.5f, 1.0f));
  GradientRamp ramp;
  ramp.InitDefault();
  for (int i = 1; i < 15; ++i) ramp.AddMarker(i / 15.0f, AColor(i / 15.0f, 0.0f, 0.0f, 1.0f));
  for (size_t i = 0; i < ramp.markers.size(); ++i) {
    ramp.markers[i].colorMap = i % 2 ? point : grey;
    ramp.markers[i].transparentMap = i % 3 ? nullptr : grey;
    ramp.markers[i].inMode = int(i % 5);
    ramp.markers[i].outMode = int((i + 2) % 5);
  }
  constexpr int kSamples = 1000;
  auto sweep = [&ramp](std::vector<AColor>& colors, std::vector<Point3>& perturbs) {
    TestShadeContext sc;
    for (int i = 0; i < kSamples; ++i) {
      float t = i / float(kSamples - 1);
      sc.point = Point3(t, 1.0f - t, 0.5f);
      colors[i] = ramp.Evaluate(sc, t);
      perturbs[i] = ramp.EvaluatePerturb(sc, t, Point3(1.0f, 0.0f, 0.0f));
    }
  };
  long start = AllocationCount();
  std::vector<std::vector<AColor>> colors(5, std::vector<AColor>(kSamples));
  std::vector<std::vector<Point3>> perturbs(5, std::vector<Point3>(kSamples));
  long before = AllocationCount();
  ASSERT_GT(before, start) << "the counter sees this program's allocations";
  sweep(colors[0], perturbs[0]);
  EXPECT_EQ(AllocationCount(), before);
  // Four threads on one ramp agree with one thread; ThreadSanitizer checks they only read.
  std::vector<std::thread> threads;
  for (int k = 1; k < 5; ++k) threads.emplace_back([&, k] { sweep(colors[k], perturbs[k]); });
  for (std::thread& th : threads) th.join();
  for (int k = 1; k < 5; ++k) EXPECT_TRUE(colors[k] == colors[0] && perturbs[k] == perturbs[0]);
  point->DeleteThis();
  grey->DeleteThis();
}
