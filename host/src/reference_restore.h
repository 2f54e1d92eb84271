#pragma once
#include "ref.h"

// Puts on theHold the change of maker's reference `which` from old to newtarg, before it is
// made. The step holds both targets by reference so that neither is deleted while it can come
// back, and the maker weakly, so that it does not keep the maker alive.
void HoldReferenceChange(ReferenceTarget* maker, int which, RefTargetHandle old,
                         RefTargetHandle newtarg);

// Holds one target weakly for a restore object: Get answers null once the target is gone.
class HeldTarget : public ReferenceMaker {
 public:
  explicit HeldTarget(ReferenceTarget* t) { ReplaceReference(0, t); }
  ReferenceTarget* Get() { return target; }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? target : nullptr; }
  BOOL IsRealDependency(ReferenceTarget*) override { return FALSE; }

 protected:
  void SetReference(int i, RefTargetHandle t) override {
    if (i == 0) target = t;
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_DONTCARE;
  }

 private:
  ReferenceTarget* target = nullptr;
};
