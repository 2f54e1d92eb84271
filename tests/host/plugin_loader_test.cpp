// The host's plug-in loader refusing modules it cannot use, against small modules built beside
// the tests. Loading a good one is Kelvane's own module test's.
#include <gtest/gtest.h>

#include <string>

#include "imtl.h"
#include "plugin_loader.h"

TEST(PluginLoader, ReportsWhyAModuleDidNotLoadAndRegistersNothing) {
  const std::wstring dir = GetExecutableDirectory().data();
  struct Case {
    std::wstring path;
    PluginLoadStatus status;
    const wchar_t* says;
  } cases[] = {
      {dir + L"/test_plugin_old.dlt", PLUGIN_WRONG_VERSION, L"API 50"},
      {dir + L"/test_plugin_noclassdesc.dlt", PLUGIN_MISSING_EXPORT, L"LibClassDesc"},
      {dir + L"/no_such_module.dlt", PLUGIN_NOT_FOUND, L"no such file"},
      {dir, PLUGIN_NOT_LOADABLE, L""},  // a folder
  };
  for (const Case& c : cases) {
    PluginLoadStatus status = PLUGIN_LOADED;
    MSTR message;
    EXPECT_EQ(LoadPluginLibrary(c.path.c_str(), &status, &message), nullptr);
    EXPECT_TRUE(status == c.status && !message.isNull() &&
                std::wstring(message.data()).find(c.says) != std::wstring::npos)
        << message.data();
  }
  EXPECT_EQ(GetClassDirectory().FindClass(TEXMAP_CLASS_ID, Class_ID(0x10ad0001, 0x7e57)), nullptr);
}
