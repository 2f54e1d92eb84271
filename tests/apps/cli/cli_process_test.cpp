// The real program as a user runs it: exit status and error line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support/app_test_support.h"

TEST(KelvaneProgram, BadFlagsExitWithTwoAndOneLine) {
  TempFolder folder;
  RunResult p = RunProgram({"render", "--size", "100000x100000"}, folder);
  EXPECT_EQ(p.status, 2) << "the real exit path; the messages are the in-process tests'";
  EXPECT_EQ(p.err.rfind("kelvane: --size: ", 0), 0u) << p.err;
  RunResult version = RunProgram({"--version"}, folder);
  EXPECT_TRUE(version.status == 0 && version.out.rfind("kelvane 1.", 0) == 0) << version.out;
  const std::string full = "'" KELVANE_BINARY "' --help >/dev/full 2>'" + folder.Path("err") + "'";
  const int raw = std::system(full.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1) << "a full standard output is a failure";
  EXPECT_EQ(ReadText(folder.Path("err")), "kelvane: cannot write to standard output\n");
  RunResult help = RunProgram({"--help"}, folder);
  EXPECT_TRUE(help.status == 0 && help.out.find("kelvane sample") != std::string::npos);
}
