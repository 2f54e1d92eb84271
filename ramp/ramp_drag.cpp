#include "ramp_drag.h"

#include <cmath>

RampMarker* MoveDraggedMarker(GradientRamp& ramp, float t) {
  RampMarker* dragged = ramp.FindMarkerByFlag(MarkerDragging);
  if (!dragged) return nullptr;
  dragged->position = t;
  // The flag travels with the record through the ordering, so it still names the marker.
  ramp.OrderMarkers();
  return ramp.FindMarkerByFlag(MarkerDragging);
}

namespace {

// Puts m into the ramp as its only active, dragging marker, without merging.
RampMarker* StartDragOf(GradientRamp& ramp, RampMarker m, float t) {
  ramp.ClearMarkerFlags();
  m.flags = MarkerActive | MarkerDragging;
  m.position = t;
  ramp.markers.push_back(m);
  ramp.OrderMarkers();
  return ramp.FindMarkerByFlag(MarkerDragging);
}

}  // namespace

RampMarker* StartNewMarkerDrag(GradientRamp& ramp, float t) {
  // A new marker starts with the colour the ramp already shows there.
  return StartDragOf(ramp, ramp.NewMarker(t, ramp.ColorAt(t)), t);
}

RampMarker* StartCopyDrag(GradientRamp& ramp, float t) {
  const RampMarker* source = ramp.DuplicationSource(t);
  if (!source) return nullptr;
  return StartDragOf(ramp, *source, t);
}

RampMarker* DropDraggedMarker(GradientRamp& ramp) {
  const RampMarker* dragged = ramp.FindMarkerByFlag(MarkerDragging);
  if (!dragged) return nullptr;
  const float at = dragged->position;
  std::erase_if(ramp.markers, [at](const RampMarker& m) {
    return !(m.flags & MarkerDragging) && std::fabs(m.position - at) < kRampSnap;
  });
  RampMarker* dropped = ramp.FindMarkerByFlag(MarkerDragging);
  dropped->flags &= ~MarkerDragging;
  return dropped;
}

RampMarker* EndMarkerDrag(GradientRamp& ramp, float t) {
  if (!MoveDraggedMarker(ramp, t)) return nullptr;
  return DropDraggedMarker(ramp);
}
