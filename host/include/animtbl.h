#pragma once
#include "WindowsDefines.h"
#include "hostexport.h"
#include "iparamb2Typedefs.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "strclass.h"

class IParamBlock2;

// Base of everything the host animates, references and deletes. Objects live on the host's
// heap and are destroyed through DeleteThis, never on the stack.
class CoreExport Animatable : public MaxHeapOperators {
 public:
  Animatable() = default;
  Animatable(const Animatable&) = delete;
  Animatable& operator=(const Animatable&) = delete;

  virtual void DeleteThis();
  virtual Class_ID ClassID() { return Class_ID(0, 0); }
  virtual SClass_ID SuperClassID() { return 0; }
  // The class's name, localized or in English (the 2022 SDK added the flag and made it const).
  virtual void GetClassName(MSTR& s, bool /*localized*/ = true) const { s = MSTR(); }
  virtual BOOL IsSubClassOf(Class_ID classID) { return classID == ClassID(); }

  virtual int NumSubs() { return 0; }
  virtual Animatable* SubAnim(int) { return nullptr; }
  virtual MSTR SubAnimName(int i, bool localized = true);
  virtual int SubNumToRefNum(int) { return -1; }

  virtual int NumParamBlocks() { return 0; }
  virtual IParamBlock2* GetParamBlock(int) { return nullptr; }
  virtual IParamBlock2* GetParamBlockByID(BlockID) { return nullptr; }

  // Interfaces by ULONG id; this host knows none of its own.
  virtual void* GetInterface(ULONG) { return nullptr; }

 protected:
  virtual ~Animatable();
};
