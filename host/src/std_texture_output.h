#pragma once
#include <xmmintrin.h>

#include "imtl.h"

// The host's default output filter: invert, then RGB level and offset, then the output
// amount. At its defaults it changes nothing.
class StdTextureOutput : public TextureOutput {
 public:
  AColor Filter(AColor c) override {
    // Every shaded sample of a map passes here: the three channels at once, each with
    // Channel's arithmetic, and alpha as it came.
    const __m128 in = _mm_loadu_ps(&c.r);
    __m128 v = invert ? _mm_sub_ps(_mm_set1_ps(1.0f), in) : in;
    v = _mm_mul_ps(_mm_add_ps(_mm_mul_ps(v, _mm_set1_ps(rgbLevel)), _mm_set1_ps(rgbOffset)),
                   _mm_set1_ps(outputAmount));
    // v's first three lanes, then in's last.
    const __m128 high = _mm_shuffle_ps(v, in, _MM_SHUFFLE(3, 3, 2, 2));
    _mm_storeu_ps(&c.r, _mm_shuffle_ps(v, high, _MM_SHUFFLE(2, 0, 1, 0)));
    return c;
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
