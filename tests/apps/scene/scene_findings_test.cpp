// Scene files the fuzzer once broke the loader with, loaded as the program loads scenes: with
// the module and the program's scene object registered. Each fails with a message, or loads,
// saves, loads again and saves the same bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "maxheap.h"
#include "plugin_loader.h"
#include "scene/scene_settings.h"
#include "scene_file.h"

namespace {

std::vector<char> SaveToMemory() {
  void* data = nullptr;
  size_t size = 0;
  MSTR error;
  EXPECT_EQ(SaveSceneToMemory(&data, &size, &error), IO_OK) << error.data();
  std::vector<char> bytes(static_cast<char*>(data), static_cast<char*>(data) + size);
  MAX_free(data);
  return bytes;
}

}  // namespace

TEST(SceneFindings, FailWithAMessageOrSaveAgainUnchanged) {
  const std::filesystem::path module =
      std::filesystem::path(KELVANE_BINARY).parent_path() / "Kelvane.dlt";
  PluginLoadStatus status;
  MSTR message;
  if (!LoadPluginLibrary(module.wstring().c_str(), &status, &message)) {
    ASSERT_EQ(status, PLUGIN_ALREADY_LOADED) << message.data();
  }
  RegisterSceneSettingsClass();

  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KELVANE_FUZZ_FINDINGS)) {
    SCOPED_TRACE(entry.path().filename().string());
    ++files;
    std::ifstream in(entry.path(), std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ResetScene();
    MSTR error;
    if (LoadSceneFromMemory(bytes.data(), bytes.size(), &error) != IO_OK) {
      EXPECT_FALSE(error.isNull());
      continue;
    }
    std::vector<char> first = SaveToMemory();
    ResetScene();
    ASSERT_EQ(LoadSceneFromMemory(first.data(), first.size(), &error), IO_OK) << error.data();
    EXPECT_EQ(SaveToMemory(), first);
  }
  ResetScene();
  EXPECT_GT(files, 0);
}
