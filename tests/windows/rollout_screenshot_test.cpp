// A picture of the whole "Parameters" rollout, and "Edge shape and units" below it, for the
// README: the rollouts as the host's panel shows them, caption bars included, read back from the
// screen and written as a PNG beside the test program (docs/images/rollout.png is a copy).
#include <gtest/gtest.h>

#include <set>

#include "host_maps.h"
#include "png_file.h"
#include "rollout_test_support.h"
#include "ui_test_support.h"

using RolloutScreenshot = RolloutTest;

TEST_F(RolloutScreenshot, WritesThePictureOfTheRollout) {
  // The README's example: a warm glow at the edge, through brown, to a dark blue; the brown
  // marker selected, with a checker as its colour map.
  GradientRamp& ramp = map->ramp;
  ramp.markers[0].color = AColor(1.0f, 0.8f, 0.3f, 1.0f);
  ramp.markers[1].position = 0.3f;
  ramp.markers[1].color = AColor(0.6f, 0.2f, 0.05f, 1.0f);
  ramp.markers[1].outMode = 1;  // Exponential
  ramp.markers[2].color = AColor(0.1f, 0.15f, 0.25f, 1.0f);
  ramp.SetActiveMarker(1);
  map->SyncMarkerReferences();
  auto* checker = new CheckerMap;
  checker->SetName(L"Map #2");
  map->SetSubTexmap(2, checker);
  map->pblock->SetValue(pb_open_edges, 0, 1);
  map->pblock->SetValue(pb_smooth, 0, 1);
  map->pblock->SetValue(pb_distance, 0, 0.2f);
  map->pblock->SetValue(pb_edge_shape, 0, 1);
  Open();
  PostMessageW(Item(IDC_RAMP), WM_RAMP_REDRAW, 0, 0);
  PumpAll();

  HWND window = panel->GetHWnd();
  // Under Xvfb the second page's background is not always erased by the time the queue is
  // empty; a full repaint, as any exposure of the window gives, draws what a user sees.
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  int width = 0, height = 0;
  std::vector<unsigned char> rgb = CaptureClient(window, width, height);
  ASSERT_GT(width, 0);
  // The caption bar and the page below it, down to the end of the second rollout.
  RECT pageRect, shapeRect;
  GetWindowRect(page, &pageRect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&pageRect), 2);
  ASSERT_EQ(panel->NumRollupPages(), 3);
  GetWindowRect(panel->GetRollupPage(1), &shapeRect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&shapeRect), 2);
  int right = std::min(width, int(pageRect.right) + 3);
  int bottom = std::min(height, int(shapeRect.bottom) + 3);
  ASSERT_GT(right, 200);
  ASSERT_GT(bottom, 300);
  std::vector<unsigned char> crop(size_t(right) * bottom * 3);
  for (int y = 0; y < bottom; ++y)
    std::copy_n(&rgb[(size_t(y) * width) * 3], size_t(right) * 3, &crop[size_t(y) * right * 3]);

  // What the picture shows is what is on the screen: the swatch in the marker's colour, the
  // ramp in many colours.
  RECT swatch;
  GetWindowRect(Item(IDC_COLOR_SWATCH), &swatch);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&swatch), 2);
  int sx = (swatch.left + swatch.right) / 2, sy = (swatch.top + swatch.bottom) / 2;
  const unsigned char* s = &crop[(size_t(sy) * right + sx) * 3];
  EXPECT_EQ(RgbOf(RGB(s[0], s[1], s[2])), RgbOf(RGB(153, 51, 13)));
  RECT rampRect;
  GetWindowRect(Item(IDC_RAMP), &rampRect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rampRect), 2);
  std::set<COLORREF> colours;
  int ry = (rampRect.top + rampRect.bottom) / 2;
  for (int x = rampRect.left + 6; x < rampRect.right - 6; ++x) {
    const unsigned char* p = &crop[(size_t(ry) * right + x) * 3];
    colours.insert(RGB(p[0], p[1], p[2]));
  }
  EXPECT_GT(colours.size(), 50u) << "a gradient, not a flat band";

  EXPECT_TRUE(WritePng(ProgramFolder() + L"rollout.png", right, bottom, crop));
}
