#pragma once
#include "imtl.h"

// The host's default coordinates generator: explicit UVs of channel 1, wrapping.
class StdUVGen : public UVGen {
 public:
  void GetUVTransform(Matrix3& uvtrans) override { uvtrans.IdentityMatrix(); }
  int GetTextureTiling() override { return tiling; }
  void SetTextureTiling(int t) override { tiling = t; }
  int GetUVWSource() override { return source; }
  void SetUVWSource(int s) override { source = s; }
  int GetMapChannel() override { return channel; }
  void SetMapChannel(int c) override { channel = c < 1 ? 1 : c; }
  int GetSlotType() override { return slotType; }
  void InitSlotType(int sType) override { slotType = sType; }
  int SymFlags() override { return tiling; }
  void SetSymFlags(int f) override { tiling = f; }
  int GetAxis() override { return axis; }
  void SetAxis(int ax) override { axis = ax; }
  BOOL IsStdUVGen() override { return TRUE; }
  int MapSlotType(int) override { return slotType; }

  ULONG LocalRequirements(int) override {
    return source == UVWSRC_EXPLICIT || source == UVWSRC_EXPLICIT2 ? MTLREQ_UV : MTLREQ_XYZ;
  }
  void LocalMappingsRequired(int, BitArray& mapreq, BitArray&) override {
    if (source == UVWSRC_EXPLICIT) mapreq.Set(channel);
  }
  void Update(TimeValue, Interval&) override {}
  void Reset() override {
    tiling = U_WRAP | V_WRAP;
    source = UVWSRC_EXPLICIT;
    channel = 1;
    axis = AXIS_UV;
  }
  Interval Validity(TimeValue) override { return FOREVER; }
  ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool = true) const override { s = L"UVGen"; }
  RefTargetHandle Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  int tiling = U_WRAP | V_WRAP;
  int source = UVWSRC_EXPLICIT;
  int channel = 1;
  int slotType = MAPSLOT_TEXTURE;
  int axis = AXIS_UV;

 protected:
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
};
