// The host's default coordinates and output objects, its own maps, and their class
// descriptors.
#include <cmath>

#include "host_maps.h"
#include "host_material_ids.h"
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
  void* Create(BOOL) override { return new T; }
  const MCHAR* ClassName() override { return name; }
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
}
