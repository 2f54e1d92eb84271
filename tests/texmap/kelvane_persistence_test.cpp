// The map in scene files: its marker chunk, round trips, and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "map_holder.h"
#include "saved_scene.h"
#include "scene_file.h"
#include "texmap_test_support.h"

namespace {

class PersistenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(LibClassDesc(0), nullptr);  // the module and its class are loaded
    ResetScene();
    map = NewKelvane();
    HoldInScene(map);
  }
  void TearDown() override { ResetScene(); }

  std::vector<uint8_t> Save() {
    MSTR error;
    std::vector<uint8_t> bytes = SaveSceneBytes(&error);
    EXPECT_FALSE(bytes.empty()) << error.data();
    return bytes;
  }
  // In place of the current scene.
  Kelvane* Load(const std::vector<uint8_t>& bytes) {
    MSTR error;
    if (LoadSceneFromMemory(bytes.data(), bytes.size(), &error) != IO_OK) return nullptr;
    INode* node = GetCOREInterface()->GetINodeByName(L"holder");
    if (!node) return nullptr;
    return static_cast<Kelvane*>(static_cast<MapHolder*>(node->GetObjectRef())->map);
  }
  // Where the marker chunk's header starts (ID 0x4001, a data chunk), or npos.
  static size_t MarkerChunk(const std::vector<uint8_t>& bytes) {
    const uint8_t header[4] = {0x01, 0x40, 0x00, 0x00};
    auto at = std::search(bytes.begin(), bytes.end(), header, header + 4);
    return at == bytes.end() ? std::string::npos : size_t(at - bytes.begin());
  }
  static uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
  }
  void SetMarkers(std::initializer_list<float> positions) {
    map->ramp.markers.clear();
    for (float p : positions) {
      RampMarker m;
      m.position = p;
      m.color = AColor(p, 0.5f, 1.0f - p, 1.0f);
      map->ramp.markers.push_back(m);
    }
    map->SyncMarkerReferences();
  }

  Kelvane* map = nullptr;
};

}  // namespace

TEST_F(PersistenceTest, RoundTripRestoresEveryField) {
  SetMarkers({0.0f, 0.25f, 1.0f});
  RampMarker& m = map->ramp.markers[1];
  m.transparentColor = AColor(0.1f, 0.2f, 0.3f, 0.4f);
  m.colorMapOn = false;
  m.transparentMapOn = false;
  m.inMode = 2;
  m.outMode = 3;
  map->ramp.SetGlyphColors(AColor(0.9f, 0.8f, 0.7f, 0.6f), AColor(0.5f, 0.4f, 0.3f, 0.2f));
  map->ramp.SetActiveMarker(1);
  map->pblock->SetValue(pb_distance, 0, 4.5f);
  map->pblock->SetValue(pb_conditions, 0, 0);
  map->pblock->SetValue(pb_edge_shape, 0, 2);
  map->pblock->SetValue(pb_world_units, 0, 1);
  std::vector<RampMarker> saved = map->ramp.markers;

  Kelvane* loaded = Load(Save());
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(loaded->ramp.markers.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(SavedFields(loaded->ramp.markers[i]), SavedFields(saved[i])) << "marker " << i;
  IParamBlock2* pb = loaded->pblock;
  EXPECT_EQ(
      std::tuple(pb->GetFloat(pb_distance), pb->GetInt(pb_conditions), pb->GetInt(pb_edge_shape),
                 pb->GetInt(pb_world_units), pb->Count(pb_marker_map)),
      std::tuple(4.5f, 0, 2, 1, 6));
}

TEST_F(PersistenceTest, MapsStayOnTheirMarkersThroughSortAndMerge) {
  // Unsorted (a typed position), with two markers that merge and two clamped into 0..1.
  SetMarkers({0.00005f, 0.8f, 0.3f, 0.30005f, 1.5f});
  const float shades[5] = {0.1f, 0.8f, 0.3f, 0.35f, 0.9f};
  for (int i = 0; i < 5; ++i) map->SetSubTexmap(2 * i, NewColorMap(AColor(shades[i], 0.0f, 0.0f)));
  map->SetSubTexmap(2 * 4 + 1, NewColorMap(AColor(0.0f, 0.0f, 0.9f)));

  Kelvane* loaded = Load(Save());
  ASSERT_NE(loaded, nullptr);
  // Position, colour map's red, and whether its reference holds it; 0.3 and 0.30005 merged.
  std::vector<std::tuple<float, float, bool>> got;
  for (size_t i = 0; i < loaded->ramp.markers.size(); ++i) {
    auto* colour = static_cast<ConstantColorMap*>(loaded->ramp.markers[i].colorMap);
    got.emplace_back(loaded->ramp.markers[i].position, colour ? colour->color.r : -1.0f,
                     loaded->GetReference(3 + 2 * int(i)) == colour);
  }
  EXPECT_EQ(got,
            (std::vector<std::tuple<float, float, bool>>{
                {0.0f, 0.1f, true}, {0.3f, 0.3f, true}, {0.8f, 0.8f, true}, {1.0f, 0.9f, true}}));
  auto* transparent = static_cast<ConstantColorMap*>(loaded->ramp.markers.back().transparentMap);
  EXPECT_TRUE(transparent && transparent->color.b == 0.9f);
  EXPECT_TRUE(loaded->NumRefs() == 11 && loaded->pblock->Count(pb_marker_map) == 8);
}

TEST_F(PersistenceTest, DefaultMarkerChunkAndDamagedOnes) {
  std::vector<uint8_t> bytes = Save();
  size_t at = MarkerChunk(bytes);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(U32(bytes, at + 4), 250u) << "the default ramp's chunk size";
  EXPECT_EQ(U32(bytes, at + 8), 3u);

  // No marker chunk the map knows, a count of zero, a count far beyond the chunk: the
  // default three (never an empty ramp), or only the whole records there are.
  const uint32_t counts[] = {3, 0, 1000000};
  for (int k = 0; k < 3; ++k) {
    std::vector<uint8_t> damaged = bytes;
    if (k == 0) damaged[at] = 0x02;
    std::memcpy(&damaged[at + 8], &counts[k], 4);
    Kelvane* loaded = Load(damaged);
    ASSERT_NE(loaded, nullptr) << k;
    EXPECT_TRUE(loaded->ramp.markers.size() == 3 && loaded->NumRefs() == 9) << k;
  }
}

// Out-of-range values from a damaged file: the map brings each into range when it caches it.
TEST_F(PersistenceTest, BlockValuesOutOfRangeAreClampedWhenCached) {
  std::vector<uint8_t> bytes = Save();
  // A block value is stored after its header: parameter ID, type and count 1.
  auto patch = [&](ParamID id, int type, const void* value) {
    const int32_t header[3] = {id, type, 1};
    const auto* h = reinterpret_cast<const uint8_t*>(header);
    auto at = std::search(bytes.begin(), bytes.end(), h, h + sizeof(header));
    ASSERT_NE(at, bytes.end()) << id;
    std::memcpy(&*(at + sizeof(header)), value, 4);
  };
  const int32_t lowest = std::numeric_limits<int32_t>::min(), zero = 0, many = 7;
  const float negative = -5.0f, huge = 1e30f, nan = std::numeric_limits<float>::quiet_NaN();
  patch(pb_matid1, TYPE_INT, &lowest);
  patch(pb_matid2, TYPE_INT, &many);  // in range: kept
  patch(pb_c_mult, TYPE_INT, &zero);
  patch(pb_conditions, TYPE_INT, &lowest);
  patch(pb_smooth_eq, TYPE_INT, &many);
  patch(pb_distance, TYPE_FLOAT, &negative);
  patch(pb_angle, TYPE_FLOAT, &huge);
  Kelvane* loaded = Load(bytes);
  ASSERT_NE(loaded, nullptr);
  Interval valid = FOREVER;
  loaded->Update(0, valid);
  EXPECT_EQ(std::tuple(loaded->matId1, loaded->matId2, loaded->cMult, loaded->conditions,
                       loaded->smoothEq, loaded->distance),
            std::tuple(0, 6, 1, 0, 1, 0.0f));
  EXPECT_FLOAT_EQ(loaded->angleThreshold, 360.0f * 0.017453292f);

  patch(pb_distance, TYPE_FLOAT, &nan);
  patch(pb_angle, TYPE_FLOAT, &nan);
  loaded = Load(bytes);
  ASSERT_NE(loaded, nullptr);
  loaded->Update(0, valid);
  EXPECT_EQ(std::tuple(loaded->distance, loaded->angleThreshold), std::tuple(0.0f, 0.0f));
}

// A slot given an object of another kind by a damaged file: never used, the default put back.
TEST_F(PersistenceTest, ReferencesToObjectsOfAnotherKindAreReplaced) {
  map->SetSubTexmap(0, NewColorMap(AColor(0.2f, 0.4f, 0.6f)));
  std::vector<uint8_t> bytes = Save();
  const uint8_t refsHeader[4] = {0x14, 0x5C, 0x00, 0x00};
  auto refs = std::search(bytes.begin() + long(MarkerChunk(bytes)), bytes.end(), refsHeader,
                          refsHeader + 4);
  ASSERT_NE(refs, bytes.end());
  const size_t at = size_t(refs - bytes.begin()) + 8;  // the map's reference list
  const uint32_t output = U32(bytes, at + 8), colourMap = U32(bytes, at + 12);
  std::memcpy(&bytes[at], &output, 4);         // coordinates: the output object
  std::memcpy(&bytes[at + 16], &output, 4);    // marker 0's transparent map: the output too
  std::memcpy(&bytes[at + 8], &colourMap, 4);  // output: a texture map

  Kelvane* loaded = Load(bytes);
  ASSERT_NE(loaded, nullptr);
  ASSERT_TRUE(loaded->GetReference(COORD_REF) && loaded->GetReference(OUTPUT_REF));
  EXPECT_EQ(loaded->GetReference(COORD_REF)->SuperClassID(), SClass_ID(UVGEN_CLASS_ID));
  EXPECT_EQ(loaded->GetReference(OUTPUT_REF)->SuperClassID(), SClass_ID(TEXOUTPUT_CLASS_ID));
  EXPECT_TRUE(loaded->ramp.markers[0].colorMap && !loaded->GetReference(MARKER_MAP_REF + 1));
  EXPECT_NE(Load(Save()), nullptr);  // and what it saves loads again
}

TEST_F(PersistenceTest, EveryPrefixOfASavedSceneLoadsOrFailsCleanly) {
  map->SetSubTexmap(0, NewColorMap(AColor(0.2f, 0.4f, 0.6f)));
  std::vector<uint8_t> bytes = Save();
  int loaded = 0;
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + long(n));
    MSTR error;
    if (LoadSceneFromMemory(prefix.data(), prefix.size(), &error) == IO_OK) ++loaded;
  }
  EXPECT_EQ(loaded, 0) << "a cut-short scene is an error";
  EXPECT_NE(Load(bytes), nullptr);
}

TEST_F(PersistenceTest, CommittedSceneLoadsInEveryBuild) {
  // Written by make_kelvane_scene; UTF-16 text and little-endian numbers make it portable.
  std::ifstream in(KELVANE_FIXTURES "/kelvane_scene.kvs", std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  ASSERT_FALSE(bytes.empty());
  Kelvane* loaded = Load(bytes);
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(loaded->ramp.markers.size(), 4u);
  auto* colour = static_cast<ConstantColorMap*>(loaded->ramp.markers[1].colorMap);
  ASSERT_NE(colour, nullptr);
  // Saved before "Edge shape" and "World units" existed: both at their defaults.
  Interval valid = FOREVER;
  loaded->Update(0, valid);
  EXPECT_EQ(
      std::tuple(loaded->ramp.markers[1].position, loaded->ramp.markers[2].outMode, colour->color.g,
                 loaded->distance, loaded->openEdges, loaded->edgeShape, loaded->worldUnits),
      std::tuple(0.3f, 3, 0.75f, 0.5f, true, 0, false));
}
