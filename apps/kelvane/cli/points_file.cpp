#include "cli/points_file.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/input_error.h"
#include "common/input_file.h"
#include "common/quoted.h"

namespace {

// A points file is a list someone wrote or generated; anything this large is a mistake.
constexpr std::uintmax_t kMaxPointsFileBytes = 256ull << 20;

bool Coordinate(const std::string& word, float& v) {
  char* end = nullptr;
  const double d = std::strtod(word.c_str(), &end);
  v = float(d);
  return end == word.c_str() + word.size() && std::isfinite(d) && std::isfinite(v);
}

}  // namespace

std::vector<SamplePoint> ReadPointsFile(const std::string& path) {
  if (CheckInputFile(path) > kMaxPointsFileBytes)
    throw InputError(path + ": the file is too large (at most 256 MB)");
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
    float xyz[3];
    if (words.size() > 4) {
      // A node name with blanks in it, most likely: say so rather than count fields.
      bool numbers = true;
      for (size_t i = words.size() - 3; i < words.size(); ++i)
        numbers = Coordinate(words[i], xyz[i - (words.size() - 3)]) && numbers;
      std::string name = words[0];
      for (size_t i = 1; i + 3 < words.size(); ++i) name += " " + words[i];
      if (numbers)
        fail(Quoted(name) +
             " is not a node name: node names have no blanks (a mesh file's "
             "blanks become _)");
    }
    if (words.size() != 4)
      fail("expected NODE X Y Z, found " + std::to_string(words.size()) + " fields");
    for (int i = 0; i < 3; ++i)
      if (!Coordinate(words[size_t(i) + 1], xyz[i]))
        fail(Quoted(words[size_t(i) + 1]) + " is not a finite number");
    points.push_back(SamplePoint{words[0], Point3(xyz[0], xyz[1], xyz[2])});
  }
  if (in.bad()) throw InputError(path + ": cannot read the file");
  return points;
}
