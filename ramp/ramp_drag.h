#pragma once
#include "gradient_ramp.h"

// The ramp control's drag, on the ramp alone: the marker carrying MarkerDragging moves to t
// and the ramp is sorted.
//
// SortMarkers may merge the dragged marker into the marker it landed on and remove its record.
// The drag then carries on with the survivor of that merge, the marker now standing at that
// position: it becomes the one active, dragging marker, so every notification names a record
// that exists and the next drag step moves the marker the user sees under the mouse.
//
// Returns the dragged marker's record after the sort (or the survivor's), or null when no
// marker was being dragged.
RampMarker* MoveDraggedMarker(GradientRamp& ramp, float t);

// The last step of a drag: moves as MoveDraggedMarker, then the marker stops dragging and
// stays active. Returns its record after the sort, or null when nothing was being dragged.
RampMarker* EndMarkerDrag(GradientRamp& ramp, float t);
