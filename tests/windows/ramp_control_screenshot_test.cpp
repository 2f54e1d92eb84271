// A picture of the ramp control for the README: the control as drawn on the screen, read back
// and written as a PNG beside the test program (docs/images/ramp-control.png is a copy).
#include <gtest/gtest.h>

#include "igradient_ramp.h"
#include "png_file.h"
#include "ramp_control_geometry.h"
#include "ramp_drawing.h"
#include "ui_test_support.h"

TEST(RampControlScreenshot, WritesThePictureOfTheControl) {
  ASSERT_NE(KelvaneModule(), nullptr);
  constexpr int kWidth = 300, kHeight = 40;
  // The README's example ramp: warm light at the edge, through brown, to a dark blue, with a
  // marker added between and the middle one selected.
  GradientRamp ramp;
  ramp.InitDefault();
  ramp.markers[0].color = AColor(1.0f, 0.8f, 0.3f, 1.0f);
  ramp.markers[1].position = 0.3f;
  ramp.markers[1].color = AColor(0.6f, 0.2f, 0.05f, 1.0f);
  ramp.markers[1].outMode = 1;  // Exponential
  ramp.markers[2].color = AColor(0.1f, 0.15f, 0.25f, 1.0f);
  ramp.AddMarker(0.75f, AColor(0.25f, 0.45f, 0.7f, 1.0f));
  ramp.SetActiveMarker(1);

  HWND parent = CreateTestParent(kWidth + 40, kHeight + 40);
  HWND window =
      CreateWindowExW(0, L"CustGradientRamp", L"", WS_CHILD | WS_VISIBLE, 20, 20, kWidth, kHeight,
                      parent, reinterpret_cast<HMENU>(501), KelvaneModule(), nullptr);
  ASSERT_NE(window, nullptr);
  auto* control = new IGradientRamp(window, &ramp);
  PostMessageW(window, WM_RAMP_REDRAW, 0, 0);
  PumpMessages();

  int width = 0, height = 0;
  std::vector<unsigned char> rgb = CaptureClient(window, width, height);
  ASSERT_EQ(width, kWidth);
  ASSERT_EQ(height, kHeight);
  // The capture is what GetPixel reads: the band and the active glyph.
  RampGeometry geometry(8, 0, kWidth);
  for (int x : {10, 60, 150, 200, 280}) {
    COLORREF expected = RampColorRef(ramp.ColorAt(geometry.ColumnAt(x).position));
    const unsigned char* p = &rgb[(size_t(kHeight / 2) * kWidth + x) * 3];
    EXPECT_EQ(RgbOf(RGB(p[0], p[1], p[2])), RgbOf(expected)) << "column " << x;
    EXPECT_EQ(RgbOf(PixelAt(window, x, kHeight / 2)), RgbOf(expected)) << "column " << x;
  }
  int apex = geometry.GlyphAt(0.3f).apex;
  const unsigned char* glyph = &rgb[(size_t(1) * kWidth + apex) * 3];
  EXPECT_EQ(RgbOf(RGB(glyph[0], glyph[1], glyph[2])), RgbOf(RGB(255, 0, 0)));

  EXPECT_TRUE(WritePng(ProgramFolder() + L"ramp-control.png", width, height, rgb));

  delete control;
  DestroyWindow(parent);
  PumpMessages();
}
