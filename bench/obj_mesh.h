#pragma once
#include <string>

class PolyObject;

// Reads the vertices and faces of a Wavefront OBJ file into a new polygon object, its edge
// table filled in; everything else in the file is ignored. Null, with `error` saying why,
// when the file cannot be read or a vertex or face line is malformed or names a vertex the
// file does not hold.
PolyObject* ReadObjMesh(const std::string& path, std::string& error);
