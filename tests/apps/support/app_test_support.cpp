#include "support/app_test_support.h"

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "cli/kelvane_app.h"
#include "gtest/gtest.h"
#include "scene/map_binding.h"
#include "scene/scene_settings.h"

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

ClassDesc* KelvaneClass() {
  static ClassDesc* mapClass = [] {
    RegisterSceneSettingsClass();
    return LoadKelvaneClass(std::filesystem::path(KELVANE_BINARY).parent_path().wstring() +
                            L"/Kelvane.dlt");
  }();
  return mapClass;
}

RunResult RunApp(const std::vector<std::string>& args, bool terminal) {
  std::ostringstream out, err;
  AppEnvironment env{out, err, terminal, 2, KelvaneClass};
  RunResult r;
  r.status = RunKelvane(args, env);
  r.out = out.str();
  r.err = err.str();
  return r;
}

RunResult RunProgram(const std::vector<std::string>& args, const TempFolder& folder) {
  std::string command = "'" KELVANE_BINARY "'";
  for (const std::string& a : args) command += " '" + a + "'";
  const std::string out = folder.Path("stdout"), err = folder.Path("stderr");
  const int raw = std::system((command + " >'" + out + "' 2>'" + err + "' </dev/null").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
}

std::string ReadText(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
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
