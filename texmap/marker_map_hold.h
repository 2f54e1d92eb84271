#pragma once
#include <vector>

#include "ref.h"

// References that keep marker maps alive while something else may let go of them: a list of
// maps held for real, and optionally one owner held weakly (it is not kept alive; its slot
// empties when it goes). Released with DeleteMe, through the host's own release, which deletes
// each map nothing else holds exactly once, also when deleting one releases another.
class MarkerMapHold : public ReferenceMaker {
 public:
  explicit MarkerMapHold(ReferenceTarget* weakOwner = nullptr);
  // Holds target too, unless it is null or already held.
  void Add(RefTargetHandle target);
  bool Holds(RefTargetHandle target) const;
  ReferenceTarget* Owner() const { return held[0]; }

  int NumRefs() override { return int(held.size()); }
  RefTargetHandle GetReference(int i) override;
  BOOL IsRealDependency(ReferenceTarget* t) override { return t != held[0]; }

 protected:
  void SetReference(int i, RefTargetHandle target) override;
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_DONTCARE;
  }

 private:
  std::vector<RefTargetHandle> held{nullptr};  // 0: the weak owner
};
