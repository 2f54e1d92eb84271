#pragma once
#include "gradient_ramp.h"

// The ramp control's drag, on the ramp alone. The marker carrying MarkerDragging moves; while
// the button is down markers may pass each other and even stand on the same position, and
// nothing merges: a drag that clamps onto an end, or crosses a neighbour on the same pixel
// column, keeps every marker. Merging happens once, at the drop: every other marker within
// 0.0001 of the dropped one goes, and the dropped marker survives at its drop position.

// Moves the dragging marker to t and orders the ramp. Returns its record after the ordering,
// or null when no marker was being dragged.
RampMarker* MoveDraggedMarker(GradientRamp& ramp, float t);

// A press away from every marker: a new marker at t with the colour the ramp shows there,
// which becomes the only active, dragging marker. Nothing merges with it until it is dropped.
// Returns its record.
RampMarker* StartNewMarkerDrag(GradientRamp& ramp, float t);

// Shift+click: a copy of the active marker (with none active, of the marker shown at t), maps
// included, at t, which becomes the only active, dragging marker. It does not merge with the
// marker it was copied from until it is dropped. Returns its record, or null on an empty ramp.
RampMarker* StartCopyDrag(GradientRamp& ramp, float t);

// The drop where the dragging marker stands (the capture went elsewhere): the markers it
// landed on merge into it, and it stops dragging and stays active. Returns its record after
// the merge, or null when nothing was being dragged.
RampMarker* DropDraggedMarker(GradientRamp& ramp);

// The button's release at t: moves as MoveDraggedMarker, then drops as DropDraggedMarker.
RampMarker* EndMarkerDrag(GradientRamp& ramp, float t);
