#pragma once
#include "host_maps.h"
#include "iparamb2.h"
#include "kelvane.h"
#include "module_exports.h"
#include "param_block.h"
#include "plugin_loader.h"
#include "ramp_test_support.h"

#include <gtest/gtest.h>

#include <string>

// The module loaded the way the host loads it, its class in the host's class directory.
inline void LoadKelvaneModule() {
  static bool loaded = [] {
    std::wstring file = std::wstring(GetExecutableDirectory().data()) + L"/Kelvane.dlt";
    PluginLoadStatus status;
    MSTR message;
    bool ok = LoadPluginLibrary(file.c_str(), &status, &message) != nullptr;
    EXPECT_TRUE(ok) << status;
    return ok;
  }();
  (void)loaded;
}

// A new map made the way the host makes one: through the module's class descriptor.
inline Kelvane* NewKelvane() {
  LoadKelvaneModule();
  return static_cast<Kelvane*>(static_cast<ReferenceTarget*>(LibClassDesc(0)->Create(FALSE)));
}

// One of the host's constant-colour maps.
inline ConstantColorMap* NewColorMap(const AColor& c) {
  auto* map = new ConstantColorMap;
  map->color = c;
  return map;
}

// A marker map that counts the live ones, so deletions and leaks show.
class CountedMap : public TestMap {
 public:
  static inline int alive = 0;
  CountedMap() : TestMap(AColor(1.0f, 1.0f, 1.0f, 1.0f)) { ++alive; }

 protected:
  ~CountedMap() override { --alive; }
};

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
