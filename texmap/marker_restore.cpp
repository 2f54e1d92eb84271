#include "marker_restore.h"

#include "kelvane.h"
#include "marker_map_hold.h"

MarkerRestore::MarkerRestore(Kelvane* map, const std::vector<RampMarker>& before)
    : hold(new MarkerMapHold(map)), before(before) {
  HoldMaps(before);
}

MarkerRestore::~MarkerRestore() {
  if (Kelvane* map = Map(); map && map->heldMarkers == this) map->heldMarkers = nullptr;
  // The map is held weakly: letting go of it must not delete it; the maps go if nothing else
  // holds them.
  hold->ReplaceReference(0, nullptr, FALSE);
  hold->DeleteMe();
}

Kelvane* MarkerRestore::Map() const {
  return static_cast<Kelvane*>(hold->Owner());
}

void MarkerRestore::HoldMaps(const std::vector<RampMarker>& markers) {
  for (const RampMarker& m : markers) {
    hold->Add(m.colorMap);
    hold->Add(m.transparentMap);
  }
}

std::vector<RampMarker> MarkerRestore::Held(std::vector<RampMarker> markers) const {
  for (RampMarker& m : markers) {
    if (!hold->Holds(m.colorMap)) m.colorMap = nullptr;
    if (!hold->Holds(m.transparentMap)) m.transparentMap = nullptr;
  }
  return markers;
}

void MarkerRestore::Restore(int isUndo) {
  Kelvane* map = Map();
  if (!map) return;
  if (isUndo) {
    // What Redo brings back: the markers as the gesture, and any later step undone, left them.
    after = map->ramp.markers;
    for (RampMarker& m : after) m.flags &= ~MarkerDragging;
    HoldMaps(after);
  }
  map->RestoreMarkers(Held(before));
}

void MarkerRestore::Redo() {
  if (Kelvane* map = Map()) map->RestoreMarkers(Held(after));
}

int MarkerRestore::Size() {
  return int(sizeof(*this) + (before.size() + after.size()) * sizeof(RampMarker));
}

void MarkerRestore::EndHold() {
  // The next gesture starts a step of its own.
  if (Kelvane* map = Map(); map && map->heldMarkers == this) map->heldMarkers = nullptr;
}
