// The host's default coordinates and output objects, its own maps, and their class
// descriptors.
#include <cmath>
#include <cstdint>

#include "host_maps.h"
#include "host_material_ids.h"
#include "ioapi.h"
#include "plugapi.h"
#include "std_texture_output.h"
#include "std_uvgen.h"

Class_ID StdUVGen::ClassID() {
  return kStdUVGenClassID;
}
Class_ID StdTextureOutput::ClassID() {
  return kStdTextureOutputClassID;
}
Class_ID ConstantColorMap::ClassID() {
  return kConstantColorMapClassID;
}
Class_ID CheckerMap::ClassID() {
  return kCheckerMapClassID;
}

namespace {
// Clones copy the material data and the class's own fields; none of these hold references.
template <class T>
T* CloneOf(T* from, RemapDir& remap, void (*copy)(T&, const T&)) {
  T* to = new T;
  to->MtlBase::operator=(*from);
  copy(*to, *from);
  from->BaseClone(from, to, remap);
  return to;
}
}  // namespace

RefTargetHandle StdUVGen::Clone(RemapDir& remap) {
  return CloneOf<StdUVGen>(this, remap, [](StdUVGen& to, const StdUVGen& from) {
    to.tiling = from.tiling;
    to.source = from.source;
    to.channel = from.channel;
    to.slotType = from.slotType;
    to.axis = from.axis;
  });
}

RefTargetHandle StdTextureOutput::Clone(RemapDir& remap) {
  return CloneOf<StdTextureOutput>(this, remap,
                                   [](StdTextureOutput& to, const StdTextureOutput& from) {
                                     to.outputAmount = from.outputAmount;
                                     to.rgbLevel = from.rgbLevel;
                                     to.rgbOffset = from.rgbOffset;
                                     to.invert = from.invert;
                                   });
}

RefTargetHandle ConstantColorMap::Clone(RemapDir& remap) {
  return CloneOf<ConstantColorMap>(
      this, remap,
      [](ConstantColorMap& to, const ConstantColorMap& from) { to.color = from.color; });
}

RefTargetHandle CheckerMap::Clone(RemapDir& remap) {
  return CloneOf<CheckerMap>(this, remap, [](CheckerMap& to, const CheckerMap& from) {
    to.color1 = from.color1;
    to.color2 = from.color2;
    to.size = from.size;
  });
}

AColor CheckerMap::EvalColor(ShadeContext& sc) {
  Point3 p = sc.PointTo(sc.P(), REF_OBJECT);
  if (!(size > 0.0f)) return color1;
  double parity = std::floor(p.x / size) + std::floor(p.y / size) + std::floor(p.z / size);
  if (!std::isfinite(parity)) return color1;
  return std::fmod(std::fabs(parity), 2.0) < 0.5 ? color1 : color2;
}

namespace {
// Chunks of the host's material objects. Part of the scene-file format: never renumber.
constexpr USHORT kMaterialDataChunk = 0x4000;
constexpr USHORT kFieldsChunk = 0x0300;

// The material data, then the class's fields as one block of 32-bit values.
IOResult SaveFields(MtlBase* m, ISave* isave, const void* fields, ULONG size) {
  isave->BeginChunk(kMaterialDataChunk);
  IOResult res = m->MtlBase::Save(isave);
  isave->EndChunk();
  if (res != IO_OK) return res;
  ULONG written = 0;
  isave->BeginChunk(kFieldsChunk);
  res = isave->Write(fields, size, &written);
  isave->EndChunk();
  return res;
}

// A fields chunk of the wrong size leaves the defaults.
IOResult LoadFields(MtlBase* m, ILoad* iload, void* fields, ULONG size) {
  while (iload->OpenChunk() == IO_OK) {
    if (iload->CurChunkID() == kMaterialDataChunk) {
      if (m->MtlBase::Load(iload) != IO_OK) return IO_ERROR;
    } else if (iload->CurChunkID() == kFieldsChunk && iload->CurChunkLength() == size) {
      ULONG read = 0;
      if (iload->Read(fields, size, &read) != IO_OK || read != size) return IO_ERROR;
    }
    if (iload->CloseChunk() != IO_OK) return IO_ERROR;
  }
  return IO_OK;
}
}  // namespace

IOResult StdUVGen::Save(ISave* isave) {
  int32_t f[5] = {tiling, source, channel, slotType, axis};
  return SaveFields(this, isave, f, sizeof(f));
}
IOResult StdUVGen::Load(ILoad* iload) {
  int32_t f[5] = {tiling, source, channel, slotType, axis};
  IOResult res = LoadFields(this, iload, f, sizeof(f));
  tiling = f[0];
  source = f[1];
  channel = f[2] < 1 ? 1 : f[2];
  slotType = f[3];
  axis = f[4];
  return res;
}

IOResult StdTextureOutput::Save(ISave* isave) {
  float f[4] = {outputAmount, rgbLevel, rgbOffset, invert ? 1.0f : 0.0f};
  return SaveFields(this, isave, f, sizeof(f));
}
IOResult StdTextureOutput::Load(ILoad* iload) {
  float f[4] = {outputAmount, rgbLevel, rgbOffset, invert ? 1.0f : 0.0f};
  IOResult res = LoadFields(this, iload, f, sizeof(f));
  outputAmount = f[0];
  rgbLevel = f[1];
  rgbOffset = f[2];
  invert = f[3] != 0.0f;
  return res;
}

IOResult ConstantColorMap::Save(ISave* isave) {
  return SaveFields(this, isave, &color.r, 4 * sizeof(float));
}
IOResult ConstantColorMap::Load(ILoad* iload) {
  return LoadFields(this, iload, &color.r, 4 * sizeof(float));
}

IOResult CheckerMap::Save(ISave* isave) {
  float f[9] = {color1.r, color1.g, color1.b, color1.a, color2.r,
                color2.g, color2.b, color2.a, size};
  return SaveFields(this, isave, f, sizeof(f));
}
IOResult CheckerMap::Load(ILoad* iload) {
  float f[9] = {color1.r, color1.g, color1.b, color1.a, color2.r,
                color2.g, color2.b, color2.a, size};
  IOResult res = LoadFields(this, iload, f, sizeof(f));
  color1 = AColor(f[0], f[1], f[2], f[3]);
  color2 = AColor(f[4], f[5], f[6], f[7]);
  size = f[8];
  return res;
}

UVGen* GetNewDefaultUVGen() {
  return new StdUVGen;
}
TextureOutput* GetNewDefaultTextureOutput() {
  return new StdTextureOutput;
}

namespace {
template <class T>
class HostClassDesc : public ClassDesc {
 public:
  HostClassDesc(SClass_ID sclass, Class_ID id, const MCHAR* name)
      : sclass(sclass), id(id), name(name) {}
  int IsPublic() override { return TRUE; }
  void* Create(BOOL) override { return static_cast<ReferenceTarget*>(new T); }
  const MCHAR* ClassName() override { return name; }
  const MCHAR* NonLocalizedClassName() override { return name; }
  SClass_ID SuperClassID() override { return sclass; }
  Class_ID ClassID() override { return id; }
  const MCHAR* Category() override { return L"Host"; }
  const MCHAR* InternalName() override { return name; }

 private:
  SClass_ID sclass;
  Class_ID id;
  const MCHAR* name;
};
}  // namespace

ClassDesc* ParamBlock2Class();

void RegisterHostMaterialClasses(ClassDirectory& directory) {
  static HostClassDesc<StdUVGen> uvgen(UVGEN_CLASS_ID, kStdUVGenClassID, L"UVGen");
  static HostClassDesc<StdTextureOutput> output(TEXOUTPUT_CLASS_ID, kStdTextureOutputClassID,
                                                L"Output");
  static HostClassDesc<ConstantColorMap> constant(TEXMAP_CLASS_ID, kConstantColorMapClassID,
                                                  L"Color");
  static HostClassDesc<CheckerMap> checker(TEXMAP_CLASS_ID, kCheckerMapClassID, L"Checker 3D");
  directory.AddClass(&uvgen);
  directory.AddClass(&output);
  directory.AddClass(&constant);
  directory.AddClass(&checker);
  directory.AddClass(ParamBlock2Class());
}
