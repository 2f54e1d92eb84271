#pragma once
#include "mesh/poly_mesh_data.h"

enum class BuiltinShape { Plane, Box, Cylinder, Sphere, Torus };

// How a built-in mesh's faces get smoothing groups. Every shape is made of parts (a box's six
// sides; a cylinder's side and caps; a sphere's two hemispheres; a torus's outer and inner
// halves; a plane is one part).
enum class BuiltinSmoothing {
  Parts,  // one group per part: hard edges where parts meet
  None,   // group 0 everywhere: every face faceted
  All,    // group 1 everywhere
};

// A built-in mesh. Z is up, as in the host: the plane lies in XY, the box and the cylinder
// stand on z = 0, the sphere and the torus are centred on the origin.
struct BuiltinMeshOptions {
  BuiltinShape shape = BuiltinShape::Box;
  float width = 1.0f;    // plane, box (x)
  float length = 1.0f;   // plane, box (y)
  float height = 1.0f;   // box, cylinder (z)
  float radius = 0.5f;   // cylinder, sphere; torus: ring radius
  float radius2 = 0.2f;  // torus: tube radius
  int widthSegments = 1, lengthSegments = 1, heightSegments = 1;
  int sides = 24;     // cylinder: around; torus: around the tube
  int segments = 32;  // sphere: around (half as many rings); torus: around the ring
  bool caps = true;   // cylinder
  BuiltinSmoothing smoothing = BuiltinSmoothing::Parts;
  int materialId = 0;  // one-based ID for every face; 0 gives each part its own (1, 2, ...)
};

// Built with UVs: each part has its own region of the unit square.
PolyMeshData MakeBuiltinMesh(const BuiltinMeshOptions& options);
