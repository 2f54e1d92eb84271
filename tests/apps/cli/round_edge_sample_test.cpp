// "Bump" set to Round edge, through the real program's sample columns: the fillet normal's
// turn on flat faces against a rotation worked out here, and the same picture on any number
// of threads.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "point3.h"
#include "support/app_test_support.h"

namespace {

constexpr double kBand = 0.2;

RunResult RunProgram(const std::vector<std::string>& args, const TempFolder& folder) {
  std::string command = "'" KELVANE_BINARY "'";
  for (const std::string& a : args) command += " '" + a + "'";
  const std::string out = folder.Path("stdout"), err = folder.Path("stderr");
  const int raw = std::system((command + " >'" + out + "' 2>'" + err + "' </dev/null").c_str());
  auto read = [](const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  };
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read(out), read(err)};
}

std::string Vertex(const Point3& v) {
  char text[96];
  std::snprintf(text, sizeof text, "[%.9g,%.9g,%.9g]", double(v.x), double(v.y), double(v.z));
  return text;
}

// A 2 x 1 top face (normal +z, over y in [-1, 0]) and a second one hinged on their shared
// edge along x, leaning away in direction w; `fin` adds a third face on the hinge.
std::string HingeScene(const char* object, const Point3& w, bool fin = false,
                       const std::string& extra = "") {
  std::string vertices =
      "[0,0,0],[2,0,0],[2,-1,0],[0,-1,0]," + Vertex(w) + "," + Vertex(Point3(2.0f, 0.0f, 0.0f) + w);
  std::string faces = "[0,3,2,1],[0,1,5,4]";
  if (fin) {
    vertices += ",[0,1,0],[2,1,0]";
    faces += ",[1,0,6,7]";
  }
  return std::string(R"({"nodes": [{"name": "h", "object": ")") + object +
         R"(", "mesh": {"vertices": [)" + vertices + R"(], "faces": [)" + faces + R"(]})" + extra +
         R"(}],
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

struct Sample {
  std::string node;
  Point3 at;
};

// The bump columns of a sample run, one per point.
std::vector<Point3> Bumps(const std::string& scene, const std::vector<Sample>& samples,
                          const TempFolder& folder) {
  std::string points;
  for (const Sample& s : samples) {
    char line[160];
    std::snprintf(line, sizeof line, "%s %.9g %.9g %.9g\n", s.node.c_str(), double(s.at.x),
                  double(s.at.y), double(s.at.z));
    points += line;
  }
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

void ExpectNear(const Point3& got, const Point3& want, const std::string& what) {
  EXPECT_NEAR(got.x, want.x, 1e-4f) << what;
  EXPECT_NEAR(got.y, want.y, 1e-4f) << what;
  EXPECT_NEAR(got.z, want.z, 1e-4f) << what;
}

}  // namespace

TEST(RoundEdgeSample, FilletTurnsOverConvexConcaveAndObtuseEdgesOnPolygonsAndTriangles) {
  TempFolder folder;
  const float s = std::sqrt(0.5f);
  struct Case {
    const char* name;
    Point3 w;
  } cases[] = {{"convex 90", {0.0f, 0.0f, -1.0f}},
               {"concave 90", {0.0f, 0.0f, 1.0f}},
               {"obtuse 135", {0.0f, s, -s}}};
  const double distances[] = {0.0, kBand / 4, kBand / 2, kBand * 1.01};
  for (const Case& c : cases) {
    const Point3 top(0.0f, 0.0f, 1.0f), side = Normalize(Point3(1.0f, 0.0f, 0.0f) ^ c.w);
    std::vector<Sample> samples;
    std::vector<Point3> expected;
    for (double d : distances) {
      samples.push_back({"h", Point3(1.0f, -float(d), 0.0f)});
      expected.push_back(Expected(top, side, d));
      samples.push_back({"h", Point3(1.0f, 0.0f, 0.0f) + c.w * float(d == 0.0 ? kBand / 8 : d)});
      expected.push_back(Expected(side, top, d == 0.0 ? kBand / 8 : d));
    }
    // Near the open border at x = 0, on the top face: no fillet there.
    samples.push_back({"h", Point3(0.02f, -0.5f, 0.0f)});
    expected.emplace_back(0.0f, 0.0f, 0.0f);
    const std::vector<Point3> poly =
        Bumps(folder.Write("poly.json", HingeScene("poly", c.w)), samples, folder);
    const std::vector<Point3> tri =
        Bumps(folder.Write("tri.json", HingeScene("tri", c.w)), samples, folder);
    for (size_t i = 0; i < samples.size(); ++i) {
      const std::string what = std::string(c.name) + ", sample " + std::to_string(i);
      ExpectNear(poly[i], expected[i], what + " on polygons");
      ExpectNear(tri[i], poly[i], what + ": triangles as polygons");
    }
  }
}

TEST(RoundEdgeSample, ThirdFaceWorldUnitsAndTheRampMode) {
  TempFolder folder;
  const std::vector<Sample> nearHinge = {{"h", Point3(1.0f, -0.05f, 0.0f)}};
  std::string fin = folder.Write("fin.json", HingeScene("poly", Point3(0.0f, 0.0f, -1.0f), true));
  ExpectNear(Bumps(fin, nearHinge, folder)[0], Point3(0.0f, 0.0f, 0.0f), "non-manifold edge");
  // Turned a quarter about z and scaled by 2, with world units: the band is measured in the
  // world, so a point 0.05 from the edge in the object is 0.1 from it there, and the vector
  // comes back in object space, where the faces are as they were.
  const std::string turned =
      HingeScene("poly", Point3(0.0f, 0.0f, -1.0f), false,
                 R"(, "transform": [[0,-2,0,0],[2,0,0,0],[0,0,2,0],[0,0,0,1]])");
  std::string world = turned;
  world.replace(world.find("\"Distance\""), 0, "\"world_units\": true, ");
  const Point3 top(0.0f, 0.0f, 1.0f), side(0.0f, 1.0f, 0.0f);
  const std::vector<Sample> onTop = {{"h", Point3(0.1f, 2.0f, 0.0f)}};  // object (1, -0.05, 0)
  ExpectNear(Bumps(folder.Write("world.json", world), onTop, folder)[0], Expected(top, side, 0.1),
             "world units");
  ExpectNear(Bumps(folder.Write("object.json", turned), onTop, folder)[0],
             Expected(top, side, 0.05), "object units");
  // Ramp mode, the default, pushes along the direction from the edge: (m d.x, m d.y, m d.z + m)
  // with the default ramp's white end beyond, as before.
  std::string ramp = HingeScene("poly", Point3(0.0f, 0.0f, -1.0f));
  ramp.replace(ramp.find("\"round edge\""), 12, "\"ramp\"");
  const Point3 far =
      Bumps(folder.Write("ramp.json", ramp), {{"h", Point3(1.0f, -0.5f, 0.0f)}}, folder)[0];
  EXPECT_NE(far % far, 0.0f) << "the ramp mode still pushes beyond Distance";
}

TEST(RoundEdgeSample, CubeRendersTheSameOnEightThreadsAsOnOne) {
  TempFolder folder;
  std::string scene = folder.Write("cube.json", R"({
  "nodes": [{"name": "cube", "mesh": {"builtin": "box"}}],
  "map": {"parameters": {"Distance": 0.3, "bump_mode": 1}},
  "camera": {"position": [3, -4, 3], "target": [0, 0, 0]}})");
  const std::string one = folder.Path("one.png"), eight = folder.Path("eight.png");
  const std::string flat = folder.Path("flat.png");
  for (const auto& [threads, path] :
       {std::pair<const char*, std::string>{"1", one}, {"8", eight}}) {
    RunResult r = RunProgram(
        {"render", scene, "-o", path, "--size", "48x32", "--threads", threads, "--bump", "1"},
        folder);
    ASSERT_EQ(r.status, 0) << r.err;
  }
  ASSERT_EQ(
      RunProgram({"render", scene, "-o", flat, "--size", "48x32", "--threads", "2"}, folder).status,
      0);
  EXPECT_EQ(ReadPng(one).pixels, ReadPng(eight).pixels);
  EXPECT_NE(ReadPng(one).pixels, ReadPng(flat).pixels) << "the round edges show in the shading";
}

TEST(RoundEdgeSample, BumpAmountIsOptionalAndChecked) {
  TempFolder folder;
  const std::string scene = folder.Write("h.json", HingeScene("poly", Point3(0.0f, 0.0f, -1.0f)));
  const std::string out = folder.Path("h.png");
  // The amount may be left out before the scene, which then is not taken for one.
  RunResult bare = RunProgram({"render", "--bump", scene, "-o", out, "--size", "8x8"}, folder);
  EXPECT_EQ(bare.status, 0) << bare.err;
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--bump", "11"}, {"--bump=-11"}, {"--bump=round"}}) {
    std::vector<std::string> args = {"render", scene, "-o", out, "--size", "8x8"};
    args.insert(args.end(), bad.begin(), bad.end());
    RunResult r = RunProgram(args, folder);
    EXPECT_EQ(r.status, 2) << bad.back();
    EXPECT_NE(r.err.find("is not an amount from -10 to 10"), std::string::npos) << r.err;
  }
}
