// Curve values, segment weights, colours and perturbation from colours and maps, prepared form.
#include <cmath>
#include <vector>

#include "curve_modes.h"
#include "prepared_ramp.h"
#include "ramp_test_support.h"

namespace {
const AColor kRed(1.0f, 0.0f, 0.0f, 1.0f), kBlue(0.0f, 0.0f, 1.0f, 1.0f);

GradientRamp RedToBlue() {
  GradientRamp ramp = RampAt({0.0f, 1.0f});
  ramp.markers[0].color = kRed;
  ramp.markers[1].color = kBlue;
  return ramp;
}
}  // namespace

TEST(RampEvaluation, CurveModeValuesAndSegmentWeights) {
  EXPECT_NEAR(CurveValue(0.0f, CurveExponential), 0.9476f, 1e-4f);
  EXPECT_NEAR(CurveValue(0.75f, CurveGamma), 0.13397f, 1e-5f);
  EXPECT_GT(CurveValue(0.98f, CurveExponential), 0.0f);  // exponential meets 0 before 1
  EXPECT_EQ(CurveValue(0.99f, CurveExponential), 0.0f);  // and is clamped there
  EXPECT_EQ(CurveValue(0.25f, 17), 0.75f);               // an unknown mode is linear
  // At u = 0.5; rows: the right marker's in mode, columns: the left marker's out mode.
  const float table[kCurveModeCount][kCurveModeCount] = {
      {0.5f, 0.63259f, 0.39645f, 0.25f, 0.75f},
      {0.36741f, 0.5f, 0.26386f, 0.11741f, 0.61741f},
      {0.60355f, 0.73614f, 0.5f, 0.35355f, 0.85355f},
      {0.75f, 0.88259f, 0.64645f, 0.5f, 1.0f},
      {0.25f, 0.38259f, 0.14645f, 0.0f, 0.5f},
  };
  for (int in = 0; in < kCurveModeCount; ++in)
    for (int out = 0; out < kCurveModeCount; ++out)
      EXPECT_NEAR(SegmentWeight(0.5f, in, out), table[in][out], 1e-5f) << in << " " << out;
  for (float u : {0.0f, 0.1f, 0.37f, 1.0f}) {
    EXPECT_FLOAT_EQ(SegmentWeight(u, CurveSolid, CurveSolid), u);
    EXPECT_FLOAT_EQ(SegmentWeight(u, CurveNo, CurveNo), 1.0f - u);
  }
}

TEST(RampEvaluation, DefaultRamp) {
  GradientRamp ramp;
  ramp.InitDefault();
  TestShadeContext sc;
  // At an interior marker ColorAt shows the colour just left of it, Evaluate the marker's own.
  const struct {
    float t;
    bool evaluate;
    float grey;
  } cases[] = {{0.5f, false, 0.49f},   {0.5f, true, 0.5f},   {0.49995f, true, 0.5f},
               {0.75f, false, 0.745f}, {-0.5f, false, 0.0f}, {3.0f, true, 1.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.t << (c.evaluate ? " Evaluate" : " ColorAt"));
    ExpectColor(c.evaluate ? ramp.Evaluate(sc, c.t) : ramp.ColorAt(c.t), c.grey, c.grey, c.grey);
  }
}

TEST(RampEvaluation, TransparencyColourAndCurveModesOfTheSegmentEnds) {
  TestShadeContext sc;
  GradientRamp ramp = RedToBlue();
  ramp.markers[1].transparentColor = AColor(0.5f, 0.5f, 0.5f, 0.0f);
  ExpectColor(ramp.ColorAt(0.5f), 0.75f, 0.0f, 0.25f);
  ExpectColor(ramp.Evaluate(sc, 0.5f), 0.75f, 0.0f, 0.25f);
  // The left marker's out mode and the right one's in mode shape the segment; no other.
  ramp = RedToBlue();
  ramp.markers[0].outMode = CurveExponential;
  ramp.markers[0].inMode = CurveNo;
  ramp.markers[1].outMode = CurveSolid;
  ramp.markers[0].transparentColor = AColor(1.0f, 1.0f, 1.0f, 0.0f);
  ExpectColor(ramp.Evaluate(sc, 0.5f), 1.0f - 0.63259f, 0.0f, 0.63259f);
}

TEST(RampEvaluation, MarkerMapsAndTheirSwitches) {
  TestMap* point = new TestMap(AColor(), true);
  TestMap* white = new TestMap(AColor(1.0f, 1.0f, 1.0f, 1.0f));
  TestShadeContext sc;
  sc.point = Point3(0.2f, 0.4f, 0.6f);
  GradientRamp ramp = RedToBlue();
  ramp.markers[1].colorMap = point;
  ExpectColor(ramp.Evaluate(sc, 0.5f), 0.6f, 0.2f, 0.3f);
  ExpectColor(ramp.ColorAt(0.5f), 0.5f, 0.0f, 0.5f);  // colours only
  ramp.markers[1].colorMapOn = false;
  ExpectColor(ramp.Evaluate(sc, 0.5f), 0.5f, 0.0f, 0.5f);
  // A white transparency map on the right marker pulls towards it, on the left one away.
  ramp.markers[1].transparentMap = white;
  ExpectColor(ramp.Evaluate(sc, 0.5f), 0.25f, 0.0f, 0.75f);
  ramp.markers[1].transparentMapOn = false;
  ramp.markers[0].transparentMap = white;
  ExpectColor(ramp.Evaluate(sc, 0.5f), 0.75f, 0.0f, 0.25f);
  // The colour arriving at a marker from its left is sampled with maps too.
  ramp.InitDefault();
  ramp.markers[0].colorMap = white;
  ExpectColor(ramp.Evaluate(sc, 0.75f), 0.755f, 0.755f, 0.755f);

  // Perturbation: a map's own, or the marker's grey along d with the grey added to z.
  const Point3 d(0.6f, 0.8f, 0.0f);
  EXPECT_TRUE(ramp.EvaluatePerturb(sc, 1.0f, d).Equals(Point3(0.6f, 0.8f, 1.0f)));
  EXPECT_TRUE(ramp.EvaluatePerturb(sc, 0.25f, d).Equals(Point3(0.25f, 0.4f, 0.55f), 1e-5f));
  ramp.markers[0].colorMapOn = false;
  EXPECT_TRUE(ramp.EvaluatePerturb(sc, 0.25f, d).Equals(Point3(0.15f, 0.2f, 0.25f), 1e-5f));
  point->DeleteThis();
  white->DeleteThis();
}

TEST(RampEvaluation, PreparedRampAnswersAsEvaluateToTheBit) {
  TestShadeContext sc;
  std::vector<GradientRamp> ramps{RampAt({0.0f, 0.5f, 1.0f}), RampAt({-0.3f, 0.2f, 0.2f, 1.4f}),
                                  RampAt({0.7f, 0.1f, 0.4f}), RampAt({0.3f}), RampAt({})};
  for (int in = 0; in < kCurveModeCount; ++in) {
    GradientRamp& r = ramps.emplace_back(RampAt({0.0f, 0.25f, 0.6f, 1.0f}));
    for (size_t i = 0; i < r.markers.size(); ++i) {
      r.markers[i].inMode = (in + int(i)) % kCurveModeCount;
      r.markers[i].outMode = (in + 2 * int(i)) % kCurveModeCount;
      r.markers[i].transparentColor = AColor(0.3f * float(i), 0.1f, 0.2f, 0.0f);
    }
  }
  PreparedRamp prepared;
  for (const GradientRamp& ramp : ramps) {
    prepared.Prepare(ramp);
    ASSERT_TRUE(prepared.Ready());
    for (float t = -0.05f; t < 1.1f; t += 0.00731f)
      EXPECT_EQ(prepared.Evaluate(t), ramp.Evaluate(sc, t)) << t;
    for (float t : {NAN, 0.0f, 1.0f}) EXPECT_EQ(prepared.Evaluate(t), ramp.Evaluate(sc, t));
  }
  // A marker map in use changes colours from sample to sample: not prepared.
  TestMap* white = new TestMap(AColor(1.0f, 1.0f, 1.0f, 1.0f));
  ramps[0].markers[1].transparentMap = white;
  prepared.Prepare(ramps[0]);
  EXPECT_FALSE(prepared.Ready());
  ramps[0].markers[1].transparentMapOn = false;
  prepared.Prepare(ramps[0]);
  EXPECT_TRUE(prepared.Ready());
  white->DeleteThis();
}
