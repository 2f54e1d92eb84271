// The "Parameters" rollout of a Kelvane map under Wine: the module's dialog template 1002
// opened by the host's material editor panel, driven by real messages.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "change_watcher.h"
#include "host_maps.h"
#include "host_undo.h"
#include "host_viewport.h"
#include "igradient_ramp.h"
#include "rollout_test_support.h"
#include "ui_test_support.h"

namespace {

int Selection(HWND list) {
  return int(SendMessageW(list, CB_GETCURSEL, 0, 0));
}

// A viewport texture for the map, so that discarding it shows.
void MakeTexture(Kelvane* map) {
  ViewportTexHandleMaker maker(16);
  map->GetActiveTexHandle(0, maker);
  ASSERT_NE(map->texHandle, nullptr);
}

std::wstring NameOf(Texmap* m) {
  return m->GetFullName(true).data();
}

// What the per-marker controls show, to compare before and after.
struct Shown {
  COLORREF color, transparent;
  std::wstring position, colorMap, transparentMap;
  int in, out;
  bool colorMapOn, transparentMapOn;
  bool operator==(const Shown&) const = default;
};

class Rollout : public RolloutTest {
 protected:
  COLORREF Swatch(int id) { return GetIColorSwatch(Item(id))->GetColor(); }
  std::wstring Text(int id) { return WindowText(Item(id)); }
  Shown Capture() {
    return Shown{Swatch(IDC_COLOR_SWATCH),       Swatch(IDC_TRANSPARENT_SWATCH),
                 Text(IDC_POSITION_EDIT),        Text(IDC_COLOR_MAP),
                 Text(IDC_TRANSPARENT_MAP),      Selection(Item(IDC_IN_MODE)),
                 Selection(Item(IDC_OUT_MODE)),  Checked(IDC_COLOR_MAP_ON),
                 Checked(IDC_TRANSPARENT_MAP_ON)};
  }
  void ExpectEnabled(std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) EXPECT_EQ(Enabled(id), enabled) << id;
  }
  void RampMouse(UINT msg, WPARAM keys, float t) {
    SendMessageW(Item(IDC_RAMP), msg, keys, MAKELPARAM(RampX(t), 10));
  }
};

TEST_F(Rollout, OpensFromTheModulesTemplateWithTheBlockAndTheActiveMarkerShown) {
  map->pblock->SetValue(pb_open_edges, 0, 1);
  map->pblock->SetValue(pb_c_mult, 0, 5);
  Open();
  EXPECT_EQ(map->hwMtlEdit, panel->GetHWnd());
  EXPECT_EQ(proc->theTex, map);
  ASSERT_EQ(panel->NumRollupPages(), 3)
      << "Parameters, Edge shape and units, then the output's own rollout";
  EXPECT_EQ(panel->GetRollupPage(0), page);
  constexpr int kOutputAmountEdit = 3011;  // host/src/editor/host_editor_resource.h
  TypeInto(GetDlgItem(panel->GetRollupPage(2), kOutputAmountEdit), L"0.5");
  EXPECT_FLOAT_EQ(map->texout->GetOutputLevel(0), 0.5f);
  EXPECT_EQ(Text(IDC_DISTANCE_EDIT), L"0.1");
  EXPECT_EQ(Text(IDC_C_MULT_EDIT), L"5");
  EXPECT_TRUE(Checked(IDC_OPEN_EDGES));
  EXPECT_TRUE(Checked(IDC_CONDITIONS_OR));
  Click(IDC_CONDITIONS_AND);  // bound controls write the block
  EXPECT_EQ(map->pblock->GetInt(pb_conditions), 0);
  // The ramp control edits the map's ramp.
  ASSERT_NE(proc->rampControl, nullptr);
  EXPECT_EQ(proc->rampControl->Ramp(), &map->ramp);
  // The active marker (marker 0 of the default ramp: black at 0).
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.0");
  EXPECT_EQ(Swatch(IDC_COLOR_SWATCH), RGB(0, 0, 0));
  EXPECT_TRUE(Checked(IDC_COLOR_MAP_ON));
  EXPECT_FALSE(Checked(IDC_ABSOLUTE_POSITION));
  EXPECT_EQ(Text(IDC_COLOR_MAP), L"None");
}

TEST_F(Rollout, OpenedWithoutActiveMarkerLeavesTheMarkerControlsAsTheTemplateMakesThem) {
  Marker(0).color = AColor(1.0f, 0.0f, 0.0f, 1.0f);
  Marker(1).transparentColor = AColor(0.0f, 1.0f, 0.0f, 1.0f);
  map->ramp.ClearMarkerFlags();
  Open();
  EXPECT_EQ(map->ramp.FindMarkerByFlag(MarkerActive), nullptr);
  EXPECT_EQ(Swatch(IDC_COLOR_SWATCH), RGB(0, 0, 0));
  EXPECT_EQ(Swatch(IDC_TRANSPARENT_SWATCH), RGB(0, 0, 0));
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"") << "no edit link";
  EXPECT_FALSE(Checked(IDC_COLOR_MAP_ON));
  EXPECT_EQ(Selection(Item(IDC_IN_MODE)), CB_ERR);
  // Later, with a marker active, the absolute box links the spinner and shows the position.
  map->ramp.SetActiveMarker(1);
  Click(IDC_ABSOLUTE_POSITION);
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.05");
}

TEST_F(Rollout, AbsolutePositionShowsDistanceTimesPositionAndStoresTheQuotient) {
  map->ramp.SetActiveMarker(1);  // at 0.5; Distance is 0.1
  Open();
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.5");
  Click(IDC_ABSOLUTE_POSITION);
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.05");
  EXPECT_FLOAT_EQ(Marker(1).position, 0.5f);
  TakeRedraws();
  TypeInto(Item(IDC_POSITION_EDIT), L"0.2");
  EXPECT_NEAR(Marker(1).position, 2.0f, 1e-6f) << "stored unclamped";
  EXPECT_TRUE(TakeRedraws());
  PostMessageW(Item(IDC_RAMP), WM_RAMP_REDRAW, 0, 0);
  PumpAll();
  EXPECT_FLOAT_EQ(Marker(1).position, 1.0f) << "the repaint clamps it";
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.2") << "the spinner still shows 0.2";
  // Back to relative mode: the position itself, limited to 0..1.
  Click(IDC_ABSOLUTE_POSITION);
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"1.0");
  TypeInto(Item(IDC_POSITION_EDIT), L"3");
  EXPECT_FLOAT_EQ(Marker(1).position, 1.0f);
}

TEST_F(Rollout, DistanceChangesTheShownPositionWithoutMovingTheMarker) {
  map->ramp.SetActiveMarker(1);
  Open();
  Click(IDC_ABSOLUTE_POSITION);
  TypeInto(Item(IDC_DISTANCE_EDIT), L"0.4");
  EXPECT_FLOAT_EQ(map->pblock->GetFloat(pb_distance), 0.4f);
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.2");
  EXPECT_FLOAT_EQ(Marker(1).position, 0.5f);
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
  EXPECT_EQ(Swatch(IDC_COLOR_SWATCH), RGB(255, 0, 0));
}

TEST_F(Rollout, FindSubTexFromHWNDNamesTheActiveMarkersSubMaps) {
  map->ramp.SetActiveMarker(2);
  Open();
  ParamDlg* facet = proc;
  EXPECT_EQ(facet->FindSubTexFromHWND(Item(IDC_COLOR_MAP)), 4);
  EXPECT_EQ(facet->FindSubTexFromHWND(Item(IDC_TRANSPARENT_MAP)), 5);
  EXPECT_EQ(facet->FindSubTexFromHWND(Item(IDC_COLOR_MAP_ON)), -1);
  EXPECT_EQ(facet->FindSubTexFromHWND(nullptr), -1);
  EXPECT_EQ(proc->colorMapButton->GetDADMgr(), &proc->dadMgr);
  EXPECT_EQ(proc->transparentMapButton->GetDADMgr(), &proc->dadMgr);
}

TEST_F(Rollout, MapButtonsTakeDroppedMapsForTheActiveMarker) {
  map->ramp.SetActiveMarker(1);
  Open();
  auto* checker = new CheckerMap;
  map->SetSubTexmap(2, checker);  // marker 1's colour map
  TexDADMgr& dad = proc->dadMgr;
  HWND color = Item(IDC_COLOR_MAP), transparent = Item(IDC_TRANSPARENT_MAP);
  POINT p = {2, 2};
  EXPECT_EQ(dad.GetDragType(color, p), SClass_ID(TEXMAP_CLASS_ID));
  EXPECT_EQ(dad.GetInstance(color, p, TEXMAP_CLASS_ID), checker);
  EXPECT_EQ(dad.GetInstance(transparent, p, TEXMAP_CLASS_ID), nullptr);
  EXPECT_TRUE(dad.OkToDrop(checker, color, transparent, p, TEXMAP_CLASS_ID));
  EXPECT_FALSE(dad.OkToDrop(checker, color, color, p, TEXMAP_CLASS_ID));
  EXPECT_FALSE(dad.OkToDrop(checker, color, Item(IDC_COLOR_MAP_ON), p, TEXMAP_CLASS_ID));
  EXPECT_FALSE(dad.OkToDrop(checker, color, transparent, p, MATERIAL_CLASS_ID));
  EXPECT_FALSE(dad.OkToDrop(map, nullptr, transparent, p, TEXMAP_CLASS_ID)) << "into itself";

  dad.Drop(checker, transparent, p, TEXMAP_CLASS_ID);
  EXPECT_EQ(map->GetSubTexmap(3), checker);
  EXPECT_EQ(Text(IDC_TRANSPARENT_MAP), NameOf(checker));
  dad.Drop(checker, transparent, p, TEXMAP_CLASS_ID, nullptr, TRUE);  // a copy
  ASSERT_NE(map->GetSubTexmap(3), nullptr);
  EXPECT_NE(map->GetSubTexmap(3), checker);
  EXPECT_EQ(map->GetSubTexmap(3)->ClassID(), checker->ClassID());
  // A map that already holds the edited one would close a loop.
  other = NewKelvane();
  other->SetSubTexmap(0, map);
  EXPECT_FALSE(dad.OkToDrop(other, nullptr, transparent, p, TEXMAP_CLASS_ID));
}

TEST_F(Rollout, PerMarkerControlsWriteOnlyTheirFieldOfTheActiveMarker) {
  map->ramp.SetActiveMarker(1);
  Open();
  MakeTexture(map);
  TakeRedraws();
  RampMarker before = Marker(1);
  Click(IDC_COLOR_MAP_ON);  // 538: the ramp control draws colours only, no redraw
  EXPECT_FALSE(TakeRedraws());
  before.colorMapOn = false;
  EXPECT_TRUE(SameMarker(Marker(1), before)) << "only colorMapOn changed";
  GetIColorSwatch(Item(IDC_COLOR_SWATCH))->SetAColor(AColor(0.25f, 0.5f, 0.75f, 0.5f), TRUE);
  EXPECT_EQ(Marker(1).color, AColor(0.25f, 0.5f, 0.75f, 0.5f));
  EXPECT_TRUE(TakeRedraws());
  GetIColorSwatch(Item(IDC_TRANSPARENT_SWATCH))->SetAColor(AColor(1.0f, 1.0f, 1.0f, 1.0f), TRUE);
  EXPECT_EQ(Marker(1).transparentColor, AColor(1.0f, 1.0f, 1.0f, 1.0f));
  Choose(IDC_IN_MODE, 2);  // Gamma
  EXPECT_EQ(Marker(1).inMode, 2);
  EXPECT_TRUE(TakeRedraws());
  Choose(IDC_OUT_MODE, 4);
  EXPECT_EQ(std::tuple(Marker(1).inMode, Marker(1).outMode), std::tuple(2, 4));
  // Without an active marker a colour edit only redraws.
  map->ramp.ClearMarkerFlags();
  before = Marker(1);
  GetIColorSwatch(Item(IDC_COLOR_SWATCH))->SetAColor(AColor(0.0f, 0.0f, 0.0f, 1.0f), TRUE);
  EXPECT_TRUE(SameMarker(Marker(1), before));
  EXPECT_TRUE(TakeRedraws());
}

TEST_F(Rollout, EnableStatesFollowTheirBoxes) {
  const auto matid = {IDC_MATID_EQUALS, IDC_MATID_DIFFERENCE, IDC_MATID_RANGE, IDC_MATID1_SPIN,
                      IDC_MATID2_SPIN};
  Open();
  ExpectEnabled({IDC_ANGLE_SPIN, IDC_ANGLE_EDIT, IDC_SMOOTH_EQUALS, IDC_SMOOTH_DIFFERENCE}, false);
  ExpectEnabled(matid, false);
  Click(IDC_COMPLANAR);
  ExpectEnabled({IDC_ANGLE_SPIN, IDC_ANGLE_EDIT}, true);
  Click(IDC_SMOOTH);
  ExpectEnabled({IDC_SMOOTH_EQUALS, IDC_SMOOTH_DIFFERENCE}, true);
  Click(IDC_MATID);
  ExpectEnabled({IDC_MATID_EQUALS, IDC_MATID_DIFFERENCE, IDC_MATID_RANGE}, true);
  ExpectEnabled({IDC_MATID1_SPIN, IDC_MATID2_SPIN}, false);  // 554 is clear
  Click(IDC_MATID_RANGE);
  ExpectEnabled({IDC_MATID1_SPIN, IDC_MATID2_SPIN, IDC_MATID2_EDIT}, true);
  // Unticking 551 disables all five whatever 554 shows; ticking it again brings 575 and 576
  // back because 554 is ticked.
  Click(IDC_MATID);
  ExpectEnabled(matid, false);
  Click(IDC_MATID);
  ExpectEnabled(matid, true);

  // A change without a click (scripting, an undo) ticks the box but leaves the enable state;
  // the next opening applies the boxes again.
  map->pblock->SetValue(pb_complanar, 0, 0);
  EXPECT_FALSE(Checked(IDC_COMPLANAR));
  EXPECT_TRUE(Enabled(IDC_ANGLE_SPIN));
  panel->Close();
  Open();
  EXPECT_FALSE(Enabled(IDC_ANGLE_SPIN));
  ExpectEnabled(matid, true);
}

TEST_F(Rollout, MarkerNotificationsLoadTheNamedMarkersControls) {
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
  EXPECT_EQ(Capture(), (Shown{RGB(0, 0, 255), RGB(128, 128, 128), L"0.75", L"None", L"None", 3, 1,
                              false, true}));
  EXPECT_FLOAT_EQ(m.color.b, 1.0f) << "loading the controls keeps the marker's colour";
  // A drag step shows the position; the marker keeps the one the control gave it.
  m.position = 0.6f;
  PostMessageW(page, WM_RAMP_MARKER_MOVED, WPARAM(Item(IDC_RAMP)), LPARAM(&m));
  PumpAll();
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.6");
  EXPECT_FLOAT_EQ(m.position, 0.6f);
}

TEST_F(Rollout, NullOrForeignMarkerNotificationChangesNothing) {
  map->ramp.SetActiveMarker(1);
  Marker(1).color = AColor(0.0f, 1.0f, 0.0f, 1.0f);
  Open();
  Shown before = Capture();
  RampMarker markerBefore = Marker(1);
  RampMarker stranger;  // not one of the edited ramp's records: never read
  stranger.color = AColor(1.0f, 0.0f, 0.0f, 1.0f);
  stranger.position = 0.9f;
  for (LPARAM record :
       {LPARAM(0), LPARAM(&stranger), LPARAM(reinterpret_cast<char*>(&Marker(1)) + 4)}) {
    PostMessageW(page, WM_RAMP_MARKER_CHANGED, WPARAM(Item(IDC_RAMP)), record);
    PostMessageW(page, WM_RAMP_MARKER_MOVED, WPARAM(Item(IDC_RAMP)), record);
  }
  PumpAll();
  EXPECT_TRUE(Capture() == before);
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
}

TEST_F(Rollout, SetSubTexmapRefreshesTheButtonCaptions) {
  Open();
  auto* checker = new CheckerMap;
  map->SetSubTexmap(0, checker);
  EXPECT_EQ(Text(IDC_COLOR_MAP), NameOf(checker));
  // Another marker's sub-map leaves the active marker's captions.
  map->SetSubTexmap(3, new ConstantColorMap);
  EXPECT_EQ(Text(IDC_TRANSPARENT_MAP), L"None");
  map->SetSubTexmap(0, nullptr);
  EXPECT_EQ(Text(IDC_COLOR_MAP), L"None");
}

TEST_F(Rollout, SetThingMovesTheWholeRolloutToTheOtherMap) {
  Open();
  other = NewKelvane();
  other->pblock->SetValue(pb_distance, 0, 2.0f);
  other->ramp.markers[1].color = AColor(1.0f, 1.0f, 0.0f, 1.0f);
  other->ramp.SetActiveMarker(1);
  auto* checker = new CheckerMap;
  other->SetSubTexmap(2, checker);
  EXPECT_EQ(panel->Edit(other), dlg) << "the same dialog shows the other map";
  EXPECT_EQ(proc->theTex, other);
  EXPECT_EQ(map->dlgProc, nullptr);
  EXPECT_EQ(other->dlgProc, proc);
  EXPECT_EQ(Text(IDC_DISTANCE_EDIT), L"2.0");
  EXPECT_EQ(Swatch(IDC_COLOR_SWATCH), RGB(255, 255, 0));
  EXPECT_EQ(Text(IDC_COLOR_MAP), NameOf(checker));
  // Edits land in the map shown.
  TypeInto(Item(IDC_POSITION_EDIT), L"0.4");
  EXPECT_FLOAT_EQ(other->ramp.markers[1].position, 0.4f);
  EXPECT_FLOAT_EQ(map->ramp.markers[1].position, 0.5f);
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
  RampMouse(WM_LBUTTONDOWN, MK_LBUTTON, 0.0f);
  RampMouse(WM_MOUSEMOVE, MK_LBUTTON, 0.75f);
  RampMouse(WM_LBUTTONUP, 0, 0.75f);
  PumpAll();
  ASSERT_EQ(map->ramp.markers.size(), 3u);
  EXPECT_EQ(map->ramp.markers[1].colorMap, checker);
  EXPECT_EQ(map->GetReference(MARKER_MAP_REF + 2), checker);
  EXPECT_EQ(map->GetReference(MARKER_MAP_REF), nullptr);
  EXPECT_EQ(Text(IDC_COLOR_MAP), NameOf(checker)) << "the dragged marker is the active one";
  // A right click deletes it; the map leaves the references.
  RampMouse(WM_RBUTTONUP, 0, map->ramp.markers[1].position);
  PumpAll();
  ASSERT_EQ(map->ramp.markers.size(), 2u);
  EXPECT_EQ(map->NumRefs(), MARKER_MAP_REF + 4);
  for (int i = MARKER_MAP_REF; i < map->NumRefs(); ++i)
    EXPECT_NE(map->GetReference(i), static_cast<ReferenceTarget*>(checker));
}

// Every edit of a marker changes what the map renders: the viewport texture goes, the map's
// validity empties and whatever shows the map hears of it.
TEST_F(Rollout, EveryMarkerEditShowsTheMapAnew) {
  map->ramp.SetActiveMarker(1);
  Open();
  auto* watcher = new Watcher(map);
  auto expectShown = [&](const char* edit, const std::function<void()>& change) {
    MakeTexture(map);
    map->ivalid = FOREVER;
    int heard = watcher->changes;
    change();
    PumpAll();
    EXPECT_GT(watcher->changes, heard) << edit;
    EXPECT_EQ(map->texHandle, nullptr) << edit;
    EXPECT_TRUE(map->ivalid.Empty()) << edit;
  };
  expectShown("colour swatch", [&] {
    GetIColorSwatch(Item(IDC_COLOR_SWATCH))->SetAColor(AColor(0.2f, 0.4f, 0.6f, 1.0f), TRUE);
  });
  expectShown("transparent swatch", [&] {
    GetIColorSwatch(Item(IDC_TRANSPARENT_SWATCH))->SetAColor(AColor(0.5f, 0.5f, 0.5f, 1.0f), TRUE);
  });
  expectShown("Pos. spinner", [&] { TypeInto(Item(IDC_POSITION_EDIT), L"0.4"); });
  expectShown("colour map box", [&] { Click(IDC_COLOR_MAP_ON); });
  expectShown("transparent map box", [&] { Click(IDC_TRANSPARENT_MAP_ON); });
  expectShown("In ramp", [&] { Choose(IDC_IN_MODE, 1); });
  expectShown("a map dropped on a map button", [&] {
    POINT p = {2, 2};
    proc->dadMgr.Drop(new CheckerMap, Item(IDC_COLOR_MAP), p, TEXMAP_CLASS_ID);
  });
  expectShown("a drag that reorders nothing", [&] {
    RampMouse(WM_LBUTTONDOWN, MK_LBUTTON, 0.4f);
    RampMouse(WM_MOUSEMOVE, MK_LBUTTON, 0.45f);
    RampMouse(WM_LBUTTONUP, 0, 0.45f);
  });
  ASSERT_EQ(map->ramp.markers.size(), 3u);
  EXPECT_NEAR(Marker(1).position, 0.45f, 1.0f / 200.0f);
  EXPECT_EQ(Marker(1).color, AColor(0.2f, 0.4f, 0.6f, 1.0f));
  // Showing a marker's controls is no edit.
  int heard = watcher->changes;
  PostMessageW(page, WM_RAMP_MARKER_CHANGED, WPARAM(Item(IDC_RAMP)), LPARAM(&Marker(1)));
  PumpAll();
  EXPECT_EQ(watcher->changes, heard);
  watcher->ReplaceReference(0, nullptr, FALSE);  // the map stays for TearDown
  watcher->DeleteMe();
}

// The ramp control's drag with a right click in the middle: the click deletes nothing, and no
// step of the drag is written into another marker.
TEST_F(Rollout, ARightClickDuringADragLeavesEveryOtherMarkerAlone) {
  map->ramp.AddMarker(0.25f, AColor(0.25f, 0.25f, 0.25f, 1.0f));
  map->SyncMarkerReferences();
  Open();
  RampMouse(WM_LBUTTONDOWN, MK_LBUTTON, 0.5f);
  RampMouse(WM_MOUSEMOVE, MK_LBUTTON, 0.6f);
  PumpAll();
  RampMouse(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 0.25f);
  RampMouse(WM_RBUTTONUP, MK_LBUTTON, 0.25f);  // on the marker before the dragged one
  PumpAll();
  RampMouse(WM_MOUSEMOVE, MK_LBUTTON, 0.65f);
  PumpAll();
  RampMouse(WM_LBUTTONUP, 0, 0.65f);
  PumpAll();
  ASSERT_EQ(map->ramp.markers.size(), 4u);
  EXPECT_EQ(Marker(0).position, 0.0f);
  EXPECT_EQ(Marker(1).position, 0.25f);
  EXPECT_NEAR(Marker(2).position, 0.65f, 1.0f / 200.0f);
  EXPECT_EQ(Marker(2).color, AColor(0.5f, 0.5f, 0.5f, 1.0f));
  EXPECT_EQ(Marker(3).position, 1.0f);
  EXPECT_EQ(map->ramp.FindMarkerByFlag(MarkerActive), &Marker(2));
}

TEST_F(Rollout, AbsolutePositionWithoutDistanceShowsZeroAndWritesNothing) {
  map->pblock->SetValue(pb_distance, 0, 0.0f);
  map->ramp.SetActiveMarker(1);
  Open();
  ASSERT_EQ(map->distance, 0.0f);
  Click(IDC_ABSOLUTE_POSITION);
  PumpAll();  // the repaint that would clamp a position that is not a number to 1
  EXPECT_EQ(Marker(1).position, 0.5f);
  EXPECT_EQ(GetISpinner(Item(IDC_POSITION_SPIN))->GetFVal(), 0.0f);
  TypeInto(Item(IDC_POSITION_EDIT), L"0.3");
  PumpAll();
  EXPECT_EQ(Marker(1).position, 0.5f);
}

// The host's parameter map can give the rollout no map, or an object of another class, before
// a Kelvane map again.
TEST_F(Rollout, GivenAMapAgainTheRampControlEditsItsRamp) {
  Open();
  auto* checker = new CheckerMap;
  other = NewKelvane();
  const float clicks[] = {0.15f, 0.35f, 0.65f, 0.85f};  // away from every marker
  int round = 0;
  for (ReferenceTarget* between :
       {static_cast<ReferenceTarget*>(nullptr), static_cast<ReferenceTarget*>(checker)}) {
    for (Kelvane* shown : {map, other}) {
      proc->SetThing(between);
      EXPECT_EQ(proc->rampControl, nullptr);
      proc->SetThing(shown);
      ASSERT_NE(proc->rampControl, nullptr);
      EXPECT_EQ(proc->rampControl->Ramp(), &shown->ramp);
      size_t markers = shown->ramp.markers.size();
      RampMouse(WM_LBUTTONDOWN, MK_LBUTTON, clicks[round]);
      RampMouse(WM_LBUTTONUP, 0, clicks[round++]);
      PumpAll();
      EXPECT_EQ(shown->ramp.markers.size(), markers + 1);
      EXPECT_EQ(shown->hwMtlEdit, panel->GetHWnd()) << "its map buttons reach the editor";
    }
  }
  checker->DeleteThis();
}

TEST_F(Rollout, ClosingReleasesTheRolloutAndANewOneStartsRelative) {
  map->ramp.SetActiveMarker(1);
  Open();
  HWND ramp = Item(IDC_RAMP);
  Click(IDC_ABSOLUTE_POSITION);
  panel->Close();
  EXPECT_EQ(map->dlgProc, nullptr);
  EXPECT_FALSE(IsWindow(ramp));
  EXPECT_EQ(panel->NumRollupPages(), 0);
  Open();
  EXPECT_FALSE(Checked(IDC_ABSOLUTE_POSITION));
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.5");
}

}  // namespace

// Each gesture is one undo step named for what it did; undo and redo bring the ramp and the
// controls back to that point. A drag across two neighbours that merges at the drop is one.
TEST_F(Rollout, GesturesAreUndoStepsAndUndoShowsTheMarkersAgain) {
  map->ramp.AddMarker(0.6f, AColor(0.6f, 0.6f, 0.6f, 1.0f));
  map->ramp.AddMarker(0.7f, AColor(0.7f, 0.7f, 0.7f, 1.0f));
  map->SyncMarkerReferences();
  HostClearUndo();
  Open();
  auto positions = [this] {
    std::vector<float> p;
    for (const RampMarker& m : map->ramp.markers) p.push_back(m.position);
    return p;
  };
  const std::vector<float> start = positions();

  RampMouse(WM_LBUTTONDOWN, MK_LBUTTON, 0.5f);
  for (float t : {0.62f, 0.75f, 0.9f, 1.0f}) RampMouse(WM_MOUSEMOVE, MK_LBUTTON, t);
  RampMouse(WM_LBUTTONUP, 0, 1.0f);  // dropped onto the end marker: they merge
  PumpAll();
  ASSERT_EQ(map->ramp.markers.size(), 4u);
  EXPECT_EQ(HostUndoCount(), 1);
  EXPECT_EQ(HostUndoDescription(), MSTR(L"Move marker"));
  const std::vector<float> dropped = positions();
  ASSERT_TRUE(HostUndo());
  PumpAll();
  EXPECT_EQ(positions(), start);
  EXPECT_EQ(map->NumRefs(), MARKER_MAP_REF + 10);
  ASSERT_TRUE(HostRedo());
  EXPECT_EQ(positions(), dropped);

  RampMouse(WM_RBUTTONUP, 0, 0.6f);
  PumpAll();
  EXPECT_EQ(HostUndoDescription(), MSTR(L"Delete marker"));
  ASSERT_TRUE(HostUndo());
  EXPECT_EQ(positions(), dropped);

  RampMouse(WM_LBUTTONDOWN, MK_LBUTTON, 0.3f);
  RampMouse(WM_LBUTTONUP, 0, 0.3f);
  PumpAll();
  EXPECT_EQ(HostUndoDescription(), MSTR(L"Add marker"));
  Shown added = Capture();
  GetIColorSwatch(Item(IDC_COLOR_SWATCH))->SetAColor(AColor(0.1f, 0.8f, 0.3f, 1.0f), TRUE);
  PumpAll();
  EXPECT_EQ(HostUndoDescription(), MSTR(L"Marker color"));
  ASSERT_TRUE(HostUndo());
  PumpAll();
  EXPECT_EQ(Capture(), added) << "the rollout shows the marker as it was";
  ASSERT_TRUE(HostUndo());
  EXPECT_EQ(positions(), dropped);
  HostClearUndo();
}

// A drag on the Pos. spinner is one step however many values it passes; a right click during
// the drag puts the marker back and leaves no step.
TEST_F(Rollout, PositionSpinnerDragIsOneUndoStepAndRightClickCancelsIt) {
  map->ramp.SetActiveMarker(1);
  HostClearUndo();
  Open();
  const float start = map->ramp.markers[1].position;
  HWND spin = Item(IDC_POSITION_SPIN);
  auto drag = [&](int dy) {
    SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 20));
    for (int y = 20; y != 20 - dy; y += dy > 0 ? -1 : 1)
      SendMessageW(spin, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, y - (dy > 0 ? 1 : -1)));
  };

  drag(10);
  SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(2, 10));
  PumpAll();
  const float dragged = map->ramp.markers[1].position;
  EXPECT_NE(dragged, start);
  EXPECT_EQ(HostUndoCount(), 1);
  EXPECT_EQ(HostUndoDescription(), MSTR(L"Marker position"));
  ASSERT_TRUE(HostUndo());
  EXPECT_EQ(map->ramp.markers[1].position, start);
  ASSERT_TRUE(HostRedo());
  EXPECT_EQ(map->ramp.markers[1].position, dragged);

  HostClearUndo();
  drag(6);
  SendMessageW(spin, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(2, 14));
  SendMessageW(spin, WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(2, 14));
  SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(2, 14));
  PumpAll();
  EXPECT_EQ(map->ramp.markers[1].position, dragged);
  EXPECT_EQ(HostUndoCount(), 0);
  EXPECT_FALSE(theHold.Holding());
  HostClearUndo();
}
