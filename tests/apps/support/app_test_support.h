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

class ClassDesc;

// The Kelvane map's class, loaded once, with the program's scene object registered.
ClassDesc* KelvaneClass();

// Runs the program in this process with two threads (terminal: as if stderr were one).
RunResult RunApp(const std::vector<std::string>& args, bool terminal = false);

// Runs the real program, built beside the tests, as a user does: no terminal, no input.
RunResult RunProgram(const std::vector<std::string>& args, const TempFolder& folder);

// A whole text file; empty when it cannot be read.
std::string ReadText(const std::string& path);

// Reads back a PNG written by the program.
RgbaImage ReadPng(const std::string& path);

// The CSV rows of a sample run, split into fields, without the header.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv);
