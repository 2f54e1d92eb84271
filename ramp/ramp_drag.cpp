#include "ramp_drag.h"

RampMarker* MoveDraggedMarker(GradientRamp& ramp, float t) {
  RampMarker* dragged = ramp.FindMarkerByFlag(MarkerDragging);
  if (!dragged) return nullptr;
  dragged->position = t;
  // The flag travels with the record through the sort, so it still names the dragged marker.
  ramp.SortMarkers();
  if (RampMarker* moved = ramp.FindMarkerByFlag(MarkerDragging)) return moved;

  // The merge removed the dragged record. It went because it sorted after a kept marker less
  // than 0.0001 below or at t, and every marker kept after that one lies at least 0.0001
  // above it, hence above t: the survivor is the last marker at or below t.
  RampMarker* survivor = nullptr;
  for (RampMarker& m : ramp.markers)
    if (m.position <= t) survivor = &m;
  if (!survivor) {
    if (ramp.markers.empty()) return nullptr;
    survivor = &ramp.markers.front();
  }
  ramp.ClearMarkerFlags();
  survivor->flags |= MarkerActive | MarkerDragging;
  return survivor;
}

RampMarker* EndMarkerDrag(GradientRamp& ramp, float t) {
  RampMarker* m = MoveDraggedMarker(ramp, t);
  if (m) m->flags &= ~MarkerDragging;
  return m;
}
