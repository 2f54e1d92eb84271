#pragma once
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "acolor.h"
#include "matrix3.h"
#include "mesh/poly_mesh_data.h"

// What a node evaluates to in the host: an editable poly keeps the polygons; a triangle
// object holds them triangulated, the diagonals invisible.
enum class ObjectKind { Poly, Tri };

struct NodeDescription {
  std::string name;   // unique, no white space
  PolyMeshData mesh;  // object space
  ObjectKind object = ObjectKind::Poly;
  Matrix3 transform;  // object to world
};

// One of the host's own maps, for a marker's colour or transparency.
struct HostMapDescription {
  enum class Kind { Color, Checker } kind = Kind::Color;
  AColor color1 = AColor(0.0f, 0.0f, 0.0f, 1.0f);  // the constant colour, or the checker's first
  AColor color2 = AColor(1.0f, 1.0f, 1.0f, 1.0f);
  float size = 1.0f;  // checker cell size, world units
};

struct MarkerDescription {
  float position = 0.0f;
  AColor color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
  AColor transparentColor = AColor(0.0f, 0.0f, 0.0f, 0.0f);
  int inMode = 0;
  int outMode = 0;
  std::optional<HostMapDescription> colorMap;
  std::optional<HostMapDescription> transparentMap;
  bool colorMapOn = true;
  bool transparentMapOn = true;
  bool active = false;
};

// A parameter value as the user wrote it; the parameter block decides whether it fits. A word
// names a radio choice the way the rollout labels it ("And", "Difference").
struct ParameterSetting {
  std::string name;  // internal name, exactly as the block declares it
  std::variant<bool, double, std::string> value;
  std::string origin;  // where it was given, for messages ("scene.json: map.parameters")
};

struct MapDescription {
  std::vector<ParameterSetting> parameters;
  std::optional<std::vector<MarkerDescription>> markers;  // none: the map's default ramp
};

// Which world axis points up: the host's is Z; many mesh files are made in Y-up programs.
enum class UpAxis { Y, Z };

inline Point3 UpVector(UpAxis up) {
  return up == UpAxis::Y ? Point3(0.0f, 1.0f, 0.0f) : Point3(0.0f, 0.0f, 1.0f);
}

struct CameraDescription {
  Point3 position;
  Point3 target;
  Point3 up = Point3(0.0f, 0.0f, 1.0f);
  float fovDegrees = 45.0f;  // horizontal, as the host's cameras
};

struct ImageSize {
  int width = 0;
  int height = 0;
};

struct SceneDescription {
  std::vector<NodeDescription> nodes;
  MapDescription map;
  std::optional<CameraDescription> camera;
  std::optional<ImageSize> image;
};
