// The examples as a user first meets them: each renders a picture in which the map's colours
// vary over the objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/app_test_support.h"

namespace {

const std::filesystem::path kSource = KELVANE_SOURCE_DIR;

// The largest 5th-to-95th percentile spread of the map's colour over the objects: the map render
// over the host's mid-grey one, both colour times the same lighting (and grey only on objects).
double ColourSpread(const RgbaImage& map, const RgbaImage& grey, size_t& objectPixels) {
  std::vector<double> channels[3];
  for (size_t i = 0; i < grey.pixels.size(); i += 4) {
    const uint8_t* g = &grey.pixels[i];
    if (g[0] != g[1] || g[1] != g[2] || g[0] < 16) continue;
    for (int c = 0; c < 3; ++c) channels[c].push_back(0.5 * map.pixels[i + size_t(c)] / g[0]);
  }
  objectPixels = channels[0].size();
  double spread = 0;
  for (auto& values : channels) {
    if (values.size() < 20) return 0;
    std::sort(values.begin(), values.end());
    spread = std::max(spread, values[values.size() * 95 / 100] - values[values.size() / 20]);
  }
  return spread;
}

TEST(Examples, EachShowsTheMapsColoursVaryingOverItsObjects) {
  TempFolder folder;
  int examples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kSource / "examples")) {
    if (entry.path().extension() != ".json") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++examples;
    const std::string scene = entry.path().string(), map = folder.Path("map.png"),
                      grey = folder.Path("grey.png");
    ASSERT_EQ(RunProgram({"render", scene, "--size", "96x54", "-o", map}, folder).status, 0);
    ASSERT_EQ(RunProgram({"render", scene, "--size", "96x54", "-o", grey, "--constant-map"}, folder)
                  .status,
              0);
    size_t objectPixels = 0;
    const double spread = ColourSpread(ReadPng(map), ReadPng(grey), objectPixels);
    EXPECT_GT(objectPixels, 96u * 54u / 10) << "the objects fill a good part of the picture";
    EXPECT_GT(spread, 0.15) << "the map's colours vary, not one flat colour";
  }
  EXPECT_GE(examples, 5);
}

}  // namespace
