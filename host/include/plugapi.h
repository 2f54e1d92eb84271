#pragma once
// Plug-in classes as the host sees them: class descriptors, the class directory and the
// version a module reports.
#include "WindowsDefines.h"
#include "hostexport.h"
#include "iparamb2Typedefs.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "maxversion.h"

// Super class IDs.
#define GEOMOBJECT_CLASS_ID 0x00000010
#define BASENODE_CLASS_ID 0x00000001
#define MATERIAL_CLASS_ID 0x00000C00
#define TEXMAP_CLASS_ID 0x00000C10
#define UVGEN_CLASS_ID 0x00000C20
#define TEXOUTPUT_CLASS_ID 0x00000C40
#define PARAMETER_BLOCK2_CLASS_ID 0x00000082

// Class IDs of the host's own geometry.
#define TRIOBJ_CLASS_ID 0x0009
#define POLYOBJ_CLASS_ID 0x5d21369a
#define BOXOBJ_CLASS_ID 0x00000010

class ReferenceMaker;
class ParamBlockDesc2;
class ParamMap2UserDlgProc;

// Describes one plug-in class to the host: its identity, and how to make instances.
class CoreExport ClassDesc : public MaxHeapOperators {
 public:
  ClassDesc() = default;
  ClassDesc(const ClassDesc&) = delete;
  ClassDesc& operator=(const ClassDesc&) = delete;
  virtual ~ClassDesc();

  virtual int IsPublic() = 0;
  virtual void* Create(BOOL loading = FALSE) = 0;
  virtual const MCHAR* ClassName() = 0;
  // The class's name in English, whatever the user interface's language (2022 SDK on).
  virtual const MCHAR* NonLocalizedClassName() = 0;
  virtual SClass_ID SuperClassID() = 0;
  virtual Class_ID ClassID() = 0;
  virtual const MCHAR* Category() = 0;
  virtual const MCHAR* InternalName() { return nullptr; }
  virtual HINSTANCE HInstance() { return nullptr; }
  virtual void ResetClassParams(BOOL /*fileReset*/ = FALSE) {}

  // Parameter-block descriptions: ClassDesc2 keeps them; a plain ClassDesc has none.
  virtual void MakeAutoParamBlocks(ReferenceMaker*) {}
  virtual int NumParamBlockDescs() { return 0; }
  virtual ParamBlockDesc2* GetParamBlockDesc(int) { return nullptr; }
  virtual ParamBlockDesc2* GetParamBlockDescByID(BlockID) { return nullptr; }
  virtual void AddParamBlockDesc(ParamBlockDesc2*) {}
  virtual void SetUserDlgProc(ParamBlockDesc2*, ParamMap2UserDlgProc* = nullptr) {}

  virtual INT_PTR Execute(int, ULONG_PTR = 0, ULONG_PTR = 0, ULONG_PTR = 0) { return 0; }
  // A string of the class's string table; a plain ClassDesc has none.
  virtual const MCHAR* GetRsrcString(INT_PTR) { return nullptr; }
};

// The host's register of plug-in classes, keyed by super class and class ID. Modules' classes
// enter it when the host loads them and leave it when it unloads them.
class CoreExport ClassDirectory : public MaxHeapOperators {
 public:
  ClassDirectory() = default;
  ClassDirectory(const ClassDirectory&) = delete;
  ClassDirectory& operator=(const ClassDirectory&) = delete;

  ClassDesc* FindClass(SClass_ID superClassID, const Class_ID& subClassID);
  // False for a null descriptor or one whose super class and class ID are already taken
  // (the first class registered keeps them, as in the host).
  bool AddClass(ClassDesc* cd);
  void RemoveClass(ClassDesc* cd);
  int NumClasses();
  ClassDesc* GetClass(int i);

 private:
  struct ClassList* classes = nullptr;
};
