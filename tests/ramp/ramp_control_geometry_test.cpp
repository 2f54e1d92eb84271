// The ramp control's pixel arithmetic, without windows: columns, positions, reach, glyphs, bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include "ramp_control_geometry.h"

// The rollout's control is about 300 pixels wide; s = 8 gives h = 4 and D = 293.
const RampGeometry kWide(8, 0, 300);
constexpr float kD = 293.0f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(RampControlGeometry, ClickAndDragPositionsAndTheirMargins) {
  // A click takes the absolute value and clamps to 1; a drag clamps into [0, 1].
  struct Case {
    int x;
    float click, drag;
  } cases[] = {{150, 146 / kD, 146 / kD}, {0, 4 / kD, 0.0f},   {4, 0.0f, 0.0f},
               {5, 1 / kD, 1 / kD},       {-1000, 1.0f, 0.0f}, {296, 292 / kD, 292 / kD},
               {297, 1.0f, 1.0f},         {32000, 1.0f, 1.0f}};
  for (const Case& c : cases) {
    EXPECT_EQ(kWide.ClickPosition(c.x), c.click) << c.x;
    EXPECT_EQ(kWide.DragPosition(c.x), c.drag) << c.x;
  }
  EXPECT_EQ(kWide.PositionAt(0), -4.0f / kD);
  EXPECT_GT(kWide.PositionAt(299), 1.0f);  // a right click is not clamped
}

TEST(RampControlGeometry, GlyphsSitOnTheMarkerColumnInsideTheRamp) {
  struct Case {
    float position;
    int left, right, apex;
  } cases[] = {
      {0.5f, 146, 154, 150}, {0.0f, 0, 8, 4}, {1.0f, 293, 301, 297}, {146 / kD, 146, 154, 150}};
  for (const Case& c : cases) {
    RampGeometry::Glyph g = kWide.GlyphAt(c.position);
    EXPECT_TRUE(g.left == c.left && g.right == c.right && g.apex == c.apex) << c.position;
  }
  const std::pair<float, float> clamped[] = {
      {1.5f, 1.0f}, {-0.2f, 0.0f}, {0.3f, 0.3f}, {kNaN, 1.0f}, {kInf, 1.0f}};
  for (auto [in, out] : clamped) EXPECT_EQ(ClampGlyphPosition(in), out) << in;
}

TEST(RampControlGeometry, OtherSizesAndOrigins) {
  RampGeometry shifted(8, 10, 310);  // only the width counts
  EXPECT_EQ(shifted.span, 293);
  EXPECT_EQ(shifted.PositionAt(150), 146.0f / kD);
  RampGeometry odd(7, 0, 100);  // h = 3, D = 95
  EXPECT_TRUE(odd.half == 3 && odd.span == 95);
  EXPECT_TRUE(odd.ColumnAt(1).x == 0 && odd.ColumnAt(2).x == 1);  // trunc(3 - 2.5) = 0
  EXPECT_EQ(RampGeometry(8, 0, 3).span, 6);  // narrower than a glyph: |(3 - 4) - 4| + 1
  RampGeometry empty(8, 0, 0);
  EXPECT_TRUE(empty.span == 9 && empty.ColumnCount() == 1);
  EXPECT_TRUE(std::isfinite(empty.ClickPosition(0)));
  RampGeometry none(0, 0, 300);  // no glyph size: no reach, and D never 0
  EXPECT_TRUE(none.span == 301 && none.HitTolerance() == 0.0f);
}

TEST(RampControlGeometry, ColourBytes) {
  // 0.5 is 127.5 + 0.5; out-of-range channels clamp, never wrap.
  const std::pair<float, int> bytes[] = {{0.0f, 0},   {1.0f, 255}, {0.5f, 128}, {0.498f, 127},
                                         {1.2f, 255}, {-0.2f, 0},  {kNaN, 0},   {kInf, 255}};
  for (auto [in, out] : bytes) EXPECT_EQ(RampColorByte(in), out) << in;
  EXPECT_EQ(RampColorBytes(AColor(0.0f, 1.0f, 1.0f, 0.0f)), (RampRgb{0, 255, 255}));
}
