#pragma once
#include "imtl.h"

// The host's default output filter: invert, then RGB level and offset, then the output
// amount. At its defaults it changes nothing.
class StdTextureOutput : public TextureOutput {
 public:
  AColor Filter(AColor c) override {
    // Channel by channel by name: writing through an index sends the colour through memory.
    return AColor(Channel(c.r), Channel(c.g), Channel(c.b), c.a);
  }
  float Filter(float f) override { return Channel(f); }
  // Bump: the output amount scales the perturbation.
  Point3 Filter(Point3 p) override { return p * outputAmount; }
  float GetOutputLevel(TimeValue) override { return outputAmount; }
  void SetOutputLevel(TimeValue, float v) override { outputAmount = v; }
  void SetInvert(BOOL onoff) override { invert = onoff; }
  BOOL GetInvert() override { return invert; }
  int MapSlotType(int) override { return MAPSLOT_TEXTURE; }

  void Update(TimeValue, Interval&) override {}
  void Reset() override {
    outputAmount = rgbLevel = 1.0f;
    rgbOffset = 0.0f;
    invert = FALSE;
  }
  Interval Validity(TimeValue) override { return FOREVER; }
  // The "Output" rollout in the material editor (Windows); natively there is none.
  ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override;
  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool = true) const override { s = L"Output"; }
  RefTargetHandle Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  float outputAmount = 1.0f;
  float rgbLevel = 1.0f;
  float rgbOffset = 0.0f;
  BOOL invert = FALSE;

 protected:
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }

 private:
  float Channel(float v) const {
    if (invert) v = 1.0f - v;
    return (v * rgbLevel + rgbOffset) * outputAmount;
  }
};
