// Meeting the Kelvane map through its class and parameter block, and handing it markers.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <utility>

#include "common/input_error.h"
#include "host_maps.h"
#include "scene/block_parameters.h"
#include "scene/map_binding.h"
#include "scene/marker_chunk.h"
#include "support/app_test_support.h"
#include "texmap/marker_record.h"

namespace {

class MapBindingTest : public ::testing::Test {
 protected:
  void SetUp() override { map = CreateMap(KelvaneClass()); }
  void TearDown() override { map->DeleteMe(); }
  IParamBlock2* Block() { return map->GetParamBlock(0); }
  // The block's value of the parameter with this internal name.
  double Value(const wchar_t* name) {
    for (int i = 0; i < Block()->NumParams(); ++i) {
      const ParamID id = Block()->IndextoID(i);
      const ParamDef& def = Block()->GetParamDef(id);
      if (std::wstring(def.int_name) == name)
        return def.type == ParamType2(TYPE_FLOAT) ? double(Block()->GetFloat(id))
                                                  : Block()->GetInt(id);
    }
    ADD_FAILURE() << "no such parameter";
    return -1;
  }
  std::string ErrorOf(const std::string& name, std::variant<bool, double, std::string> value) {
    try {
      SetBlockParameter(Block(), ParameterSetting{name, value, "origin"});
    } catch (const InputError& e) {
      return e.what();
    }
    return "(no error)";
  }
  Texmap* map = nullptr;
};

TEST_F(MapBindingTest, ParametersAreSetByInternalNameWithTheirTypesAndRanges) {
  ApplyParameters(map, {{"Distance", 2.5, "o"},
                        {"open edges", true, "o"},
                        {"conditions", 1.0, "o"},
                        {"conditions", std::string("and"), "o"},
                        {"c_mult", 1000000.0, "o"}});
  // "and": the rollout's words for radio choices.
  EXPECT_EQ(std::vector(
                {Value(L"Distance"), Value(L"open edges"), Value(L"conditions"), Value(L"c_mult")}),
            std::vector({2.5, 1.0, 0.0, 1e6}));

  const std::pair<std::string, std::variant<bool, double, std::string>> refused[] = {
      {"distance", 1.0},   {"Distance", 2e7},      {"Distance", true},
      {"open edges", 1.0}, {"c_mult", 2.5},        {"c_mult", 1e12},
      {"coords", 1.0},     {"conditions", "Both"}, {"Distance", "Or"}};
  const char* says[] = {"origin: unknown parameter \"distance\" (the map has: Distance, Angle, ",
                        "origin: 20000000 is out of range for \"Distance\" (0 to 10000000)",
                        "origin: parameter \"Distance\" takes a number",
                        "origin: parameter \"open edges\" takes true or false",
                        "origin: parameter \"c_mult\" takes a whole number, not 2.5",
                        "origin: 1e+12 is out of range for \"c_mult\" (1 to 1000000)",
                        "origin: parameter \"coords\" cannot be set to a plain value",
                        "origin: parameter \"conditions\" takes 0, 1, And or Or, not \"Both\"",
                        "origin: parameter \"Distance\" takes a number, not \"Or\""};
  for (size_t i = 0; i < std::size(says); ++i)
    EXPECT_EQ(ErrorOf(refused[i].first, refused[i].second).rfind(says[i], 0), 0u) << says[i];
  EXPECT_EQ(Value(L"Distance"), 2.5) << "a refused value changes nothing";
}

TEST_F(MapBindingTest, MarkersReachTheMapInTheSceneFileLayoutWithTheirMaps) {
  MarkerDescription a, b;
  a.position = 0.0f;
  a.color = AColor(0.1f, 0.2f, 0.3f, 1.0f);
  a.inMode = 2;
  a.colorMapOn = false;
  a.colorMap =
      HostMapDescription{HostMapDescription::Kind::Color, AColor(0.25f, 0.5f, 0.75f, 1.0f)};
  b.position = 0.75f;
  b.active = true;
  b.transparentMap = HostMapDescription{HostMapDescription::Kind::Checker, AColor(1, 0, 0, 1),
                                        AColor(0, 0, 1, 1), 0.5f};
  std::vector<uint8_t> chunk = EncodeMarkerChunk({a, b});
  ASSERT_EQ(chunk.size(), 4 + 2 * kMarkerRecordBytes);
  float position;
  std::memcpy(&position, &chunk[4 + kMarkerRecordBytes], 4);
  EXPECT_EQ(position, 0.75f);
  // The count, little-endian; colorMapOn at offset 36, inMode at 38 (unaligned), the active
  // marker's flag at 78.
  EXPECT_EQ(
      std::vector({chunk[0], chunk[4 + 36], chunk[4 + 38], chunk[4 + kMarkerRecordBytes + 78]}),
      std::vector<uint8_t>({2, 0, 2, 2}));

  // Two markers where the default ramp has three: the map took the chunk, and its maps.
  GiveMarkers(map, {a, b});
  ASSERT_EQ(map->NumSubTexmaps(), 4);
  auto* color = dynamic_cast<ConstantColorMap*>(map->GetReference(3));
  auto* checker = dynamic_cast<CheckerMap*>(map->GetReference(6));
  ASSERT_TRUE(color && checker && !map->GetReference(4) && !map->GetReference(5));
  EXPECT_EQ(color->color.g, 0.5f);
  EXPECT_TRUE(checker->color2.b == 1.0f && checker->size == 0.5f);
}

}  // namespace
