// The real program as a user runs it, with the Kelvane map: its exit status and error line, and
// its samples against distances worked out here.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
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

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // the sanitizers reserve terabytes of address space
#else
constexpr bool kSanitized = false;
#endif

struct LimitedRun {
  int status = -1;  // -1: killed at the time limit
  std::string err;
  double seconds = 0;
  long maxResidentKB = 0;
};

// Runs the program with at most 1 GB of address space (except under the sanitizers) and kills
// it after `limit` seconds: a file that could exhaust the machine cannot, and a hang fails.
LimitedRun RunLimited(const std::vector<std::string>& args, const TempFolder& folder,
                      double limit) {
  const std::string errPath = folder.Path("stderr");
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (!kSanitized) {
      rlimit memory{1L << 30, 1L << 30};
      setrlimit(RLIMIT_AS, &memory);
    }
    FILE* err = std::freopen(errPath.c_str(), "w", stderr);
    FILE* out = std::freopen("/dev/null", "w", stdout);
    if (!err || !out) _exit(99);
    std::vector<char*> argv{const_cast<char*>(KELVANE_BINARY)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(KELVANE_BINARY, argv.data());
    _exit(98);
  }
  LimitedRun run;
  int raw = 0;
  rusage usage{};
  while (wait4(child, &raw, WNOHANG, &usage) == 0) {
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (run.seconds > limit) {
      kill(child, SIGKILL);
      wait4(child, &raw, 0, &usage);
      run.err = ReadFile(errPath);
      return run;
    }
    usleep(10000);
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -2;
  run.err = ReadFile(errPath);
  run.maxResidentKB = usage.ru_maxrss;
  return run;
}

TEST(KelvaneProgram, LyingMeshHeadersAreRefusedAtOnceInLittleMemory) {
  TempFolder folder;
  // An ASCII PLY claiming ten million faces that holds one, and a 178-byte binary PLY claiming
  // a billion vertices: once they ran for minutes and took gigabytes.
  const std::string ascii = folder.Write(
      "ascii.ply",
      "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
      "property float z\nelement face 10000000\nproperty list uchar int vertex_indices\n"
      "end_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
  const std::string binary = folder.Write(
      "binary.ply",
      "ply\nformat binary_little_endian 1.0\nelement vertex 1000000000\nproperty float x\n"
      "property float y\nproperty float z\nend_header\n" +
          std::string(36, '\0'));
  const std::string points = folder.Write("points.txt", "");
  for (const std::string& file : {ascii, binary}) {
    LimitedRun run = RunLimited({"sample", file, "--points", points}, folder, 20.0);
    EXPECT_EQ(run.status, 2) << file << " (-1: still running after 20 s): " << run.err;
    EXPECT_EQ(run.err.rfind("kelvane: " + file + ": the header claims ", 0), 0u) << run.err;
    EXPECT_LT(run.seconds, 5.0) << file;  // 1 s on a quiet machine
    if (!kSanitized) {
      EXPECT_LT(run.maxResidentKB, 100 * 1024) << file;
    }
  }
}

TEST(KelvaneProgram, BadFlagsExitWithTwoAndOneLine) {
  TempFolder folder;
  RunResult p = RunProgram({"render", "--size", "100000x100000"}, folder);
  EXPECT_EQ(p.status, 2) << "the real exit path; the messages are the in-process tests'";
  EXPECT_EQ(p.err.rfind("kelvane: --size: ", 0), 0u) << p.err;
  RunResult version = RunProgram({"--version"}, folder);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("kelvane 1.", 0), 0u) << version.out;
  const std::string full = "'" KELVANE_BINARY "' --help >/dev/full 2>'" + folder.Path("err") + "'";
  const int raw = std::system(full.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1) << "a full standard output is a failure";
  EXPECT_EQ(ReadFile(folder.Path("err")), "kelvane: cannot write to standard output\n");
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
