// The map in scene files: its material data and its ramp markers. The parameter block,
// coordinates, output and marker maps are the map's references, which the host saves.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "ioapi.h"
#include "kelvane.h"
#include "module.h"
#include "param_block.h"

namespace {

// Chunk IDs and the marker record: part of the scene-file format, never change.
constexpr USHORT kHeaderChunk = 0x4000;
constexpr USHORT kMarkerChunk = 0x4001;
constexpr ULONG kMarkerRecordSize = 82;

// Each field is written with its own call, little-endian, no padding.
template <class T>
void WriteField(ISave* isave, const T& value) {
  ULONG written = 0;
  isave->Write(&value, sizeof(T), &written);
}

void WriteColor(ISave* isave, const AColor& c) {
  for (int i = 0; i < 4; ++i) WriteField(isave, c[i]);
}

// A field keeps its default when the read comes up short.
template <class T>
void ReadField(ILoad* iload, T& value) {
  T read;
  ULONG n = 0;
  if (iload->Read(&read, sizeof(T), &n) == IO_OK && n == sizeof(T)) value = read;
}

void ReadColor(ILoad* iload, AColor& c) {
  for (int i = 0; i < 4; ++i) ReadField(iload, c[i]);
}

void ReadFlag(ILoad* iload, bool& value) {
  BYTE b = value ? 1 : 0;
  ReadField(iload, b);
  value = b != 0;
}

RampMarker ReadMarker(ILoad* iload) {
  RampMarker m;  // the record's defaults
  ReadField(iload, m.position);
  if (m.position > 1.0f)
    m.position = 1.0f;
  else if (!(m.position >= 0.0001f))
    m.position = 0.0f;
  ReadColor(iload, m.color);
  ReadColor(iload, m.transparentColor);
  ReadFlag(iload, m.colorMapOn);
  ReadFlag(iload, m.transparentMapOn);
  ReadField(iload, m.inMode);
  ReadField(iload, m.outMode);
  ReadColor(iload, m.activeGlyphColor);
  ReadColor(iload, m.reactiveGlyphColor);
  ReadField(iload, m.flags);
  return m;
}

}  // namespace

void Kelvane::MarkerOrderCallback::proc(ILoad*) {
  map->FinishMarkerLoad();
}

IOResult Kelvane::Save(ISave* isave) {
  isave->BeginChunk(kHeaderChunk);
  IOResult res = MtlBase::Save(isave);
  if (res != IO_OK) return res;
  isave->EndChunk();

  isave->BeginChunk(kMarkerChunk);
  WriteField(isave, ULONG(ramp.markers.size()));
  for (const RampMarker& m : ramp.markers) {
    WriteField(isave, m.position);
    WriteColor(isave, m.color);
    WriteColor(isave, m.transparentColor);
    WriteField(isave, BYTE(m.colorMapOn ? 1 : 0));
    WriteField(isave, BYTE(m.transparentMapOn ? 1 : 0));
    WriteField(isave, int32_t(m.inMode));
    WriteField(isave, int32_t(m.outMode));
    WriteColor(isave, m.activeGlyphColor);
    WriteColor(isave, m.reactiveGlyphColor);
    WriteField(isave, ULONG(m.flags));
  }
  isave->EndChunk();
  return IO_OK;
}

IOResult Kelvane::Load(ILoad* iload) {
  if (iload->PeekNextChunkID() == kHeaderChunk && iload->OpenChunk() == IO_OK) {
    IOResult res = MtlBase::Load(iload);
    if (res != IO_OK) return res;
    iload->CloseChunk();
  }
  if (iload->PeekNextChunkID() == kMarkerChunk && iload->OpenChunk() == IO_OK) {
    ULONG count = 0;
    ReadField(iload, count);
    // Only whole records that the chunk holds count, whatever the count claims.
    ULONG length = iload->CurChunkLength();
    ULONG held = length >= 4 ? (length - 4) / kMarkerRecordSize : 0;
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
