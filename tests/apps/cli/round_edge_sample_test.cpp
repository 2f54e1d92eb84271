// "Bump" set to Round edge, through the real program: the fillet normal in the sample columns
// against a rotation worked out here (the fillet's cases are the round-edge unit's).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "point3.h"
#include "support/app_test_support.h"

namespace {

constexpr double kBand = 0.2;

std::string Vertex(const Point3& v, const char* format = "[%.9g,%.9g,%.9g]") {
  char text[96];
  std::snprintf(text, sizeof text, format, double(v.x), double(v.y), double(v.z));
  return text;
}

// A 2 x 1 top face (normal +z, over y in [-1, 0]) and a second one hinged on their shared
// edge along x, leaning away in direction w.
std::string HingeScene(const char* object, const Point3& w) {
  const std::string vertices =
      "[0,0,0],[2,0,0],[2,-1,0],[0,-1,0]," + Vertex(w) + "," + Vertex(Point3(2.0f, 0.0f, 0.0f) + w);
  return std::string(R"({"nodes": [{"name": "h", "object": ")") + object +
         R"(", "mesh": {"vertices": [)" + vertices + R"(], "faces": [[0,3,2,1],[0,1,5,4]]}}],
  "map": {"parameters": {"Distance": 0.2, "bump_mode": "round edge"}}})";
}

// The perturbation expected on a face with normal n, d from the edge, the other face's normal
// being m: n turned about the edge toward m by (1 - d / band) of half the angle between them.
Point3 Expected(const Point3& n, const Point3& m, double d) {
  if (d >= kBand) return Point3(0.0f, 0.0f, 0.0f);
  const double half = 0.5 * std::acos(std::clamp(double(n % m), -1.0, 1.0));
  const double a = (1.0 - d / kBand) * half;
  const Point3 k = Normalize(n ^ m);
  // Rodrigues' rotation; k is perpendicular to n.
  return n * float(std::cos(a)) + (k ^ n) * float(std::sin(a)) - n;
}

// The bump columns of a sample run, one per point of node "h".
std::vector<Point3> Bumps(const std::string& scene, const std::vector<Point3>& samples,
                          const TempFolder& folder) {
  std::string points;
  for (const Point3& p : samples) points += "h " + Vertex(p, "%.9g %.9g %.9g\n");
  RunResult r =
      RunProgram({"sample", scene, "--points", folder.Write("points.txt", points)}, folder);
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<Point3> bumps;
  for (const auto& row : CsvRows(r.out))
    bumps.emplace_back(std::strtod(row[9].c_str(), nullptr), std::strtod(row[10].c_str(), nullptr),
                       std::strtod(row[11].c_str(), nullptr));
  EXPECT_EQ(bumps.size(), samples.size());
  bumps.resize(samples.size());
  return bumps;
}

}  // namespace

TEST(RoundEdgeSample, FilletTurnsOnBothFacesOfAnObtuseEdgeOnPolygonsAndTriangles) {
  TempFolder folder;
  const float s = std::sqrt(0.5f);
  const Point3 w(0.0f, s, -s), top(0.0f, 0.0f, 1.0f), side = Normalize(Point3(1, 0, 0) ^ w);
  std::vector<Point3> samples, expected;
  for (double d : {0.0, kBand / 2, kBand * 1.01}) {
    samples.push_back(Point3(1.0f, -float(d), 0.0f));
    expected.push_back(Expected(top, side, d));
    samples.push_back(Point3(1.0f, 0.0f, 0.0f) + w * float(d + kBand / 8));
    expected.push_back(Expected(side, top, d + kBand / 8));
  }
  for (const char* object : {"poly", "tri"}) {
    const std::vector<Point3> bumps =
        Bumps(folder.Write("h.json", HingeScene(object, w)), samples, folder);
    for (size_t i = 0; i < samples.size(); ++i)
      EXPECT_LT(Length(bumps[i] - expected[i]), 1e-4f) << object << ", sample " << i;
  }
}
