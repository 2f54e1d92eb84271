#pragma once
#include "mesh/poly_mesh_data.h"
#include "object.h"
#include "scene/scene_description.h"

// A new host object for a mesh, owned by whoever it is given to (a scene node). An editable
// poly keeps the polygons, with selected edges flagged; a triangle object holds them
// triangulated as TriangulatePolygon does it, diagonals invisible and selection on the
// polygon edges. Material IDs, smoothing groups and selections go along; UVs stay with us.
Object* MakeHostObject(const PolyMeshData& mesh, ObjectKind kind);

// The polygons of a node's evaluated object (an editable poly, a triangle object or anything
// that converts to one), for drawing and baking a node the program did not build itself.
// Without UVs. Throws InputError when the object has no faces.
PolyMeshData MeshFromHostObject(Object* object, const std::string& what);
