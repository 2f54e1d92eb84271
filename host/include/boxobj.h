#pragma once
#include "object.h"

class MNMesh;

// The host's parametric box: neither a triangle nor a polygon object, but it converts to
// both. Each of its six sides has its own smoothing group and material ID (0..5). Segment
// counts are taken as 1 to kMaxSegments, as in the host's box.
class CoreExport BoxObject : public GeomObject {
 public:
  enum { kMaxSegments = 200 };
  float width = 1.0f, length = 1.0f, height = 1.0f;
  int widthSegs = 1, lengthSegs = 1, heightSegs = 1;

  Class_ID ClassID() override { return Class_ID(BOXOBJ_CLASS_ID, 0); }
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  void BuildPolyMesh(MNMesh& mm) const;
  void GetClassName(MSTR& s, bool = true) const override { s = L"Box"; }
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
};
