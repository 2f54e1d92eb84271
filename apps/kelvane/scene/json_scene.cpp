#include "scene/json_scene.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "common/image_limits.h"
#include "common/input_error.h"
#include "common/input_file.h"
#include "common/progress_bar.h"
#include "common/quoted.h"
#include "mesh/affine_transform.h"
#include "mesh/auto_smooth.h"
#include "mesh/builtin_meshes.h"
#include "mesh/mesh_import.h"
#include "scene/json_error.h"
#include "scene/json_field.h"

namespace {

// A scene file is hand-written or generated text; anything this large is a mistake (and its
// parsed form would take several times as much memory).
constexpr std::uintmax_t kMaxSceneFileBytes = 256ull << 20;
constexpr size_t kMaxMarkers = 1000;
// Markers closer than this are one marker to the map.
constexpr double kMarkerMerge = 0.0001;
// Builtin meshes stay within a couple of million faces.
constexpr long long kMaxSegments = 1000;
constexpr long long kMaxBuiltinFaces = 2000000;
constexpr double kMaxSize = 1e6;

// Curve mode labels, by mode number, as the ramp's lists show them.
const char* const kCurveModes[] = {"Linear", "Exponential", "Gamma", "Solid", "NO"};

bool SameLabel(const std::string& a, const char* b) {
  return std::equal(a.begin(), a.end(), b, b + std::strlen(b), [](char x, char y) {
    return std::tolower((unsigned char)x) == std::tolower((unsigned char)y);
  });
}

long long BuiltinFaceCount(const BuiltinMeshOptions& o) {
  const long long w = o.widthSegments, l = o.lengthSegments, h = o.heightSegments;
  switch (o.shape) {
    case BuiltinShape::Plane:
      return w * l;
    case BuiltinShape::Box:
      return 2 * (w * l + w * h + l * h);
    case BuiltinShape::Cylinder:
      return (long long)o.sides * (h + 2);
    case BuiltinShape::Sphere:
      return (long long)o.segments * (o.segments / 2);
    case BuiltinShape::Torus:
      return (long long)o.segments * o.sides;
  }
  return 0;
}

class SceneReader {
 public:
  SceneReader(const std::filesystem::path& folder, float smoothAngle, std::ostream* progressTo)
      : folder(folder), smoothAngle(smoothAngle), progressTo(progressTo) {}

  SceneDescription Read(const JsonField& root) {
    root.AllowKeys({"nodes", "map", "camera", "image"});
    SceneDescription scene;
    JsonField nodes = root.Key("nodes");
    if (nodes.ArraySize() == 0) nodes.Fail("the scene has no nodes");
    std::set<std::string> names;
    for (size_t i = 0; i < nodes.ArraySize(); ++i) {
      scene.nodes.push_back(Node(nodes.Item(i)));
      if (!names.insert(scene.nodes.back().name).second)
        nodes.Item(i).Key("name").Fail("another node is called " + Quoted(scene.nodes.back().name));
    }
    if (auto map = root.OptionalKey("map")) scene.map = Map(*map);
    if (auto camera = root.OptionalKey("camera")) scene.camera = Camera(*camera);
    if (auto image = root.OptionalKey("image")) {
      image->AllowKeys({"width", "height"});
      long long w = image->Key("width").Integer(1, kMaxImageSide);
      long long h = image->Key("height").Integer(1, kMaxImageSide);
      CheckImageSize(w, h, image->Where());
      scene.image = ImageSize{int(w), int(h)};
    }
    return scene;
  }

 private:
  NodeDescription Node(const JsonField& node) {
    node.AllowKeys({"name", "mesh", "object", "transform"});
    NodeDescription out;
    JsonField name = node.Key("name");
    out.name = name.String();
    if (out.name.empty()) name.Fail("a node name cannot be empty");
    for (char c : out.name)
      if (std::isspace((unsigned char)c) || std::iscntrl((unsigned char)c) || c == ',')
        name.Fail(Quoted(out.name) + " has white space or a comma, which node names cannot have");
    out.mesh = Mesh(node.Key("mesh"));
    if (auto object = node.OptionalKey("object")) {
      std::string kind = object->String();
      if (kind == "poly")
        out.object = ObjectKind::Poly;
      else if (kind == "tri")
        out.object = ObjectKind::Tri;
      else
        object->Fail(Quoted(kind) + " is not an object kind (poly or tri)");
    }
    if (auto transform = node.OptionalKey("transform")) out.transform = Transform(*transform);
    return out;
  }

  Matrix3 Transform(const JsonField& t) {
    if (t.ArraySize() != 4) t.Fail("must be four rows of four numbers");
    Rows4x4 rows;
    for (size_t r = 0; r < 4; ++r) {
      JsonField row = t.Item(r);
      if (row.ArraySize() != 4) row.Fail("must be a row of four numbers");
      for (size_t c = 0; c < 4; ++c) rows[r][c] = row.Item(c).Number();
    }
    return AffineFromRows(rows, t.Where());
  }

  PolyMeshData Mesh(const JsonField& mesh) {
    mesh.ExpectObject();
    int kinds = mesh.Has("file") + mesh.Has("builtin") + mesh.Has("vertices");
    if (kinds != 1) mesh.Fail("a mesh needs exactly one of \"file\", \"builtin\" or \"vertices\"");
    if (mesh.Has("file")) return FileMesh(mesh);
    if (mesh.Has("builtin")) return Builtin(mesh);
    return InlineMesh(mesh);
  }

  PolyMeshData FileMesh(const JsonField& mesh) {
    mesh.AllowKeys({"file", "smooth_angle"});
    float angle = smoothAngle;
    if (auto a = mesh.OptionalKey("smooth_angle")) angle = float(a->NumberIn(0.0, 180.0));
    std::filesystem::path file = mesh.Key("file").String();
    if (file.is_relative()) file = folder / file;
    return ImportMergedMesh(file.string(), angle, progressTo);
  }

  PolyMeshData Builtin(const JsonField& mesh) {
    BuiltinMeshOptions o;
    std::string shape = mesh.Key("builtin").String();
    auto size = [&](const char* key, float& into) {
      if (auto v = mesh.OptionalKey(key)) {
        into = float(v->NumberIn(0.0, kMaxSize));
        if (into <= 0.0f) v->Fail("must be greater than 0");
      }
    };
    auto count = [&](const char* key, int& into, int low) {
      if (auto v = mesh.OptionalKey(key)) into = int(v->Integer(low, kMaxSegments));
    };
    if (shape == "plane") {
      mesh.AllowKeys({"builtin", "width", "length", "width_segments", "length_segments",
                      "smoothing", "material_id"});
      o.shape = BuiltinShape::Plane;
      o.widthSegments = o.lengthSegments = 4;
    } else if (shape == "box") {
      mesh.AllowKeys({"builtin", "width", "length", "height", "width_segments", "length_segments",
                      "height_segments", "smoothing", "material_id"});
      o.shape = BuiltinShape::Box;
    } else if (shape == "cylinder") {
      mesh.AllowKeys({"builtin", "radius", "height", "sides", "height_segments", "caps",
                      "smoothing", "material_id"});
      o.shape = BuiltinShape::Cylinder;
    } else if (shape == "sphere") {
      mesh.AllowKeys({"builtin", "radius", "segments", "smoothing", "material_id"});
      o.shape = BuiltinShape::Sphere;
    } else if (shape == "torus") {
      mesh.AllowKeys(
          {"builtin", "radius1", "radius2", "segments", "sides", "smoothing", "material_id"});
      o.shape = BuiltinShape::Torus;
      o.sides = 16;
    } else {
      mesh.Key("builtin").Fail(Quoted(shape) +
                               " is not a builtin mesh (plane, box, cylinder, sphere or torus)");
    }
    size("width", o.width);
    size("length", o.length);
    size("height", o.height);
    size("radius", o.radius);
    size("radius1", o.radius);
    size("radius2", o.radius2);
    count("width_segments", o.widthSegments, 1);
    count("length_segments", o.lengthSegments, 1);
    count("height_segments", o.heightSegments, 1);
    count("sides", o.sides, 3);
    count("segments", o.segments, o.shape == BuiltinShape::Sphere ? 4 : 3);
    if (auto caps = mesh.OptionalKey("caps")) o.caps = caps->Bool();
    if (auto s = mesh.OptionalKey("smoothing")) {
      std::string mode = s->String();
      if (mode == "parts")
        o.smoothing = BuiltinSmoothing::Parts;
      else if (mode == "none")
        o.smoothing = BuiltinSmoothing::None;
      else if (mode == "all")
        o.smoothing = BuiltinSmoothing::All;
      else
        s->Fail(Quoted(mode) + " is not a smoothing mode (parts, none or all)");
    }
    if (auto id = mesh.OptionalKey("material_id"))
      o.materialId = int(id->Integer(1, kMaxMaterialId));
    const long long faces = BuiltinFaceCount(o);
    if (faces > kMaxBuiltinFaces)
      mesh.Fail("the mesh would have " + std::to_string(faces) + " faces; at most " +
                std::to_string(kMaxBuiltinFaces));
    PolyMeshData out = MakeBuiltinMesh(o);
    ValidateMesh(out, mesh.Where());
    return out;
  }

  PolyMeshData InlineMesh(const JsonField& mesh) {
    mesh.AllowKeys(
        {"vertices", "faces", "smoothing_groups", "material_ids", "selected_edges", "uvs"});
    PolyMeshData out;
    JsonField vertices = mesh.Key("vertices");
    for (size_t i = 0; i < vertices.ArraySize(); ++i)
      out.vertices.push_back(vertices.Item(i).Vector3());
    const long long numVerts = (long long)out.vertices.size();
    if (numVerts == 0) vertices.Fail("the mesh has no vertices");

    JsonField faces = mesh.Key("faces");
    const size_t numFaces = faces.ArraySize();
    if (numFaces == 0) faces.Fail("the mesh has no faces");
    std::vector<int> face;
    for (size_t f = 0; f < numFaces; ++f) {
      JsonField item = faces.Item(f);
      face.clear();
      for (size_t k = 0; k < item.ArraySize(); ++k)
        face.push_back(int(item.Item(k).Integer(0, numVerts - 1)));
      if (face.size() < 3) item.Fail("a face needs at least 3 vertices");
      out.AddFace(face, 0, 0);
    }

    auto perFace = [&](const char* key) -> std::optional<JsonField> {
      auto list = mesh.OptionalKey(key);
      if (list && list->ArraySize() != numFaces)
        list->Fail("has " + std::to_string(list->ArraySize()) + " entries for " +
                   std::to_string(numFaces) + " faces");
      return list;
    };
    if (auto groups = perFace("smoothing_groups")) {
      for (size_t f = 0; f < numFaces; ++f)
        out.smoothingGroups[f] = DWORD(groups->Item(f).Integer(0, 0xFFFFFFFFLL));
    } else {
      ProgressBar smoothing(progressTo, "Smoothing groups of " + mesh.Path());
      AutoSmooth(out, smoothAngle, &smoothing);
    }
    if (auto ids = perFace("material_ids"))
      for (size_t f = 0; f < numFaces; ++f)
        out.materials[f] = MtlID(ids->Item(f).Integer(1, kMaxMaterialId) - 1);

    if (auto edges = mesh.OptionalKey("selected_edges")) {
      for (size_t i = 0; i < edges->ArraySize(); ++i) {
        JsonField pair = edges->Item(i);
        if (pair.ArraySize() != 2) pair.Fail("a selected edge is a pair of vertex indices");
        out.selectedEdges.emplace_back(int(pair.Item(0).Integer(0, numVerts - 1)),
                                       int(pair.Item(1).Integer(0, numVerts - 1)));
      }
    }
    if (auto uvs = mesh.OptionalKey("uvs")) {
      if ((long long)uvs->ArraySize() != numVerts)
        uvs->Fail("has " + std::to_string(uvs->ArraySize()) + " entries for " +
                  std::to_string(numVerts) + " vertices (one UV per vertex)");
      for (size_t i = 0; i < uvs->ArraySize(); ++i) {
        JsonField uv = uvs->Item(i);
        size_t n = uv.ArraySize();
        if (n != 2 && n != 3) uv.Fail("a UV is 2 numbers (u, v)");
        out.uvs.push_back(
            Point3(uv.Item(0).NumberIn(-1e30, 1e30), uv.Item(1).NumberIn(-1e30, 1e30), 0.0));
      }
      out.uvCorners = out.corners;
    }
    ValidateMesh(out, mesh.Where());
    return out;
  }

  MapDescription Map(const JsonField& map) {
    map.AllowKeys({"parameters", "markers"});
    MapDescription out;
    if (auto params = map.OptionalKey("parameters")) {
      params->ExpectObject();
      for (auto it = params->Raw().begin(); it != params->Raw().end(); ++it) {
        JsonField value = params->Key(it.key().c_str());
        ParameterSetting setting{it.key(), false, value.Where()};
        if (value.IsBool())
          setting.value = value.Bool();
        else if (value.IsNumber())
          setting.value = value.Number();
        else if (value.IsString())
          setting.value = value.String();
        else
          value.Fail("a parameter value is true, false, a number or a word (such as \"Or\")");
        out.parameters.push_back(std::move(setting));
      }
    }
    if (auto markers = map.OptionalKey("markers")) out.markers = Markers(*markers);
    return out;
  }

  std::vector<MarkerDescription> Markers(const JsonField& list) {
    const size_t n = list.ArraySize();
    if (n == 0)
      list.Fail("the ramp needs at least one marker (leave \"markers\" out for the default ramp)");
    if (n > kMaxMarkers) list.Fail("at most " + std::to_string(kMaxMarkers) + " markers");
    std::vector<MarkerDescription> markers;
    int active = 0;
    for (size_t i = 0; i < n; ++i) {
      markers.push_back(Marker(list.Item(i)));
      active += markers.back().active;
    }
    if (active > 1) list.Fail("only one marker can be active");
    // The map keeps its markers in position order; their maps follow them there.
    std::stable_sort(markers.begin(), markers.end(),
                     [](const MarkerDescription& a, const MarkerDescription& b) {
                       return a.position < b.position;
                     });
    for (size_t i = 1; i < markers.size(); ++i)
      if (double(markers[i].position) - double(markers[i - 1].position) < kMarkerMerge) {
        char text[96];
        std::snprintf(text, sizeof text, "markers at %g and %g are closer than %g",
                      double(markers[i - 1].position), double(markers[i].position), kMarkerMerge);
        list.Fail(text);
      }
    return markers;
  }

  MarkerDescription Marker(const JsonField& m) {
    m.AllowKeys({"position", "color", "transparent_color", "in", "out", "color_map",
                 "transparent_map", "color_map_on", "transparent_map_on", "active"});
    MarkerDescription out;
    out.position = float(m.Key("position").NumberIn(0.0, 1.0));
    if (auto c = m.OptionalKey("color")) out.color = c->Color(1.0f);
    if (auto c = m.OptionalKey("transparent_color")) out.transparentColor = c->Color(0.0f);
    if (auto mode = m.OptionalKey("in")) out.inMode = CurveMode(*mode);
    if (auto mode = m.OptionalKey("out")) out.outMode = CurveMode(*mode);
    if (auto map = m.OptionalKey("color_map")) out.colorMap = HostMap(*map);
    if (auto map = m.OptionalKey("transparent_map")) out.transparentMap = HostMap(*map);
    if (auto on = m.OptionalKey("color_map_on")) out.colorMapOn = on->Bool();
    if (auto on = m.OptionalKey("transparent_map_on")) out.transparentMapOn = on->Bool();
    if (auto active = m.OptionalKey("active")) out.active = active->Bool();
    return out;
  }

  int CurveMode(const JsonField& mode) {
    const int count = int(std::size(kCurveModes));
    if (mode.IsNumber()) return int(mode.Integer(0, count - 1));
    if (mode.IsString()) {
      std::string label = mode.String();
      for (int i = 0; i < count; ++i)
        if (SameLabel(label, kCurveModes[i])) return i;
    }
    mode.Fail("a curve mode is 0 to 4 or Linear, Exponential, Gamma, Solid or NO");
  }

  HostMapDescription HostMap(const JsonField& map) {
    HostMapDescription out;
    std::string type = map.Key("type").String();
    if (type == "color") {
      map.AllowKeys({"type", "color"});
      out.kind = HostMapDescription::Kind::Color;
      out.color1 = map.Key("color").Color(1.0f);
    } else if (type == "checker") {
      map.AllowKeys({"type", "color1", "color2", "size"});
      out.kind = HostMapDescription::Kind::Checker;
      if (auto c = map.OptionalKey("color1")) out.color1 = c->Color(1.0f);
      if (auto c = map.OptionalKey("color2")) out.color2 = c->Color(1.0f);
      if (auto s = map.OptionalKey("size")) {
        out.size = float(s->NumberIn(0.0, kMaxSize));
        if (out.size <= 0.0f) s->Fail("must be greater than 0");
      }
    } else {
      map.Key("type").Fail(Quoted(type) + " is not a map type (color or checker)");
    }
    return out;
  }

  CameraDescription Camera(const JsonField& camera) {
    camera.AllowKeys({"position", "target", "up", "fov"});
    CameraDescription out;
    out.position = camera.Key("position").Vector3();
    out.target = camera.Key("target").Vector3();
    if (auto up = camera.OptionalKey("up")) out.up = up->Vector3();
    if (auto fov = camera.OptionalKey("fov")) {
      out.fovDegrees = float(fov->NumberIn(0.0, 180.0));
      if (out.fovDegrees < 1.0f || out.fovDegrees > 170.0f)
        fov->Fail("the field of view must be 1 to 170 degrees");
    }
    Point3 view = out.target - out.position;
    if (!(view.Length() > 0.0f)) camera.Fail("the camera's position and target are the same point");
    if (!(CrossProd(view.Normalize(), out.up.Normalize()).Length() > 1e-4f))
      camera.Fail("\"up\" must not be parallel to the view direction");
    return out;
  }

  std::filesystem::path folder;
  float smoothAngle;
  std::ostream* progressTo;
};

}  // namespace

SceneDescription ParseJsonScene(const std::string& text, const std::string& source,
                                const std::filesystem::path& folder, float smoothAngle,
                                std::ostream* progressTo) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception&) {
    throw InputError(DescribeJsonError(text, source));
  }
  return SceneReader(folder, smoothAngle, progressTo).Read(JsonField(document, source, ""));
}

SceneDescription LoadJsonScene(const std::string& path, float smoothAngle,
                               std::ostream* progressTo) {
  if (CheckInputFile(path) > kMaxSceneFileBytes) throw InputError(path + ": the file is too large");
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  if (!in && !in.eof()) throw InputError(path + ": cannot read the file");
  return ParseJsonScene(text.str(), path, std::filesystem::path(path).parent_path(), smoothAngle,
                        progressTo);
}
