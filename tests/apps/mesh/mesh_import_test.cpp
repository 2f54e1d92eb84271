// Mesh files: what a readable one becomes, and one clear complaint for each that is not.
#include <gtest/gtest.h>

#include <set>

#include "common/input_error.h"
#include "mesh/mesh_import.h"
#include "support/app_test_support.h"

namespace {

// Two quads folded at 90 degrees along x = 1, written as an exporter writes a UV seam: each
// quad with vertices of its own. Two materials, one per quad.
const char* kFoldObj =
    "mtllib fold.mtl\no fold\n"
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 1 0 0\nv 1 0 1\nv 1 1 1\nv 1 1 0\n"
    "vt 0 0\nvt 0.5 0\nvt 0.5 1\nvt 0 1\nvt 0.5 0\nvt 1 0\nvt 1 1\nvt 0.5 1\n"
    "usemtl red\nf 1/1 2/2 3/3 4/4\nusemtl blue\nf 5/5 6/6 7/7 8/8\n";

const char* kFoldMtl = "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\n";

TEST(MeshImport, KeepsPolygonsWeldsSeamsAndCarriesMaterialsAndUVs) {
  TempFolder folder;
  folder.Write("fold.mtl", kFoldMtl);
  std::string path = folder.Write("fold.obj", kFoldObj);
  std::vector<ImportedNode> nodes = ImportMeshFile(path, 30.0f);
  ASSERT_EQ(nodes.size(), 1u);
  const PolyMeshData& mesh = nodes[0].mesh;
  ASSERT_EQ(mesh.NumFaces(), 2);
  // Not triangulated, and the seam's two vertex pairs welded.
  EXPECT_TRUE(mesh.FaceSize(0) == 4 && mesh.vertices.size() == 6u);
  std::set<int> first(mesh.corners.begin(), mesh.corners.begin() + 4);
  int shared = 0;
  for (int k = 0; k < 4; ++k) shared += first.count(mesh.Corner(1, k));
  EXPECT_EQ(shared, 2) << "the quads share an edge: it is not open";
  EXPECT_NE(mesh.materials[0], mesh.materials[1]);
  EXPECT_EQ(mesh.smoothingGroups[0] & mesh.smoothingGroups[1], 0u) << "90 degrees is sharp at 30";
  ASSERT_TRUE(mesh.HasUVs());
  EXPECT_EQ(mesh.uvs[size_t(mesh.uvCorners[5])].x, 1.0f) << "UVs stay per corner across the weld";

  PolyMeshData merged = ImportMergedMesh(path, 95.0f);
  EXPECT_EQ(merged.smoothingGroups[0], merged.smoothingGroups[1]) << "90 degrees is smooth at 95";
}

TEST(MeshImport, UnreadableFilesAreInputErrors) {
  TempFolder folder;
  const char bytes[] = "\x00\x01\x02 not a mesh";
  std::string garbage = folder.Write("garbage.obj", std::string(bytes, sizeof(bytes) - 1));
  std::string pointsOnly = folder.Write("points.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n");
  std::string nonFinite = folder.Write("nan.obj", "v 0 0 nan\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  for (const std::string& path : {folder.Path("missing.obj"), garbage, pointsOnly, nonFinite}) {
    try {
      ImportMeshFile(path, 30.0f);
      ADD_FAILURE() << path << " was accepted";
    } catch (const InputError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
}

}  // namespace
