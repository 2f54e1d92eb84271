// Scene files that once broke the loader, loaded as the program loads them: each fails with a
// message, or loads, saves, loads again and saves the same bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "saved_scene.h"
#include "scene_file.h"
#include "support/app_test_support.h"

TEST(SceneFindings, FailWithAMessageOrSaveAgainUnchanged) {
  KelvaneClass();
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KELVANE_FUZZ_FINDINGS)) {
    SCOPED_TRACE(entry.path().filename().string());
    ++files;
    const std::string bytes = ReadText(entry.path().string());
    ResetScene();
    MSTR error;
    if (LoadSceneFromMemory(bytes.data(), bytes.size(), &error) != IO_OK) {
      EXPECT_FALSE(error.isNull());
      continue;
    }
    std::vector<uint8_t> first = SaveSceneBytes(&error);
    ASSERT_FALSE(first.empty()) << error.data();
    ResetScene();
    ASSERT_EQ(LoadSceneFromMemory(first.data(), first.size(), &error), IO_OK) << error.data();
    EXPECT_EQ(SaveSceneBytes(), first);
  }
  ResetScene();
  EXPECT_GT(files, 0);
}
