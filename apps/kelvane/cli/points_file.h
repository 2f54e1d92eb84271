#pragma once
#include <string>
#include <vector>

#include "point3.h"

struct SamplePoint {
  std::string node;
  Point3 world;
};

// Reads a points file: one point per line, "NODE X Y Z" in world space, separated by blanks.
// Empty lines and lines starting with # are skipped. Throws InputError naming the file and
// line of the first malformed line.
std::vector<SamplePoint> ReadPointsFile(const std::string& path);
