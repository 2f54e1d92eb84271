#pragma once
// Reference makers and targets for the host's tests: they record what the host tells them and
// count how many of them are alive, so deletions are visible.
#include <vector>

#include "imtl.h"
#include "max.h"

struct Heard {
  RefMessage message;
  ReferenceTarget* from;
};

// A target with a fixed number of references of its own.
class TestRefs : public ReferenceTarget {
 public:
  static inline int alive = 0;
  explicit TestRefs(int numRefs) : refs(size_t(numRefs)) { ++alive; }

  int NumRefs() override { return int(refs.size()); }
  RefTargetHandle GetReference(int i) override {
    return i >= 0 && i < NumRefs() ? refs[size_t(i)] : nullptr;
  }
  SClass_ID SuperClassID() override { return 0x7e57; }
  RefResult Take(int i, ReferenceTarget* t, BOOL delOld = TRUE) {
    return ReplaceReference(i, t, delOld);
  }

  std::vector<ReferenceTarget*> refs;
  std::vector<Heard> heard;
  RefResult answer = REF_SUCCEED;
  // Called on every message, after it is recorded.
  void (*onMessage)(TestRefs* self, RefMessage msg) = nullptr;

 protected:
  ~TestRefs() override { --alive; }
  void SetReference(int i, RefTargetHandle t) override { refs[size_t(i)] = t; }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage msg,
                             BOOL) override {
    heard.push_back({msg, hTarget});
    if (onMessage) onMessage(this, msg);
    return answer;
  }
};

// The smallest texture map: a constant colour.
class TestMap : public Texmap {
 public:
  static inline int alive = 0;
  TestMap() { ++alive; }
  AColor EvalColor(ShadeContext&) override { return AColor(1.0f, 0.5f, 0.25f); }
  Point3 EvalNormalPerturb(ShadeContext&) override { return Point3(0.0f, 0.0f, 0.0f); }
  void Update(TimeValue, Interval&) override {}
  void Reset() override {}
  Interval Validity(TimeValue) override { return FOREVER; }
  ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }

 protected:
  ~TestMap() override { --alive; }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
};

inline int CountDependents(ReferenceTarget* t, ReferenceMaker* only = nullptr) {
  DependentIterator it(t);
  int n = 0;
  for (ReferenceMaker* d = it.Next(); d; d = it.Next()) n += !only || d == only;
  return n;
}

inline bool IsDependent(ReferenceTarget* t, ReferenceMaker* m) {
  return CountDependents(t, m) > 0;
}
