// The host's own geometry and node classes in the class directory, so scene files can name
// them and loading can make them.
#include "boxobj.h"
#include "plugin_loader.h"
#include "polyobj.h"
#include "scene_internal.h"
#include "triobj.h"

namespace {

template <class T>
class GeometryClassDesc : public ClassDesc {
 public:
  GeometryClassDesc(const MCHAR* name, Class_ID id) : name(name), id(id) {}
  int IsPublic() override { return 1; }
  void* Create(BOOL) override { return static_cast<ReferenceTarget*>(new T); }
  const MCHAR* ClassName() override { return name; }
  const MCHAR* NonLocalizedClassName() override { return name; }
  SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
  Class_ID ClassID() override { return id; }
  const MCHAR* Category() override { return L"Standard Primitives"; }

 private:
  const MCHAR* name;
  Class_ID id;
};

}  // namespace

namespace hostscene {

void RegisterHostGeometryClasses(ClassDirectory& dir) {
  // Once, and never from a static constructor: the directory's first use registers other
  // host classes from constants that may not be made yet at that point.
  static const bool registered = [&dir] {
    // Never destroyed: the directory keeps them until the process ends.
    dir.AddClass(new GeometryClassDesc<TriObject>(L"Editable Mesh", Class_ID(TRIOBJ_CLASS_ID, 0)));
    dir.AddClass(
        new GeometryClassDesc<PolyObject>(L"Editable Poly", Class_ID(POLYOBJ_CLASS_ID, 0)));
    dir.AddClass(new GeometryClassDesc<BoxObject>(L"Box", Class_ID(BOXOBJ_CLASS_ID, 0)));
    dir.AddClass(NodeClassDesc());
    return true;
  }();
  (void)registered;
}

}  // namespace hostscene
