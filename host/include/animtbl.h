#pragma once
#include "WindowsDefines.h"
#include "hostexport.h"
#include "maxheap.h"
#include "maxtypes.h"

// Base of everything the host animates, references and deletes.
class CoreExport Animatable : public MaxHeapOperators {
 public:
  Animatable() = default;
  Animatable(const Animatable&) = delete;
  Animatable& operator=(const Animatable&) = delete;

  virtual void DeleteThis();
  virtual Class_ID ClassID() { return Class_ID(0, 0); }
  virtual SClass_ID SuperClassID() { return 0; }
  virtual BOOL IsSubClassOf(Class_ID classID) { return classID == ClassID(); }
  virtual int NumSubs() { return 0; }
  virtual Animatable* SubAnim(int) { return nullptr; }
  virtual int SubNumToRefNum(int) { return -1; }

 protected:
  virtual ~Animatable();
};
