// Mesh file headers are checked against the file's size before the importer believes them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "common/input_error.h"
#include "mesh/mesh_import.h"
#include "support/app_test_support.h"

namespace {

std::string Le32(uint32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[size_t(i)] = char(v >> (8 * i));
  return b;
}

std::string Floats(std::initializer_list<float> values) {
  std::string b;
  for (float f : values) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    b += Le32(u);
  }
  return b;
}

const char* kPlyHeader =
    "ply\nformat %s 1.0\nelement vertex %s\nproperty float x\nproperty float y\n"
    "property float z\nelement face %s\nproperty list uchar int vertex_indices\nend_header\n";

std::string PlyHeader(const char* format, const char* vertices, const char* faces) {
  char text[512];
  std::snprintf(text, sizeof text, kPlyHeader, format, vertices, faces);
  return text;
}

// A triangle, binary: three vertices, one face.
std::string BinaryPlyBody() {
  return Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}) + std::string(1, '\3') + Le32(0) + Le32(1) + Le32(2);
}

std::string BinaryStl(uint32_t claimed) {
  return std::string(80, ' ') + Le32(claimed) + Floats({0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0}) +
         std::string(2, '\0');
}

TEST(MeshFileClaims, HeadersThatPromiseMoreThanTheFileHoldsAreRefused) {
  TempFolder folder;
  struct Case {
    std::string name, bytes, claim;
  } cases[] = {
      {"ascii.ply", PlyHeader("ascii", "3", "10000000") + "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n",
       "claims 10000000 face elements"},
      {"binary.ply", PlyHeader("binary_little_endian", "1000000000", "1") + BinaryPlyBody(),
       "claims 1000000000 vertex elements, which need at least 12000000000 bytes"},
      {"huge.ply", PlyHeader("binary_little_endian", "99999999999999999999999", "1"),
       "claims 18446744073709551615 vertex elements"},
      {"lie.off", "OFF\n# a comment\n1000000000 1 0\n0 0 0\n", "claims 1000000000 vertices"},
      {"lie.stl", BinaryStl(100000000), "claims 100000000 triangles"},
      {"lie.glb", "glTF" + Le32(2) + Le32(1u << 30) + std::string(20, ' '),
       "claims 1073741824 bytes, but the file holds 32"},
  };
  for (const Case& c : cases) {
    const std::string path = folder.Write(c.name, c.bytes);
    try {
      ImportMeshFile(path, 30.0f);
      ADD_FAILURE() << c.name << " was accepted";
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(path + ": the header ", 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.claim), std::string::npos) << e.what();
    }
  }
}

TEST(MeshFileClaims, HonestFilesStillLoad) {
  TempFolder folder;
  const std::pair<std::string, std::string> files[] = {
      {"ascii.ply", PlyHeader("ascii", "3", "1") + "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"},
      {"binary.ply", PlyHeader("binary_little_endian", "3", "1") + BinaryPlyBody()},
      {"tri.off", "OFF 3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"},
      {"tri.stl", BinaryStl(1)},
  };
  for (const auto& [name, bytes] : files) {
    std::vector<ImportedNode> nodes = ImportMeshFile(folder.Write(name, bytes), 30.0f);
    ASSERT_EQ(nodes.size(), 1u) << name;
    EXPECT_EQ(nodes[0].mesh.NumFaces(), 1) << name;
  }
}

}  // namespace
