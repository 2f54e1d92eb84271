// A shade context and a marker map for the ramp and map tests and the ramp benchmark.
#pragma once
#include "imtl.h"

// A point in object space (camera space here too), with the host's per-sample colour cache.
class TestShadeContext : public ShadeContext {
 public:
  INode* node = nullptr;
  Point3 point;
  BOOL inMtlEditor = FALSE;
  int gbuffer = 0;
  int cacheHits = 0;
  Texmap* cachedMap = nullptr;
  AColor cached;
  BOOL InMtlEditor() override { return inMtlEditor; }
  TimeValue CurTime() override { return 0; }
  INode* Node() override { return node; }
  Point3 P() override { return point; }
  Point3 PObj() override { return point; }
  Point3 PointTo(const Point3& p, RefFrame) override { return p; }
  Point3 PointFrom(const Point3& p, RefFrame) override { return p; }
  Point3 VectorTo(const Point3& p, RefFrame) override { return p; }
  Point3 VectorFrom(const Point3& p, RefFrame) override { return p; }
  void SetGBufferID(int id) override { gbuffer = id; }
  BOOL GetCache(Texmap* map, AColor& c) override {
    if (map != cachedMap) return FALSE;
    c = cached;
    ++cacheHits;
    return TRUE;
  }
  void PutCache(Texmap* map, const AColor& c) override {
    cachedMap = map;
    cached = c;
  }
};

// A fixed colour, or with fromPoint the shaded point as a colour; the shaded point as its
// perturbation. Made with new and released with DeleteThis, as host objects are.
class TestMap : public Texmap {
 public:
  explicit TestMap(AColor c, bool fromPoint = false) : color(c), fromPoint(fromPoint) {}
  AColor EvalColor(ShadeContext& sc) override {
    Point3 p = sc.PObj();
    return fromPoint ? AColor(p.x, p.y, p.z, 1.0f) : color;
  }
  Point3 EvalNormalPerturb(ShadeContext& sc) override { return sc.PObj(); }
  void Update(TimeValue, Interval&) override {}
  void Reset() override {}
  Interval Validity(TimeValue) override { return FOREVER; }
  ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
  AColor color;
  bool fromPoint;

 protected:
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
};
