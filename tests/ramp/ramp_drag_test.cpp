// The ramp control's drag on the ramp alone: the dragged marker keeps its identity through the
// sort, and a merge that removes it hands the drag to the survivor.
#include "ramp_drag.h"
#include "ramp_test_support.h"

namespace {
constexpr DWORD kDragged = MarkerActive | MarkerDragging;
}

TEST(RampDrag, NothingMovesWithoutADraggedMarker) {
  GradientRamp ramp = RampAt({0.0f, 0.5f, 1.0f});
  ramp.markers[1].flags = MarkerActive;
  EXPECT_EQ(MoveDraggedMarker(ramp, 0.7f), nullptr);
  EXPECT_EQ(EndMarkerDrag(ramp, 0.7f), nullptr);
  EXPECT_EQ(ramp.markers[1].position, 0.5f);
  EXPECT_EQ(ramp.markers[1].flags, MarkerActive);
}

TEST(RampDrag, DraggingPastANeighbourNamesTheDraggedMarker) {
  GradientRamp ramp = RampAt({0.0f, 0.5f, 0.7f, 1.0f});
  ramp.markers[1].flags = kDragged;
  EXPECT_EQ(MoveDraggedMarker(ramp, 0.6f), &ramp.markers[1]);
  RampMarker* m = MoveDraggedMarker(ramp, 0.8f);
  ASSERT_EQ(m, &ramp.markers[2]);
  EXPECT_EQ(m->position, 0.8f);
  ExpectColor(m->color, 0.5f, 0.5f, 0.5f);  // the record of the marker that was dragged
  EXPECT_EQ(m->flags, kDragged);
  EXPECT_EQ(ramp.markers[1].position, 0.7f);  // the neighbour moved down a place
  EXPECT_EQ(ramp.markers[1].flags, 0u);
  m = EndMarkerDrag(ramp, 0.9f);
  ASSERT_EQ(m, &ramp.markers[2]);
  EXPECT_EQ(m->position, 0.9f);
  EXPECT_EQ(m->flags, MarkerActive);
}

TEST(RampDrag, AMergeNamesTheSurvivorWhicheverRecordItKeeps) {
  // Just above the marker at 0.3: the sort puts the dragged one second and the merge drops it;
  // the survivor takes the drag and keeps its own data.
  GradientRamp ramp = RampAt({0.0f, 0.3f, 0.6f, 1.0f});
  ramp.markers[2].flags = kDragged;
  RampMarker* m = MoveDraggedMarker(ramp, 0.30005f);
  ASSERT_EQ(ramp.markers.size(), 3u);
  ASSERT_EQ(m, &ramp.markers[1]);
  EXPECT_EQ(m->position, 0.3f);
  ExpectColor(m->color, 0.3f, 0.3f, 0.3f);
  EXPECT_EQ(m->flags, kDragged);
  EXPECT_EQ(ramp.markers[0].flags | ramp.markers[2].flags, 0u);
  m = MoveDraggedMarker(ramp, 0.45f);  // the drag carries on with the survivor
  ASSERT_EQ(m, &ramp.markers[1]);
  EXPECT_EQ(m->position, 0.45f);
  EXPECT_EQ(EndMarkerDrag(ramp, 0.45f)->flags, MarkerActive);

  // Just below it: the dragged marker sorts first and the other goes.
  ramp = RampAt({0.0f, 0.30005f, 0.6f, 1.0f});
  ramp.markers[2].flags = kDragged;
  m = MoveDraggedMarker(ramp, 0.3f);
  ASSERT_EQ(ramp.markers.size(), 3u);
  ASSERT_EQ(m, &ramp.markers[1]);
  ExpectColor(m->color, 0.6f, 0.6f, 0.6f);
  EXPECT_EQ(m->flags, kDragged);
}

TEST(RampDrag, ExactlyOntoAnotherMarkerAlwaysNamesALiveRecord) {
  for (int dragged : {0, 2}) {
    GradientRamp ramp = RampAt({0.0f, 0.5f, 1.0f});
    ramp.markers[dragged].flags = kDragged;
    RampMarker* m = MoveDraggedMarker(ramp, 0.5f);
    ASSERT_EQ(ramp.markers.size(), 2u);
    ASSERT_TRUE(m >= ramp.markers.data() && m < ramp.markers.data() + ramp.markers.size());
    EXPECT_EQ(m->position, 0.5f);
    EXPECT_EQ(m->flags, kDragged);
    EXPECT_EQ(ramp.FindMarkerByFlag(MarkerActive), m);  // the only active marker
  }
}

TEST(RampDrag, TheFirstMarkerAbsorbsADragToTheStart) {
  GradientRamp ramp = RampAt({0.0f, 0.5f, 1.0f});
  ramp.markers[0].flags = MarkerActive;
  ramp.markers[1].flags = MarkerDragging;  // dragged, though another is active
  RampMarker* m = MoveDraggedMarker(ramp, 0.00005f);
  ASSERT_EQ(ramp.markers.size(), 2u);
  ASSERT_EQ(m, &ramp.markers[0]);
  EXPECT_EQ(m->position, 0.0f);
  EXPECT_EQ(m->flags, kDragged);
  EXPECT_EQ(ramp.markers[1].flags, 0u);
}
