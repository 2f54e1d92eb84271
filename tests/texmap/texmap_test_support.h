#pragma once
#include "host_maps.h"
#include "iparamb2.h"
#include "kelvane.h"
#include "module_exports.h"
#include "param_block.h"
#include "plugin_loader.h"

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

// The shading sample of a test: a point of a node, given in object space (camera space is
// object space here), with the host's per-sample colour cache.
class TestShadeContext : public ShadeContext {
 public:
  INode* node = nullptr;
  Point3 point;
  BOOL inMtlEditor = FALSE;
  int gbuffer = 0;
  int cacheHits = 0;
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
  Texmap* cachedMap = nullptr;
  AColor cached;
};
