#pragma once
// The host's own texture maps, which scenes and tests use as marker maps. Not SDK classes:
// programs that stand in for the application create them directly.
#include "host_material_ids.h"
#include "imtl.h"

// One colour everywhere.
class CoreExport ConstantColorMap : public Texmap {
 public:
  AColor color = AColor(0.5f, 0.5f, 0.5f, 1.0f);

  AColor EvalColor(ShadeContext&) override { return color; }
  Point3 EvalNormalPerturb(ShadeContext&) override { return Point3(0.0f, 0.0f, 0.0f); }
  void Update(TimeValue, Interval& valid) override { valid &= FOREVER; }
  void Reset() override { color = AColor(0.5f, 0.5f, 0.5f, 1.0f); }
  Interval Validity(TimeValue) override { return FOREVER; }
  ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool = true) const override { s = L"Color"; }
  RefTargetHandle Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

 protected:
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
};

// A 3D checker in the shaded object's space: cubes of edge `size`, alternating colours.
class CoreExport CheckerMap : public Texmap {
 public:
  AColor color1 = AColor(0.0f, 0.0f, 0.0f, 1.0f);
  AColor color2 = AColor(1.0f, 1.0f, 1.0f, 1.0f);
  float size = 1.0f;

  AColor EvalColor(ShadeContext& sc) override;
  Point3 EvalNormalPerturb(ShadeContext&) override { return Point3(0.0f, 0.0f, 0.0f); }
  void Update(TimeValue, Interval& valid) override { valid &= FOREVER; }
  void Reset() override {
    color1 = AColor(0.0f, 0.0f, 0.0f, 1.0f);
    color2 = AColor(1.0f, 1.0f, 1.0f, 1.0f);
    size = 1.0f;
  }
  Interval Validity(TimeValue) override { return FOREVER; }
  ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool = true) const override { s = L"Checker 3D"; }
  RefTargetHandle Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

 protected:
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
};
