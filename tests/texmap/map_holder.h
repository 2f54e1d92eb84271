#pragma once
// Geometry that holds a map as its one reference, so the map is part of a saved scene. Its
// class is registered once, before the first scene that holds one is saved or loaded.
#include "imtl.h"
#include "max.h"
#include "plugin_loader.h"

inline const Class_ID kHolderClassID(0x7e570001, 0x4b4c5631);

class MapHolder : public GeomObject {
 public:
  Texmap* map = nullptr;
  Class_ID ClassID() override { return kHolderClassID; }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? map : nullptr; }

 protected:
  void SetReference(int i, RefTargetHandle r) override {
    if (i == 0) map = static_cast<Texmap*>(r);
  }
};

class MapHolderClassDesc : public ClassDesc {
 public:
  int IsPublic() override { return FALSE; }
  void* Create(BOOL) override { return static_cast<ReferenceTarget*>(new MapHolder); }
  const MCHAR* ClassName() override { return L"Map holder"; }
  const MCHAR* NonLocalizedClassName() override { return L"Map holder"; }
  SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
  Class_ID ClassID() override { return kHolderClassID; }
  const MCHAR* Category() override { return L""; }
};

inline void RegisterMapHolderClass() {
  static MapHolderClassDesc holderClass;
  static bool registered = GetClassDirectory().AddClass(&holderClass);
  (void)registered;
}

// Adds a node called "holder" that holds map to the scene.
inline void HoldInScene(Texmap* map) {
  RegisterMapHolderClass();
  auto* holder = new MapHolder;
  holder->ReplaceReference(0, map);
  GetCOREInterface()->CreateObjectNode(holder)->SetName(L"holder");
}
