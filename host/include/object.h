#pragma once
#include "WindowsDefines.h"
#include "hostexport.h"
#include "interval.h"
#include "maxtypes.h"
#include "plugapi.h"
#include "ref.h"

class Object;

class CoreExport ObjectState : public MaxHeapOperators {
 public:
  Object* obj = nullptr;
  ObjectState() = default;
  explicit ObjectState(Object* ob) : obj(ob) {}
};

class CoreExport BaseObject : public ReferenceTarget {
 protected:
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
};

// A geometric object in a node's pipeline.
class CoreExport Object : public BaseObject {
 public:
  virtual ObjectState Eval(TimeValue) { return ObjectState(this); }
  // Conversion to another object kind; ConvertToType may return a new object, which the
  // caller deletes when it is not this one.
  virtual int CanConvertToType(Class_ID obtype) { return obtype == ClassID(); }
  virtual Object* ConvertToType(TimeValue, Class_ID obtype) {
    return obtype == ClassID() ? this : nullptr;
  }
};

class CoreExport GeomObject : public Object {
 public:
  SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
};
