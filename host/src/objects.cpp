#include <algorithm>
#include <array>
#include <map>
#include "boxobj.h"
#include "polyobj.h"
#include "triobj.h"

Class_ID triObjectClassID(TRIOBJ_CLASS_ID, 0);
Class_ID polyObjectClassID(POLYOBJ_CLASS_ID, 0);

TriObject* CreateNewTriObject() {
  return new TriObject;
}
PolyObject* CreateEditablePolyObject() {
  return new PolyObject;
}

int TriObject::CanConvertToType(Class_ID obtype) {
  return obtype == triObjectClassID || obtype == polyObjectClassID;
}

Object* TriObject::ConvertToType(TimeValue, Class_ID obtype) {
  if (obtype == triObjectClassID) return this;
  if (obtype != polyObjectClassID) return nullptr;
  PolyObject* poly = CreateEditablePolyObject();
  poly->mm.SetFromTri(mesh);
  return poly;
}

int PolyObject::CanConvertToType(Class_ID obtype) {
  return obtype == triObjectClassID || obtype == polyObjectClassID;
}

Object* PolyObject::ConvertToType(TimeValue, Class_ID obtype) {
  if (obtype == polyObjectClassID) return this;
  if (obtype != triObjectClassID) return nullptr;
  TriObject* tri = CreateNewTriObject();
  mm.OutToTri(tri->mesh);
  return tri;
}

int BoxObject::CanConvertToType(Class_ID obtype) {
  return obtype == triObjectClassID || obtype == polyObjectClassID;
}

Object* BoxObject::ConvertToType(TimeValue, Class_ID obtype) {
  if (obtype == polyObjectClassID) {
    PolyObject* poly = CreateEditablePolyObject();
    BuildPolyMesh(poly->mm);
    return poly;
  }
  if (obtype == triObjectClassID) {
    TriObject* tri = CreateNewTriObject();
    MNMesh mm;
    BuildPolyMesh(mm);
    mm.OutToTri(tri->mesh);
    return tri;
  }
  return nullptr;
}

namespace {
// The box's vertices lie on an integer lattice (i, j, k) over its segments; sides share
// lattice points, so the box comes out closed without welding by position.
struct Lattice {
  int sw, sl, sh;
  float width, length, height;
  std::map<std::array<int, 3>, int> index;
  int Vertex(MNMesh& mm, std::array<int, 3> at) {
    auto it = index.find(at);
    if (it != index.end()) return it->second;
    Point3 p(-width / 2 + width * float(at[0]) / float(sw),
             -length / 2 + length * float(at[1]) / float(sl), height * float(at[2]) / float(sh));
    int v = mm.NewVert(p);
    index.emplace(at, v);
    return v;
  }
};

// One side: a grid of quads from lattice point o along lattice steps u (n times) and v
// (m times), facing u x v.
void AddSide(MNMesh& mm, Lattice& lat, std::array<int, 3> o, std::array<int, 3> u, int n,
             std::array<int, 3> v, int m, int side) {
  auto at = [&](int a, int b) {
    return lat.Vertex(
        mm, {o[0] + a * u[0] + b * v[0], o[1] + a * u[1] + b * v[1], o[2] + a * u[2] + b * v[2]});
  };
  for (int b = 0; b < m; ++b) {
    for (int a = 0; a < n; ++a) {
      int quad[4] = {at(a, b), at(a + 1, b), at(a + 1, b + 1), at(a, b + 1)};
      int fi = mm.NewFace(-1, 4, quad);
      mm.F(fi)->smGroup = DWORD(1) << side;
      mm.F(fi)->material = MtlID(side);
    }
  }
}
}  // namespace

void BoxObject::BuildPolyMesh(MNMesh& mm) const {
  // Base centred on the origin, rising along +Z, as the host's box does.
  auto segs = [](int n) { return std::clamp(n, 1, int(kMaxSegments)); };
  int sw = segs(widthSegs), sl = segs(lengthSegs), sh = segs(heightSegs);
  Lattice lat{sw, sl, sh, width, length, height, {}};
  mm.ClearAndFree();
  AddSide(mm, lat, {0, 0, 0}, {0, 1, 0}, sl, {1, 0, 0}, sw, 0);     // bottom, facing -Z
  AddSide(mm, lat, {0, 0, sh}, {1, 0, 0}, sw, {0, 1, 0}, sl, 1);    // top
  AddSide(mm, lat, {0, 0, 0}, {1, 0, 0}, sw, {0, 0, 1}, sh, 2);     // front, facing -Y
  AddSide(mm, lat, {sw, 0, 0}, {0, 1, 0}, sl, {0, 0, 1}, sh, 3);    // right
  AddSide(mm, lat, {sw, sl, 0}, {-1, 0, 0}, sw, {0, 0, 1}, sh, 4);  // back
  AddSide(mm, lat, {0, sl, 0}, {0, -1, 0}, sl, {0, 0, 1}, sh, 5);   // left
  mm.FillInMesh();
}
