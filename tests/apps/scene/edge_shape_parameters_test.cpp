// "edge_shape", "world_units" and "bump_mode": older scene files load with their defaults, and
// take values by name as --set gives them (the map's persistence test saves them).
#include <gtest/gtest.h>

#include <vector>

#include "common/input_error.h"
#include "max.h"
#include "scene/block_parameters.h"
#include "scene/scene_settings.h"
#include "scene_file.h"
#include "support/app_test_support.h"

namespace {

// The block of the scene's map, or null.
IParamBlock2* SceneBlock() {
  INode* node = GetCOREInterface()->GetINodeByName(kSettingsNodeName);
  auto* settings = node ? dynamic_cast<SceneSettingsObject*>(node->GetObjectRef()) : nullptr;
  Texmap* map = settings ? settings->Map() : nullptr;
  return map ? map->GetParamBlock(0) : nullptr;
}

std::vector<int> NewParameters(IParamBlock2* block) {
  std::vector<int> values;
  for (const wchar_t* name : {L"edge_shape", L"world_units", L"bump_mode"})
    for (int i = 0; i < block->NumParams(); ++i) {
      ParamID id = block->IndextoID(i);
      if (std::wstring(block->GetParamDef(id).int_name) == name)
        values.push_back(block->GetInt(id));
    }
  return values;
}

}  // namespace

TEST(EdgeShapeParameters, OldScenesLoadWithDefaultsAndTakeNewValuesByName) {
  KelvaneClass();
  // A fuzz seed saved before the parameters existed.
  const std::string bytes = ReadText(KELVANE_SOURCE_DIR "/fuzz/corpus/kelvane/marker_maps.kvs");
  ResetScene();
  MSTR error;
  ASSERT_EQ(LoadSceneFromMemory(bytes.data(), bytes.size(), &error), IO_OK) << error.data();
  IParamBlock2* block;
  ASSERT_NE(block = SceneBlock(), nullptr);
  EXPECT_EQ(NewParameters(block), (std::vector<int>{0, 0, 0}));

  for (const ParameterSetting& set :
       {ParameterSetting{"edge_shape", std::string("concave"), "test"},
        {"world_units", true, "test"},
        {"bump_mode", std::string("Round edge"), "test"}})
    SetBlockParameter(block, set);
  EXPECT_THROW(SetBlockParameter(block, {"edge_shape", 3.0, "test"}), InputError);
  EXPECT_THROW(SetBlockParameter(block, {"edge_shape", std::string("flat"), "test"}), InputError);
  EXPECT_EQ(NewParameters(block), (std::vector<int>{2, 1, 1}));
  ResetScene();
}
