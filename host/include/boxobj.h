#pragma once
#include "object.h"

class MNMesh;

// The host's parametric box: neither a triangle nor a polygon object, but it converts to
// both. Each of its six sides has its own smoothing group and material ID (0..5).
class CoreExport BoxObject : public GeomObject {
 public:
  float width = 1.0f, length = 1.0f, height = 1.0f;
  int widthSegs = 1, lengthSegs = 1, heightSegs = 1;

  Class_ID ClassID() override { return Class_ID(BOXOBJ_CLASS_ID, 0); }
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  void BuildPolyMesh(MNMesh& mm) const;
};
