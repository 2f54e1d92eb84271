#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "matrix3.h"
#include "mesh/poly_mesh_data.h"

// One node of a mesh file: its meshes welded into one polygon mesh, in the node's own space.
struct ImportedNode {
  std::string name;  // the file's node name, made unique and free of white space
  PolyMeshData mesh;
  Matrix3 transform;  // node space to the file's root space
};

// Reads any format the importer knows, keeping polygons as polygons. Vertices are welded by
// position, so UV and normal seams do not become open edges; smoothing groups come from
// AutoSmooth at smoothAngle; material IDs are the file's material index + 1 as the user sees
// them. UVs are kept when every mesh of a node has them. Throws InputError naming the file
// when it cannot be read or holds no polygon. Shows reading, welding and smoothing on
// progressTo when given. Smoothing runs on `threads` threads (0: every core), with the same
// result for any count.
std::vector<ImportedNode> ImportMeshFile(const std::string& path, float smoothAngle,
                                         std::ostream* progressTo = nullptr, int threads = 0);

// The whole file as one mesh in its root space.
PolyMeshData ImportMergedMesh(const std::string& path, float smoothAngle,
                              std::ostream* progressTo = nullptr, int threads = 0);
