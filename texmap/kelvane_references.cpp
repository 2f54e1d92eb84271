// The Kelvane map's references, sub-animatables and sub-maps, and keeping them in step with
// the ramp's markers.
#include <algorithm>

#include "hold_suspension.h"
#include "kelvane.h"
#include "marker_map_hold.h"
#include "marker_restore.h"
#include "module.h"
#include "param_block.h"
#include "resource.h"

namespace {
MSTR ResourceString(int id) {
  const MCHAR* s = GetString(id);
  return s ? MSTR(s) : MSTR();
}

// The target as the slot's kind, or null when it is of another kind.
template <class T>
T* OfKind(RefTargetHandle target, SClass_ID kind) {
  return target && target->SuperClassID() == kind ? static_cast<T*>(target) : nullptr;
}

// Each distinct target of the list once, nulls left out.
std::vector<RefTargetHandle> Distinct(const std::vector<RefTargetHandle>& targets) {
  std::vector<RefTargetHandle> out;
  for (RefTargetHandle t : targets)
    if (t && std::find(out.begin(), out.end(), t) == out.end()) out.push_back(t);
  return out;
}
}  // namespace

int Kelvane::NumRefs() {
  // While references are being brought in step, the old slots still count.
  int maps = syncing ? int(linkedMaps.size()) : 2 * int(ramp.markers.size());
  return MARKER_MAP_REF + maps;
}

RefTargetHandle Kelvane::GetReference(int i) {
  switch (i) {
    case COORD_REF:
      return uvGen ? uvGen : misfits[i];
    case PBLOCK_REF:
      return pblock ? pblock : misfits[i];
    case OUTPUT_REF:
      return texout ? texout : misfits[i];
  }
  int k = i - MARKER_MAP_REF;
  if (k < 0) return nullptr;
  if (syncing) return k < int(linkedMaps.size()) ? linkedMaps[size_t(k)] : nullptr;
  if (k >= 2 * int(ramp.markers.size())) return nullptr;
  const RampMarker& m = ramp.markers[size_t(k / 2)];
  return k % 2 ? m.transparentMap : m.colorMap;
}

void Kelvane::SetReference(int i, RefTargetHandle rtarg) {
  switch (i) {
    case COORD_REF:
      uvGen = OfKind<UVGen>(rtarg, UVGEN_CLASS_ID);
      misfits[i] = uvGen ? nullptr : rtarg;
      return;
    case PBLOCK_REF:
      pblock = OfKind<IParamBlock2>(rtarg, PARAMETER_BLOCK2_CLASS_ID);
      misfits[i] = pblock ? nullptr : rtarg;
      return;
    case OUTPUT_REF:
      texout = OfKind<TextureOutput>(rtarg, TEXOUTPUT_CLASS_ID);
      misfits[i] = texout ? nullptr : rtarg;
      return;
  }
  int k = i - MARKER_MAP_REF;
  if (k < 0) return;
  if (syncing) {
    if (k < int(linkedMaps.size())) linkedMaps[size_t(k)] = rtarg;
  } else if (k < 2 * int(ramp.markers.size())) {
    if (linkedMaps.size() < 2 * ramp.markers.size()) linkedMaps.resize(2 * ramp.markers.size());
    linkedMaps[size_t(k)] = rtarg;
  } else {
    return;  // names no marker
  }
  // A target of another kind stays in linkedMaps only, so the next re-sync lets it go.
  Texmap* map = OfKind<Texmap>(rtarg, TEXMAP_CLASS_ID);
  SetMarkerMap(k, map);
  // A map set or deleted from outside is part of the state the next undo step starts from.
  if (!syncing && committedMarkers.size() == ramp.markers.size())
    (k % 2 ? committedMarkers[size_t(k / 2)].transparentMap
           : committedMarkers[size_t(k / 2)].colorMap) = map;
}

void Kelvane::SetMarkerMap(int k, Texmap* map) {
  if (k < 0 || k >= 2 * int(ramp.markers.size())) return;
  RampMarker& m = ramp.markers[size_t(k / 2)];
  (k % 2 ? m.transparentMap : m.colorMap) = map;
  preparedRamp.Forget();
}

std::vector<Texmap*> Kelvane::MarkerMaps() const {
  std::vector<Texmap*> maps;
  maps.reserve(2 * ramp.markers.size());
  for (const RampMarker& m : ramp.markers) {
    maps.push_back(m.colorMap);
    maps.push_back(m.transparentMap);
  }
  return maps;
}

void Kelvane::SyncMarkerReferences() {
  // The ramp's edits move marker records without telling the reference system: compare what
  // it holds for each slot with what the markers now name, and move the dependencies slot
  // by slot, under a hold on every map the slots held; releasing the hold then deletes the
  // maps that left the ramp, as the host's reference release would.
  // An undo step records the markers as a whole (HoldMarkers), not these moves one by one.
  HoldSuspension suspended;
  // Samples read the ramp itself until the next Update prepares it again.
  preparedRamp.Forget();
  std::vector<Texmap*> maps = MarkerMaps();
  std::vector<RefTargetHandle> wanted(maps.begin(), maps.end());
  committedMarkers = ramp.markers;
  if (wanted == linkedMaps) {
    RestoreMarkerMapCount();
    return;
  }
  auto* hold = new MarkerMapHold;
  for (RefTargetHandle t : Distinct(linkedMaps)) hold->Add(t);
  syncing = true;
  linkedMaps.resize(std::max(linkedMaps.size(), wanted.size()), nullptr);
  for (size_t k = 0; k < linkedMaps.size(); ++k) {
    RefTargetHandle target = k < wanted.size() ? wanted[k] : nullptr;
    if (linkedMaps[k] != target) ReplaceReference(MARKER_MAP_REF + int(k), target, FALSE);
  }
  syncing = false;
  linkedMaps = wanted;
  RestoreMarkerMapCount();
  hold->DeleteMe();
  ivalid.SetEmpty();
  DiscardTexHandle();
}

void Kelvane::HoldMarkers() {
  if (heldMarkers || !theHold.Holding()) return;
  heldMarkers = new MarkerRestore(this, committedMarkers);
  theHold.Put(heldMarkers);
}

void Kelvane::RestoreMarkers(const std::vector<RampMarker>& markers) {
  ramp.markers = markers;
  MarkersEdited();
  RefreshRollout();
}

void Kelvane::MarkersEdited() {
  HoldMarkers();
  SyncMarkerReferences();
  DiscardTexHandle();
  ivalid.SetEmpty();
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void Kelvane::RestoreMarkerMapCount() {
  int n = 2 * int(ramp.markers.size());
  if (pblock && pblock->Count(pb_marker_map) != n) pblock->SetCount(pb_marker_map, n);
}

int Kelvane::NumSubs() {
  return NumRefs();
}

Animatable* Kelvane::SubAnim(int i) {
  return GetReference(i);
}

MSTR Kelvane::SubAnimName(int i, bool localized) {
  switch (i) {
    case COORD_REF:
      return ResourceString(IDS_COORDINATES);
    case PBLOCK_REF:
      return ResourceString(IDS_PARAMETERS);
    case OUTPUT_REF:
      return ResourceString(IDS_OUTPUT);
  }
  return GetSubTexmapTVName(i - MARKER_MAP_REF, localized);
}

IParamBlock2* Kelvane::GetParamBlockByID(BlockID id) {
  return pblock && pblock->ID() == id ? pblock : nullptr;
}

int Kelvane::NumSubTexmaps() {
  return 2 * int(ramp.markers.size());
}

Texmap* Kelvane::GetSubTexmap(int i) {
  return static_cast<Texmap*>(GetReference(i + MARKER_MAP_REF));
}

void Kelvane::SetSubTexmap(int i, Texmap* m) {
  RestoreMarkerMapCount();
  // A marker's map is a marker field: its undo step is the markers' (taken before the old map
  // may go), not the reference's.
  HoldMarkers();
  {
    HoldSuspension suspended;
    ReplaceReference(i + MARKER_MAP_REF, m);
  }
  ivalid.SetEmpty();
  // A marker's map is one of its fields: what shows the map shows it anew.
  if (i >= 0 && i < NumSubTexmaps()) MarkersEdited();
  if (dlgProc) UpdateRolloutSubTexNames();
}

MSTR Kelvane::GetSubTexmapSlotName(int i, bool) {
  return ResourceString(i % 2 ? IDS_MARKER_TRANSPARENT_COLOR : IDS_MARKER_COLOR);
}

RefResult Kelvane::NotifyRefChanged(const Interval&, RefTargetHandle, PartID& partID,
                                    RefMessage message, BOOL) {
  switch (message) {
    case REFMSG_CHANGE:
      if (pblock && pblock->LastNotifyParamID() == pb_marker_map) RestoreMarkerMapCount();
      DiscardTexHandle();
      return REF_SUCCEED;
    case REFMSG_GET_PARAM_NAME: {
      auto* query = reinterpret_cast<GetParamName*>(partID);
      if (query) query->name = GetSubTexmapSlotName(query->index, true);
      return REF_STOP;
    }
    case REFMSG_GET_PARAM_DIM:
      return REF_STOP;
  }
  return REF_SUCCEED;
}
