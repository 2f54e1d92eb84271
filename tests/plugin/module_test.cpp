// The module as the host meets it: loaded through its exports, its class descriptor, its
// strings and its entry point.
#include <gtest/gtest.h>

#include <string>

#include "iparamb2.h"
#include "kelvane_class_desc.h"
#include "maxversion.h"
#include "module_exports.h"
#include "plugin_loader.h"
#include "resource.h"

namespace {

PluginLibrary* LoadKelvane() {
  static PluginLibrary* library = [] {
    MSTR path = GetExecutableDirectory();
    std::wstring file = std::wstring(path.data()) + L"/Kelvane.dlt";
    PluginLoadStatus status;
    MSTR message;
    PluginLibrary* lib = LoadPluginLibrary(file.c_str(), &status, &message);
    EXPECT_EQ(status, PLUGIN_LOADED) << std::wstring(message.data()).size();
    return lib;
  }();
  return library;
}

}  // namespace

TEST(Module, LoadsThroughItsExportsAndRegistersItsClass) {
  PluginLibrary* lib = LoadKelvane();
  ASSERT_NE(lib, nullptr);
  EXPECT_STREQ(lib->Description(), L"Kelvane");
  EXPECT_EQ(lib->Version(), 1376269312u);
  ASSERT_EQ(lib->NumClasses(), 1);
  ClassDesc* cd = lib->GetClassDesc(0);
  EXPECT_EQ(GetClassDirectory().FindClass(TEXMAP_CLASS_ID, Class_ID(0x51DC051B, 0x866D966D)), cd);

  EXPECT_TRUE(cd->IsPublic());
  EXPECT_STREQ(cd->ClassName(), L"Kelvane");
  EXPECT_EQ(cd->SuperClassID(), SClass_ID(0xC10));
  EXPECT_EQ(cd->ClassID(), Class_ID(0x51DC051B, 0x866D966D));
  EXPECT_STREQ(cd->Category(), L"Other");
  EXPECT_STREQ(cd->InternalName(), L"Kelvane");
  EXPECT_EQ(cd->HInstance(), lib->Handle());
}

TEST(Module, ExportedEntryPoints) {
  ASSERT_NE(LoadKelvane(), nullptr);
  EXPECT_EQ(LibNumberClasses(), 1);
  EXPECT_NE(LibClassDesc(0), nullptr);
  EXPECT_EQ(LibClassDesc(1), nullptr);
  EXPECT_EQ(LibClassDesc(-1), nullptr);
  EXPECT_EQ(LibVersion(), ULONG(VERSION_3DSMAX));
  EXPECT_EQ(GET_MAX_RELEASE(LibVersion()), 21000u);
  EXPECT_EQ(GET_MAX_API_NUM(LibVersion()), 52u);
  EXPECT_TRUE(LibInitialize());
  EXPECT_TRUE(LibShutdown());
}

TEST(Module, StringsShareOneBuffer) {
  ASSERT_NE(LoadKelvane(), nullptr);
  ClassDesc* cd = LibClassDesc(0);
  const MCHAR* description = LibDescription();
  ASSERT_NE(description, nullptr);
  EXPECT_STREQ(description, L"Kelvane");
  // The next load overwrites the same buffer: callers copy at once.
  const MCHAR* category = cd->Category();
  EXPECT_EQ(category, description);
  EXPECT_STREQ(description, L"Other");
}

TEST(Module, EntryPointOnlyRefreshesTheHandleWhenCalledAgain) {
  PluginLibrary* lib = LoadKelvane();
  ASSERT_NE(lib, nullptr);
  HINSTANCE module = lib->Handle();
  ClassDesc* cd = LibClassDesc(0);
  HINSTANCE other = reinterpret_cast<HINSTANCE>(0x1000);
  EXPECT_TRUE(DllMain(other, DLL_THREAD_ATTACH, nullptr));
  EXPECT_EQ(cd->HInstance(), other);
  EXPECT_TRUE(DllMain(module, DLL_THREAD_ATTACH, nullptr));
  EXPECT_EQ(cd->HInstance(), module);
  EXPECT_STREQ(cd->ClassName(), L"Kelvane");
}

#if defined(_WIN32)
TEST(Module, RampControlClassIsRegisteredOnceAtFirstAttach) {
  PluginLibrary* lib = LoadKelvane();
  ASSERT_NE(lib, nullptr);
  HINSTANCE module = lib->Handle();
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  ASSERT_TRUE(GetClassInfoExW(module, L"CustGradientRamp", &wc));
  EXPECT_EQ(wc.style, UINT(CS_OWNDC | CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(wc.cbClsExtra, 0);
  EXPECT_EQ(wc.cbWndExtra, 0);
  EXPECT_EQ(wc.hbrBackground, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  // A later attach only refreshes the handle: a class taken away is not registered again.
  ASSERT_TRUE(UnregisterClassW(L"CustGradientRamp", module));
  EXPECT_TRUE(DllMain(module, DLL_THREAD_ATTACH, nullptr));
  EXPECT_FALSE(GetClassInfoExW(module, L"CustGradientRamp", &wc));
}
#endif
