// The "Parameters" rollout of a Kelvane map under Wine: the module's dialog template 1002
// opened by the host's material editor panel, driven by real messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host_maps.h"
#include "host_viewport.h"
#include "igradient_ramp.h"
#include "rollout_test_support.h"

namespace {

std::wstring ListEntry(HWND list, int i) {
  wchar_t text[64] = {};
  SendMessageW(list, CB_GETLBTEXT, WPARAM(i), LPARAM(text));
  return text;
}

int Selection(HWND list) {
  return int(SendMessageW(list, CB_GETCURSEL, 0, 0));
}

// Field by field: records have padding.
bool SameMarker(const RampMarker& a, const RampMarker& b) {
  auto same = [](const AColor& x, const AColor& y) {
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
  };
  return a.flags == b.flags && a.position == b.position &&
         same(a.activeGlyphColor, b.activeGlyphColor) &&
         same(a.reactiveGlyphColor, b.reactiveGlyphColor) && same(a.color, b.color) &&
         same(a.transparentColor, b.transparentColor) && a.colorMap == b.colorMap &&
         a.transparentMap == b.transparentMap && a.colorMapOn == b.colorMapOn &&
         a.transparentMapOn == b.transparentMapOn && a.inMode == b.inMode && a.outMode == b.outMode;
}

// A viewport texture for the map, so that discarding it shows.
void MakeTexture(Kelvane* map) {
  ViewportTexHandleMaker maker(16);
  map->GetActiveTexHandle(0, maker);
  ASSERT_NE(map->texHandle, nullptr);
}

using Rollout = RolloutTest;

TEST_F(Rollout, OpensFromTheModulesTemplateWithTheBlockShown) {
  map->pblock->SetValue(pb_open_edges, 0, 1);
  map->pblock->SetValue(pb_c_mult, 0, 5);
  Open(false);
  EXPECT_EQ(map->hwMtlEdit, panel->GetHWnd());
  EXPECT_EQ(proc->theTex, map);
  EXPECT_EQ(proc->ip, panel);
  ASSERT_EQ(panel->NumRollupPages(), 2) << "Parameters, then the output's own rollout";
  EXPECT_EQ(panel->GetRollupPage(0), page);
  // Every control of the template, with its class.
  struct {
    int id;
    const wchar_t* cls;
  } controls[] = {{IDC_DISTANCE_EDIT, L"CustEdit"},     {IDC_DISTANCE_SPIN, L"SpinnerControl"},
                  {IDC_COLOR_SWATCH, L"ColorSwatch"},   {IDC_COLOR_MAP, L"CustButton"},
                  {IDC_TRANSPARENT_MAP, L"CustButton"}, {IDC_RAMP, L"CustGradientRamp"},
                  {IDC_IN_MODE, L"ComboBox"},           {IDC_POSITION_SPIN, L"SpinnerControl"}};
  for (const auto& c : controls) {
    wchar_t cls[64] = {};
    GetClassNameW(Item(c.id), cls, 64);
    EXPECT_EQ(_wcsicmp(cls, c.cls), 0) << c.id;
  }
  // Bound controls show the block.
  EXPECT_EQ(WindowText(Item(IDC_DISTANCE_EDIT)), L"0.1");
  EXPECT_EQ(WindowText(Item(IDC_C_MULT_EDIT)), L"5");
  EXPECT_EQ(WindowText(Item(IDC_MATID1_EDIT)), L"1");
  EXPECT_TRUE(Checked(IDC_OPEN_EDGES));
  EXPECT_FALSE(Checked(IDC_SELECTION_ONLY));
  EXPECT_TRUE(Checked(IDC_CONDITIONS_OR));
  EXPECT_FALSE(Checked(IDC_CONDITIONS_AND));
  EXPECT_TRUE(Checked(IDC_SMOOTH_DIFFERENCE));
  EXPECT_TRUE(Checked(IDC_MATID_DIFFERENCE));
  // The ramp control edits the map's ramp.
  ASSERT_NE(proc->rampControl, nullptr);
  EXPECT_EQ(proc->rampControl->Ramp(), &map->ramp);
  EXPECT_EQ(reinterpret_cast<IGradientRamp*>(GetWindowLongPtrW(Item(IDC_RAMP), GWLP_USERDATA)),
            proc->rampControl);
  // The active marker (marker 0 of the default ramp: black at 0).
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.0");
  EXPECT_EQ(GetIColorSwatch(Item(IDC_COLOR_SWATCH))->GetColor(), RGB(0, 0, 0));
  EXPECT_TRUE(Checked(IDC_COLOR_MAP_ON));
  EXPECT_TRUE(Checked(IDC_TRANSPARENT_MAP_ON));
  EXPECT_FALSE(Checked(IDC_ABSOLUTE_POSITION));
  EXPECT_EQ(WindowText(Item(IDC_COLOR_MAP)), L"None");
  EXPECT_EQ(proc->colorMapButton->GetDADMgr(), &proc->dadMgr);
  EXPECT_EQ(proc->transparentMapButton->GetDADMgr(), &proc->dadMgr);
  EXPECT_EQ(proc->firstPaintDone, 0);
  PumpAll();
  EXPECT_EQ(proc->firstPaintDone, 1);
  EXPECT_EQ(panel->MtlChangedCount(), 1) << "ReloadDialog at the first paint";
}

TEST_F(Rollout, ListsHoldTheFiveModesInOrder) {
  map->ramp.markers[0].inMode = 3;
  map->ramp.markers[0].outMode = 4;
  Open();
  for (int list : {IDC_IN_MODE, IDC_OUT_MODE}) {
    HWND combo = Item(list);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 5) << list;
    EXPECT_EQ(ListEntry(combo, 0), L"Linear");
    EXPECT_EQ(ListEntry(combo, 1), L"Exponential");
    EXPECT_EQ(ListEntry(combo, 2), L"Gamma");
    EXPECT_EQ(ListEntry(combo, 3), L"Solid");
    EXPECT_EQ(ListEntry(combo, 4), L"NO");
  }
  EXPECT_EQ(Selection(Item(IDC_IN_MODE)), 3);
  EXPECT_EQ(Selection(Item(IDC_OUT_MODE)), 4);
}

TEST_F(Rollout, OpenedWithoutActiveMarkerLeavesTheMarkerControlsAsTheTemplateMakesThem) {
  Marker(0).color = AColor(1.0f, 0.0f, 0.0f, 1.0f);
  Marker(1).transparentColor = AColor(0.0f, 1.0f, 0.0f, 1.0f);
  map->ramp.ClearMarkerFlags();
  Open();
  EXPECT_EQ(map->ramp.FindMarkerByFlag(MarkerActive), nullptr);
  EXPECT_EQ(GetIColorSwatch(Item(IDC_COLOR_SWATCH))->GetColor(), RGB(0, 0, 0));
  EXPECT_EQ(GetIColorSwatch(Item(IDC_TRANSPARENT_SWATCH))->GetColor(), RGB(0, 0, 0));
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"") << "no edit link";
  EXPECT_FALSE(Checked(IDC_COLOR_MAP_ON));
  EXPECT_FALSE(Checked(IDC_TRANSPARENT_MAP_ON));
  EXPECT_EQ(Selection(Item(IDC_IN_MODE)), CB_ERR);
  // Later, with a marker active, 545 links and limits the spinner but sets no scale.
  map->ramp.SetActiveMarker(1);
  Click(IDC_ABSOLUTE_POSITION);
  ISpinnerControl* pos = Spin(IDC_POSITION_SPIN);
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.05");
  TypeInto(Item(IDC_POSITION_EDIT), L"20000000");
  EXPECT_FLOAT_EQ(pos->GetFVal(), 10000000.0f) << "absolute limits";
  pos->SetValue(0.05f, FALSE);
  RECT rc;
  GetClientRect(pos->GetHwnd(), &rc);
  ClickAt(pos->GetHwnd(), rc.right / 2, 1);
  EXPECT_GT(pos->GetFVal() - 0.05f, 0.011f) << "the step is the template's, not 0.01";
}

TEST_F(Rollout, AbsolutePositionShowsDistanceTimesPositionAndStoresTheQuotient) {
  map->ramp.SetActiveMarker(1);  // at 0.5; Distance is 0.1
  Open();
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.5");
  Click(IDC_ABSOLUTE_POSITION);
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.05");
  EXPECT_FLOAT_EQ(Spin(IDC_POSITION_SPIN)->GetFVal(), 0.05f);
  EXPECT_FLOAT_EQ(Marker(1).position, 0.5f);
  TakeRedraws();
  TypeInto(Item(IDC_POSITION_EDIT), L"0.2");
  EXPECT_NEAR(Marker(1).position, 2.0f, 1e-6f) << "stored unclamped";
  EXPECT_TRUE(TakeRedraws());
  PostMessageW(Item(IDC_RAMP), WM_RAMP_REDRAW, 0, 0);
  PumpAll();
  EXPECT_FLOAT_EQ(Marker(1).position, 1.0f) << "the repaint clamps it";
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.2") << "the spinner still shows 0.2";
  // Back to relative mode: the position itself, limited to 0..1.
  Click(IDC_ABSOLUTE_POSITION);
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"1.0");
  TypeInto(Item(IDC_POSITION_EDIT), L"0.25");
  EXPECT_FLOAT_EQ(Marker(1).position, 0.25f);
  TypeInto(Item(IDC_POSITION_EDIT), L"3");
  EXPECT_FLOAT_EQ(Marker(1).position, 1.0f);
}

TEST_F(Rollout, DistanceChangesTheShownPositionWithoutMovingTheMarker) {
  map->ramp.SetActiveMarker(1);
  Open();
  Click(IDC_ABSOLUTE_POSITION);
  TypeInto(Item(IDC_DISTANCE_EDIT), L"0.4");
  EXPECT_FLOAT_EQ(map->pblock->GetFloat(pb_distance), 0.4f) << "the parameter map's";
  EXPECT_FLOAT_EQ(map->distance, 0.4f) << "the rollout's cached copy";
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.2");
  EXPECT_FLOAT_EQ(Marker(1).position, 0.5f);
  // In relative mode the shown value is the position whatever the Distance.
  Click(IDC_ABSOLUTE_POSITION);
  TypeInto(Item(IDC_DISTANCE_EDIT), L"2");
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.5");
  EXPECT_FLOAT_EQ(Marker(1).position, 0.5f);
}

TEST_F(Rollout, GammaStoresTheModeRedrawsAndDiscardsTheViewportTexture) {
  map->ramp.SetActiveMarker(1);
  Open();
  MakeTexture(map);
  TakeRedraws();
  Choose(IDC_IN_MODE, 2);
  EXPECT_EQ(Marker(1).inMode, 2);
  EXPECT_TRUE(TakeRedraws());
  EXPECT_EQ(map->texHandle, nullptr);
  EXPECT_FALSE(map->texHandleValid.InInterval(0));
  Choose(IDC_OUT_MODE, 4);
  EXPECT_EQ(Marker(1).outMode, 4);
  EXPECT_EQ(Marker(1).inMode, 2);
  // Dropping the list down changes nothing while a marker is active.
  MakeTexture(map);
  TakeRedraws();
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_IN_MODE, CBN_DROPDOWN), LPARAM(Item(IDC_IN_MODE)));
  EXPECT_NE(map->texHandle, nullptr);
  EXPECT_FALSE(TakeRedraws());
  // Without an active marker every notification redraws and discards.
  map->ramp.ClearMarkerFlags();
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_IN_MODE, CBN_DROPDOWN), LPARAM(Item(IDC_IN_MODE)));
  EXPECT_TRUE(TakeRedraws());
  EXPECT_EQ(map->texHandle, nullptr);
  // A list without selection stores mode 0.
  map->ramp.SetActiveMarker(1);
  SendMessageW(Item(IDC_OUT_MODE), CB_SETCURSEL, WPARAM(-1), 0);
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_OUT_MODE, CBN_SELCHANGE),
               LPARAM(Item(IDC_OUT_MODE)));
  EXPECT_EQ(Marker(1).outMode, 0);
}

TEST_F(Rollout, MapButtonsPostTheSubMapNumberToTheEditor) {
  map->ramp.AddMarker(0.75f, AColor(0.2f, 0.2f, 0.2f, 1.0f));
  map->SyncMarkerReferences();
  map->ramp.SetActiveMarker(3);
  Open();
  Marker(3).color = AColor(1.0f, 0.0f, 0.0f, 1.0f);
  GetIColorSwatch(Item(IDC_COLOR_SWATCH))->SetAColor(Marker(3).color, FALSE);
  panel->ClearTexmapButtons();
  ClickAt(Item(IDC_TRANSPARENT_MAP), 10, 5);
  ClickAt(Item(IDC_COLOR_MAP), 10, 5);
  PumpAll();
  ASSERT_EQ(panel->NumTexmapButtons(), 2);
  EXPECT_EQ(panel->GetTexmapButton(0).subMap, 7);
  EXPECT_EQ(panel->GetTexmapButton(0).owner, map);
  EXPECT_EQ(panel->GetTexmapButton(1).subMap, 6);
  // No marker active: marker 0 becomes active, and nothing is reloaded for it.
  map->ramp.ClearMarkerFlags();
  ClickAt(Item(IDC_TRANSPARENT_MAP), 10, 5);
  PumpAll();
  ASSERT_EQ(panel->NumTexmapButtons(), 3);
  EXPECT_EQ(panel->GetTexmapButton(2).subMap, 1);
  EXPECT_TRUE(Marker(0).flags & MarkerActive);
  EXPECT_EQ(GetIColorSwatch(Item(IDC_COLOR_SWATCH))->GetColor(), RGB(255, 0, 0));
}

TEST_F(Rollout, FindSubTexFromHWNDNamesTheActiveMarkersSubMaps) {
  map->ramp.SetActiveMarker(2);
  Open();
  ParamDlg* facet = proc;
  EXPECT_EQ(facet->FindSubTexFromHWND(Item(IDC_COLOR_MAP)), 4);
  EXPECT_EQ(facet->FindSubTexFromHWND(Item(IDC_TRANSPARENT_MAP)), 5);
  EXPECT_EQ(facet->FindSubTexFromHWND(Item(IDC_COLOR_MAP_ON)), -1);
  EXPECT_EQ(facet->FindSubTexFromHWND(page), -1);
  EXPECT_EQ(facet->FindSubTexFromHWND(nullptr), -1);
  EXPECT_EQ(facet->FindSubMtlFromHWND(Item(IDC_COLOR_MAP)), -1);
  EXPECT_EQ(facet->GetThing(), map);
  EXPECT_EQ(facet->ClassID(), map->ClassID());
  // The drag-and-drop manager finds the sub-map behind a button through the facet.
  auto* checker = new CheckerMap;
  map->SetSubTexmap(4, checker);
  POINT p = {2, 2};
  EXPECT_EQ(proc->dadMgr.GetInstance(Item(IDC_COLOR_MAP), p, TEXMAP_CLASS_ID), checker);
  EXPECT_EQ(proc->dadMgr.GetDragType(Item(IDC_COLOR_MAP), p), SClass_ID(TEXMAP_CLASS_ID));
  EXPECT_EQ(proc->dadMgr.SlotOwner(), OWNER_MTL_TEX);
  EXPECT_TRUE(proc->dadMgr.AutoTooltip());
}

TEST_F(Rollout, ColourMapBoxChangesOnlyColorMapOn) {
  map->ramp.SetActiveMarker(1);
  Open();
  MakeTexture(map);
  TakeRedraws();
  RampMarker before = Marker(1);
  Click(IDC_COLOR_MAP_ON);
  EXPECT_FALSE(Marker(1).colorMapOn);
  EXPECT_FALSE(TakeRedraws());
  EXPECT_NE(map->texHandle, nullptr);
  RampMarker after = Marker(1);
  after.colorMapOn = before.colorMapOn;
  EXPECT_TRUE(SameMarker(after, before)) << "nothing else changed";
  Click(IDC_TRANSPARENT_MAP_ON);
  EXPECT_FALSE(Marker(1).transparentMapOn);
  EXPECT_TRUE(Marker(1).colorMapOn == false);
  EXPECT_FALSE(TakeRedraws());
}

TEST_F(Rollout, EnableStatesFollowTheirBoxes) {
  Open();
  EXPECT_FALSE(Enabled(IDC_ANGLE_SPIN));
  EXPECT_FALSE(Enabled(IDC_ANGLE_EDIT));
  EXPECT_FALSE(Enabled(IDC_SMOOTH_EQUALS));
  EXPECT_FALSE(Enabled(IDC_SMOOTH_DIFFERENCE));
  for (int id :
       {IDC_MATID_EQUALS, IDC_MATID_DIFFERENCE, IDC_MATID_RANGE, IDC_MATID1_SPIN, IDC_MATID2_SPIN})
    EXPECT_FALSE(Enabled(id)) << id;

  Click(IDC_COMPLANAR);
  EXPECT_TRUE(Enabled(IDC_ANGLE_SPIN));
  EXPECT_TRUE(Enabled(IDC_ANGLE_EDIT));
  EXPECT_EQ(map->pblock->GetInt(pb_complanar), 1);
  Click(IDC_SMOOTH);
  EXPECT_TRUE(Enabled(IDC_SMOOTH_EQUALS));
  EXPECT_TRUE(Enabled(IDC_SMOOTH_DIFFERENCE));

  Click(IDC_MATID);
  EXPECT_TRUE(Enabled(IDC_MATID_EQUALS));
  EXPECT_TRUE(Enabled(IDC_MATID_DIFFERENCE));
  EXPECT_TRUE(Enabled(IDC_MATID_RANGE));
  EXPECT_FALSE(Enabled(IDC_MATID1_SPIN)) << "554 is clear";
  Click(IDC_MATID_RANGE);
  EXPECT_TRUE(Enabled(IDC_MATID1_SPIN));
  EXPECT_TRUE(Enabled(IDC_MATID2_SPIN));
  EXPECT_TRUE(Enabled(IDC_MATID2_EDIT));
  // Unticking 551 disables all five whatever 554 shows; ticking it again brings 575 and 576
  // back because 554 is ticked.
  Click(IDC_MATID);
  for (int id :
       {IDC_MATID_EQUALS, IDC_MATID_DIFFERENCE, IDC_MATID_RANGE, IDC_MATID1_SPIN, IDC_MATID2_SPIN})
    EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(Checked(IDC_MATID_RANGE));
  Click(IDC_MATID);
  EXPECT_TRUE(Enabled(IDC_MATID1_SPIN));
  EXPECT_TRUE(Enabled(IDC_MATID2_SPIN));

  // A change without a click (scripting, an undo) ticks the box but leaves the enable state.
  map->pblock->SetValue(pb_complanar, 0, 0);
  EXPECT_FALSE(Checked(IDC_COMPLANAR));
  EXPECT_TRUE(Enabled(IDC_ANGLE_SPIN));
  // The next opening applies the boxes again.
  panel->Close();
  map->pblock->SetValue(pb_smooth, 0, 0);
  Open();
  EXPECT_FALSE(Enabled(IDC_ANGLE_SPIN));
  EXPECT_FALSE(Enabled(IDC_SMOOTH_EQUALS));
  EXPECT_TRUE(Enabled(IDC_MATID_RANGE));
  EXPECT_TRUE(Enabled(IDC_MATID1_SPIN));
}

// What the per-marker controls show, to compare before and after.
struct Shown {
  COLORREF color, transparent;
  std::wstring position, colorMap, transparentMap;
  int in, out;
  bool colorMapOn, transparentMapOn;
  bool operator==(const Shown&) const = default;
};

Shown Capture(HWND page) {
  auto text = [&](int id) { return WindowText(GetDlgItem(page, id)); };
  return Shown{GetIColorSwatch(GetDlgItem(page, IDC_COLOR_SWATCH))->GetColor(),
               GetIColorSwatch(GetDlgItem(page, IDC_TRANSPARENT_SWATCH))->GetColor(),
               text(IDC_POSITION_EDIT),
               text(IDC_COLOR_MAP),
               text(IDC_TRANSPARENT_MAP),
               Selection(GetDlgItem(page, IDC_IN_MODE)),
               Selection(GetDlgItem(page, IDC_OUT_MODE)),
               IsDlgButtonChecked(page, IDC_COLOR_MAP_ON) == BST_CHECKED,
               IsDlgButtonChecked(page, IDC_TRANSPARENT_MAP_ON) == BST_CHECKED};
}

TEST_F(Rollout, MarkerChangedLoadsTheNamedMarkersControls) {
  map->ramp.SetActiveMarker(2);
  RampMarker& m = Marker(2);
  m.color = AColor(0.0f, 0.0f, 1.0f, 1.0f);
  m.transparentColor = AColor(0.5f, 0.5f, 0.5f, 0.0f);
  Open();
  m.inMode = 3;
  m.outMode = 1;
  m.colorMapOn = false;
  m.position = 0.75f;
  PostMessageW(page, WM_RAMP_MARKER_CHANGED, WPARAM(Item(IDC_RAMP)), LPARAM(&m));
  PumpAll();
  Shown s = Capture(page);
  EXPECT_EQ(s.color, RGB(0, 0, 255));
  EXPECT_EQ(s.transparent, RGB(128, 128, 128));
  EXPECT_EQ(s.position, L"0.75");
  EXPECT_EQ(s.in, 3);
  EXPECT_EQ(s.out, 1);
  EXPECT_FALSE(s.colorMapOn);
  EXPECT_TRUE(s.transparentMapOn);
  EXPECT_FLOAT_EQ(m.color.b, 1.0f) << "the swatches' notifications wrote the same colour";
  // A drag step shows the position and writes it back through the spinner.
  m.position = 0.6f;
  PostMessageW(page, WM_RAMP_MARKER_MOVED, WPARAM(Item(IDC_RAMP)), LPARAM(&m));
  PumpAll();
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.6");
  EXPECT_FLOAT_EQ(m.position, 0.6f);
}

TEST_F(Rollout, NullOrForeignMarkerNotificationChangesNothing) {
  map->ramp.SetActiveMarker(1);
  Marker(1).color = AColor(0.0f, 1.0f, 0.0f, 1.0f);
  Open();
  Shown before = Capture(page);
  RampMarker markerBefore = Marker(1);
  PostMessageW(page, WM_RAMP_MARKER_CHANGED, WPARAM(Item(IDC_RAMP)), 0);
  PostMessageW(page, WM_RAMP_MARKER_MOVED, WPARAM(Item(IDC_RAMP)), 0);
  // A record that is not one of the edited ramp's: never read.
  RampMarker stranger;
  stranger.color = AColor(1.0f, 0.0f, 0.0f, 1.0f);
  stranger.position = 0.9f;
  PostMessageW(page, WM_RAMP_MARKER_CHANGED, WPARAM(Item(IDC_RAMP)), LPARAM(&stranger));
  PostMessageW(page, WM_RAMP_MARKER_CHANGED, WPARAM(Item(IDC_RAMP)),
               LPARAM(reinterpret_cast<char*>(&Marker(1)) + 4));
  PumpAll();
  EXPECT_TRUE(Capture(page) == before);
  EXPECT_TRUE(SameMarker(Marker(1), markerBefore));
}

TEST_F(Rollout, ReloadsTheDialogOnlyAtTheFirstPaint) {
  Open(false);
  EXPECT_EQ(panel->MtlChangedCount(), 0);
  UpdateWindow(page);
  EXPECT_EQ(proc->firstPaintDone, 1);
  EXPECT_EQ(panel->MtlChangedCount(), 1);
  for (int i = 0; i < 3; ++i) {
    InvalidateRect(page, nullptr, TRUE);
    UpdateWindow(page);
    PumpAll();
  }
  EXPECT_EQ(panel->MtlChangedCount(), 1);
  // ReloadDialog brings the map up to date at the editor's time.
  map->pblock->SetValue(pb_c_mult, 0, 7);
  EXPECT_EQ(map->cMult, 2);
  static_cast<ParamDlg*>(proc)->ReloadDialog();
  EXPECT_EQ(map->cMult, 7);
  EXPECT_EQ(panel->MtlChangedCount(), 2);
}

TEST_F(Rollout, SetSubTexmapRefreshesTheButtonCaptions) {
  Open();
  auto* checker = new CheckerMap;
  checker->SetName(L"Map #4");
  map->SetSubTexmap(0, checker);
  EXPECT_EQ(WindowText(Item(IDC_COLOR_MAP)), std::wstring(checker->GetFullName().data()));
  EXPECT_EQ(WindowText(Item(IDC_TRANSPARENT_MAP)), L"None");
  // Another marker's sub-map leaves the active marker's captions.
  map->SetSubTexmap(3, new ConstantColorMap);
  EXPECT_EQ(WindowText(Item(IDC_TRANSPARENT_MAP)), L"None");
  map->SetSubTexmap(0, nullptr);
  EXPECT_EQ(WindowText(Item(IDC_COLOR_MAP)), L"None");
}

TEST_F(Rollout, SetThingMovesTheWholeRolloutToTheOtherMap) {
  Open();
  other = NewKelvane();
  other->pblock->SetValue(pb_distance, 0, 2.0f);
  other->ramp.markers[1].color = AColor(1.0f, 1.0f, 0.0f, 1.0f);
  other->ramp.markers[1].inMode = 2;
  other->ramp.SetActiveMarker(1);
  auto* checker = new CheckerMap;
  other->SetSubTexmap(2, checker);
  EXPECT_EQ(panel->Edit(other), dlg) << "the same dialog shows the other map";
  EXPECT_EQ(proc->theTex, other);
  EXPECT_EQ(map->dlgProc, nullptr);
  EXPECT_EQ(other->dlgProc, proc);
  EXPECT_EQ(proc->rampControl->Ramp(), &other->ramp);
  EXPECT_EQ(WindowText(Item(IDC_DISTANCE_EDIT)), L"2.0");
  EXPECT_EQ(GetIColorSwatch(Item(IDC_COLOR_SWATCH))->GetColor(), RGB(255, 255, 0));
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.5");
  EXPECT_EQ(Selection(Item(IDC_IN_MODE)), 2);
  EXPECT_EQ(WindowText(Item(IDC_COLOR_MAP)), std::wstring(checker->GetFullName().data()));
  // Edits land in the map shown.
  TypeInto(Item(IDC_POSITION_EDIT), L"0.4");
  EXPECT_FLOAT_EQ(other->ramp.markers[1].position, 0.4f);
  EXPECT_FLOAT_EQ(map->ramp.markers[1].position, 0.5f);
  panel->ClearTexmapButtons();
  ClickAt(Item(IDC_COLOR_MAP), 10, 5);
  PumpAll();
  ASSERT_EQ(panel->NumTexmapButtons(), 1);
  EXPECT_EQ(panel->GetTexmapButton(0).owner, other);
  EXPECT_EQ(panel->GetTexmapButton(0).subMap, 2);
  // The ramp control's gestures edit the other map's ramp too.
  SendMessageW(Item(IDC_RAMP), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(RampX(0.25f), 10));
  SendMessageW(Item(IDC_RAMP), WM_LBUTTONUP, 0, MAKELPARAM(RampX(0.25f), 10));
  PumpAll();
  EXPECT_EQ(other->ramp.markers.size(), 4u);
  EXPECT_EQ(map->ramp.markers.size(), 3u);
  EXPECT_EQ(other->pblock->Count(pb_marker_map), 8) << "references in step with the new marker";
  EXPECT_EQ(other->GetReference(MARKER_MAP_REF + 4), checker) << "moved with its marker";
  // The output rollout follows to the other map's output.
  auto* master = static_cast<IAutoMParamDlg*>(dlg);
  ASSERT_EQ(master->NumDlgs(), 1);
  EXPECT_EQ(master->GetDlg(0)->GetThing(), other->texout);
}

TEST_F(Rollout, RampNotificationsKeepTheReferencesInStepWithTheMarkers) {
  auto* checker = new CheckerMap;
  map->SetSubTexmap(0, checker);  // marker 0's colour map
  Open();
  // Drag marker 0 past marker 1 in the ramp control: its map goes with it.
  HWND ramp = Item(IDC_RAMP);
  SendMessageW(ramp, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(RampX(0.0f), 10));
  SendMessageW(ramp, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(RampX(0.75f), 10));
  SendMessageW(ramp, WM_LBUTTONUP, 0, MAKELPARAM(RampX(0.75f), 10));
  PumpAll();
  ASSERT_EQ(map->ramp.markers.size(), 3u);
  EXPECT_EQ(map->ramp.markers[1].colorMap, checker);
  EXPECT_EQ(map->GetReference(MARKER_MAP_REF + 2), checker);
  EXPECT_EQ(map->GetReference(MARKER_MAP_REF), nullptr);
  EXPECT_EQ(map->GetSubTexmap(2), checker);
  EXPECT_EQ(WindowText(Item(IDC_COLOR_MAP)), std::wstring(checker->GetFullName().data()))
      << "the dragged marker is the active one";
  // A right click deletes it; the map leaves the references.
  SendMessageW(ramp, WM_RBUTTONUP, 0, MAKELPARAM(RampX(map->ramp.markers[1].position), 10));
  PumpAll();
  ASSERT_EQ(map->ramp.markers.size(), 2u);
  EXPECT_EQ(map->NumRefs(), MARKER_MAP_REF + 4);
  EXPECT_EQ(map->pblock->Count(pb_marker_map), 4);
  for (int i = MARKER_MAP_REF; i < map->NumRefs(); ++i)
    EXPECT_NE(map->GetReference(i), static_cast<ReferenceTarget*>(checker));
}

TEST_F(Rollout, ClosingReleasesTheControlsAndTheRolloutPointer) {
  Open();
  HWND ramp = Item(IDC_RAMP);
  panel->Close();
  EXPECT_EQ(map->dlgProc, nullptr);
  EXPECT_FALSE(IsWindow(ramp));
  EXPECT_FALSE(IsWindow(page));
  EXPECT_EQ(panel->NumRollupPages(), 0);
  // The absolute mode is not kept: a new rollout starts relative.
  map->ramp.SetActiveMarker(1);
  Open();
  Click(IDC_ABSOLUTE_POSITION);
  panel->Close();
  Open();
  EXPECT_FALSE(Checked(IDC_ABSOLUTE_POSITION));
  EXPECT_EQ(WindowText(Item(IDC_POSITION_EDIT)), L"0.5");
}

TEST_F(Rollout, SwatchEditsWriteTheActiveMarkersColours) {
  map->ramp.SetActiveMarker(1);
  Open();
  TakeRedraws();
  GetIColorSwatch(Item(IDC_COLOR_SWATCH))->SetAColor(AColor(0.25f, 0.5f, 0.75f, 0.5f), TRUE);
  EXPECT_FLOAT_EQ(Marker(1).color.b, 0.75f);
  EXPECT_FLOAT_EQ(Marker(1).color.a, 0.5f);
  EXPECT_TRUE(TakeRedraws());
  GetIColorSwatch(Item(IDC_TRANSPARENT_SWATCH))->SetAColor(AColor(1.0f, 1.0f, 1.0f, 1.0f), TRUE);
  EXPECT_FLOAT_EQ(Marker(1).transparentColor.g, 1.0f);
  // Without an active marker a colour edit only redraws.
  map->ramp.ClearMarkerFlags();
  RampMarker before = Marker(1);
  GetIColorSwatch(Item(IDC_COLOR_SWATCH))->SetAColor(AColor(0.0f, 0.0f, 0.0f, 1.0f), TRUE);
  EXPECT_FLOAT_EQ(Marker(1).color.b, before.color.b);
  EXPECT_TRUE(TakeRedraws());
}

}  // namespace
