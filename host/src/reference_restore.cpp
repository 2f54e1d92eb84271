// Undo of a reference change, as the host records it while holding.
#include "reference_restore.h"

#include "hold.h"

namespace {
// Slot 0 the maker (weak), 1 the old target, 2 the new one. A target deleted outright is
// cleared from its slot, so the step then does nothing for it.
class ReferenceChangeHold : public ReferenceMaker {
 public:
  int NumRefs() override { return 3; }
  RefTargetHandle GetReference(int i) override { return i >= 0 && i < 3 ? refs[i] : nullptr; }
  BOOL IsRealDependency(ReferenceTarget* t) override { return t != refs[0]; }

 protected:
  void SetReference(int i, RefTargetHandle t) override {
    if (i >= 0 && i < 3) refs[i] = t;
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_DONTCARE;
  }

 private:
  RefTargetHandle refs[3] = {};
};

class ReferenceRestore : public RestoreObj {
 public:
  ReferenceRestore(ReferenceTarget* maker, int which, RefTargetHandle old, RefTargetHandle newtarg)
      : which(which), hold(new ReferenceChangeHold) {
    hold->ReplaceReference(0, maker);
    hold->ReplaceReference(1, old);
    hold->ReplaceReference(2, newtarg);
  }
  ~ReferenceRestore() override {
    // Letting go of a weak reference must not delete the maker that nothing else holds.
    hold->ReplaceReference(0, nullptr, FALSE);
    hold->DeleteMe();
  }
  void Restore(int) override { Set(hold->GetReference(1)); }
  void Redo() override { Set(hold->GetReference(2)); }
  int Size() override { return int(sizeof(*this) + sizeof(ReferenceChangeHold)); }
  MSTR Description() override { return MSTR(L"Reference"); }

 private:
  void Set(RefTargetHandle target) {
    ReferenceMaker* maker = hold->GetReference(0);
    if (maker && which < maker->NumRefs()) maker->ReplaceReference(which, target);
  }
  int which;
  ReferenceChangeHold* hold;
};
}  // namespace

void HoldReferenceChange(ReferenceTarget* maker, int which, RefTargetHandle old,
                         RefTargetHandle newtarg) {
  theHold.Put(new ReferenceRestore(maker, which, old, newtarg));
}
