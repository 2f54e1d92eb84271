#pragma once
// A texture map of the tests' own that stands where the Kelvane map will be: same kind of
// parameter block, markers through its Load, and results that expose what the program hands
// it (the object-space point, the node, whether Update ran, the markers it was given).
#include <atomic>
#include <vector>

#include "imtl.h"
#include "iparamb2.h"
#include "texmap/marker_record.h"

// Markers as the scene file holds them.
using StandinMarker = MarkerRecord;

enum StandinParam : ParamID {
  standin_distance = 0,    // "Distance", float 0..1e7
  standin_open = 1,        // "open edges", bool
  standin_conditions = 2,  // "conditions", radio 0..1
  standin_c_mult = 3,      // "c_mult", int 1..1e6
  standin_map = 4,         // "map", a texmap: not a plain value
  standin_smooth = 5,      // "smooth", bool
  standin_matid = 6,       // "matid", bool
};

// EvalColor: (x, y, z) of PointTo(P, REF_OBJECT), alpha the Distance seen by the last Update
// (-1 before any). EvalNormalPerturb: (marker count, node handle, "open edges"). Viewport
// texture: pixel (x, y) of an N x N texture, y from the top, is r = 8x, g = 8y, b = 10 x the
// marker count, opaque; kept until ActivateTexDisplay(FALSE).
class StandinMap : public Texmap {
 public:
  explicit StandinMap(ClassDesc2* cd);
  ~StandinMap() override;

  AColor EvalColor(ShadeContext& sc) override;
  Point3 EvalNormalPerturb(ShadeContext& sc) override;
  void Update(TimeValue t, Interval& valid) override;
  void Reset() override {}
  Interval Validity(TimeValue) override { return FOREVER; }
  ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
  Class_ID ClassID() override;
  // 0 the parameter block; 3 + 2i and 4 + 2i the maps of marker i, as in Kelvane.
  int NumRefs() override { return 3 + 2 * int(markers.size()); }
  RefTargetHandle GetReference(int i) override;
  int NumSubTexmaps() override { return 2 * int(markers.size()); }
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override { return i == 0 ? pblock : nullptr; }
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
  BOOL SupportTexDisplay() override { return TRUE; }
  DWORD_PTR GetActiveTexHandle(TimeValue t, TexHandleMaker& thmaker) override;
  void ActivateTexDisplay(BOOL onoff) override;

  std::vector<StandinMarker> markers;
  float distance = -1.0f;
  std::atomic<int> colorEvaluations{0};  // full evaluations, cache hits not counted

 protected:
  void SetReference(int i, RefTargetHandle t) override;
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }

 private:
  IParamBlock2* pblock = nullptr;
  std::vector<ReferenceTarget*> markerMaps;
  bool openEdges = false;
  TexHandle* texHandle = nullptr;
};

// The stand-in's class, entered in the host's class directory on first use so scene files
// can make it.
ClassDesc2* StandinMapClass();
