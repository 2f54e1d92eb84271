// The commands end to end in this process, with the Kelvane map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <tuple>

#include "cli/command_line.h"
#include "common/output_file.h"
#include "host_viewport.h"
#include "render/viewport_preview.h"
#include "support/app_test_support.h"

namespace {

// A unit quad scaled by 2 and moved to x = 10, with UVs over the lower-left half only; the map
// measures to open edges, black to white, so a colour channel is the normalised distance.
const char* kQuadScene = R"({
  "nodes": [
    {"name": "quad", "mesh": {"vertices": [[0,0,0],[1,0,0],[1,1,0],[0,1,0]], "faces": [[0,1,2],[0,2,3]],
                              "uvs": [[0,0],[1,0],[0,1],[0,1]]},
     "transform": [[2,0,0,10],[0,2,0,0],[0,0,2,0],[0,0,0,1]]},
    {"name": "plain", "object": "tri", "mesh": {"builtin": "box"}},
    {"name": "bare", "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}}
  ],
  "map": {"parameters": {"Distance": 0.25, "open edges": true},
          "markers": [{"position": 0, "color": [0,0,0]}, {"position": 1, "color": [1,1,1]}]},
  "camera": {"position": [11, -6, 4], "target": [11, 1, 0]},
  "image": {"width": 20, "height": 12}
})";

// Each test with a folder of its own holding the quad scene.
class Command : public ::testing::Test {
 protected:
  // A run that must succeed.
  RunResult Ok(const std::vector<std::string>& args) {
    RunResult r = RunApp(args);
    EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
    return r;
  }
  // A successful run writing the picture `name` in the folder, read back.
  RgbaImage Picture(std::vector<std::string> args, const std::string& name) {
    args.insert(args.end(), {"-o", folder.Path(name)});
    Ok(args);
    return ReadPng(folder.Path(name));
  }
  TempFolder folder;
  std::string scene = folder.Write("quad.json", kQuadScene);
};

TEST_F(Command, SamplesAreTheNormalisedDistanceToTheNearestOpenEdgeInObjectSpace) {
  // The quad's world point (10 + 2x, 2y, 0) is its object's (x, y, 0), min(x, 1 - x, y, 1 - y)
  // from its open border there (twice that in the world). The box has no open edges: a point
  // on it is at the ramp's end.
  std::string points = "# node x y z\nplain 0.25 -0.125 0.5\n\n";
  std::vector<double> expected = {1.0};
  for (double x : {0.0, 0.05, 0.1, 0.3, 0.5, 0.9})
    for (double y : {0.2, 0.5, 0.75}) {
      points += "quad " + std::to_string(10 + 2 * x) + " " + std::to_string(2 * y) + " 0\n";
      const double t = std::min(float(std::min({x, 1 - x, y, 1 - y})) / 0.5f, 1.0f);
      expected.push_back(t < 0.0001 ? 0.0 : t);
    }
  RunResult r = Ok(
      {"sample", scene, "--points", folder.Write("points.txt", points), "--set", "Distance=0.5"});
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "node,x,y,z,r,g,b,a,mono,bump_x,bump_y,bump_z");
  auto rows = CsvRows(r.out);
  ASSERT_EQ(rows.size(), expected.size());
  EXPECT_EQ(rows[0][0] + rows[1][0], "plainquad");
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 12u);
    EXPECT_NEAR(std::stod(rows[i][4]), expected[i], 1e-5) << "point " << i << "; --set comes last";
    EXPECT_NEAR(std::stod(rows[i][8]), expected[i], 1e-5) << "mono: the mean of r, g and b";
  }
}

TEST_F(Command, SampleTakesAMeshFilesCoordinatesAsWorldCoordinatesHoweverItIsOpened) {
  // A Y-up file: opened directly or through a JSON scene, its points are where the file says.
  folder.Write("tri.obj", "o tri\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  std::string json =
      folder.Write("tri.json", R"({"nodes": [{"name": "tri", "mesh": {"file": "tri.obj"}}]})");
  std::string points = folder.Write("p.txt", "tri 0.25 0.5 0\n");
  RunResult direct = Ok({"sample", folder.Path("tri.obj"), "--points", points});
  EXPECT_EQ(direct.out, Ok({"sample", json, "--points", points}).out);
  EXPECT_EQ(direct.err, "") << "every point lies on its node";
  ASSERT_EQ(CsvRows(direct.out).size(), 1u);

  // Points in another frame (here the file turned Z up) are answered, and counted on err.
  std::string turned = folder.Write("turned.txt", "tri 0.25 0 0.5\ntri 0.1 0.1 0.05\n");
  RunResult r = Ok({"sample", folder.Path("tri.obj"), "--points", turned});
  EXPECT_EQ(CsvRows(r.out).size(), 2u);
  EXPECT_EQ(r.err,
            "kelvane: 1 of 2 points lie farther than Distance (0.1) from every surface of their "
            "node; points are in world coordinates, as are a mesh file's own\n");
  r = Ok({"sample", "--points", folder.Write("b.txt", "box -1.45 0.35 0.45\n")});
  EXPECT_EQ(CsvRows(r.out).size(), 1u) << "no scene: the built-in one";
}

TEST_F(Command, SaveSamplingASavedSceneGivesWhatSamplingItsSourceGives) {
  std::string points = folder.Write("points.txt", "quad 11.5 0.5 0\nplain 0.1 0.2 0.3\n");
  std::string saved = folder.Path("quad.kvs");
  Ok({"save", scene, "-o", saved, "--set", "c_mult=7"});
  EXPECT_EQ(Ok({"sample", saved, "--points", points}).out,
            Ok({"sample", scene, "--points", points}).out);

  // What only the program keeps: UVs, camera and picture size.
  Ok({"bake", saved, "--node", "quad", "--size", "4", "-o", folder.Path("baked.png")});
  RgbaImage image = Picture({"render", saved}, "saved.png");
  EXPECT_TRUE(image.width == 20 && image.height == 12);
  EXPECT_EQ(image.pixels, Picture({"render", scene, "--set", "c_mult=7"}, "source.png").pixels);

  // A triangle object's UVs come back on the triangles it holds, each where its polygon had
  // it, so it bakes as the same polygon held by an editable poly does; the quad is lopsided,
  // so a misplaced UV moves a texel's distance to the edges.
  auto quadHeldBy = [](const std::string& kind) {
    return R"({"nodes": [{"name": "q", "object": ")" + kind + R"(",
      "mesh": {"vertices": [[0,0,0],[2,0,0],[3,1,0],[0,1,0]], "faces": [[0,1,2,3]],
               "uvs": [[0,0],[1,0],[1,1],[0,1]]}}]})";
  };
  std::string tri = folder.Write("tri.json", quadHeldBy("tri"));
  std::string poly = folder.Write("poly.json", quadHeldBy("poly"));
  std::string triSaved = folder.Path("tri.kvs");
  Ok({"save", tri, "-o", triSaved});
  EXPECT_EQ(Picture({"bake", triSaved, "--node", "q", "--size", "8"}, "saved-bake.png").pixels,
            Picture({"bake", poly, "--node", "q", "--size", "8"}, "poly-bake.png").pixels);
}

TEST_F(Command, RenderGivesTheSamePictureForAnyNumberOfThreads) {
  // Every edge of the box in view qualifies and bumps as a round edge.
  auto round = [](std::vector<std::string> args, const char* threads) {
    args.insert(args.end(), {"--size", "24x16", "--frame", "plain", "--set", "open edges=false",
                             "--set", "bump_mode=1", "--threads", threads});
    return args;
  };
  RgbaImage x = Picture(round({"render", scene, "--bump"}, "1"), "1.png");
  // The amount may be left out before the scene, which then is not taken for one.
  RgbaImage y = Picture(round({"render", "--bump", scene}, "3"), "3.png");
  EXPECT_TRUE(x.width == 24 && x.height == 16);
  EXPECT_EQ(x.pixels, y.pixels);
  std::set<std::vector<uint8_t>> colours;
  for (size_t i = 0; i < x.pixels.size(); i += 4)
    colours.insert({x.pixels.begin() + long(i), x.pixels.begin() + long(i) + 3});
  EXPECT_GT(colours.size(), 10u) << "the map's colours show, not just the background";
}

TEST_F(Command, CamerasComeFromTheCommandLineTheSceneOrTheUpAxis) {
  auto render = [&](std::vector<std::string> args, const std::string& name) {
    args.insert(args.end(), {"--size", "24x16"});
    return Picture(args, name).pixels;
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
  Ok({"save", mesh, "-o", saved});
  EXPECT_EQ(render({"render", saved}, "saved.png"), yUp);
}

TEST_F(Command, BakeFillsTexelsInsideUVTrianglesAndLeavesTheRestTransparent) {
  RgbaImage image = Picture({"bake", scene, "--node", "quad", "--size", "8"}, "bake.png");
  ASSERT_TRUE(image.width == 8 && image.height == 8);
  auto pixel = [&](int x, int y) { return &image.pixels[size_t(y * 8 + x) * 4]; };
  // Bottom-left texel: u = v = 1/16 in the triangle whose corners have the UVs (0, 0), (1, 0)
  // and (0, 1) at the points (0, 0, 0), (1, 0, 0) and (1, 1, 0): the point (1/8, 1/16, 0),
  // 1/16 from the open border, a quarter of Distance in object space.
  EXPECT_NEAR(pixel(0, 7)[0], 64, 1);
  // Above the diagonal no triangle has UVs.
  EXPECT_EQ(std::tuple(pixel(0, 7)[3], pixel(7, 0)[3], pixel(3, 4)[3], pixel(4, 3)[3]),
            std::tuple(255, 0, 255, 0));
}

TEST_F(Command, PreviewWritesTheViewportTextureTheMapGives) {
  const TexHandleCounts before = HostTexHandleCounts();
  RunResult r = Ok({"preview", scene, "--size", "8", "-o", folder.Path("ramp.png")});
  EXPECT_TRUE(r.out.empty() && r.err.empty());
  RgbaImage image = ReadPng(folder.Path("ramp.png"));
  const TexHandleCounts after = HostTexHandleCounts();
  // One texture, asked for as the viewport asks, and let go when the viewport is done.
  EXPECT_EQ(std::tuple(after.made, after.deleted), std::tuple(before.made + 1, before.deleted + 1));
  ASSERT_TRUE(image.width == 8 && image.height == 8);
  // Black at 0 to white at 1: column x is the ramp at x / 8, channel x 65535 truncated, of which
  // the viewport's 8-bit texture keeps the high byte, so the right edge never shows position
  // 1. Every row is the same, grey and opaque.
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) {
      const uint8_t* pixel = &image.pixels[size_t(y * 8 + x) * 4];
      EXPECT_NEAR(pixel[0], int(float(x) / 8.0f * 65535.0f) >> 8, 1) << x << ", " << y;
      EXPECT_TRUE(pixel[1] == pixel[0] && pixel[2] == pixel[0] && pixel[3] == 255)
          << x << ", " << y;
    }
  EXPECT_EQ(Picture({"preview", scene}, "default.png").width, kDefaultPreviewSize);
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
    EXPECT_EQ(
        std::tuple(r.status, r.err, ReadText(path)),
        std::tuple(1, "kelvane: " + path + ": cannot write the file: no space left on device\n",
                   old));
    Ok(c.args);
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
    EXPECT_EQ(Ok(c.args).err, "") << "off a terminal, nothing";
    RunResult r = RunApp(c.args, true);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& step : c.steps)
      EXPECT_NE(r.err.find("\r\033[K" + step + " ["), std::string::npos) << step << " in " << r.err;
    const std::string last = r.err.substr(r.err.rfind("\033[K") + 3);
    EXPECT_TRUE(last.starts_with(c.summary) && last.ends_with(" s\n")) << last;
  }
}

TEST_F(Command, BadInputGetsOneLineAndStatusTwo) {
  const std::string x = folder.Path("x.png");
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
      {{"save", scene, "-o", folder.Path("")}, ": is a folder, not a file"},
      {{"bake", scene, "--node", "bare", "-o", folder.Path("x.png")},
       "node \"bare\" has no UVs to bake into"},
      {{"bake", scene, "-o", x, "--node", "quad", "--depth", "12"},
       "--depth: \"12\" is not 8 or 16"},
      {{"bake", scene, "-o", x, "--node", "quad", "--padding", "-1"},
       "--padding: -1 is out of range (0 to 16384)"},
      {{"bake", scene, "-o", x, "--node", "quad", "--padding", "wide"},
       "--padding: \"wide\" is not a whole number"},
      {{"bake", scene, "-o", x, "--node", "quad", "--node", "quad"},
       "--node: \"quad\" is given twice"},
      {{"render", scene, "--bump", "11"}, "is not an amount from -10 to 10"},
      {{"render", scene, "--bump=-11"}, "is not an amount from -10 to 10"},
      {{"render", scene, "--bump=round"}, "is not an amount from -10 to 10"},
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
  EXPECT_FALSE(std::filesystem::exists(x)) << "nothing written";
}

}  // namespace
