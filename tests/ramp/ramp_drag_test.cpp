// The ramp control's drag on the ramp alone: the dragged marker keeps its identity through the
// sort, and a merge that removes it hands the drag to the survivor.
#include "ramp_drag.h"
#include "ramp_test_support.h"

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
  ramp.markers[1].flags = MarkerActive | MarkerDragging;
  RampMarker* m = MoveDraggedMarker(ramp, 0.6f);
  EXPECT_EQ(m, &ramp.markers[1]);
  m = MoveDraggedMarker(ramp, 0.8f);
  ASSERT_EQ(m, &ramp.markers[2]);
  EXPECT_EQ(m->position, 0.8f);
  ExpectColor(m->color, 0.5f, 0.5f, 0.5f);  // the record of the marker that was dragged
  EXPECT_EQ(m->flags, MarkerActive | MarkerDragging);
  EXPECT_EQ(ramp.markers[1].position, 0.7f);  // the neighbour moved down a place
  EXPECT_EQ(ramp.markers[1].flags, 0u);
  m = EndMarkerDrag(ramp, 0.9f);
  ASSERT_EQ(m, &ramp.markers[2]);
  EXPECT_EQ(m->position, 0.9f);
  EXPECT_EQ(m->flags, MarkerActive);
}

TEST(RampDrag, AMergeThatRemovesTheDraggedMarkerHandsTheDragToTheSurvivor) {
  GradientRamp ramp = RampAt({0.0f, 0.3f, 0.6f, 1.0f});
  ramp.markers[2].flags = MarkerActive | MarkerDragging;
  // Just above the marker at 0.3: the sort puts the dragged one second and the merge drops it.
  RampMarker* m = MoveDraggedMarker(ramp, 0.30005f);
  ASSERT_EQ(ramp.markers.size(), 3u);
  ASSERT_EQ(m, &ramp.markers[1]);
  EXPECT_EQ(m->position, 0.3f);
  ExpectColor(m->color, 0.3f, 0.3f, 0.3f);  // the survivor's own data
  EXPECT_EQ(m->flags, MarkerActive | MarkerDragging);
  EXPECT_EQ(ramp.markers[0].flags, 0u);
  EXPECT_EQ(ramp.markers[2].flags, 0u);
  // The drag carries on with the survivor.
  m = MoveDraggedMarker(ramp, 0.45f);
  ASSERT_EQ(m, &ramp.markers[1]);
  EXPECT_EQ(m->position, 0.45f);
  ExpectColor(m->color, 0.3f, 0.3f, 0.3f);
  m = EndMarkerDrag(ramp, 0.45f);
  ASSERT_EQ(m, &ramp.markers[1]);
  EXPECT_EQ(m->flags, MarkerActive);
}

TEST(RampDrag, AMergeThatKeepsTheDraggedMarkerNamesIt) {
  GradientRamp ramp = RampAt({0.0f, 0.30005f, 0.6f, 1.0f});
  ramp.markers[2].flags = MarkerActive | MarkerDragging;
  RampMarker* m = MoveDraggedMarker(ramp, 0.3f);  // sorts before the other: the other goes
  ASSERT_EQ(ramp.markers.size(), 3u);
  ASSERT_EQ(m, &ramp.markers[1]);
  EXPECT_EQ(m->position, 0.3f);
  ExpectColor(m->color, 0.6f, 0.6f, 0.6f);
  EXPECT_EQ(m->flags, MarkerActive | MarkerDragging);
}

TEST(RampDrag, ExactlyOntoAnotherMarkerAlwaysNamesALiveRecord) {
  for (int dragged : {0, 2}) {
    GradientRamp ramp = RampAt({0.0f, 0.5f, 1.0f});
    ramp.markers[dragged].flags = MarkerActive | MarkerDragging;
    RampMarker* m = MoveDraggedMarker(ramp, 0.5f);
    ASSERT_EQ(ramp.markers.size(), 2u);
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m >= ramp.markers.data() && m < ramp.markers.data() + ramp.markers.size());
    EXPECT_EQ(m->position, 0.5f);
    EXPECT_EQ(m->flags, MarkerActive | MarkerDragging);
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
  EXPECT_EQ(m->flags, MarkerActive | MarkerDragging);
  EXPECT_EQ(ramp.markers[1].flags, 0u);
}
