// The module as the host meets it: loaded through its exports, its class descriptor, its
// strings and its entry point.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "iparamb2.h"
#include "kelvane_class_desc.h"
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

// The class's stored identity, the exported calls the loader does not make, and the entry
// point called again, which only refreshes the handle.
TEST(Module, LoadsThroughItsExportsAndRegistersItsClass) {
  PluginLibrary* lib = LoadKelvane();
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(lib->Version(), (21000u << 16) + (52u << 8)) << "release 21000, API 52";
  ASSERT_EQ(lib->NumClasses(), 1);
  ClassDesc* cd = lib->GetClassDesc(0);
  const Class_ID id(0x51DC051B, 0x866D966D);
  EXPECT_EQ(GetClassDirectory().FindClass(TEXMAP_CLASS_ID, id), cd);
  EXPECT_EQ(std::tuple(cd->IsPublic(), cd->SuperClassID(), cd->ClassID()),
            std::tuple(TRUE, SClass_ID(0xC10), id));
  EXPECT_STREQ(lib->Description(), L"Kelvane");
  EXPECT_STREQ(cd->Category(), L"Other");
  EXPECT_STREQ(cd->InternalName(), L"Kelvane");
  EXPECT_STREQ(cd->ClassName(), L"Kelvane");
  EXPECT_TRUE(LibClassDesc(1) == nullptr && LibClassDesc(-1) == nullptr);
  EXPECT_TRUE(LibInitialize() && LibShutdown());

  HINSTANCE module = lib->Handle();
  EXPECT_EQ(cd->HInstance(), module);
  HINSTANCE other = reinterpret_cast<HINSTANCE>(0x1000);
  EXPECT_TRUE(DllMain(other, DLL_THREAD_ATTACH, nullptr));
  EXPECT_EQ(cd->HInstance(), other);
  EXPECT_TRUE(DllMain(module, DLL_THREAD_ATTACH, nullptr));
  EXPECT_EQ(cd->HInstance(), module);
}

#if defined(_WIN32)
TEST(Module, RampControlClassIsRegisteredOnceAtFirstAttach) {
  PluginLibrary* lib = LoadKelvane();
  ASSERT_NE(lib, nullptr);
  HINSTANCE module = lib->Handle();
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  ASSERT_TRUE(GetClassInfoExW(module, L"CustGradientRamp", &wc));
  EXPECT_EQ(std::tuple(wc.style, wc.cbClsExtra, wc.cbWndExtra),
            std::tuple(UINT(CS_OWNDC | CS_HREDRAW | CS_VREDRAW), 0, 0));
  EXPECT_EQ(wc.hbrBackground, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  // A later attach only refreshes the handle: a class taken away is not registered again.
  ASSERT_TRUE(UnregisterClassW(L"CustGradientRamp", module));
  EXPECT_TRUE(DllMain(module, DLL_THREAD_ATTACH, nullptr));
  EXPECT_FALSE(GetClassInfoExW(module, L"CustGradientRamp", &wc));
}
#endif
