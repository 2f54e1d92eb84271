// The host's plug-in loader, against small modules built beside the tests.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "imtl.h"
#include "plugin_loader.h"

namespace {

const Class_ID kMapClass(0x10ad0001, 0x7e57);

std::wstring ModulePath(const wchar_t* file) {
  return std::wstring(GetExecutableDirectory().data()) + L"/" + file;
}

bool Contains(const MSTR& text, const wchar_t* part) {
  return std::wstring(text.data()).find(part) != std::wstring::npos;
}

TEST(PluginLoader, LoadsAModuleAndRegistersItsClassesUntilUnloaded) {
  int loadedBefore = NumPluginLibraries();
  PluginLoadStatus status = PLUGIN_NOT_FOUND;
  MSTR message(L"stale");
  std::wstring path = ModulePath(L"test_plugin.dlt");
  PluginLibrary* lib = LoadPluginLibrary(path.c_str(), &status, &message);
  ASSERT_NE(lib, nullptr) << message.data();
  EXPECT_TRUE(status == PLUGIN_LOADED && message.isNull());
  EXPECT_EQ(std::tuple(NumPluginLibraries(), GetPluginLibrary(loadedBefore)),
            std::tuple(loadedBefore + 1, lib));
  // What registering gives the module is Kelvane's own module test's; here, that it is undone.
  ClassDirectory& dir = GetClassDirectory();
  ASSERT_EQ(dir.FindClass(TEXMAP_CLASS_ID, kMapClass), lib->GetClassDesc(0));

  PluginLoadStatus again = PLUGIN_LOADED;
  EXPECT_EQ(LoadPluginLibrary(path.c_str(), &again), nullptr);
  EXPECT_EQ(again, PLUGIN_ALREADY_LOADED);

  ASSERT_TRUE(UnloadPluginLibrary(lib));
  EXPECT_TRUE(!dir.FindClass(TEXMAP_CLASS_ID, kMapClass) && NumPluginLibraries() == loadedBefore);
  EXPECT_FALSE(UnloadPluginLibrary(lib));
}

TEST(PluginLoader, ReportsWhyAModuleDidNotLoad) {
  int loadedBefore = NumPluginLibraries();
  struct Case {
    std::wstring path;
    PluginLoadStatus status;
    const wchar_t* says;
  } cases[] = {
      {ModulePath(L"test_plugin_old.dlt"), PLUGIN_WRONG_VERSION, L"API 50"},
      {ModulePath(L"test_plugin_noclassdesc.dlt"), PLUGIN_MISSING_EXPORT, L"LibClassDesc"},
      {ModulePath(L"no_such_module.dlt"), PLUGIN_NOT_FOUND, L"no such file"},
      {std::wstring(GetExecutableDirectory().data()), PLUGIN_NOT_LOADABLE, L""},  // a folder
  };
  for (const Case& c : cases) {
    PluginLoadStatus status = PLUGIN_LOADED;
    MSTR message;
    EXPECT_EQ(LoadPluginLibrary(c.path.c_str(), &status, &message), nullptr);
    EXPECT_EQ(status, c.status);
    EXPECT_TRUE(!message.isNull() && Contains(message, c.says)) << message.data();
  }
  EXPECT_EQ(NumPluginLibraries(), loadedBefore);
  EXPECT_EQ(GetClassDirectory().FindClass(TEXMAP_CLASS_ID, kMapClass), nullptr)
      << "a refused module registers nothing";
}

}  // namespace
