#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "render/rgba_image.h"

// A folder of its own for one test, removed with it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  std::string Path(const std::string& name) const { return (root / name).string(); }
  // Writes text to a file in the folder and returns its path.
  std::string Write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path root;
};

struct RunResult {
  int status = -1;
  std::string out, err;
};

// Runs the program in this process with the stand-in map and two threads; terminal: as if its
// standard error were a terminal.
RunResult RunApp(const std::vector<std::string>& args, bool terminal = false);

// Reads back a PNG written by the program.
RgbaImage ReadPng(const std::string& path);

// The CSV rows of a sample run, split into fields, without the header.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv);
