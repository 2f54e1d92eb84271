// "edge_shape", "world_units" and "bump_mode" in the program's scenes: scene files saved
// before them load with all at their defaults, and set by name, as --set sets them, they
// survive a save.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/input_error.h"
#include "maxapi.h"
#include "maxheap.h"
#include "plugin_loader.h"
#include "scene/block_parameters.h"
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

// The block of the scene's map, or null.
IParamBlock2* SceneBlock() {
  INode* node = GetCOREInterface()->GetINodeByName(kSettingsNodeName);
  auto* settings = node ? dynamic_cast<SceneSettingsObject*>(node->GetObjectRef()) : nullptr;
  Texmap* map = settings ? settings->Map() : nullptr;
  return map ? map->GetParamBlock(0) : nullptr;
}

int IntByName(IParamBlock2* block, const wchar_t* name) {
  for (int i = 0; i < block->NumParams(); ++i) {
    ParamID id = block->IndextoID(i);
    if (std::wstring(block->GetParamDef(id).int_name) == name) return block->GetInt(id);
  }
  ADD_FAILURE() << "the block lacks a parameter";
  return -1;
}

}  // namespace

TEST(EdgeShapeParameters, OldScenesLoadWithDefaultsAndNewValuesRoundTrip) {
  const std::filesystem::path module =
      std::filesystem::path(KELVANE_BINARY).parent_path() / "Kelvane.dlt";
  PluginLoadStatus status;
  MSTR message;
  if (!LoadPluginLibrary(module.wstring().c_str(), &status, &message)) {
    ASSERT_EQ(status, PLUGIN_ALREADY_LOADED) << message.data();
  }
  RegisterSceneSettingsClass();

  const std::filesystem::path corpus =
      std::filesystem::path(KELVANE_SOURCE_DIR) / "fuzz/corpus/kelvane";
  // The seeds saved before the two parameters existed.
  for (const char* name : {"edges.kvs", "marker_maps.kvs", "unsorted_maps.kvs"}) {
    SCOPED_TRACE(name);
    std::ifstream in(corpus / name, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ResetScene();
    MSTR error;
    ASSERT_EQ(LoadSceneFromMemory(bytes.data(), bytes.size(), &error), IO_OK) << error.data();
    IParamBlock2* block = SceneBlock();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(IntByName(block, L"edge_shape"), 0);
    EXPECT_EQ(IntByName(block, L"world_units"), 0);
    EXPECT_EQ(IntByName(block, L"bump_mode"), 0);

    SetBlockParameter(block, {"edge_shape", std::string("concave"), "test"});
    SetBlockParameter(block, {"world_units", true, "test"});
    SetBlockParameter(block, {"bump_mode", std::string("Round edge"), "test"});
    EXPECT_THROW(SetBlockParameter(block, {"edge_shape", 3.0, "test"}), InputError);
    EXPECT_THROW(SetBlockParameter(block, {"edge_shape", std::string("flat"), "test"}), InputError);
    std::vector<char> saved = SaveToMemory();
    ResetScene();
    ASSERT_EQ(LoadSceneFromMemory(saved.data(), saved.size(), &error), IO_OK) << error.data();
    ASSERT_NE(block = SceneBlock(), nullptr);
    EXPECT_EQ(IntByName(block, L"edge_shape"), 2);
    EXPECT_EQ(IntByName(block, L"world_units"), 1);
    EXPECT_EQ(IntByName(block, L"bump_mode"), 1);
    EXPECT_EQ(SaveToMemory(), saved);
  }
  // The seed that carries them to the fuzzer: Concave and world units on.
  std::ifstream in(corpus / "edge_shape_world_units.kvs", std::ios::binary);
  std::vector<char> seed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ResetScene();
  MSTR error;
  ASSERT_EQ(LoadSceneFromMemory(seed.data(), seed.size(), &error), IO_OK) << error.data();
  ASSERT_NE(SceneBlock(), nullptr);
  EXPECT_EQ(IntByName(SceneBlock(), L"edge_shape"), 2);
  EXPECT_EQ(IntByName(SceneBlock(), L"world_units"), 1);
  // The one that carries round edges.
  std::ifstream bumpIn(corpus / "round_edge_bump.kvs", std::ios::binary);
  std::vector<char> bumpSeed{std::istreambuf_iterator<char>(bumpIn),
                             std::istreambuf_iterator<char>()};
  ResetScene();
  ASSERT_EQ(LoadSceneFromMemory(bumpSeed.data(), bumpSeed.size(), &error), IO_OK) << error.data();
  ASSERT_NE(SceneBlock(), nullptr);
  EXPECT_EQ(IntByName(SceneBlock(), L"bump_mode"), 1);
  ResetScene();
}