// The commands end to end in this process, with the stand-in map where Kelvane will be.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>

#include "cli/command_line.h"
#include "common/output_file.h"
#include "host_viewport.h"
#include "render/viewport_preview.h"
#include "support/app_test_support.h"

namespace {

// A unit quad scaled by 2 and moved to x = 10, with UVs over the lower-left half only.
const char* kQuadScene = R"({
  "nodes": [
    {"name": "quad", "mesh": {"vertices": [[0,0,0],[1,0,0],[1,1,0],[0,1,0]], "faces": [[0,1,2],[0,2,3]],
                              "uvs": [[0,0],[1,0],[0,1],[0,1]]},
     "transform": [[2,0,0,10],[0,2,0,0],[0,0,2,0],[0,0,0,1]]},
    {"name": "plain", "object": "tri", "mesh": {"builtin": "box"}},
    {"name": "bare", "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}}
  ],
  "map": {"parameters": {"Distance": 0.25, "open edges": true},
          "markers": [{"position": 0}, {"position": 0.5}, {"position": 1}]},
  "camera": {"position": [11, -6, 4], "target": [11, 1, 0]},
  "image": {"width": 20, "height": 12}
})";

// Each test with a folder of its own holding the quad scene.
class Command : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string scene = folder.Write("quad.json", kQuadScene);
};

double Field(const std::vector<std::string>& row, int i) {
  return std::strtod(row[size_t(i)].c_str(), nullptr);
}

TEST_F(Command, SampleGivesTheMapEachPointOnItsNodeInObjectSpace) {
  std::string points =
      folder.Write("points.txt", "# node x y z\nquad 12 1 0\n\nplain 0.25 -0.125 0.5\n");
  RunResult r = RunApp({"sample", scene, "--points", points, "--set", "Distance=0.5"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "node,x,y,z,r,g,b,a,mono,bump_x,bump_y,bump_z");
  auto rows = CsvRows(r.out);
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[0].size(), 12u);
  EXPECT_EQ(rows[0][0], "quad");
  // The stand-in answers with the object-space point and the Distance its Update saw.
  EXPECT_EQ(Field(rows[0], 4), 1.0);
  EXPECT_EQ(Field(rows[0], 5), 0.5);
  EXPECT_EQ(Field(rows[0], 6), 0.0);
  EXPECT_EQ(Field(rows[0], 7), 0.5) << "--set comes after the scene's own parameters";
  EXPECT_FLOAT_EQ(float(Field(rows[0], 8)), 0.5f) << "mono: the mean of r, g and b";
  EXPECT_EQ(Field(rows[0], 9), 3.0) << "three markers";
  EXPECT_EQ(Field(rows[0], 11), 1.0) << "open edges";
  EXPECT_NE(Field(rows[0], 10), Field(rows[1], 10)) << "each point on its own node";
  EXPECT_EQ(rows[1][0], "plain");
  EXPECT_EQ(Field(rows[1], 4), 0.25);
  EXPECT_EQ(Field(rows[1], 5), -0.125);
}

TEST_F(Command, SampleTakesAMeshFilesCoordinatesAsWorldCoordinatesHoweverItIsOpened) {
  // A Y-up file: opened directly or through a JSON scene, its points are where the file says.
  folder.Write("tri.obj", "o tri\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  std::string json =
      folder.Write("tri.json", R"({"nodes": [{"name": "tri", "mesh": {"file": "tri.obj"}}]})");
  std::string points = folder.Write("p.txt", "tri 0.25 0.5 0\n");
  RunResult direct = RunApp({"sample", folder.Path("tri.obj"), "--points", points});
  RunResult through = RunApp({"sample", json, "--points", points});
  ASSERT_EQ(direct.status, 0) << direct.err;
  EXPECT_EQ(direct.out, through.out);
  EXPECT_EQ(direct.err, "") << "every point lies on its node";
  auto rows = CsvRows(direct.out);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Field(rows[0], 4), 0.25);
  EXPECT_EQ(Field(rows[0], 5), 0.5);
  EXPECT_EQ(Field(rows[0], 6), 0.0);

  // Points in another frame (here the file turned Z up) are answered, and counted on err.
  std::string turned = folder.Write("turned.txt", "tri 0.25 0 0.5\ntri 0.1 0.1 0.05\n");
  RunResult r = RunApp({"sample", folder.Path("tri.obj"), "--points", turned});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CsvRows(r.out).size(), 2u);
  EXPECT_EQ(r.err,
            "kelvane: 1 of 2 points lie farther than Distance (0.1) from every surface of their "
            "node; points are in world coordinates, as are a mesh file's own\n");

  r = RunApp({"sample", "--points", folder.Write("b.txt", "box -1.45 0.35 0.45\n")});
  ASSERT_EQ(r.status, 0) << r.err;
  rows = CsvRows(r.out);
  ASSERT_EQ(rows.size(), 1u) << "no scene: the built-in one";
  EXPECT_NEAR(Field(rows[0], 4), 0.0, 1e-6);
  EXPECT_NEAR(Field(rows[0], 6), 0.45, 1e-6);
}

TEST_F(Command, SaveSamplingASavedSceneGivesWhatSamplingItsSourceGives) {
  std::string points = folder.Write("points.txt", "quad 11.5 0.5 0\nplain 0.1 0.2 0.3\n");
  std::string saved = folder.Path("quad.kvs");
  RunResult save = RunApp({"save", scene, "-o", saved, "--set", "c_mult=7"});
  ASSERT_EQ(save.status, 0) << save.err;
  RunResult source = RunApp({"sample", scene, "--points", points});
  RunResult loaded = RunApp({"sample", saved, "--points", points});
  ASSERT_EQ(loaded.status, 0) << loaded.err;
  EXPECT_EQ(loaded.out, source.out);

  // What only the program keeps: UVs, camera and picture size.
  std::string baked = folder.Path("baked.png");
  ASSERT_EQ(RunApp({"bake", saved, "--node", "quad", "--size", "4", "-o", baked}).status, 0);
  std::string rendered = folder.Path("saved.png");
  ASSERT_EQ(RunApp({"render", saved, "-o", rendered}).status, 0);
  RgbaImage image = ReadPng(rendered);
  EXPECT_EQ(image.width, 20);
  EXPECT_EQ(image.height, 12);
  std::string sourceRendered = folder.Path("source.png");
  ASSERT_EQ(RunApp({"render", scene, "-o", sourceRendered, "--set", "c_mult=7"}).status, 0);
  EXPECT_EQ(image.pixels, ReadPng(sourceRendered).pixels);

  // A triangle object's UVs come back on the triangles it holds, each where its polygon had
  // it, so it bakes as the same polygon held by an editable poly does: the stand-in colours a
  // texel by its object-space point, so a misplaced UV shows.
  auto quadHeldBy = [](const std::string& kind) {
    return R"({"nodes": [{"name": "q", "object": ")" + kind + R"(",
      "mesh": {"vertices": [[0,0,0],[2,0,0],[3,1,0],[0,1,0]], "faces": [[0,1,2,3]],
               "uvs": [[0,0],[1,0],[1,1],[0,1]]}}]})";
  };
  std::string tri = folder.Write("tri.json", quadHeldBy("tri"));
  std::string poly = folder.Write("poly.json", quadHeldBy("poly"));
  std::string triSaved = folder.Path("tri.kvs");
  ASSERT_EQ(RunApp({"save", tri, "-o", triSaved}).status, 0);
  std::string fromSaved = folder.Path("saved-bake.png"), fromPoly = folder.Path("poly-bake.png");
  ASSERT_EQ(RunApp({"bake", triSaved, "--node", "q", "--size", "8", "-o", fromSaved}).status, 0);
  ASSERT_EQ(RunApp({"bake", poly, "--node", "q", "--size", "8", "-o", fromPoly}).status, 0);
  EXPECT_EQ(ReadPng(fromSaved).pixels, ReadPng(fromPoly).pixels);
}

TEST_F(Command, RenderGivesTheSamePictureForAnyNumberOfThreads) {
  std::string one = folder.Path("one.png"), three = folder.Path("three.png");
  RunResult a = RunApp({"render", scene, "-o", one, "--threads", "1", "--size", "24x16", "--bump"});
  RunResult b =
      RunApp({"render", scene, "-o", three, "--threads", "3", "--size", "24x16", "--bump"});
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  RgbaImage x = ReadPng(one), y = ReadPng(three);
  EXPECT_EQ(x.width, 24);
  EXPECT_EQ(x.height, 16);
  EXPECT_EQ(x.pixels, y.pixels);
  std::set<std::vector<uint8_t>> colours;
  for (size_t i = 0; i < x.pixels.size(); i += 4)
    colours.insert({x.pixels.begin() + long(i), x.pixels.begin() + long(i) + 3});
  EXPECT_GT(colours.size(), 10u) << "the map's colours show, not just the background";
}

TEST_F(Command, CamerasComeFromTheCommandLineTheSceneOrTheUpAxis) {
  auto render = [&](std::vector<std::string> args, const std::string& name) {
    const std::string out = folder.Path(name);
    args.insert(args.end(), {"-o", out, "--size", "24x16"});
    RunResult r = RunApp(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return ReadPng(out).pixels;
  };
  // --camera is the scene's own camera given on the command line; --frame frames one node.
  const auto own = render({"render", scene}, "own.png");
  EXPECT_EQ(render({"render", scene, "--camera", "11,-6,4:11,1,0"}, "flag.png"), own);
  EXPECT_NE(render({"render", scene, "--camera", "11,-6,4:11,1,0:20"}, "narrow.png"), own);
  EXPECT_NE(render({"render", scene, "--frame", "quad"}, "quad.png"), own);

  // A Y-up mesh file is framed Y up unless told otherwise, and saved with its up axis.
  const std::string mesh = folder.Write("l.obj",
                                        "o l\nv 0 0 0\nv 2 0 0\nv 2 1 0\nv 1 1 0\n"
                                        "v 1 3 0\nv 0 3 0\nf 1 2 3 4 5 6\n");
  const auto yUp = render({"render", mesh}, "y.png");
  EXPECT_EQ(render({"render", mesh, "--up", "y"}, "y2.png"), yUp);
  EXPECT_NE(render({"render", mesh, "--up", "z"}, "z.png"), yUp);
  const std::string saved = folder.Path("l.kvs");
  ASSERT_EQ(RunApp({"save", mesh, "-o", saved}).status, 0);
  EXPECT_EQ(render({"render", saved}, "saved.png"), yUp);
}

TEST_F(Command, BakeFillsTexelsInsideUVTrianglesAndLeavesTheRestTransparent) {
  std::string out = folder.Path("bake.png");
  RunResult r = RunApp({"bake", scene, "--node", "quad", "--size", "8", "-o", out});
  ASSERT_EQ(r.status, 0) << r.err;
  RgbaImage image = ReadPng(out);
  ASSERT_EQ(image.width, 8);
  ASSERT_EQ(image.height, 8);
  auto pixel = [&](int x, int y) { return &image.pixels[size_t(y * 8 + x) * 4]; };
  // Bottom-left texel: u = v = 1/16 in the triangle whose corners have the UVs (0, 0), (1, 0)
  // and (0, 1) at the points (0, 0, 0), (1, 0, 0) and (1, 1, 0): the point (1/8, 1/16, 0).
  EXPECT_EQ(pixel(0, 7)[3], 255);
  EXPECT_EQ(pixel(0, 7)[0], 32);
  EXPECT_EQ(pixel(0, 7)[1], 16);
  EXPECT_EQ(pixel(7, 0)[3], 0) << "above the diagonal no triangle has UVs";
  EXPECT_EQ(pixel(3, 4)[3], 255);
  EXPECT_EQ(pixel(4, 3)[3], 0);
}

TEST_F(Command, PreviewWritesTheViewportTextureTheMapGives) {
  std::string out = folder.Path("ramp.png");
  const TexHandleCounts before = HostTexHandleCounts();
  RunResult r = RunApp({"preview", scene, "--size", "8", "-o", out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.empty() && r.err.empty());
  const TexHandleCounts after = HostTexHandleCounts();
  EXPECT_EQ(after.made, before.made + 1) << "one texture, asked for as the viewport asks";
  EXPECT_EQ(after.deleted, before.deleted + 1) << "and let go when the viewport is done";

  RgbaImage image = ReadPng(out);
  ASSERT_EQ(image.width, 8);
  ASSERT_EQ(image.height, 8);
  auto pixel = [&](int x, int y) { return &image.pixels[size_t(y * 8 + x) * 4]; };
  // The stand-in's texture: r = 8x, g = 8y with y from the top, b = 10 per marker.
  EXPECT_EQ(pixel(0, 0)[0], 0);
  EXPECT_EQ(pixel(0, 0)[1], 0) << "the texture's top row is the picture's top row";
  EXPECT_EQ(pixel(5, 2)[0], 40);
  EXPECT_EQ(pixel(5, 2)[1], 16);
  EXPECT_EQ(pixel(7, 7)[2], 30) << "the scene's three markers";

  ASSERT_EQ(RunApp({"preview", scene, "-o", out}).status, 0);
  EXPECT_EQ(ReadPng(out).width, kDefaultPreviewSize);
}

TEST_F(Command, AFailedWriteKeepsTheOldOutputAndSaysWhyInOneLine) {
  const std::string old = "what the user had";
  struct Case {
    std::vector<std::string> args;
    std::string output;
  } cases[] = {{{"render", scene, "--size", "8x8"}, "x.png"},
               {{"bake", scene, "--node", "quad", "--size", "8"}, "x.png"},
               {{"preview", scene, "--size", "8"}, "x.png"},
               {{"save", scene}, "x.kvs"},
               {{"sample", scene, "--points", folder.Write("p.txt", "quad 11 1 0\n")}, "x.csv"}};
  for (Case& c : cases) {
    const std::string path = folder.Write(c.output, old);
    c.args.insert(c.args.end(), {"-o", path});
    FailOutputWritesAfter(10, ENOSPC);
    RunResult r = RunApp(c.args);
    FailOutputWritesAfter(-1, 0);
    EXPECT_EQ(r.status, 1) << c.args[0];
    EXPECT_EQ(r.err, "kelvane: " + path + ": cannot write the file: no space left on device\n");
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old) << c.args[0];
    ASSERT_EQ(RunApp(c.args).status, 0) << c.args[0];
  }
}

TEST_F(Command, OnATerminalEveryLongStepShowsProgressAndSuccessEndsInOneSummaryLine) {
  const std::string mesh = folder.Write("tri.obj", "o tri\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  const std::string picture = folder.Path("tri.png"), saved = folder.Path("tri.kvs");
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> steps;
    std::string summary;
  } cases[] = {
      {{"render", mesh, "-o", picture, "--size", "24x16"},
       {"Reading tri.obj", "Welding tri.obj", "Smoothing groups of tri.obj", "Building the scene",
        "Building the ray scene", "Rendering", "Writing tri.png"},
       "kelvane: wrote " + picture + " (24x16, "},
      {{"save", mesh, "-o", saved},
       {"Saving tri.kvs"},
       "kelvane: wrote " + saved + " (a scene file, "},
      {{"sample", saved, "--points", folder.Write("p.txt", "tri 0.2 0.2 0\n")},
       {"Loading tri.kvs", "Sampling"},
       "kelvane: sampled 1 points in "},
      {{"bake", scene, "--node", "quad", "--size", "8", "-o", picture},
       {"Baking"},
       "kelvane: wrote " + picture + " (8x8, "},
  };
  for (const Case& c : cases) {
    RunResult quiet = RunApp(c.args);
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "") << "off a terminal, nothing";
    RunResult r = RunApp(c.args, true);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& step : c.steps)
      EXPECT_NE(r.err.find("\r\033[K" + step + " ["), std::string::npos) << step << " in " << r.err;
    const std::string last = r.err.substr(r.err.rfind("\033[K") + 3);
    EXPECT_EQ(last.rfind(c.summary, 0), 0u) << last;
    EXPECT_EQ(last.substr(last.size() - 3), " s\n") << last;
  }
}

TEST_F(Command, BadInputGetsOneLineAndStatusTwo) {
  std::string points = folder.Write("points.txt", "quad 1 2 3\n");
  std::string badPoints = folder.Write("bad.txt", "quad 1 2\n");
  std::string nanPoints = folder.Write("nan.txt", "quad 1 2 nan\n");
  std::string strangers = folder.Write("strangers.txt", "quad 1 2 3\nnobody 1 2 3\n");
  std::string empty = folder.Write("empty.obj", "");
  std::string corrupt =
      folder.Write("corrupt.kvs", std::string("KVSC\r\n\x1a\n\x01\0\0\0garbage", 19));
  struct Case {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{}, "no command given"},
      {{"paint"}, "unknown command \"paint\""},
      {{"render", "--frobnicate"}, "unknown flag \"--frobnicate\""},
      {{"render", scene, "--size", "100000x100000"}, "--size: 100000x100000 is out of range"},
      {{"render", scene, "--size", "640by480"}, "is not WIDTHxHEIGHT"},
      {{"render", scene, "--camera", "1,2:3,4,5"}, "--camera: \"1,2:3,4,5\" is not px,py,pz:tx"},
      {{"render", scene, "--camera", "1,2,3:3,4,5:200"}, "a field of view that is not 1 to 170"},
      {{"render", scene, "--camera", "0,0,5:0,0,0"}, "--camera: the view runs along the up axis"},
      {{"render", scene, "--camera", "1,2,3:3,4,5", "--frame", "quad"},
       "--camera and --frame cannot go together"},
      {{"render", scene, "--frame", "nobody"}, "--frame: no node called \"nobody\""},
      {{"render", scene, "--up", "x"}, "--up: \"x\" is not y or z"},
      {{"render", scene, "-o", "x.jpg"},
       "-o: \"x.jpg\" names a jpg file, but kelvane writes PNG pictures (name it .png)"},
      {{"bake", scene, "--node", "quad", "-o", "baked.EXR"}, "names a exr file"},
      {{"--version", "render"}, "--version takes nothing else"},
      {{"sample", scene, "--points", points, "--up", "y"}, "sample does not take --up"},
      {{"render", scene, "--size", "99999999999999999999x5"},
       "--size: 99999999999999999999x5 is out of range (each side 1 to 16384)"},
      {{"render", scene, "--set", "Distance=" + std::string(1 << 20, '9') + "x"},
       "parameter \"Distance\" takes a number, not \"9999"},
      {{"render", folder.Path("")}, ": is a folder, not a file"},
      {{"render", "/dev/null"}, "/dev/null: is not a regular file"},
      {{"sample", scene, "--points", folder.Write("blank.txt", "my quad 1 2 3\n")},
       "blank.txt:1: \"my quad\" is not a node name: node names have no blanks"},
      {{"render", scene, "--threads", "0"}, "--threads: 0 is out of range"},
      {{"render", scene, "--threads"}, "--threads needs a value"},
      {{"render", scene, "--size", "8x8", "--size", "9x9"}, "--size is given twice"},
      {{"render", scene, "extra.json"}, "unexpected argument \"extra.json\""},
      {{"sample", scene}, "sample needs --points FILE"},
      {{"sample", scene, "--points", points, "--bump"}, "sample does not take --bump"},
      {{"save", scene}, "save needs -o FILE"},
      {{"preview", scene}, "preview needs -o FILE"},
      {{"preview", scene, "-o", folder.Path("x.png"), "--size", "8x8"},
       "--size: \"8x8\" is not a whole number"},
      {{"preview", scene, "-o", folder.Path("x.png"), "--size", "9000"}, "is too large"},
      {{"render", scene, "--smooth-angle", "200"}, "--smooth-angle"},
      {{"render", folder.Path("missing.json")}, "missing.json: no such file"},
      {{"render", empty}, "empty.obj"},
      {{"render", corrupt}, "corrupt.kvs"},
      {{"sample", scene, "--points", badPoints}, "bad.txt:1: expected NODE X Y Z, found 3 fields"},
      {{"sample", scene, "--points", nanPoints}, "nan.txt:1: \"nan\" is not a finite number"},
      {{"sample", scene, "--points", strangers},
       "no node called \"nobody\" (the scene has: quad, plain, bare)"},
      {{"bake", scene, "--node", "ghost", "-o", folder.Path("x.png")},
       "--node: no node called \"ghost\""},
      {{"render", scene, "-o", folder.Path("no/such/folder/x.png")},
       "x.png: cannot write the file: no such folder"},
      {{"bake", scene, "--node", "bare", "-o", folder.Path("x.png")},
       "node \"bare\" has no UVs to bake into"},
  };
  for (const Case& c : cases) {
    RunResult r = RunApp(c.args);
    std::string line = r.err.substr(0, r.err.find('\n'));
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_EQ(r.err, line + "\n") << "exactly one line";
    EXPECT_LT(line.size(), 300u) << "no long echoes";
    EXPECT_EQ(line.rfind("kelvane: ", 0), 0u) << line;
    EXPECT_NE(line.find(c.says), std::string::npos) << "expected \"" << c.says << "\" in: " << line;
    EXPECT_TRUE(r.out.empty()) << "nothing on standard output: " << r.out;
  }
}

}  // namespace
