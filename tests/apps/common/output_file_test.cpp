// Outputs are written whole or not at all; what is not a regular file is written in place.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "common/output_file.h"
#include "support/app_test_support.h"

namespace {

void Write(const std::string& path, const std::string& text) {
  WriteOutputFile(path, text.data(), text.size());
}

// The message of what Write throws.
std::string ErrorOf(const std::string& path, const std::string& text) {
  try {
    Write(path, text);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "(no error)";
}

int Entries(const std::string& folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TEST(OutputFile, AFailedWriteLeavesTheOldFileAndNoTemporaryOne) {
  TempFolder folder;
  const std::string path = folder.Write("picture.png", "the old picture");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  FailOutputWritesAfter(3, ENOSPC);
  EXPECT_EQ(ErrorOf(path, "a new picture, longer than the old"),
            path + ": cannot write the file: no space left on device");
  FailOutputWritesAfter(-1, 0);
  EXPECT_EQ(ReadText(path), "the old picture");
  EXPECT_EQ(Entries(folder.Path("")), 1) << "the temporary file is gone";
  Write(path, "a new picture");
  EXPECT_EQ(ReadText(path), "a new picture");
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640))
      << "a replaced file keeps its permissions";
  EXPECT_EQ(Entries(folder.Path("")), 1);
}

TEST(OutputFile, TargetsThatAreNoRegularFileAreWrittenInPlaceAndKept) {
  TempFolder folder;
  Write("/dev/null", "nothing");
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

  const std::string pipe = folder.Path("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadText(pipe); });
  Write(pipe, "through the pipe");
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));

  const std::string file = folder.Write("real.csv", "old"), link = folder.Path("link.csv");
  std::filesystem::create_symlink(file, link);
  Write(link, "new");
  EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
  EXPECT_EQ(ReadText(file), "new");
}

}  // namespace
