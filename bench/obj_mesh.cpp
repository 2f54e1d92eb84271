#include "obj_mesh.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "polyobj.h"

namespace {

// A face corner "v", "v/vt", "v//vn" or "v/vt/vn": the vertex index, one-based, or negative
// counting back from the last vertex read. Returns -1 unless it names one of `count`.
int VertexIndex(const char* text, char** end, int count) {
  errno = 0;
  const long index = std::strtol(text, end, 10);
  if (*end == text || errno != 0) return -1;
  while (**end != '\0' && **end != ' ' && **end != '\t' && **end != '\r') ++*end;
  const long zeroBased = index > 0 ? index - 1 : count + index;
  return zeroBased >= 0 && zeroBased < count ? int(zeroBased) : -1;
}

}  // namespace

PolyObject* ReadObjMesh(const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot open " + path;
    return nullptr;
  }
  std::vector<Point3> vertices;
  std::vector<std::vector<int>> faces;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    auto fail = [&](const char* what) {
      error = path + ":" + std::to_string(number) + ": " + what;
      return nullptr;
    };
    const char* at = line.c_str();
    if (line.rfind("v ", 0) == 0) {
      char* end = nullptr;
      float xyz[3];
      at += 2;
      for (float& value : xyz) {
        value = std::strtof(at, &end);
        if (end == at || !std::isfinite(value)) return fail("a vertex needs three finite numbers");
        at = end;
      }
      vertices.emplace_back(xyz[0], xyz[1], xyz[2]);
    } else if (line.rfind("f ", 0) == 0) {
      std::vector<int> corners;
      at += 2;
      for (;;) {
        while (*at == ' ' || *at == '\t' || *at == '\r') ++at;
        if (*at == '\0') break;
        char* end = nullptr;
        const int index = VertexIndex(at, &end, int(vertices.size()));
        if (index < 0) return fail("a face names a vertex the file does not hold");
        corners.push_back(index);
        at = end;
      }
      if (corners.size() < 3) return fail("a face needs three corners");
      faces.push_back(std::move(corners));
    }
  }
  if (faces.empty()) {
    error = path + ": no faces";
    return nullptr;
  }
  PolyObject* object = CreateEditablePolyObject();
  MNMesh& mm = object->GetMesh();
  for (const Point3& p : vertices) mm.NewVert(p);
  for (const std::vector<int>& face : faces) mm.NewFace(-1, int(face.size()), face.data());
  mm.FillInMesh();
  return object;
}
