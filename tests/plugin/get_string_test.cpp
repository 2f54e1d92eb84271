// The module's string loader, run against the module's own resources.
#include <gtest/gtest.h>

#include "module.h"
#include "module_exports.h"
#include "plugin_loader.h"
#include "resource.h"

HINSTANCE hInstance = nullptr;  // the loader's module handle, as the entry point stores it

TEST(GetString, LoadsIntoOneSharedBuffer) {
  hInstance = nullptr;
  EXPECT_EQ(GetString(IDS_CLASS_NAME), nullptr) << "no module handle yet";

  ASSERT_NE(LibClassDesc(0), nullptr);
  hInstance = LibClassDesc(0)->HInstance();
  ASSERT_NE(hInstance, nullptr);
  const MCHAR* first = GetString(IDS_CLASS_NAME);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first, L"Kelvane");
  EXPECT_EQ(GetString(IDS_SMOOTH_EQUALS), first) << "one shared buffer";
  EXPECT_STREQ(first, L"Smooth Equals");
  EXPECT_EQ(GetString(1999), nullptr) << "a missing entry";
  EXPECT_STREQ(GetString(IDS_ONLY_IN_IDS), L"Only in ID's");
  EXPECT_STREQ(GetString(IDS_ACTIVE_MARKER_COLOR_TITLE), L"Setup active marker color");
  hInstance = nullptr;
}
