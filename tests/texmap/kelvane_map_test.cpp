// The map object: references and sub-maps, lifecycle, references kept in step with the ramp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <tuple>
#include <vector>

#include "texmap_test_support.h"

namespace {

int CountDependentsOn(ReferenceTarget* target, ReferenceMaker* maker) {
  int n = 0;
  DependentIterator it(target);
  for (ReferenceMaker* m = it.Next(); m; m = it.Next()) n += m == maker;
  return n;
}

std::vector<RefTargetHandle> Refs(Kelvane* map, int first = 0) {
  std::vector<RefTargetHandle> refs;
  for (int i = first; i < map->NumRefs(); ++i) refs.push_back(map->GetReference(i));
  return refs;
}

}  // namespace

// Saved scenes rely on these: coordinates 0, block 1, output 2, then two maps per marker.
TEST(KelvaneMap, NewAndResetMapReferenceNumbers) {
  Kelvane* map = NewKelvane();
  ASSERT_NE(map, nullptr);
  for (bool reset : {false, true}) {
    SCOPED_TRACE(reset ? "reset" : "new");
    if (reset) {
      map->SetSubTexmap(0, NewColorMap(AColor(1.0f, 0.0f, 0.0f)));
      map->ramp.AddMarker(0.7f, AColor(1.0f, 1.0f, 1.0f));
      map->SyncMarkerReferences();
      map->Reset();
      map->pblock->SetCount(pb_marker_map, 2);  // undone: the table holds two maps per marker
    }
    EXPECT_TRUE(map->uvGen && map->texout);
    EXPECT_EQ(Refs(map),
              (std::vector<RefTargetHandle>{map->uvGen, map->pblock, map->texout, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr}));
    EXPECT_EQ(std::tuple(map->ramp.markers.size(), map->NumSubTexmaps(), map->GetSubTexmap(5),
                         map->pblock->Count(pb_marker_map)),
              std::tuple(3u, 6, nullptr, 6));
  }
  map->DeleteThis();
}

TEST(KelvaneMap, SubMapsAreMarkerMaps) {
  Kelvane* map = NewKelvane();
  ConstantColorMap* red = NewColorMap(AColor(1.0f, 0.0f, 0.0f));
  ConstantColorMap* blue = NewColorMap(AColor(0.0f, 0.0f, 1.0f));
  map->ivalid = FOREVER;
  map->SetSubTexmap(0, red);
  EXPECT_TRUE(map->ivalid.Empty());
  map->SetSubTexmap(3, blue);
  EXPECT_EQ(
      std::tuple(map->ramp.markers[0].colorMap, map->GetReference(3),
                 map->ramp.markers[1].transparentMap, map->GetReference(6), map->GetSubTexmap(3)),
      std::tuple(red, red, blue, blue, blue));
  EXPECT_EQ(CountDependentsOn(red, map), 1);
  EXPECT_EQ(map->pblock->GetTexmap(pb_marker_map, 0, 3), blue) << "the block reads the map's refs";

  // A map set on a slot past the last marker is ignored.
  ConstantColorMap* stray = NewColorMap(AColor(0.0f, 1.0f, 0.0f));
  map->SetSubTexmap(40, stray);
  EXPECT_TRUE(map->NumSubTexmaps() == 6 && CountDependentsOn(stray, map) == 0);
  stray->DeleteThis();
  // A marker's map is one of its fields: what shows the map hears of a new one.
  auto* watcher = new Watcher(map);
  map->SetSubTexmap(1, red);
  EXPECT_EQ(watcher->changes, 1);
  watcher->DeleteMe();  // takes the map, and red and blue with it (ASan sees a leak otherwise)
}

TEST(KelvaneMap, CloneCopiesParametersMarkersAndMaps) {
  Kelvane* map = NewKelvane();
  map->pblock->SetValue(pb_distance, 0, 3.0f);
  Interval valid = FOREVER;
  map->Update(0, valid);
  ConstantColorMap* red = NewColorMap(AColor(1.0f, 0.0f, 0.0f));
  map->SetSubTexmap(2, red);  // marker 1's colour map
  map->ramp.SetActiveMarker(1);
  map->ramp.markers[2].color = AColor(0.1f, 0.2f, 0.3f, 1.0f);

  RemapDir* remap = NewRemapDir();
  auto* copy = static_cast<Kelvane*>(remap->CloneRef(map));
  remap->DeleteThis();
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->pblock != map->pblock && copy->pblock->GetOwner() == copy);
  EXPECT_FLOAT_EQ(copy->pblock->GetFloat(pb_distance), 3.0f);
  ASSERT_EQ(copy->ramp.markers.size(), 3u);
  EXPECT_TRUE(copy->ramp.markers[0].flags == MarkerActive && copy->ramp.markers[1].flags == 0)
      << "only marker 0 is active";
  EXPECT_EQ(copy->ramp.markers[2].color, AColor(0.1f, 0.2f, 0.3f, 1.0f));
  auto* cloned = static_cast<ConstantColorMap*>(copy->ramp.markers[1].colorMap);
  ASSERT_TRUE(cloned && cloned != red && copy->GetReference(5) == cloned);
  EXPECT_EQ(cloned->color, red->color);
  EXPECT_TRUE(CountDependentsOn(cloned, copy) == 1 && CountDependentsOn(red, copy) == 0);
  copy->DeleteThis();
  map->DeleteThis();
}

TEST(KelvaneMap, ReferencesFollowMarkerEdits) {
  Kelvane* map = NewKelvane();
  ConstantColorMap* a = NewColorMap(AColor(1.0f, 0.0f, 0.0f));
  ConstantColorMap* b = NewColorMap(AColor(0.0f, 1.0f, 0.0f));
  map->SetSubTexmap(2, a);  // marker at 0.5
  map->SetSubTexmap(5, b);  // transparency of the marker at 1

  // A marker added before the one at 0.5 shifts its maps to later references.
  map->ramp.AddMarker(0.25f, AColor(1.0f, 1.0f, 1.0f));
  map->SyncMarkerReferences();
  ASSERT_EQ(map->ramp.markers.size(), 4u);
  EXPECT_EQ(Refs(map, 3), (std::vector<RefTargetHandle>{nullptr, nullptr, nullptr, nullptr, a,
                                                        nullptr, nullptr, b}));
  EXPECT_TRUE(map->pblock->Count(pb_marker_map) == 8 && CountDependentsOn(a, map) == 1);

  // Deleting the marker that carried a: the map leaves the ramp and the reference system.
  a->SetName(L"a");
  map->ramp.DeleteMarkerAt(0.5f, 0.001f);
  map->SyncMarkerReferences();
  EXPECT_EQ(Refs(map, 3),
            (std::vector<RefTargetHandle>{nullptr, nullptr, nullptr, nullptr, nullptr, b}));
  EXPECT_EQ(map->pblock->Count(pb_marker_map), 6);

  // A map that two markers share is held by both slots: dropping one keeps it alive.
  map->ramp.markers[0].colorMap = b;
  map->SyncMarkerReferences();
  map->ramp.markers[2].transparentMap = nullptr;
  map->SyncMarkerReferences();
  EXPECT_TRUE(CountDependentsOn(b, map) == 1 && map->GetReference(3) == b);
  map->ivalid = FOREVER;
  map->SyncMarkerReferences();  // nothing changed: nothing happens
  EXPECT_TRUE(map->ivalid.IsInfinite());
  map->DeleteThis();
}

// A map leaving the ramp is released once, however many slots held it; watchers hear of it.
TEST(KelvaneMap, MapsLeavingTheRampAreReleasedOnce) {
  Kelvane* map = NewKelvane();
  map->ramp.AddMarker(0.75f, AColor(1.0f, 1.0f, 1.0f));
  map->SyncMarkerReferences();
  auto* watcher = new Watcher(map);
  // Marker 1 (0.5): one map in both slots, as a drag from one map button onto the other does.
  auto* shared = new CountedMap;
  map->SetSubTexmap(2, shared);
  map->SetSubTexmap(3, shared);
  // Marker 3 (1.0): a map holding another map that leaves with it.
  Kelvane* holder = NewKelvane();
  auto* held = new CountedMap;
  holder->SetSubTexmap(0, held);
  map->SetSubTexmap(6, holder);
  map->SetSubTexmap(7, held);
  ASSERT_EQ(CountedMap::alive, 2);

  map->ramp.DeleteMarkerAt(0.5f, 0.01f);
  map->MarkersEdited();
  EXPECT_EQ(CountedMap::alive, 1);
  EXPECT_GT(watcher->changes, 0);
  map->ramp.DeleteMarkerAt(1.0f, 0.01f);
  map->MarkersEdited();
  EXPECT_EQ(CountedMap::alive, 0);
  EXPECT_EQ(Refs(map, MARKER_MAP_REF), std::vector<RefTargetHandle>(4, nullptr));
  watcher->DeleteMe();  // takes the map with it
}

// The host's heap runs out at each allocation in turn: no exception escapes, and no leak.
TEST(KelvaneMap, CreateAnswersNullWhenMemoryRunsOut) {
  LoadKelvaneModule();
  static int budget = 0;
  static long blocks = 0;
  const std::shared_ptr<void> restore(nullptr, [m = MAX_malloc, f = MAX_free](void*) {
    MAX_malloc = m;
    MAX_free = f;
  });
  MAX_malloc = [](size_t n) -> void* {
    void* p = budget-- > 0 ? std::malloc(n) : nullptr;
    blocks += p != nullptr;
    return p;
  };
  MAX_free = [](void* p) {
    blocks -= p != nullptr;
    std::free(p);
  };
  // An allocation failure escaping Create fails the test as an uncaught exception.
  for (int allowed = 0; allowed < 1000; ++allowed) {
    budget = allowed;
    blocks = 0;
    auto* map =
        static_cast<Kelvane*>(static_cast<ReferenceTarget*>(LibClassDesc(0)->Create(FALSE)));
    if (!map) {
      EXPECT_EQ(blocks, 0) << allowed << ": a failed creation left blocks on the host's heap";
      continue;
    }
    EXPECT_TRUE(allowed > 0 && map->pblock && map->uvGen && map->texout);
    budget = 1 << 30;
    map->DeleteMe();
    EXPECT_EQ(blocks, 0);
    return;
  }
  FAIL() << "no map was ever made";
}

TEST(KelvaneMap, OutputFilterTakesAColourAsItsChannels) {
  // The host's colour filter, four lanes at once, against its one-channel filter.
  Kelvane* map = NewKelvane();
  TextureOutput* out = map->texout;
  out->SetOutputLevel(0, 0.7f);
  for (BOOL invert : {FALSE, TRUE}) {
    out->SetInvert(invert);
    const AColor c(0.3f, 1.7f, -0.2f, 0.4f);
    const AColor f = out->Filter(c);
    EXPECT_EQ(std::tuple(f.r, f.g, f.b, f.a),
              std::tuple(out->Filter(c.r), out->Filter(c.g), out->Filter(c.b), c.a));
  }
  map->DeleteThis();
}
