#include "cli/points_file.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/input_error.h"

std::vector<SamplePoint> ReadPointsFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) throw InputError(path + ": no such file");
  std::ifstream in(path);
  if (!in) throw InputError(path + ": cannot read the file");
  std::vector<SamplePoint> points;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    auto fail = [&](const std::string& problem) {
      throw InputError(path + ":" + std::to_string(number) + ": " + problem);
    };
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string w; fields >> w;) words.push_back(w);
    if (words.empty() || words[0][0] == '#') continue;
    if (words.size() != 4)
      fail("expected NODE X Y Z, found " + std::to_string(words.size()) + " fields");
    float xyz[3];
    for (int i = 0; i < 3; ++i) {
      const std::string& w = words[size_t(i) + 1];
      char* end = nullptr;
      double v = std::strtod(w.c_str(), &end);
      if (end != w.c_str() + w.size() || !std::isfinite(v) || !std::isfinite(float(v)))
        fail("\"" + w + "\" is not a finite number");
      xyz[i] = float(v);
    }
    points.push_back(SamplePoint{words[0], Point3(xyz[0], xyz[1], xyz[2])});
  }
  if (in.bad()) throw InputError(path + ": cannot read the file");
  return points;
}
