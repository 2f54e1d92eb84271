// A small plug-in module the loader must refuse: built with an older SDK's LibVersion
// (TEST_PLUGIN_OLD_VERSION) or without LibClassDesc (TEST_PLUGIN_NO_CLASSDESC).
#include "imtl.h"

#if defined(_WIN32)
#define TEST_PLUGIN_EXPORT __declspec(dllexport)
#else
#define TEST_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

namespace {

class LoaderTestMapDesc : public ClassDesc {
 public:
  int IsPublic() override { return TRUE; }
  void* Create(BOOL) override { return nullptr; }
  const MCHAR* ClassName() override { return _M("LoaderTestMap"); }
  const MCHAR* NonLocalizedClassName() override { return _M("LoaderTestMap"); }
  SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(0x10ad0001, 0x7e57); }
  const MCHAR* Category() override { return _M("Test"); }
};

LoaderTestMapDesc mapDesc;

}  // namespace

extern "C" {
TEST_PLUGIN_EXPORT const MCHAR* LibDescription() {
  return _M("Loader test module");
}
TEST_PLUGIN_EXPORT int LibNumberClasses() {
  return 1;
}
#if !defined(TEST_PLUGIN_NO_CLASSDESC)
TEST_PLUGIN_EXPORT ClassDesc* LibClassDesc(int i) {
  return i == 0 ? &mapDesc : nullptr;
}
#endif
TEST_PLUGIN_EXPORT ULONG LibVersion() {
#if defined(TEST_PLUGIN_OLD_VERSION)
  return (20000 << 16) + (50 << 8);  // the 2018 SDK's
#else
  return VERSION_3DSMAX;  // refused for the missing export alone
#endif
}
TEST_PLUGIN_EXPORT int LibInitialize() {
  return TRUE;
}
TEST_PLUGIN_EXPORT int LibShutdown() {
  return TRUE;
}
}
