#include "imtl.h"

#include <cstdlib>

#include "ioapi.h"

namespace {
// Chunks of the material data. Part of the scene-file format: never renumber.
constexpr USHORT kMtlNameChunk = 0x0100;
constexpr USHORT kMtlDataChunk = 0x0101;
}  // namespace

MSTR ISubMap::GetSubTexmapSlotName(int, bool) {
  return MSTR();
}

MSTR ISubMap::GetSubTexmapTVName(int i, bool localized) {
  return GetSubTexmapSlotName(i, localized);
}

MtlBase& MtlBase::operator=(const MtlBase& m) {
  if (this != &m) {
    name = m.name;
    gbufID = m.gbufID;
    mtlFlags = m.mtlFlags;
  }
  return *this;
}

MSTR MtlBase::GetFullName(bool localized) {
  MSTR className;
  GetClassName(className, localized);
  return name + MSTR(L" (") + className + MSTR(L")");
}

ULONG MtlBase::Requirements(int subMtlNum) {
  ULONG req = LocalRequirements(subMtlNum);
  for (int i = 0; i < NumSubTexmaps(); ++i)
    if (Texmap* map = GetSubTexmap(i)) req |= map->Requirements(subMtlNum);
  return req;
}

void MtlBase::MappingsRequired(int subMtlNum, BitArray& mapreq, BitArray& bumpreq) {
  LocalMappingsRequired(subMtlNum, mapreq, bumpreq);
  for (int i = 0; i < NumSubTexmaps(); ++i)
    if (Texmap* map = GetSubTexmap(i)) map->MappingsRequired(subMtlNum, mapreq, bumpreq);
}

BITMAPINFO* Texmap::GetVPDisplayDIB(TimeValue, TexHandleMaker&, Interval&, BOOL, int, int) {
  return nullptr;
}

float Texmap::EvalMono(ShadeContext& sc) {
  AColor c = EvalColor(sc);
  return (c.g + c.r + c.b) * 0.33333334f;
}

IOResult MtlBase::Save(ISave* isave) {
  isave->BeginChunk(kMtlNameChunk);
  IOResult res = isave->WriteWString(name.data());
  isave->EndChunk();
  if (res != IO_OK) return res;
  ULONG data[2] = {gbufID, mtlFlags};
  ULONG written = 0;
  isave->BeginChunk(kMtlDataChunk);
  res = isave->Write(data, sizeof(data), &written);
  isave->EndChunk();
  return res;
}

IOResult MtlBase::Load(ILoad* iload) {
  while (iload->OpenChunk() == IO_OK) {
    if (iload->CurChunkID() == kMtlNameChunk) {
      wchar_t* text = nullptr;
      if (iload->ReadWStringChunk(&text) == IO_OK && text) name = text;
    } else if (iload->CurChunkID() == kMtlDataChunk) {
      ULONG data[2] = {0, 0};
      ULONG read = 0;
      if (iload->Read(data, sizeof(data), &read) == IO_OK && read == sizeof(data)) {
        gbufID = data[0];
        mtlFlags = data[1];
      }
    }
    if (iload->CloseChunk() != IO_OK) return IO_ERROR;
  }
  return IO_OK;
}
