#pragma once
#include "mnmesh.h"
#include "object.h"

extern PolyLibExport Class_ID polyObjectClassID;

class PolyLibExport PolyObject : public GeomObject {
 public:
  MNMesh mm;
  MNMesh& GetMesh() { return mm; }
  Class_ID ClassID() override { return polyObjectClassID; }
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  void GetClassName(MSTR& s, bool = true) const override { s = L"Editable Poly"; }
  // The mesh in a scene file.
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
};

PolyLibExport PolyObject* CreateEditablePolyObject();
