// The ramp control's pixel arithmetic, without windows: the mapping between pixel columns and
// ramp positions, the hit reach, the columns and glyphs of the drawing, the GDI bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gradient_ramp.h"
#include "ramp_control_geometry.h"

namespace {
// The rollout's control is about 300 pixels wide; s = 8 gives h = 4 and D = 293.
const RampGeometry kWide(8, 0, 300);
}  // namespace

TEST(RampControlGeometry, DefaultMarkerSizeOnThreeHundredPixels) {
  EXPECT_EQ(kWide.markerSize, 8);
  EXPECT_EQ(kWide.half, 4);
  EXPECT_EQ(kWide.clientWidth, 300);
  EXPECT_EQ(kWide.span, 293);
  EXPECT_EQ(kWide.HitTolerance(), 8.0f / 293.0f);
  EXPECT_FLOAT_EQ(kWide.MarkerCentre(0.5f), 150.5f);
  EXPECT_FLOAT_EQ(kWide.MarkerCentre(0.0f), 4.0f);
  EXPECT_FLOAT_EQ(kWide.MarkerCentre(1.0f), 297.0f);
}

TEST(RampControlGeometry, ClickAtOneHundredFiftyReachesTheMiddleMarker) {
  float t = kWide.ClickPosition(150);
  EXPECT_EQ(t, 146.0f / 293.0f);
  EXPECT_NEAR(t, 0.498f, 0.0005f);
  EXPECT_LT(std::fabs(0.5f - t), kWide.HitTolerance());
  EXPECT_EQ(kWide.DragPosition(150), 146.0f / 293.0f);
  // x = 100 is 96 / 293, farther than a glyph's reach from every default marker.
  float added = kWide.ClickPosition(100);
  EXPECT_EQ(added, 96.0f / 293.0f);
  for (float p : {0.0f, 0.5f, 1.0f}) EXPECT_GE(std::fabs(p - added), kWide.HitTolerance());
}

TEST(RampControlGeometry, LeftMarginIsAbsoluteOnClickAndZeroOnDrag) {
  EXPECT_EQ(kWide.PositionAt(0), -4.0f / 293.0f);
  EXPECT_EQ(kWide.ClickPosition(0), 4.0f / 293.0f);
  EXPECT_EQ(kWide.DragPosition(0), 0.0f);
  EXPECT_EQ(kWide.ClickPosition(4), 0.0f);
  EXPECT_EQ(kWide.DragPosition(4), 0.0f);
  EXPECT_EQ(kWide.DragPosition(5), 1.0f / 293.0f);
  // Far to the left, a click's absolute value is clamped to 1; a drag stays at 0.
  EXPECT_EQ(kWide.ClickPosition(-1000), 1.0f);
  EXPECT_EQ(kWide.DragPosition(-1000), 0.0f);
}

TEST(RampControlGeometry, RightMarginClampsToOne) {
  EXPECT_EQ(kWide.ClickPosition(297), 1.0f);
  EXPECT_EQ(kWide.ClickPosition(299), 1.0f);
  EXPECT_EQ(kWide.DragPosition(299), 1.0f);
  EXPECT_EQ(kWide.DragPosition(32000), 1.0f);
  EXPECT_EQ(kWide.DragPosition(296), 292.0f / 293.0f);
  EXPECT_GT(kWide.PositionAt(299), 1.0f);  // a right click is not clamped
}

TEST(RampControlGeometry, ColumnsCoverOneBeyondTheClientWidth) {
  EXPECT_EQ(kWide.ColumnCount(), 301);
  RampGeometry::Column first = kWide.ColumnAt(0);
  EXPECT_EQ(first.x, 0);
  EXPECT_FLOAT_EQ(first.position, -3.5f / 293.0f);
  RampGeometry::Column middle = kWide.ColumnAt(150);
  EXPECT_EQ(middle.x, 150);
  EXPECT_FLOAT_EQ(middle.position, 146.5f / 293.0f);
  RampGeometry::Column last = kWide.ColumnAt(300);
  EXPECT_EQ(last.x, 300);
  EXPECT_FLOAT_EQ(last.position, 296.5f / 293.0f);
}

TEST(RampControlGeometry, GlyphsSitOnTheMarkerColumn) {
  RampGeometry::Glyph middle = kWide.GlyphAt(0.5f);  // px = 146.5
  EXPECT_EQ(middle.left, 146);
  EXPECT_EQ(middle.right, 154);
  EXPECT_EQ(middle.apex, 150);
  RampGeometry::Glyph start = kWide.GlyphAt(0.0f);
  EXPECT_EQ(start.left, 0);
  EXPECT_EQ(start.right, 8);
  EXPECT_EQ(start.apex, 4);
  RampGeometry::Glyph end = kWide.GlyphAt(1.0f);
  EXPECT_EQ(end.left, 293);
  EXPECT_EQ(end.right, 301);
  EXPECT_EQ(end.apex, 297);
  RampGeometry::Glyph moved = kWide.GlyphAt(146.0f / 293.0f);
  EXPECT_EQ(moved.left, 146);
  EXPECT_EQ(moved.apex, 150);
}

TEST(RampControlGeometry, GlyphPositionsAreClampedIntoTheRamp) {
  EXPECT_EQ(ClampGlyphPosition(1.5f), 1.0f);
  EXPECT_EQ(ClampGlyphPosition(-0.2f), 0.0f);
  EXPECT_EQ(ClampGlyphPosition(0.3f), 0.3f);
  EXPECT_EQ(ClampGlyphPosition(std::numeric_limits<float>::quiet_NaN()), 1.0f);
  EXPECT_EQ(ClampGlyphPosition(std::numeric_limits<float>::infinity()), 1.0f);
}

TEST(RampControlGeometry, OtherSizesAndOrigins) {
  RampGeometry shifted(8, 10, 310);  // only the width counts
  EXPECT_EQ(shifted.span, 293);
  EXPECT_EQ(shifted.PositionAt(150), 146.0f / 293.0f);
  RampGeometry odd(7, 0, 100);  // h = 3, D = 95
  EXPECT_EQ(odd.half, 3);
  EXPECT_EQ(odd.span, 95);
  EXPECT_EQ(odd.ColumnAt(0).x, 0);  // trunc(3 - 3.5) = 0
  EXPECT_EQ(odd.ColumnAt(1).x, 0);
  EXPECT_EQ(odd.ColumnAt(2).x, 1);
  RampGeometry narrow(8, 0, 3);  // narrower than a glyph: D = |(3 - 4) - 4| + 1 = 6
  EXPECT_EQ(narrow.span, 6);
  RampGeometry empty(8, 0, 0);
  EXPECT_EQ(empty.span, 9);
  EXPECT_EQ(empty.ColumnCount(), 1);
  EXPECT_TRUE(std::isfinite(empty.ClickPosition(0)));
  RampGeometry none(0, 0, 300);  // no glyph size: no reach, and D never 0
  EXPECT_EQ(none.span, 301);
  EXPECT_EQ(none.HitTolerance(), 0.0f);
}

TEST(RampControlGeometry, ColourBytes) {
  EXPECT_EQ(RampColorByte(0.0f), 0);
  EXPECT_EQ(RampColorByte(1.0f), 255);
  EXPECT_EQ(RampColorByte(0.5f), 128);  // 127.5 + 0.5
  EXPECT_EQ(RampColorByte(0.498f), 127);
  // Out of range wraps to the low 8 bits, as the byte packing does.
  EXPECT_EQ(RampColorByte(1.2f), 306 & 0xff);
  EXPECT_EQ(RampColorByte(-0.2f), BYTE(-50));
  EXPECT_EQ(RampColorByte(std::numeric_limits<float>::quiet_NaN()), 0);
  RampRgb rgb = RampColorBytes(AColor(1.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_EQ(rgb, (RampRgb{255, 0, 0}));
  rgb = RampColorBytes(AColor(0.0f, 1.0f, 1.0f, 0.0f));
  EXPECT_EQ(rgb, (RampRgb{0, 255, 255}));
}

TEST(RampControlGeometry, ANewMarkerAtOneHundredTakesTheRampsColourThere) {
  GradientRamp ramp;
  ramp.InitDefault();
  AColor c = ramp.ColorAt(kWide.ClickPosition(100));
  EXPECT_NEAR(c.r, 0.328f, 0.0005f);
  EXPECT_NEAR(c.g, 0.328f, 0.0005f);
  EXPECT_NEAR(c.b, 0.328f, 0.0005f);
  EXPECT_EQ(c.a, 1.0f);
}
