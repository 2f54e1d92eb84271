#pragma once
#include "max.h"

// What shows a map (a material, the editor's sample slot, a viewport): counts the changes it
// hears. Deleting it releases the map it watches.
class Watcher : public ReferenceMaker {
 public:
  explicit Watcher(ReferenceTarget* target) { ReplaceReference(0, target); }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? watched : nullptr; }
  int changes = 0;

 protected:
  void SetReference(int, RefTargetHandle t) override { watched = t; }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage message,
                             BOOL) override {
    changes += message == REFMSG_CHANGE;
    return REF_SUCCEED;
  }

 private:
  RefTargetHandle watched = nullptr;
};
