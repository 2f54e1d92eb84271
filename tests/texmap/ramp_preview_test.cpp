// The ramp's picture for the viewport, column by column.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "gradient_ramp.h"
#include "ramp_preview.h"

TEST(RampPreview, ChannelTruncatesToSixteenBitsAndShowsOverBrightAtFull) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float in;
    int out;
  } cases[] = {{1.0f, 65535}, {0.5f, 32767}, {0.0f, 0}, {0.99999f, 65534},
               {1.5f, 65535}, {-0.25f, 0},   {nan, 0},  {inf, 65535}};
  for (const auto& c : cases) EXPECT_EQ(PreviewChannel(c.in), c.out) << c.in;
}

TEST(RampPreview, RowPositionsAreSinglePrecisionSumsOfSteps) {
  // A colour up to a step to black at 8/12: eight single-precision steps of 1/12 sum to just
  // below 8/12, so the ninth column of a 12-wide preview still shows the colour, opaque.
  GradientRamp ramp;
  ramp.InitDefault();
  ramp.markers.resize(2);
  ramp.markers[0].color = AColor(1.0f, 0.5f, 0.25f, 0.0f);
  ramp.markers[0].outMode = 3;  // Solid
  ramp.markers[1].position = 8.0f / 12.0f;
  ramp.markers[1].color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
  ramp.markers[1].inMode = ramp.markers[1].outMode = 4;  // NO: the colour holds up to the marker
  BMM_Color_64 row[12];
  FillPreviewRow(ramp, 12, row);
  auto channels = [](const BMM_Color_64& c) { return std::tuple(c.r, c.g, c.b, c.a); };
  EXPECT_EQ(channels(row[8]), std::tuple(65535, 32767, 16383, 65535)) << "position 8 x (1/12)";
  EXPECT_EQ(channels(row[9]), std::tuple(0, 0, 0, 65535));
}
