// The real program as a user runs it: exit status, error line, and limits on inputs that lie.
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

#include "support/app_test_support.h"

namespace {

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
  auto elapsed = [start] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  bool killed = false;
  while (wait4(child, &raw, WNOHANG, &usage) == 0 && !(killed = elapsed() > limit)) usleep(10000);
  if (killed) {
    kill(child, SIGKILL);
    wait4(child, &raw, 0, &usage);
  }
  run.seconds = elapsed();
  run.status = killed ? -1 : WIFEXITED(raw) ? WEXITSTATUS(raw) : -2;
  run.err = ReadText(errPath);
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
    EXPECT_TRUE(kSanitized || run.maxResidentKB < 100 * 1024) << file << ": " << run.maxResidentKB;
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
  EXPECT_EQ(ReadText(folder.Path("err")), "kelvane: cannot write to standard output\n");
  RunResult help = RunProgram({"--help"}, folder);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("kelvane sample"), std::string::npos);
}

}  // namespace
