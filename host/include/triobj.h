#pragma once
#include "mesh.h"
#include "object.h"

extern CoreExport Class_ID triObjectClassID;

class CoreExport TriObject : public GeomObject {
 public:
  Mesh mesh;
  Mesh& GetMesh() { return mesh; }
  Class_ID ClassID() override { return triObjectClassID; }
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  void GetClassName(MSTR& s, bool = true) const override { s = L"Editable Mesh"; }
  // The mesh in a scene file.
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
};

CoreExport TriObject* CreateNewTriObject();
