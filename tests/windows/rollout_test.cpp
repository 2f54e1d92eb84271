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
#include "png_file.h"
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
  // Presses on one window, moves onto the middle of the other and lets go.
  void Drag(HWND from, HWND to) {
    RECT r;
    GetWindowRect(to, &r);
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ScreenToClient(from, &at);
    SendMessageW(from, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    SendMessageW(from, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageW(from, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
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
  EXPECT_EQ(Text(IDC_DISTANCE_EDIT) + L" " + Text(IDC_C_MULT_EDIT), L"0.1 5");
  EXPECT_TRUE(Checked(IDC_OPEN_EDGES) && Checked(IDC_CONDITIONS_OR));
  Click(IDC_CONDITIONS_AND);  // bound controls write the block
  EXPECT_EQ(map->pblock->GetInt(pb_conditions), 0);
  ASSERT_NE(proc->rampControl, nullptr);
  EXPECT_EQ(proc->rampControl->Ramp(), &map->ramp);
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.0") << "marker 0, the default ramp's active one";
}

TEST_F(Rollout, AbsolutePositionShowsDistanceTimesPositionAndStoresTheQuotient) {
  map->ramp.SetActiveMarker(1);  // at 0.5; Distance is 0.1
  Open();
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.5");
  Click(IDC_ABSOLUTE_POSITION);
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.05");
  TypeInto(Item(IDC_DISTANCE_EDIT), L"0.4");  // changes what is shown, not the marker
  EXPECT_EQ(
      std::tuple(map->pblock->GetFloat(pb_distance), Text(IDC_POSITION_EDIT), Marker(1).position),
      std::tuple(0.4f, std::wstring(L"0.2"), 0.5f));
  TakeRedraws();
  TypeInto(Item(IDC_POSITION_EDIT), L"0.8");
  EXPECT_NEAR(Marker(1).position, 2.0f, 1e-6f) << "stored unclamped";
  EXPECT_TRUE(TakeRedraws());
  PostMessageW(Item(IDC_RAMP), WM_RAMP_REDRAW, 0, 0);
  PumpAll();
  EXPECT_FLOAT_EQ(Marker(1).position, 1.0f) << "the repaint clamps it";
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"0.8") << "the spinner still shows 0.8";
  // Back to relative mode: the position itself, limited to 0..1.
  Click(IDC_ABSOLUTE_POSITION);
  EXPECT_EQ(Text(IDC_POSITION_EDIT), L"1.0");
  TypeInto(Item(IDC_POSITION_EDIT), L"3");
  EXPECT_FLOAT_EQ(Marker(1).position, 1.0f);
}

TEST_F(Rollout, AbsolutePositionWithoutDistanceShowsZeroAndWritesNothing) {
  map->pblock->SetValue(pb_distance, 0, 0.0f);
  map->ramp.SetActiveMarker(1);
  Open();
  ASSERT_EQ(map->distance, 0.0f);
  Click(IDC_ABSOLUTE_POSITION);
  PumpAll();  // the repaint that would clamp a position that is not a number to 1
  EXPECT_EQ(std::tuple(Marker(1).position, GetISpinner(Item(IDC_POSITION_SPIN))->GetFVal()),
            std::tuple(0.5f, 0.0f));
  TypeInto(Item(IDC_POSITION_EDIT), L"0.3");
  PumpAll();
  EXPECT_EQ(Marker(1).position, 0.5f);
}

// Dragging from one map button to the other, dropping a map on one, the editor setting a
// map: each lands in the active marker's slot and shows on its button; a click goes to the
// editor.
TEST_F(Rollout, MapButtonsTakeDraggedAndDroppedMapsForTheActiveMarker) {
  map->ramp.SetActiveMarker(1);
  Open();
  auto* checker = new CheckerMap;
  map->SetSubTexmap(2, checker);  // marker 1's colour map
  HWND color = Item(IDC_COLOR_MAP), transparent = Item(IDC_TRANSPARENT_MAP);
  EXPECT_EQ(Text(IDC_COLOR_MAP), NameOf(checker));
  ParamDlg* facet = proc;
  EXPECT_EQ(std::tuple(facet->FindSubTexFromHWND(color), facet->FindSubTexFromHWND(transparent),
                       facet->FindSubTexFromHWND(Item(IDC_COLOR_MAP_ON))),
            std::tuple(2, 3, -1));
  // The drop goes to the window under the pointer: keep ours above the windows of tests that
  // run beside this one on the same display.
  SetWindowPos(panel->GetHWnd(), HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  panel->ClearTexmapButtons();
  Drag(transparent, color);  // an empty slot drags nothing
  EXPECT_EQ(map->GetSubTexmap(2), checker);
  Drag(color, transparent);
  PumpAll();
  EXPECT_TRUE(map->GetSubTexmap(3) == checker && Text(IDC_TRANSPARENT_MAP) == NameOf(checker));
  EXPECT_EQ(panel->NumTexmapButtons(), 0) << "a drag is no click";

  EXPECT_EQ(proc->colorMapButton->GetDADMgr(), &proc->dadMgr);  // a drop on it: below
  // Another marker's sub-map leaves the active marker's captions.
  map->SetSubTexmap(0, new ConstantColorMap);
  EXPECT_EQ(Text(IDC_COLOR_MAP), NameOf(checker));

  // A click posts the sub-map's number to the editor; with no marker active, marker 0 becomes
  // the active one.
  ClickAt(color, 10, 5);
  map->ramp.ClearMarkerFlags();
  ClickAt(transparent, 10, 5);
  PumpAll();
  ASSERT_EQ(panel->NumTexmapButtons(), 2);
  EXPECT_EQ(std::tuple(panel->GetTexmapButton(0).subMap, panel->GetTexmapButton(0).owner,
                       panel->GetTexmapButton(1).subMap, Marker(0).flags & MarkerActive),
            std::tuple(2, static_cast<ReferenceTarget*>(map), 1, unsigned(MarkerActive)));
}

// The ramp control names a marker by its record: the named marker's controls are loaded, and
// a record that is none of the edited ramp's is never read.
TEST_F(Rollout, MarkerNotificationsLoadTheNamedMarkersControlsOnly) {
  map->ramp.SetActiveMarker(2);
  RampMarker& m = Marker(2);
  m.color = AColor(0.0f, 0.0f, 1.0f, 1.0f);
  m.transparentColor = AColor(0.5f, 0.5f, 0.5f, 0.0f);
  Open();
  const Shown before = Capture();
  RampMarker stranger;
  stranger.color = AColor(1.0f, 0.0f, 0.0f, 1.0f);
  stranger.position = 0.9f;
  for (LPARAM record : {LPARAM(0), LPARAM(&stranger), LPARAM(reinterpret_cast<char*>(&m) + 4)}) {
    PostMessageW(page, WM_RAMP_MARKER_CHANGED, WPARAM(Item(IDC_RAMP)), record);
    PostMessageW(page, WM_RAMP_MARKER_MOVED, WPARAM(Item(IDC_RAMP)), record);
  }
  PumpAll();
  EXPECT_TRUE(Capture() == before);

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

// The same dialog shows another map; the host's parameter map can also give it no map, or an
// object of another class, before a Kelvane map again, whose ramp the ramp control then edits.
TEST_F(Rollout, SetThingMovesTheWholeRolloutToTheMapGiven) {
  Open();
  other = NewKelvane();
  other->pblock->SetValue(pb_distance, 0, 2.0f);
  other->ramp.markers[1].color = AColor(1.0f, 1.0f, 0.0f, 1.0f);
  other->ramp.SetActiveMarker(1);
  EXPECT_EQ(panel->Edit(other), dlg) << "the same dialog shows the other map";
  EXPECT_EQ(std::tuple(proc->theTex, map->dlgProc, other->dlgProc),
            std::tuple(other, nullptr, proc));
  EXPECT_EQ(std::tuple(Text(IDC_DISTANCE_EDIT), Swatch(IDC_COLOR_SWATCH)),
            std::tuple(std::wstring(L"2.0"), RGB(255, 255, 0)));
  TypeInto(Item(IDC_POSITION_EDIT), L"0.4");  // edits land in the map shown
  EXPECT_EQ(std::tuple(other->ramp.markers[1].position, map->ramp.markers[1].position),
            std::tuple(0.4f, 0.5f));
  auto* master = static_cast<IAutoMParamDlg*>(dlg);
  ASSERT_EQ(master->NumDlgs(), 1);
  EXPECT_EQ(master->GetDlg(0)->GetThing(), other->texout) << "the output rollout follows";

  auto* checker = new CheckerMap;
  for (auto [between, shown, click] :
       {std::tuple<ReferenceTarget*, Kelvane*, float>{nullptr, map, 0.15f},
        {checker, other, 0.35f}}) {
    proc->SetThing(between);
    EXPECT_EQ(proc->rampControl, nullptr);
    proc->SetThing(shown);
    ASSERT_NE(proc->rampControl, nullptr);
    EXPECT_EQ(proc->rampControl->Ramp(), &shown->ramp);
    size_t markers = shown->ramp.markers.size();
    RampMouse(WM_LBUTTONDOWN, MK_LBUTTON, click);  // away from every marker
    RampMouse(WM_LBUTTONUP, 0, click);
    PumpAll();
    EXPECT_EQ(shown->ramp.markers.size(), markers + 1);
    EXPECT_EQ(shown->hwMtlEdit, panel->GetHWnd()) << "its map buttons reach the editor";
  }
  checker->DeleteThis();
}

// Every control writes its field of the active marker, and every edit changes what the map
// renders: the viewport texture goes, the validity empties and whatever shows the map hears.
TEST_F(Rollout, EveryMarkerEditShowsTheMapAnew) {
  map->ramp.SetActiveMarker(1);
  Open();
  const RampMarker before = Marker(1);
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
    GetIColorSwatch(Item(IDC_COLOR_SWATCH))->SetAColor(AColor(0.2f, 0.4f, 0.6f, 0.5f), TRUE);
  });
  expectShown("transparent swatch", [&] {
    GetIColorSwatch(Item(IDC_TRANSPARENT_SWATCH))->SetAColor(AColor(0.5f, 0.5f, 0.5f, 1.0f), TRUE);
  });
  expectShown("Pos. spinner", [&] { TypeInto(Item(IDC_POSITION_EDIT), L"0.4"); });
  expectShown("colour map box", [&] { Click(IDC_COLOR_MAP_ON); });
  expectShown("transparent map box", [&] { Click(IDC_TRANSPARENT_MAP_ON); });
  expectShown("In ramp", [&] { Choose(IDC_IN_MODE, 1); });
  expectShown("Out ramp", [&] { Choose(IDC_OUT_MODE, 4); });
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
  const RampMarker& m = Marker(1);
  EXPECT_NEAR(m.position, 0.45f, 1.0f / 200.0f);
  EXPECT_EQ(std::tuple(m.color, m.transparentColor),
            std::tuple(AColor(0.2f, 0.4f, 0.6f, 0.5f), AColor(0.5f, 0.5f, 0.5f, 1.0f)));
  EXPECT_EQ(std::tuple(m.colorMapOn, m.transparentMapOn, m.inMode, m.outMode),
            std::tuple(!before.colorMapOn, !before.transparentMapOn, 1, 4));
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
  EXPECT_EQ(std::tuple(Marker(0).position, Marker(1).position, Marker(3).position),
            std::tuple(0.0f, 0.25f, 1.0f));
  EXPECT_NEAR(Marker(2).position, 0.65f, 1.0f / 200.0f);
  EXPECT_EQ(Marker(2).color, AColor(0.5f, 0.5f, 0.5f, 1.0f));
  EXPECT_EQ(map->ramp.FindMarkerByFlag(MarkerActive), &Marker(2));
}

}  // namespace

// Each gesture is one undo step named for what it did (what undo restores is the map's undo
// test's); undoing an edit shows the marker in the rollout as it was.
TEST_F(Rollout, GesturesAreUndoStepsAndUndoShowsTheMarkersAgain) {
  map->ramp.AddMarker(0.6f, AColor(0.6f, 0.6f, 0.6f, 1.0f));
  map->ramp.AddMarker(0.7f, AColor(0.7f, 0.7f, 0.7f, 1.0f));
  map->SyncMarkerReferences();
  HostClearUndo();
  Open();
  RampMouse(WM_LBUTTONDOWN, MK_LBUTTON, 0.5f);
  for (float t : {0.62f, 0.75f, 0.9f, 1.0f}) RampMouse(WM_MOUSEMOVE, MK_LBUTTON, t);
  RampMouse(WM_LBUTTONUP, 0, 1.0f);  // dropped onto the end marker: they merge
  PumpAll();
  ASSERT_EQ(map->ramp.markers.size(), 4u);
  EXPECT_TRUE(HostUndoCount() == 1 && HostUndoDescription() == MSTR(L"Move marker"));
  RampMouse(WM_RBUTTONUP, 0, 0.6f);
  PumpAll();
  EXPECT_EQ(HostUndoDescription(), MSTR(L"Delete marker"));
  RampMouse(WM_LBUTTONDOWN, MK_LBUTTON, 0.3f);
  RampMouse(WM_LBUTTONUP, 0, 0.3f);
  PumpAll();
  EXPECT_EQ(HostUndoDescription(), MSTR(L"Add marker"));
  Shown added = Capture();
  GetIColorSwatch(Item(IDC_COLOR_SWATCH))->SetAColor(AColor(0.1f, 0.8f, 0.3f, 1.0f), TRUE);
  PumpAll();
  EXPECT_TRUE(HostUndoCount() == 4 && HostUndoDescription() == MSTR(L"Marker color"));
  ASSERT_TRUE(HostUndo());
  PumpAll();
  EXPECT_EQ(Capture(), added);
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
  EXPECT_TRUE(HostUndoCount() == 1 && HostUndoDescription() == MSTR(L"Marker position"));
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
  EXPECT_TRUE(HostUndoCount() == 0 && !theHold.Holding());
  HostClearUndo();
}

// A picture of the whole "Parameters" rollout, and "Edge shape and units" below it, for the
// README, caption bars included, read back from the screen and written as a PNG beside the test
// program (docs/images/rollout.png is a copy).
TEST_F(Rollout, WritesThePictureOfTheRollout) {
  // The README's example: a warm glow at the edge, through brown, to a dark blue; the brown
  // marker selected, with a checker as its colour map.
  Marker(0).color = AColor(1.0f, 0.8f, 0.3f, 1.0f);
  Marker(1).position = 0.3f;
  Marker(1).color = AColor(0.6f, 0.2f, 0.05f, 1.0f);
  Marker(1).outMode = 1;  // Exponential
  Marker(2).color = AColor(0.1f, 0.15f, 0.25f, 1.0f);
  map->ramp.SetActiveMarker(1);
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
  auto inWindow = [window](HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  // The caption bar and the page below it, down to the end of the second rollout.
  ASSERT_EQ(panel->NumRollupPages(), 3);
  int right = std::min(width, int(inWindow(page).right) + 3);
  int bottom = std::min(height, int(inWindow(panel->GetRollupPage(1)).bottom) + 3);
  ASSERT_TRUE(right > 200 && bottom > 300);
  std::vector<unsigned char> crop(size_t(right) * bottom * 3);
  for (int y = 0; y < bottom; ++y)
    std::copy_n(&rgb[(size_t(y) * width) * 3], size_t(right) * 3, &crop[size_t(y) * right * 3]);
  EXPECT_TRUE(WritePng(ProgramFolder() + L"rollout.png", right, bottom, crop));
}
