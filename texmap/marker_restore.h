#pragma once
#include <vector>

#include "hold.h"
#include "ramp_marker.h"

class Kelvane;
class MarkerMapHold;

// The map's markers before one held gesture and, once it is undone, after it. Every map either
// state names is held by reference while the step is on the undo stack, so a deleted marker's
// maps come back with it; the map itself is held weakly, and a step whose map is gone does
// nothing.
class MarkerRestore : public RestoreObj {
 public:
  MarkerRestore(Kelvane* map, const std::vector<RampMarker>& before);
  ~MarkerRestore() override;
  void Restore(int isUndo) override;
  void Redo() override;
  int Size() override;
  void EndHold() override;
  MSTR Description() override { return MSTR(L"Markers"); }

 private:
  Kelvane* Map() const;
  // The state with each map this step no longer holds (deleted outright) left out.
  std::vector<RampMarker> Held(std::vector<RampMarker> markers) const;
  void HoldMaps(const std::vector<RampMarker>& markers);

  MarkerMapHold* hold;
  std::vector<RampMarker> before, after;
};
