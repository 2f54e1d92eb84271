// The host's plug-in loader refusing paths that hold no module. Loading a good one is Kelvane's
// own module test's; the version and export checks are the real host's, which the stand-in
// only imitates.
#include <gtest/gtest.h>

#include <string>

#include "plugin_loader.h"

TEST(PluginLoader, ReportsWhyAPathDidNotLoad) {
  const std::wstring dir = GetExecutableDirectory().data();
  struct Case {
    std::wstring path;
    PluginLoadStatus status;
    const wchar_t* says;
  } cases[] = {
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
}
