// Marker editing, and the control's drag on the ramp alone: the dragged marker keeps its identity,
// passes others without swallowing them, and merges only where dropped, surviving the merge.
#include "curve_modes.h"
#include "ramp_drag.h"
#include "ramp_test_support.h"

TEST(RampEditing, DefaultRampAndActiveMarker) {
  GradientRamp ramp;
  ramp.InitDefault();
  ASSERT_EQ(ramp.markers.size(), 3u);
  EXPECT_EQ(ramp.markers[1].color, AColor(0.5f, 0.5f, 0.5f, 1.0f));
  EXPECT_EQ(ramp.FindMarkerByFlag(MarkerActive), &ramp.markers[0]);
  ramp.SetActiveMarker(-3);
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive);
  ramp.SetActiveMarker(3);  // past the end: none active
  EXPECT_EQ(ramp.FindMarkerByFlag(MarkerActive), nullptr);
  ramp.markers[2].flags = MarkerDragging;
  EXPECT_EQ(ramp.ActiveMarkerIndex(MarkerDragging), 2);
  EXPECT_EQ(ramp.ActiveMarkerIndex(MarkerActive), 0);  // none: marker 0 becomes active
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive);
  ramp.ClearMarkerFlags();
  EXPECT_EQ(ramp.FindMarkerByFlag(MarkerActive | MarkerDragging), nullptr);
}

TEST(RampEditing, HitTestTakesTheLastInReachDeleteTheFirst) {
  GradientRamp ramp = RampAt({0.0f, 0.40f, 0.41f, 1.0f});
  EXPECT_EQ(ramp.HitTestMarker(0.405f, 0.05f), &ramp.markers[2]);
  ramp.markers[3].flags = MarkerDragging;  // a dragged marker answers from any distance
  EXPECT_EQ(ramp.HitTestMarker(0.405f, 0.05f), &ramp.markers[3]);
  ramp.DeleteMarkerAt(0.405f, 0.05f);
  ASSERT_EQ(ramp.markers.size(), 3u);
  EXPECT_EQ(ramp.markers[1].position, 0.41f);
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive);  // the one before the removed marker
  ramp.DeleteMarkerAt(0.0f, 0.01f);
  ramp.DeleteMarkerAt(1.0f, 0.01f);  // two always remain
  ASSERT_EQ(ramp.markers.size(), 2u);
  EXPECT_EQ(ramp.markers[0].position, 0.41f);
}

TEST(RampEditing, SortMergesIntoTheMarkerKept) {
  GradientRamp ramp = RampAt({0.9f, 0.3f, 0.30005f, 0.1f});
  ramp.markers[0].flags = MarkerDragging;
  ramp.SortMarkers();
  ASSERT_EQ(ramp.markers.size(), 3u);
  EXPECT_NEAR(ramp.markers[1].position, 0.3f, 1e-4f);
  EXPECT_EQ(ramp.markers[2].flags, MarkerDragging);
  GradientRamp chain = RampAt({0.00012f, 0.00006f, 0.0f});
  chain.SortMarkers();
  ASSERT_EQ(chain.markers.size(), 2u);
  EXPECT_EQ(chain.markers[1].position, 0.00012f);
}

TEST(RampEditing, AddAndDuplicate) {
  GradientRamp ramp;
  ramp.InitDefault();
  const AColor glyph(0.1f, 0.2f, 0.3f, 0.4f), red(1.0f, 0.0f, 0.0f, 1.0f);
  ramp.SetGlyphColors(glyph, glyph);
  RampMarker* added = ramp.AddMarker(0.75f, red);
  ASSERT_EQ(added, &ramp.markers[2]);
  EXPECT_TRUE(added->color == red && added->activeGlyphColor == glyph && added->flags == 0);
  EXPECT_EQ(ramp.AddMarker(0.50005f, red)->position, 0.5f);  // merged: the survivor
  ASSERT_EQ(ramp.markers.size(), 4u);

  TestMap* map = new TestMap(red);
  ramp.markers[1].colorMap = ramp.markers[1].transparentMap = map;
  ramp.markers[1].transparentMapOn = false;
  ramp.markers[1].inMode = CurveGamma;
  ramp.SetActiveMarker(1);
  RampMarker copy = *ramp.DuplicateActiveMarker(0.6f);
  EXPECT_TRUE(copy.colorMap == map && copy.transparentMap == map && !copy.transparentMapOn);
  EXPECT_TRUE(copy.inMode == CurveGamma && copy.position == 0.6f && copy.flags == 0);
  // None active (a merge can do that): the marker the ramp shows at t is copied.
  ramp.ClearMarkerFlags();
  EXPECT_EQ(ramp.DuplicateActiveMarker(0.7f)->colorMap, map);  // the copy at 0.6
  EXPECT_EQ(ramp.DuplicateActiveMarker(0.9f)->color, red);     // the one at 0.75
  EXPECT_EQ(ramp.DuplicateActiveMarker(-0.2f)->color, AColor(0.0f, 0.0f, 0.0f, 1.0f));  // first
  map->DeleteThis();
}

namespace {
constexpr DWORD kDragged = MarkerActive | MarkerDragging;
}

TEST(RampEditing, DragDraggingPastANeighbourNamesTheDraggedMarker) {
  GradientRamp ramp = RampAt({0.0f, 0.5f, 0.7f, 1.0f});
  ramp.markers[1].flags = MarkerActive;
  EXPECT_EQ(MoveDraggedMarker(ramp, 0.6f), nullptr) << "active, not dragged: nothing moves";
  EXPECT_EQ(EndMarkerDrag(ramp, 0.6f), nullptr);
  EXPECT_TRUE(ramp.markers[1].position == 0.5f && ramp.markers[1].flags == MarkerActive);
  ramp.markers[1].flags = kDragged;
  EXPECT_EQ(MoveDraggedMarker(ramp, 0.6f), &ramp.markers[1]);
  RampMarker* m = MoveDraggedMarker(ramp, 0.8f);
  ASSERT_EQ(m, &ramp.markers[2]);
  EXPECT_TRUE(m->position == 0.8f && m->flags == kDragged);
  ExpectColor(m->color, 0.5f, 0.5f, 0.5f);  // the record of the marker that was dragged
  // The neighbour moved down a place.
  EXPECT_TRUE(ramp.markers[1].position == 0.7f && ramp.markers[1].flags == 0u);
  m = EndMarkerDrag(ramp, 0.9f);
  ASSERT_EQ(m, &ramp.markers[2]);
  EXPECT_TRUE(m->position == 0.9f && m->flags == MarkerActive);
}

TEST(RampEditing, DragMarkersPassedOrLandedOnStayUntilTheDrop) {
  GradientRamp ramp = RampAt({0.0f, 0.3f, 0.6f, 1.0f});
  ramp.markers[2].flags = kDragged;
  // Onto the marker at 0.3, past it, clamped onto the start, back out: every marker stays.
  for (float t : {0.30005f, 0.3f, 0.2f, 0.0f, 0.45f}) {
    RampMarker* m = MoveDraggedMarker(ramp, t);
    ASSERT_EQ(ramp.markers.size(), 4u) << t;
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->position == t && m->flags == kDragged);
    ExpectColor(m->color, 0.6f, 0.6f, 0.6f);
  }
  RampMarker* m = EndMarkerDrag(ramp, 0.45f);
  ASSERT_EQ(ramp.markers.size(), 4u);
  ASSERT_EQ(m, &ramp.markers[2]);
  EXPECT_EQ(m->flags, MarkerActive);
  EXPECT_TRUE(ramp.markers[0].position == 0.0f && ramp.markers[1].position == 0.3f);
}

TEST(RampEditing, DragTheDroppedMarkerSurvivesTheMergeWhereItLands) {
  // Within 0.0001 above and below a marker, exactly on it, and on either end.
  const struct {
    float drop;
    size_t index;  // the dropped marker's place afterwards
  } drops[] = {{0.30005f, 1}, {0.29995f, 1}, {0.3f, 1}, {0.0f, 0}, {1.0f, 2}};
  for (auto d : drops) {
    SCOPED_TRACE(d.drop);
    GradientRamp ramp = RampAt({0.0f, 0.3f, 0.6f, 1.0f});
    ramp.markers[2].flags = kDragged;
    RampMarker* m = EndMarkerDrag(ramp, d.drop);
    ASSERT_EQ(ramp.markers.size(), 3u);
    ASSERT_EQ(m, &ramp.markers[d.index]);
    EXPECT_TRUE(m->position == d.drop && m->flags == MarkerActive);
    ExpectColor(m->color, 0.6f, 0.6f, 0.6f);
    EXPECT_EQ(ramp.FindMarkerByFlag(MarkerActive), m);
  }
  // Dropped where it stands (the capture went elsewhere): the same rule.
  GradientRamp ramp = RampAt({0.0f, 0.5f, 1.0f});
  ramp.markers[0].flags = MarkerActive;
  ramp.markers[1].flags = MarkerDragging;  // dragged, though another is active
  MoveDraggedMarker(ramp, 0.00005f);
  RampMarker* m = DropDraggedMarker(ramp);
  ASSERT_EQ(ramp.markers.size(), 2u);
  ASSERT_EQ(m, &ramp.markers[0]);
  ExpectColor(m->color, 0.5f, 0.5f, 0.5f);
  EXPECT_EQ(DropDraggedMarker(ramp), nullptr) << "nothing is being dragged any more";
}

TEST(RampEditing, DragACopyMadeOnItsOriginalIsDraggedAwayFromIt) {
  GradientRamp ramp = RampAt({0.0f, 0.5f, 1.0f});
  TestMap* map = new TestMap(AColor(1.0f, 0.0f, 0.0f, 1.0f));
  ramp.markers[1].colorMap = map;
  ramp.markers[1].inMode = CurveGamma;
  ramp.markers[1].flags = MarkerActive;
  RampMarker* copy = StartCopyDrag(ramp, 0.5f);  // Shift+click on the active marker itself
  ASSERT_EQ(ramp.markers.size(), 4u);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->flags, kDragged);
  EXPECT_EQ(ramp.markers[1].flags, 0u) << "the original is no longer active";
  copy = EndMarkerDrag(ramp, 0.7f);
  ASSERT_EQ(ramp.markers.size(), 4u);
  ASSERT_EQ(copy, &ramp.markers[2]);
  EXPECT_TRUE(copy->colorMap == map && copy->inMode == CurveGamma && copy->position == 0.7f);
  EXPECT_TRUE(ramp.markers[1].position == 0.5f && ramp.markers[1].colorMap == map);
  // Released without moving, a copy replaces its original.
  copy = StartCopyDrag(ramp, 0.7f);
  copy = DropDraggedMarker(ramp);
  ASSERT_EQ(ramp.markers.size(), 4u);
  EXPECT_EQ(copy->flags, MarkerActive);
  // A new marker from a press merges with nothing before its drop either.
  const AColor shown = ramp.ColorAt(0.7f);
  RampMarker* added = StartNewMarkerDrag(ramp, 0.7f);
  ASSERT_EQ(ramp.markers.size(), 5u);
  EXPECT_TRUE(added->color == shown && added->flags == kDragged);
  GradientRamp empty;
  EXPECT_EQ(StartCopyDrag(empty, 0.5f), nullptr) << "nothing to copy";
  map->DeleteThis();
}
