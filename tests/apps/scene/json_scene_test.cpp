// JSON scenes: what a well-formed input becomes, and one clear complaint for each mistake.
#include <gtest/gtest.h>

#include <tuple>

#include "common/input_error.h"
#include "scene/json_scene.h"
#include "support/app_test_support.h"

namespace {

SceneDescription Parse(const std::string& text) {
  return ParseJsonScene(text, "scene.json", ".", 30.0f);
}

std::string ErrorOf(const std::string& text) {
  try {
    Parse(text);
  } catch (const InputError& e) {
    return e.what();
  }
  return "(no error)";
}

const char* kQuad = R"("vertices": [[0,0,0],[1,0,0],[1,1,0],[0,1,0]], "faces": [[0,1,2,3]])";

TEST(JsonScene, ReadsNodesMapCameraAndImage) {
  SceneDescription scene = Parse(R"({
    "nodes": [
      {"name": "quad", "object": "tri",
       "mesh": {"vertices": [[0,0,0],[1,0,0],[1,1,0],[0,1,0],[2,0,0]], "faces": [[0,1,2,3],[1,4,2]],
                "smoothing_groups": [1, 6], "material_ids": [1, 3], "selected_edges": [[1,2]],
                "uvs": [[0,0],[1,0],[1,1],[0,1],[1,0]]},
       "transform": [[2,0,0,10],[0,1,0,20],[0,0,1,30],[0,0,0,1]]},
      {"name": "box", "mesh": {"builtin": "box", "width": 2, "width_segments": 3, "material_id": 9}}
    ],
    "map": {"parameters": {"Distance": 0.5, "open edges": true},
            "markers": [{"position": 1, "color": [1,1,1], "out": "solid", "active": true},
                        {"position": 0, "color": [0,0,0,0.5], "in": 2,
                         "color_map": {"type": "checker", "color1": [1,0,0], "size": 0.25}}]},
    "camera": {"position": [5,5,5], "target": [0,0,0], "fov": 30},
    "image": {"width": 320, "height": 200}
  })");
  ASSERT_EQ(scene.nodes.size(), 2u);
  const NodeDescription& quad = scene.nodes[0];
  EXPECT_EQ(quad.object, ObjectKind::Tri);
  // Material IDs are one-based in the file, zero-based in the host.
  EXPECT_EQ(std::tuple(quad.mesh.smoothingGroups, quad.mesh.materials),
            std::tuple(std::vector<DWORD>{1, 6}, std::vector<MtlID>{0, 2}));
  EXPECT_EQ(quad.mesh.uvCorners, quad.mesh.corners) << "one UV per vertex";
  // Columns of the file's matrix are the host's rows: a point maps as x' = 2x + 10.
  EXPECT_TRUE((Point3(1, 1, 1) * quad.transform).Equals(Point3(12, 21, 31)));
  EXPECT_EQ(std::tuple(scene.nodes[1].mesh.NumFaces(), scene.nodes[1].mesh.materials[0]),
            std::tuple(3 * 1 * 2 + 1 * 1 * 2 + 3 * 1 * 2, MtlID(8)));
  ASSERT_TRUE(scene.map.parameters.size() == 2u && scene.map.markers);
  const auto& markers = *scene.map.markers;
  ASSERT_EQ(markers.size(), 2u);
  EXPECT_EQ(markers[0].position, 0.0f) << "sorted by position";
  EXPECT_TRUE(markers[0].inMode == 2 && markers[0].color.a == 0.5f);
  ASSERT_TRUE(markers[0].colorMap);
  EXPECT_TRUE(markers[0].colorMap->kind == HostMapDescription::Kind::Checker &&
              markers[0].colorMap->size == 0.25f);
  EXPECT_TRUE(markers[1].outMode == 3 && markers[1].active && markers[1].transparentColor.a == 0);
  EXPECT_EQ(markers[1].color.a, 1.0f) << "a colour without alpha is opaque";
  EXPECT_TRUE(scene.camera->fovDegrees == 30.0f && scene.image->width == 320);
}

// A scene of one inline quad node with more keys at the top level, or in the node.
std::string Quad(const std::string& more, const std::string& inNode = "") {
  return std::string(R"({"nodes": [{"name": "a", "mesh": {)") + kQuad + "}" + inNode + "}]" +
         (more.empty() ? "" : ", " + more) + "}";
}

std::string Mesh(const std::string& mesh) {
  return R"({"nodes": [{"name": "a", "mesh": {)" + mesh + "}}]}";
}

TEST(JsonScene, EachMistakeGetsAMessageNamingItsPlace) {
  const std::string q = kQuad, tri = R"("vertices": [[0,0,0],[1,0,0],[0,1,0]], )";
  struct Case {
    std::string text, message;
  } cases[] = {
      {"{", "scene.json: line 1, column 1: malformed JSON: syntax error"},
      {"{\n  \"nodes\": [],\n  \"x\": 1e999}",
       "scene.json: line 3, column 8: the number \"1e999\" is too large"},
      {"{\"nodes\": [\"" + std::string(1 << 20, 'x') + "\n\"]}",
       "must be escaped to \\u000A or \\n; last read: \"\"xxxxxxxx"},
      {"{}", "\"nodes\" is missing"},
      {R"({"nodes": []})", "nodes: the scene has no nodes"},
      {R"({"nodes": [], "lights": 1})", "unknown key \"lights\""},
      {R"({"nodes": [{"name": "my node", "mesh": {)" + q + "}}]}",
       "nodes[0].name: \"my node\" has white space or a comma, which node names cannot have"},
      {R"({"nodes": [{"name": "a", "mesh": {)" + q + R"(}}, {"name": "a", "mesh": {)" + q + "}}]}",
       "nodes[1].name: another node is called \"a\""},
      {Mesh(tri + R"("faces": [[0,1,3]])"),
       "nodes[0].mesh.faces[0][2]: 3 is out of range (0 to 2)"},
      {Mesh(tri + R"("faces": [])"), "mesh.faces: the mesh has no faces"},
      {Mesh(tri + R"("faces": [[0,1,1]])"), "face 0 uses vertex 1 twice"},
      {Mesh(R"("vertices": [[0,0,1e39],[1,0,0],[0,1,0]], "faces": [[0,1,2]])"),
       "vertices[0][2]: 1e+39 is out of range"},
      {Mesh(q + R"(, "selected_edges": [[0,2]])"),
       "selected edge [0, 2] is not an edge of any face"},
      {Mesh(q + R"(, "material_ids": [0])"), "material_ids[0]: 0 is out of range (1 to 65536)"},
      {Mesh(q + R"(, "uvs": [[0,0]])"), "has 1 entries for 4 vertices"},
      {Mesh(R"("builtin": "cone")"), "\"cone\" is not a builtin mesh"},
      {Mesh(R"("builtin": "sphere", "segments": 100000)"), "segments: 100000 is out of range"},
      {Mesh(R"("builtin": "box", "height": 0)"), "height: must be greater than 0"},
      {Mesh(R"("file": "missing.obj")"), "missing.obj: no such file"},
      {Quad("", R"(, "object": "nurbs")"), "\"nurbs\" is not an object kind"},
      {Quad("", R"(, "transform": [[1,0,0,0],[0,1,0,0],[0,0,0,0],[0,0,0,1]])"),
       "transform: the matrix is singular"},
      {Quad("", R"(, "transform": [[1,0,0,0],[0,1,0,0],[0,0,1,0],[1,0,0,1]])"),
       "the last row must be 0 0 0 1"},
      {Quad(R"("map": {"parameters": {"Distance": [1]}})"),
       "map.parameters.Distance: a parameter value is true, false, a number or a word"},
      {Quad(R"("map": {"markers": []})"), "the ramp needs at least one marker"},
      {Quad(R"("map": {"markers": [{"position": 0.3}, {"position": 0.30005}]})"),
       "markers at 0.3 and 0.30005 are closer than 0.0001"},
      {Quad(
           R"("map": {"markers": [{"position": 0, "active": true}, {"position": 1, "active": true}]})"),
       "only one marker can be active"},
      {Quad(R"("map": {"markers": [{"position": 0, "in": "Cubic"}]})"),
       "markers[0].in: a curve mode is 0 to 4"},
      {Quad(R"("map": {"markers": [{"position": 1.5}]})"),
       "markers[0].position: 1.5 is out of range (0 to 1)"},
      {Quad(R"("map": {"markers": [{"position": 0, "color_map": {"type": "noise"}}]})"),
       "\"noise\" is not a map type"},
      {Quad(R"("camera": {"position": [1,1,1], "target": [1,1,1]})"),
       "the camera's position and target are the same point"},
      {Quad(R"("camera": {"position": [0,0,5], "target": [0,0,0]})"),
       "\"up\" must not be parallel"},
      {Quad(R"("image": {"width": 10000, "height": 10000})"), "image: 10000x10000 is too large"},
  };
  for (const Case& c : cases) {
    std::string message = ErrorOf(c.text);
    EXPECT_NE(message.find(c.message), std::string::npos) << "got: " << message;
    // One line, and no long echoes.
    EXPECT_TRUE(message.find('\n') == std::string::npos && message.size() < 300u) << message;
  }
}

}  // namespace
