// The map in scene files: its material data and its ramp markers. The parameter block,
// coordinates, output and marker maps are the map's references, which the host saves.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "ioapi.h"
#include "kelvane.h"
#include "marker_record.h"
#include "module.h"
#include "param_block.h"

namespace {

// Each field is written with its own call, little-endian, no padding.
template <class T>
void WriteField(ISave* isave, const T& value) {
  ULONG written = 0;
  isave->Write(&value, sizeof(T), &written);
}

// A field keeps its default when the read comes up short.
template <class T>
void ReadField(ILoad* iload, T& value) {
  T read;
  ULONG n = 0;
  if (iload->Read(&read, sizeof(T), &n) == IO_OK && n == sizeof(T)) value = read;
}

void ColorToRecord(const AColor& c, float (&out)[4]) {
  for (int i = 0; i < 4; ++i) out[i] = c[i];
}

AColor ColorFromRecord(const float (&in)[4]) {
  return AColor(in[0], in[1], in[2], in[3]);
}

MarkerRecord ToRecord(const RampMarker& m) {
  MarkerRecord r;
  r.position = m.position;
  ColorToRecord(m.color, r.color);
  ColorToRecord(m.transparentColor, r.transparentColor);
  r.colorMapOn = m.colorMapOn ? 1 : 0;
  r.transparentMapOn = m.transparentMapOn ? 1 : 0;
  r.inMode = int32_t(m.inMode);
  r.outMode = int32_t(m.outMode);
  ColorToRecord(m.activeGlyphColor, r.activeGlyphColor);
  ColorToRecord(m.reactiveGlyphColor, r.reactiveGlyphColor);
  r.flags = uint32_t(m.flags);
  return r;
}

RampMarker ReadMarker(ILoad* iload) {
  RampMarker m;  // the record's defaults
  MarkerRecord r = ToRecord(m);
  ForEachMarkerField(r, [iload](auto& field) {
    ReadField(iload, field);
    return true;
  });
  m.position = r.position;
  if (m.position > 1.0f)
    m.position = 1.0f;
  else if (!(m.position >= 0.0001f))
    m.position = 0.0f;
  m.color = ColorFromRecord(r.color);
  m.transparentColor = ColorFromRecord(r.transparentColor);
  m.colorMapOn = r.colorMapOn != 0;
  m.transparentMapOn = r.transparentMapOn != 0;
  m.inMode = r.inMode;
  m.outMode = r.outMode;
  m.activeGlyphColor = ColorFromRecord(r.activeGlyphColor);
  m.reactiveGlyphColor = ColorFromRecord(r.reactiveGlyphColor);
  m.flags = r.flags;
  return m;
}

}  // namespace

void Kelvane::MarkerOrderCallback::proc(ILoad*) {
  map->FinishMarkerLoad();
}

IOResult Kelvane::Save(ISave* isave) {
  isave->BeginChunk(kKelvaneHeaderChunkID);
  IOResult res = MtlBase::Save(isave);
  if (res != IO_OK) return res;
  isave->EndChunk();

  isave->BeginChunk(kMarkerChunkID);
  WriteField(isave, uint32_t(ramp.markers.size()));
  for (const RampMarker& m : ramp.markers) {
    const MarkerRecord r = ToRecord(m);
    ForEachMarkerField(r, [isave](const auto& field) {
      WriteField(isave, field);
      return true;
    });
  }
  isave->EndChunk();
  return IO_OK;
}

IOResult Kelvane::Load(ILoad* iload) {
  if (iload->PeekNextChunkID() == kKelvaneHeaderChunkID && iload->OpenChunk() == IO_OK) {
    IOResult res = MtlBase::Load(iload);
    if (res != IO_OK) return res;
    iload->CloseChunk();
  }
  if (iload->PeekNextChunkID() == kMarkerChunkID && iload->OpenChunk() == IO_OK) {
    ULONG count = 0;
    ReadField(iload, count);
    // Only whole records that the chunk holds count, whatever the count claims.
    ULONG length = iload->CurChunkLength();
    ULONG held = length >= 4 ? (length - 4) / kMarkerRecordBytes : 0;
    if (count > held) count = held;
    ramp.markers.clear();
    for (ULONG i = 0; i < count; ++i) ramp.markers.push_back(ReadMarker(iload));
    iload->CloseChunk();
    if (ramp.markers.empty()) {
      // A ramp needs markers: a chunk without any gives the default ramp.
      ramp.InitDefault();
    }
  }
  // The host installs the marker maps by reference number after this Load, in file order:
  // sorting and merging now would put them on the wrong markers. Sort once they are in. Also
  // without a marker chunk: the block's "marker_map" count and the references the file gave
  // must still come into step with the ramp this map keeps.
  iload->RegisterPostLoadCallback(&markerOrderCallback);
  ClearEdgeCache();
  return IO_OK;
}

void Kelvane::FinishMarkerLoad() {
  // References 0 to 2 that a damaged file gave to objects of another kind: fresh defaults.
  if (misfits[COORD_REF]) ReplaceReference(COORD_REF, GetNewDefaultUVGen());
  if (misfits[OUTPUT_REF]) ReplaceReference(OUTPUT_REF, GetNewDefaultTextureOutput());
  if (misfits[PBLOCK_REF]) GetKelvaneDesc()->MakeAutoParamBlocks(this);
  ramp.SortMarkers();
  SyncMarkerReferences();
  ClearEdgeCache();
}
