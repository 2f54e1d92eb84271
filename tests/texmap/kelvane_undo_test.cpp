// Marker edits undone and redone through the host's hold system, block edits in the same history.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "host_undo.h"
#include "ramp_drag.h"
#include "texmap_test_support.h"

namespace {

// What undo restores: marker fields, maps as markers and references hold them, the table count.
struct MapState {
  std::vector<std::vector<double>> markers;
  std::vector<RefTargetHandle> maps;
  int markerMapCount = 0;
};

MapState StateOf(Kelvane* map) {
  MapState s;
  for (RampMarker m : map->ramp.markers) {
    m.flags &= ~MarkerDragging;
    s.markers.push_back(SavedFields(m));
    s.maps.insert(s.maps.end(), {m.colorMap, m.transparentMap});
  }
  for (int i = MARKER_MAP_REF; i < map->NumRefs(); ++i) s.maps.push_back(map->GetReference(i));
  s.markerMapCount = map->pblock->Count(pb_marker_map);
  return s;
}

void ExpectState(Kelvane* map, const MapState& want, const char* when) {
  SCOPED_TRACE(when);
  MapState got = StateOf(map);
  EXPECT_EQ(got.markers, want.markers);
  EXPECT_EQ(got.maps, want.maps);
  EXPECT_EQ(got.markerMapCount, want.markerMapCount);
  EXPECT_EQ(map->texHandle, nullptr) << "the viewport texture is made anew";
  EXPECT_TRUE(map->ivalid.Empty());
}

class KelvaneUndo : public ::testing::Test {
 protected:
  void SetUp() override {
    HostClearUndo();
    map = NewKelvane();
    watcher = new Watcher(map);
  }
  void TearDown() override {
    HostClearUndo();
    watcher->DeleteMe();  // takes the map with it
    EXPECT_EQ(CountedMap::alive, 0);
  }
  // One gesture: the edit under a hold of its own; a marker edit ends in MarkersEdited.
  void Gesture(const MCHAR* name, const std::function<void()>& edit, bool markers = true) {
    theHold.Begin();
    edit();
    if (markers) map->MarkersEdited();
    theHold.Accept(name);
  }
  // Undo, redo and undo again: the state before, after, before.
  void ExpectRoundTrip(const MapState& before, const MapState& after) {
    int heard = watcher->changes;
    ASSERT_TRUE(HostUndo());
    ExpectState(map, before, "undone");
    EXPECT_GT(watcher->changes, heard) << "dependents hear of each restore";
    ASSERT_TRUE(HostRedo());
    ExpectState(map, after, "redone");
    ASSERT_TRUE(HostUndo());
    ExpectState(map, before, "undone again");
    ASSERT_TRUE(HostRedo());
  }
  Kelvane* map = nullptr;
  Watcher* watcher = nullptr;
};

TEST_F(KelvaneUndo, EachKindOfMarkerEditRoundTrips) {
  auto* colorMap = new CountedMap;
  map->SetSubTexmap(2, colorMap);
  HostClearUndo();
  struct Edit {
    const MCHAR* name;
    std::function<void(Kelvane*)> apply;
  };
  const std::vector<Edit> edits = {
      {L"Add marker",
       [](Kelvane* m) {
         StartNewMarkerDrag(m->ramp, 0.3f);
         EndMarkerDrag(m->ramp, 0.3f);
       }},
      {L"Copy marker",
       [](Kelvane* m) {
         m->ramp.SetActiveMarker(2);
         StartCopyDrag(m->ramp, 0.7f);
         EndMarkerDrag(m->ramp, 0.8f);
       }},
      {L"Delete marker", [](Kelvane* m) { m->ramp.DeleteMarkerAt(0.5f, 0.001f); }},
      {L"Marker colour", [](Kelvane* m) { m->ramp.markers[1].color = AColor(0.2f, 0.4f, 0.6f); }},
      {L"Transparency colour",
       [](Kelvane* m) { m->ramp.markers[1].transparentColor = AColor(1.0f, 1.0f, 1.0f); }},
      {L"Marker position",
       [](Kelvane* m) {
         m->ramp.markers[1].position = 0.65f;
         m->ramp.SortMarkers();
       }},
      {L"Curve",
       [](Kelvane* m) {
         m->ramp.markers[1].inMode = 2;
         m->ramp.markers[1].outMode = 3;
       }},
      {L"Glyph colours",
       [](Kelvane* m) { m->ramp.SetGlyphColors(AColor(0, 0, 1), AColor(1, 1, 0)); }},
      {L"Map On",
       [](Kelvane* m) {
         m->ramp.markers[1].colorMapOn = false;
         m->ramp.markers[1].transparentMapOn = false;
       }},
      {L"Move marker",  // across two neighbours, merging with the end marker at the drop
       [](Kelvane* m) {
         m->ramp.SetActiveMarker(0);
         m->ramp.markers[0].flags |= MarkerDragging;
         for (float t : {0.2f, 0.5f, 0.7f, 0.9f, 1.0f}) {
           MoveDraggedMarker(m->ramp, t);
           m->MarkersEdited();
         }
         EndMarkerDrag(m->ramp, 1.0f);
       }},
  };
  int steps = 0;
  for (const Edit& e : edits) {
    SCOPED_TRACE(testing::Message() << "edit " << static_cast<const wchar_t*>(e.name));
    MapState before = StateOf(map);
    Gesture(e.name, [&] { e.apply(map); });
    EXPECT_TRUE(HostUndoDescription() == MSTR(e.name) && HostUndoCount() == ++steps);
    ExpectRoundTrip(before, StateOf(map));
  }
  EXPECT_EQ(CountedMap::alive, 1) << "the deleted marker's map came back and stayed";

  // A map set and cleared as a sub-map, and given through the block as the host's editors do.
  auto* other = new CountedMap;
  const std::function<void()> mapEdits[] = {
      [&] { map->SetSubTexmap(1, other); }, [&] { map->SetSubTexmap(1, nullptr); },
      [&] { map->pblock->SetValue(pb_marker_map, 0, static_cast<Texmap*>(other), 4); }};
  for (const auto& edit : mapEdits) {
    MapState before = StateOf(map);
    Gesture(L"Map", edit, false);
    ExpectRoundTrip(before, StateOf(map));
    EXPECT_EQ(CountedMap::alive, 2) << "a cleared map lives on in the step";
  }
  EXPECT_EQ(map->GetSubTexmap(4), other);
}

// Block edits and marker edits in one history come back in order.
TEST_F(KelvaneUndo, BlockAndMarkerEditsUndoInOrder) {
  auto distance = [this] { return map->pblock->GetFloat(pb_distance, 0); };
  float d0 = distance();
  Gesture(
      L"Distance", [&] { map->pblock->SetValue(pb_distance, 0, 2.0f); }, false);
  MapState s1 = StateOf(map);
  Gesture(L"Marker colour", [&] { map->ramp.markers[0].color = AColor(1, 0, 0); });
  MapState s2 = StateOf(map);
  Gesture(
      L"Distance", [&] { map->pblock->SetValue(pb_distance, 0, 3.0f); }, false);
  ASSERT_TRUE(HostUndo());
  EXPECT_EQ(distance(), 2.0f);
  ExpectState(map, s2, "distance undone");
  ASSERT_TRUE(HostUndo());
  ExpectState(map, s1, "colour undone");
  EXPECT_EQ(distance(), 2.0f);
  ASSERT_TRUE(HostUndo());
  EXPECT_EQ(distance(), d0);
}

// A step whose map was deleted outright is harmless to undo and redo.
TEST_F(KelvaneUndo, AStepOutlivesItsMap) {
  Kelvane* other = NewKelvane();
  auto* m = new CountedMap;
  other->SetSubTexmap(0, m);
  theHold.Begin();
  other->ramp.DeleteMarkerAt(0.0f, 0.001f);
  other->MarkersEdited();
  theHold.Accept(L"Delete marker");
  other->DeleteMe();
  EXPECT_TRUE(HostUndo());
  EXPECT_TRUE(HostRedo());
  HostClearUndo();
  EXPECT_EQ(CountedMap::alive, 0);
}

}  // namespace
