// A small plug-in module for the loader's tests: two classes, one with an auto-constructed
// parameter block. Built three times: as it should be, with an older SDK's LibVersion
// (TEST_PLUGIN_OLD_VERSION) and without LibClassDesc (TEST_PLUGIN_NO_CLASSDESC).
#include "imtl.h"
#include "iparamb2.h"

#if defined(_WIN32)
#define TEST_PLUGIN_EXPORT __declspec(dllexport)
#else
#define TEST_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

namespace {

enum { kScale = 0 };

class LoaderTestMap : public Texmap {
 public:
  explicit LoaderTestMap(ClassDesc2* cd) { cd->MakeAutoParamBlocks(this); }
  Class_ID ClassID() override { return Class_ID(0x10ad0001, 0x7e57); }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? pblock : nullptr; }
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override { return i == 0 ? pblock : nullptr; }
  AColor EvalColor(ShadeContext&) override {
    float s = pblock ? pblock->GetFloat(kScale) : 0.0f;
    return AColor(s, s, s);
  }
  Point3 EvalNormalPerturb(ShadeContext&) override { return Point3(0.0f, 0.0f, 0.0f); }
  void Update(TimeValue, Interval&) override {}
  void Reset() override {}
  Interval Validity(TimeValue) override { return FOREVER; }
  ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }

 protected:
  void SetReference(int i, RefTargetHandle t) override {
    if (i == 0) pblock = static_cast<IParamBlock2*>(t);
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }

 private:
  IParamBlock2* pblock = nullptr;
};

class LoaderTestMapDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return TRUE; }
  void* Create(BOOL) override { return new LoaderTestMap(this); }
  const MCHAR* ClassName() override { return _M("LoaderTestMap"); }
  const MCHAR* NonLocalizedClassName() override { return _M("LoaderTestMap"); }
  SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(0x10ad0001, 0x7e57); }
  const MCHAR* Category() override { return _M("Test"); }
};

// A class without parameter blocks, to see a second class registered.
class LoaderTestUtilityDesc : public ClassDesc {
 public:
  int IsPublic() override { return FALSE; }
  void* Create(BOOL) override { return nullptr; }
  const MCHAR* ClassName() override { return _M("LoaderTestUtility"); }
  const MCHAR* NonLocalizedClassName() override { return _M("LoaderTestUtility"); }
  SClass_ID SuperClassID() override { return 0x00001020; }
  Class_ID ClassID() override { return Class_ID(0x10ad0002, 0x7e57); }
  const MCHAR* Category() override { return _M("Test"); }
};

LoaderTestMapDesc mapDesc;
LoaderTestUtilityDesc utilityDesc;

// clang-format off
ParamBlockDesc2 mapParams(0, _M("params"), 0, &mapDesc, P_AUTO_CONSTRUCT,
    0,
    kScale, _M("scale"), TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 2.5f,
        p_end,
    p_end);
// clang-format on

}  // namespace

extern "C" {
TEST_PLUGIN_EXPORT const MCHAR* LibDescription() {
  return _M("Loader test module");
}
TEST_PLUGIN_EXPORT int LibNumberClasses() {
  return 2;
}
#if !defined(TEST_PLUGIN_NO_CLASSDESC)
TEST_PLUGIN_EXPORT ClassDesc* LibClassDesc(int i) {
  return i == 0 ? static_cast<ClassDesc*>(&mapDesc) : i == 1 ? &utilityDesc : nullptr;
}
#endif
TEST_PLUGIN_EXPORT ULONG LibVersion() {
#if defined(TEST_PLUGIN_OLD_VERSION)
  return (20000 << 16) + (50 << 8);  // the 2018 SDK's
#else
  return VERSION_3DSMAX;
#endif
}
TEST_PLUGIN_EXPORT int LibInitialize() {
  return TRUE;
}
TEST_PLUGIN_EXPORT int LibShutdown() {
  return TRUE;
}
}
