#pragma once
#include "change_watcher.h"
#include "host_maps.h"
#include "iparamb2.h"
#include "kelvane.h"
#include "marker_record.h"
#include "module_exports.h"
#include "param_block.h"
#include "plugin_loader.h"
#include "ramp_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// Every field of a marker a scene file keeps, in order: markers compare in one expectation.
inline std::vector<double> SavedFields(const RampMarker& m) {
  MarkerRecord r{.position = m.position,
                 .colorMapOn = m.colorMapOn,
                 .transparentMapOn = m.transparentMapOn,
                 .inMode = m.inMode,
                 .outMode = m.outMode,
                 .flags = m.flags};
  for (int i = 0; i < 4; ++i) {
    r.color[i] = m.color[i];
    r.transparentColor[i] = m.transparentColor[i];
    r.activeGlyphColor[i] = m.activeGlyphColor[i];
    r.reactiveGlyphColor[i] = m.reactiveGlyphColor[i];
  }
  std::vector<double> fields;
  ForEachMarkerField(r, [&fields](auto field) {
    fields.push_back(double(field));
    return true;
  });
  return fields;
}
