#pragma once
#include "WindowsDefines.h"
#include "interval.h"
#include "matrix3.h"
#include "object.h"
#include "ref.h"

#define kNullHandle 0

class CoreExport INode : public ReferenceTarget {
 public:
  virtual ULONG GetHandle() { return kNullHandle; }
  virtual const MCHAR* GetName() = 0;
  virtual void SetName(const MCHAR* s) = 0;
  // The node's object at the end of its pipeline (no modifiers here: its base object).
  virtual const ObjectState& EvalWorldState(TimeValue time, BOOL evalHidden = TRUE) = 0;
  virtual Object* GetObjectRef() = 0;
  virtual Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr) = 0;
  virtual void SetNodeTM(TimeValue t, const Matrix3& tm) = 0;
  // Object space to world space; without an object offset it equals the node's transform.
  virtual Matrix3 GetObjectTM(TimeValue time, Interval* valid = nullptr) = 0;
  SClass_ID SuperClassID() override { return BASENODE_CLASS_ID; }
};
