// Marker editing, and the drag: it passes markers without merging, and survives the drop's merge.
#include <tuple>

#include "curve_modes.h"
#include "ramp_drag.h"
#include "ramp_test_support.h"

namespace {
constexpr DWORD kDragged = MarkerActive | MarkerDragging;

// A marker as position, flags and grey (RampAt's grey is the marker's first position).
std::tuple<float, DWORD, float> Seen(const RampMarker* m) {
  return m ? std::tuple(m->position, m->flags, m->color.r) : std::tuple(-1.0f, DWORD(0), -1.0f);
}
}  // namespace

TEST(RampEditing, HitTestTakesTheLastInReachDeleteTheFirstSortMerges) {
  GradientRamp ramp = RampAt({0.0f, 0.40f, 0.41f, 1.0f});
  EXPECT_EQ(ramp.HitTestMarker(0.405f, 0.05f), &ramp.markers[2]);
  ramp.markers[3].flags = MarkerDragging;  // a dragged marker answers from any distance
  EXPECT_EQ(ramp.HitTestMarker(0.405f, 0.05f), &ramp.markers[3]);
  ramp.DeleteMarkerAt(0.405f, 0.05f);
  EXPECT_EQ(Positions(ramp), (std::vector<float>{0.0f, 0.41f, 1.0f}));
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive);  // the one before the removed marker
  ramp.DeleteMarkerAt(0.0f, 0.01f);
  ramp.DeleteMarkerAt(1.0f, 0.01f);  // two always remain
  EXPECT_EQ(Positions(ramp), (std::vector<float>{0.41f, 1.0f}));
  // Sorting merges into the marker kept, which keeps its flags; merges chain no further.
  ramp = RampAt({0.9f, 0.3f, 0.30005f, 0.1f});
  ramp.markers[0].flags = MarkerDragging;
  ramp.SortMarkers();
  ASSERT_EQ(ramp.markers.size(), 3u);
  EXPECT_NEAR(ramp.markers[1].position, 0.3f, 1e-4f);
  EXPECT_EQ(ramp.markers[2].flags, MarkerDragging);
  ramp = RampAt({0.00012f, 0.00006f, 0.0f});
  ramp.SortMarkers();
  EXPECT_EQ(Positions(ramp), (std::vector<float>{0.0f, 0.00012f}));
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

TEST(RampEditing, DragDraggingPastANeighbourNamesTheDraggedMarker) {
  GradientRamp ramp = RampAt({0.0f, 0.5f, 0.7f, 1.0f});
  ramp.markers[1].flags = MarkerActive;
  EXPECT_EQ(MoveDraggedMarker(ramp, 0.6f), nullptr) << "active, not dragged: nothing moves";
  EXPECT_EQ(EndMarkerDrag(ramp, 0.6f), nullptr);
  EXPECT_EQ(Seen(&ramp.markers[1]), std::tuple(0.5f, MarkerActive, 0.5f));
  ramp.markers[1].flags = kDragged;
  EXPECT_EQ(MoveDraggedMarker(ramp, 0.6f), &ramp.markers[1]);
  RampMarker* m = MoveDraggedMarker(ramp, 0.8f);
  ASSERT_EQ(m, &ramp.markers[2]);
  EXPECT_EQ(Seen(m), std::tuple(0.8f, kDragged, 0.5f));  // the record of the dragged marker
  EXPECT_EQ(Seen(&ramp.markers[1]), std::tuple(0.7f, DWORD(0), 0.7f));  // moved down a place
  EXPECT_EQ(Seen(EndMarkerDrag(ramp, 0.9f)), std::tuple(0.9f, MarkerActive, 0.5f));
  EXPECT_EQ(ramp.markers[2].position, 0.9f);
}

TEST(RampEditing, DragMarkersPassedOrLandedOnStayUntilTheDrop) {
  GradientRamp ramp = RampAt({0.0f, 0.3f, 0.6f, 1.0f});
  ramp.markers[2].flags = kDragged;
  // Onto the marker at 0.3, past it, clamped onto the start, back out: every marker stays.
  for (float t : {0.30005f, 0.3f, 0.2f, 0.0f, 0.45f}) {
    EXPECT_EQ(Seen(MoveDraggedMarker(ramp, t)), std::tuple(t, kDragged, 0.6f));
    ASSERT_EQ(ramp.markers.size(), 4u) << t;
  }
  RampMarker* m = EndMarkerDrag(ramp, 0.45f);
  ASSERT_EQ(m, &ramp.markers[2]);
  EXPECT_EQ(m->flags, MarkerActive);
  EXPECT_EQ(Positions(ramp), (std::vector<float>{0.0f, 0.3f, 0.45f, 1.0f}));
}

TEST(RampEditing, DragTheDroppedMarkerSurvivesTheMergeWhereItLands) {
  // Within 0.0001 above and below a marker, exactly on it, and on either end.
  const struct {
    float drop;
    size_t index;  // the dropped marker's place afterwards
  } drops[] = {{0.30005f, 1}, {0.29995f, 1}, {0.3f, 1}, {0.0f, 0}, {1.0f, 2}};
  for (auto d : drops) {
    GradientRamp ramp = RampAt({0.0f, 0.3f, 0.6f, 1.0f});
    ramp.markers[2].flags = kDragged;
    RampMarker* m = EndMarkerDrag(ramp, d.drop);
    ASSERT_EQ(ramp.markers.size(), 3u) << d.drop;
    ASSERT_EQ(m, &ramp.markers[d.index]) << d.drop;
    EXPECT_EQ(Seen(m), std::tuple(d.drop, MarkerActive, 0.6f));
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
  EXPECT_EQ(m->color.r, 0.5f);
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
  EXPECT_EQ(Seen(copy), std::tuple(0.5f, kDragged, 0.5f));
  EXPECT_EQ(ramp.markers[1].flags, 0u) << "the original is no longer active";
  copy = EndMarkerDrag(ramp, 0.7f);
  ASSERT_EQ(copy, &ramp.markers[2]);
  EXPECT_TRUE(copy->colorMap == map && copy->inMode == CurveGamma && copy->position == 0.7f);
  EXPECT_TRUE(ramp.markers[1].position == 0.5f && ramp.markers[1].colorMap == map);
  // Released without moving, a copy replaces its original.
  StartCopyDrag(ramp, 0.7f);
  EXPECT_EQ(DropDraggedMarker(ramp)->flags, MarkerActive);
  ASSERT_EQ(ramp.markers.size(), 4u);
  // A new marker from a press merges with nothing before its drop either.
  const AColor shown = ramp.ColorAt(0.7f);
  RampMarker* added = StartNewMarkerDrag(ramp, 0.7f);
  ASSERT_EQ(ramp.markers.size(), 5u);
  EXPECT_TRUE(added->color == shown && added->flags == kDragged);
  GradientRamp empty;
  EXPECT_EQ(StartCopyDrag(empty, 0.5f), nullptr) << "nothing to copy";
  map->DeleteThis();
}
