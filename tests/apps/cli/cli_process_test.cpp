// The real program as a user runs it, with the Kelvane map: its exit status and error line, and
// its samples against distances worked out here.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/app_test_support.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

RunResult RunProgram(const std::vector<std::string>& args, const TempFolder& folder) {
  std::string command = "'" KELVANE_BINARY "'";
  for (const std::string& a : args) command += " '" + a + "'";
  std::string out = folder.Path("stdout"), err = folder.Path("stderr");
  int raw = std::system((command + " >'" + out + "' 2>'" + err + "' </dev/null").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
}

TEST(KelvaneProgram, BadFlagsExitWithTwoAndOneLine) {
  TempFolder folder;
  RunResult p = RunProgram({"render", "--size", "100000x100000"}, folder);
  EXPECT_EQ(p.status, 2);
  EXPECT_EQ(p.err, "kelvane: --size: 100000x100000 is out of range (each side 1 to 16384)\n");
  RunResult help = RunProgram({"--help"}, folder);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("kelvane sample"), std::string::npos);
}

// A unit square with an open border all round; Distance 0.5 and a ramp from black at 0 to white
// at 1, so every channel is min(d / 0.5, 1) for the distance d to the border.
const char* kSquare = R"({
  "nodes": [{"name": "square", "mesh": {"vertices": [[0,0,0],[1,0,0],[1,1,0],[0,1,0]], "faces": [[0,1,2,3]]},
             "transform": [[1,0,0,3],[0,1,0,0],[0,0,1,0],[0,0,0,1]]}],
  "map": {"parameters": {"Distance": 0.5, "open edges": true},
          "markers": [{"position": 0, "color": [0,0,0]}, {"position": 1, "color": [1,1,1]}]}
})";

TEST(KelvaneProgram, SamplesAreTheNormalisedDistanceToTheNearestOpenEdge) {
  TempFolder folder;
  std::string scene = folder.Write("square.json", kSquare);
  std::string points;
  std::vector<double> expected;
  for (double x : {0.0, 0.05, 0.1, 0.3, 0.5, 0.9})
    for (double y : {0.2, 0.5, 0.75}) {
      char line[64];
      std::snprintf(line, sizeof line, "square %g %g 0\n", 3 + x, y);
      points += line;
      double d = std::min({x, 1 - x, y, 1 - y});
      double t = std::min(float(d) / 0.5f, 1.0f);
      expected.push_back(t < 0.0001 ? 0.0 : t);
    }
  RunResult p =
      RunProgram({"sample", scene, "--points", folder.Write("points.txt", points)}, folder);
  ASSERT_EQ(p.status, 0) << p.err;
  auto rows = CsvRows(p.out);
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    double r = std::strtod(rows[i][4].c_str(), nullptr);
    double mono = std::strtod(rows[i][8].c_str(), nullptr);
    EXPECT_NEAR(r, expected[i], 1e-5) << "point " << i;
    EXPECT_NEAR(mono, expected[i], 1e-5) << "point " << i;
  }
}

TEST(KelvaneProgram, RendersAndBakesTheBuiltInScene) {
  TempFolder folder;
  std::string picture = folder.Path("scene.png"), baked = folder.Path("box.png");
  RunResult render =
      RunProgram({"render", "-o", picture, "--size", "32x18", "--threads", "2", "--bump"}, folder);
  ASSERT_EQ(render.status, 0) << render.err;
  EXPECT_TRUE(render.err.empty()) << "no progress bar off a terminal: " << render.err;
  RgbaImage image = ReadPng(picture);
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.height, 18);
  RunResult bake = RunProgram({"bake", "--node", "box", "--size", "16", "-o", baked}, folder);
  ASSERT_EQ(bake.status, 0) << bake.err;
  EXPECT_EQ(ReadPng(baked).width, 16);
}

TEST(KelvaneProgram, PreviewsTheRampAsTheViewportShowsIt) {
  TempFolder folder;
  std::string scene = folder.Write("square.json", kSquare);
  std::string picture = folder.Path("ramp.png");
  RunResult p = RunProgram({"preview", scene, "--size", "8", "-o", picture}, folder);
  ASSERT_EQ(p.status, 0) << p.err;
  EXPECT_TRUE(p.err.empty()) << p.err;
  RgbaImage image = ReadPng(picture);
  ASSERT_EQ(image.width, 8);
  ASSERT_EQ(image.height, 8);
  // Black at 0 to white at 1: column x is the ramp at x / 8, channel x 65535 truncated, of which
  // the viewport's 8-bit texture keeps the high byte (0.5 -> 32767 -> 127), so the right edge
  // never shows position 1. Every row is the same, grey and opaque.
  EXPECT_EQ(image.pixels[4 * 4], 127);
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) {
      const uint8_t* pixel = &image.pixels[size_t(y * 8 + x) * 4];
      const int expected = int(float(x) / 8.0f * 65535.0f) >> 8;
      EXPECT_NEAR(pixel[0], expected, 1) << x << ", " << y;
      EXPECT_TRUE(pixel[1] == pixel[0] && pixel[2] == pixel[0] && pixel[3] == 255)
          << x << ", " << y;
    }
}

}  // namespace
