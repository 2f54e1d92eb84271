// The Kelvane map's lifecycle: construction, reset, update, clone and destruction.
#include "kelvane.h"

#include "kelvane_class_desc.h"
#include "module.h"
#include "param_block.h"
#include "resource.h"

namespace {
constexpr float kDegreesToRadians = 0.017453292f;
}

Kelvane::Kelvane() {
  ramp.InitDefault();
  GetKelvaneDesc()->MakeAutoParamBlocks(this);
  Reset();
}

Kelvane::~Kelvane() {
  ClearEdgeCache();
  DiscardTexHandle();
  // The host releases this map's references; the marker records only point at them.
  ramp.markers.clear();
  committedMarkers.clear();
}

// The class name is the same in every language: the string table's entry.
void Kelvane::GetClassName(MSTR& s, bool) const {
  const MCHAR* name = GetString(IDS_CLASS_NAME);
  s = name ? name : L"";
}

Class_ID Kelvane::ClassID() {
  return KELVANE_CLASS_ID;
}

void Kelvane::Reset() {
  if (uvGen)
    uvGen->Reset();
  else
    ReplaceReference(COORD_REF, GetNewDefaultUVGen());
  if (texout)
    texout->Reset();
  else
    ReplaceReference(OUTPUT_REF, GetNewDefaultTextureOutput());
  // Let go of the marker maps, then start again from the default ramp.
  for (int i = NumRefs() - 1; i >= MARKER_MAP_REF; --i)
    if (GetReference(i)) DeleteReference(i);
  ramp.InitDefault();
  SyncMarkerReferences();
  RestoreMarkerMapCount();
  ClearEdgeCache();
  ivalid.SetEmpty();
}

void Kelvane::Update(TimeValue t, Interval& valid) {
  ivalid = FOREVER;
  if (pblock) {
    int on = 0;
    // Every value is brought into its declared range: a damaged scene file can hold any.
    pblock->GetValue(pb_distance, t, distance, ivalid);
    distance = InDeclaredRange(pblock, pb_distance, distance);
    pblock->GetValue(pb_angle, t, angleThreshold, ivalid);
    angleThreshold = InDeclaredRange(pblock, pb_angle, angleThreshold);
    pblock->GetValue(pb_selection_only, t, on, ivalid);
    selectionOnly = on != 0;
    pblock->GetValue(pb_smooth, t, on, ivalid);
    smooth = on != 0;
    pblock->GetValue(pb_matid, t, on, ivalid);
    matId = on != 0;
    pblock->GetValue(pb_complanar, t, on, ivalid);
    complanar = on != 0;
    pblock->GetValue(pb_open_edges, t, on, ivalid);
    openEdges = on != 0;
    pblock->GetValue(pb_smooth_eq, t, smoothEq, ivalid);
    smoothEq = InDeclaredRange(pblock, pb_smooth_eq, smoothEq);
    pblock->GetValue(pb_matid_eq, t, matIdEq, ivalid);
    matIdEq = InDeclaredRange(pblock, pb_matid_eq, matIdEq);
    pblock->GetValue(pb_conditions, t, conditions, ivalid);
    conditions = InDeclaredRange(pblock, pb_conditions, conditions);
    angleThreshold *= kDegreesToRadians;
    pblock->GetValue(pb_c_mult, t, cMult, ivalid);
    cMult = InDeclaredRange(pblock, pb_c_mult, cMult);
    pblock->GetValue(pb_matid_range, t, on, ivalid);
    matIdRange = on != 0;
    pblock->GetValue(pb_matid1, t, matId1, ivalid);
    matId1 = InDeclaredRange(pblock, pb_matid1, matId1) - 1;
    pblock->GetValue(pb_matid2, t, matId2, ivalid);
    matId2 = InDeclaredRange(pblock, pb_matid2, matId2) - 1;
    pblock->GetValue(pb_edge_shape, t, edgeShape, ivalid);
    edgeShape = InDeclaredRange(pblock, pb_edge_shape, edgeShape);
    pblock->GetValue(pb_world_units, t, on, ivalid);
    worldUnits = on != 0;
    pblock->GetValue(pb_bump_mode, t, bumpMode, ivalid);
    bumpMode = InDeclaredRange(pblock, pb_bump_mode, bumpMode);
    ClearEdgeCache();
  }
  if (uvGen) uvGen->Update(t, ivalid);
  if (texout) texout->Update(t, ivalid);
  for (const RampMarker& m : ramp.markers) {
    if (m.colorMap) m.colorMap->Update(t, ivalid);
    if (m.transparentMap) m.transparentMap->Update(t, ivalid);
  }
  preparedRamp.Prepare(ramp);
  DiscardTexHandle();
  valid &= ivalid;
}

Interval Kelvane::Validity(TimeValue t) {
  Interval scratch = FOREVER;
  Update(t, scratch);
  return ivalid;
}

RefTargetHandle Kelvane::Clone(RemapDir& remap) {
  Kelvane* m = new Kelvane;
  m->MtlBase::operator=(*this);
  m->ReplaceReference(PBLOCK_REF, remap.CloneRef(pblock));
  m->ReplaceReference(COORD_REF, remap.CloneRef(uvGen));
  m->ReplaceReference(OUTPUT_REF, remap.CloneRef(texout));
  static_cast<EdgeParameters&>(*m) = *this;
  m->ramp.markerSize = ramp.markerSize;

  // The copy's default markers have no maps; replace them with copies of ours, maps cloned.
  m->ramp.markers.clear();
  m->SyncMarkerReferences();
  for (const RampMarker& source : ramp.markers) {
    RampMarker copy = source;
    copy.flags = 0;
    copy.colorMap = copy.transparentMap = nullptr;
    m->ramp.markers.push_back(copy);
  }
  m->SyncMarkerReferences();
  for (size_t i = 0; i < ramp.markers.size(); ++i) {
    int ref = MARKER_MAP_REF + 2 * int(i);
    m->ReplaceReference(ref, remap.CloneRef(ramp.markers[i].colorMap));
    m->ReplaceReference(ref + 1, remap.CloneRef(ramp.markers[i].transparentMap));
  }
  m->RestoreMarkerMapCount();
  m->ramp.SetActiveMarker(0);
  m->committedMarkers = m->ramp.markers;
  m->ClearEdgeCache();
  m->DiscardTexHandle();
  m->dlgProc = nullptr;
  m->ivalid.SetEmpty();
  BaseClone(this, m, remap);
  return m;
}

ULONG Kelvane::LocalRequirements(int subMtlNum) {
  // Reset installs the coordinates generator; a map without one asks for nothing.
  return uvGen ? uvGen->Requirements(subMtlNum) : 0;
}

void Kelvane::LocalMappingsRequired(int subMtlNum, BitArray& mapreq, BitArray& bumpreq) {
  if (uvGen) uvGen->MappingsRequired(subMtlNum, mapreq, bumpreq);
}

void Kelvane::GetUVTransform(Matrix3& uvtrans) {
  if (uvGen) uvGen->GetUVTransform(uvtrans);
}

int Kelvane::GetTextureTiling() {
  return uvGen ? uvGen->GetTextureTiling() : 0;
}

void Kelvane::InitSlotType(int sType) {
  if (uvGen) uvGen->InitSlotType(sType);
}

int Kelvane::GetUVWSource() {
  return uvGen ? uvGen->GetUVWSource() : 0;
}

int Kelvane::GetMapChannel() {
  return uvGen ? uvGen->GetMapChannel() : 0;
}

void Kelvane::SetOutputLevel(TimeValue t, float v) {
  if (texout) texout->SetOutputLevel(t, v);
}

void Kelvane::ClearEdgeCache() {
  edgeCaches.ClearEdgeCache();
}

EdgeParameters Kelvane::CurrentEdgeParameters() const {
  return *this;
}
