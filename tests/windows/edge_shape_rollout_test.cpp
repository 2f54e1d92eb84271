// The "Edge shape and units" rollout under Wine: added below "Parameters" from the module's
// dialog template 1003, its controls bound to the parameter block both ways.
#include <gtest/gtest.h>

#include "rollout_test_support.h"

namespace {

class EdgeShapeRollout : public RolloutTest {
 protected:
  void OpenBoth() {
    Open();
    auto* desc = static_cast<ClassDesc2*>(LibClassDesc(0));
    IParamMap2* second = desc->GetParamMap(desc->GetParamBlockDesc(0), kelvane_map_edge_shape);
    ASSERT_NE(second, nullptr);
    shape = second->GetHWnd();
    ASSERT_NE(shape, nullptr);
  }
  bool On(int id) { return IsDlgButtonChecked(shape, id) == BST_CHECKED; }
  void Press(int id) { SendMessageW(GetDlgItem(shape, id), BM_CLICK, 0, 0); }

  HWND shape = nullptr;
};

}  // namespace

TEST_F(EdgeShapeRollout, SitsBelowParametersAndFollowsTheBlock) {
  map->pblock->SetValue(pb_edge_shape, 0, 2);
  OpenBoth();
  ASSERT_EQ(panel->NumRollupPages(), 3);
  EXPECT_TRUE(panel->GetRollupPage(0) == page && panel->GetRollupPage(1) == shape);
  RECT first, second;
  GetWindowRect(page, &first);
  GetWindowRect(shape, &second);
  EXPECT_GE(second.top, first.bottom) << "below the first rollout";
  // The dialog 1002 the first rollout shows is unchanged: its ramp is still there.
  EXPECT_TRUE(Item(IDC_RAMP) && !GetDlgItem(page, IDC_EDGE_SHAPE_ANY));

  // Shown from the block, and written to it by clicks.
  EXPECT_TRUE(On(IDC_EDGE_SHAPE_CONCAVE));
  EXPECT_FALSE(On(IDC_EDGE_SHAPE_ANY) || On(IDC_EDGE_SHAPE_CONVEX) || On(IDC_WORLD_UNITS));
  Press(IDC_EDGE_SHAPE_CONVEX);
  EXPECT_TRUE(map->pblock->GetInt(pb_edge_shape) == 1 && !On(IDC_EDGE_SHAPE_CONCAVE));
  Press(IDC_WORLD_UNITS);
  EXPECT_EQ(map->pblock->GetInt(pb_world_units), 1);
  // A change made elsewhere (a script, an undo) shows in the buttons.
  map->pblock->SetValue(pb_edge_shape, 0, 0);
  map->pblock->SetValue(pb_world_units, 0, 0);
  PumpAll();
  EXPECT_TRUE(On(IDC_EDGE_SHAPE_ANY));
  EXPECT_FALSE(On(IDC_EDGE_SHAPE_CONVEX) || On(IDC_WORLD_UNITS));
  // The map reads them at its next Update.
  Press(IDC_EDGE_SHAPE_CONCAVE);
  Interval valid = FOREVER;
  map->Update(0, valid);
  EXPECT_EQ(map->edgeShape, 2);
  // The bump buttons, below, the same way.
  EXPECT_TRUE(On(IDC_BUMP_RAMP));
  Press(IDC_BUMP_ROUND_EDGE);
  EXPECT_TRUE(map->pblock->GetInt(pb_bump_mode) == 1 && !On(IDC_BUMP_RAMP));
}
