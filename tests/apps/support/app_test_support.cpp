#include "support/app_test_support.h"

#include <png.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "cli/kelvane_app.h"
#include "gtest/gtest.h"
#include "support/standin_map.h"

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  root = std::filesystem::temp_directory_path() /
         ("kelvane-app-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
          (test ? test->name() : "x"));
  std::filesystem::create_directories(root);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
}

std::string TempFolder::Write(const std::string& name, const std::string& text) const {
  std::ofstream(root / name, std::ios::binary) << text;
  return Path(name);
}

RunResult RunApp(const std::vector<std::string>& args, bool terminal) {
  std::ostringstream out, err;
  AppEnvironment env{out, err, terminal, 2,
                     [] { return static_cast<ClassDesc*>(StandinMapClass()); }};
  RunResult r;
  r.status = RunKelvane(args, env);
  r.out = out.str();
  r.err = err.str();
  return r;
}

RgbaImage ReadPng(const std::string& path) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str()))
    throw std::runtime_error("cannot read " + path);
  png.format = PNG_FORMAT_RGBA;
  RgbaImage image(int(png.width), int(png.height));
  if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr))
    throw std::runtime_error("cannot decode " + path);
  return image;
}

std::vector<std::vector<std::string>> CsvRows(const std::string& csv) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);  // header
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
    rows.push_back(fields);
  }
  return rows;
}
