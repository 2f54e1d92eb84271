#include "test_meshes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

#include "edge_extraction.h"

PolyObject* MakePlane(int nx, int ny, float size, Point3 corner) {
  PolyObject* poly = CreateEditablePolyObject();
  MNMesh& mm = poly->GetMesh();
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i)
      mm.NewVert(corner + Point3(float(i) * size, float(j) * size, 0.0f));
  for (int j = 0; j < ny; ++j)
    for (int a = j * (nx + 1); a < j * (nx + 1) + nx; ++a)
      mm.F(mm.NewFace(-1, 4, std::array{a, a + 1, a + nx + 2, a + nx + 1}.data()))->smGroup = 1;
  mm.FillInMesh();
  return poly;
}

PolyObject* MakeBoxPoly(int segments) {
  BoxObject* box = new BoxObject;
  box->widthSegs = box->lengthSegs = box->heightSegs = segments;
  Object* poly = box->ConvertToType(0, polyObjectClassID);
  box->DeleteThis();
  return static_cast<PolyObject*>(poly);
}

TriObject* Triangulate(const PolyObject& poly) {
  TriObject* tri = CreateNewTriObject();
  poly.mm.OutToTri(tri->GetMesh());
  return tri;
}

PolyObject* PolyFrom(const std::vector<Point3>& points,
                     std::initializer_list<std::vector<int>> faces) {
  PolyObject* poly = CreateEditablePolyObject();
  MNMesh& mm = poly->GetMesh();
  for (const Point3& p : points) mm.NewVert(p);
  for (const std::vector<int>& loop : faces) mm.NewFace(-1, int(loop.size()), loop.data());
  mm.FillInMesh();
  return poly;
}

PolyObject* MakeLPrism() {
  const float xy[6][2] = {{0.3f, 0.3f}, {0.3f, 2.0f}, {0.0f, 2.0f},
                          {0.0f, 0.0f}, {2.0f, 0.0f}, {2.0f, 0.3f}};
  PolyObject* poly = CreateEditablePolyObject();
  MNMesh& mm = poly->GetMesh();
  for (float z : {0.0f, 1.0f})
    for (const auto& c : xy) mm.NewVert(Point3(c[0], c[1], z));
  // Counter-clockwise seen from outside: the bottom cap reversed, each side from its bottom up.
  mm.NewFace(-1, 6, std::array{0, 5, 4, 3, 2, 1}.data());
  mm.NewFace(-1, 6, std::array{6, 7, 8, 9, 10, 11}.data());
  for (int k = 0; k < 6; ++k)
    mm.NewFace(-1, 4, std::array{k, (k + 1) % 6, (k + 1) % 6 + 6, k + 6}.data());
  mm.FillInMesh();
  return poly;
}

PolyObject* MakeHinge(const Point3& w) {
  return PolyFrom({{0, 0, 0}, {1, 0, 0}, {1, -1, 0}, {0, -1, 0}, w, Point3(1, 0, 0) + w},
                  {{0, 3, 2, 1}, {0, 1, 5, 4}});
}

PolyObject* MakeUvSphere(int stacks, float radius) {
  const int slices = 2 * stacks;
  const double pi = std::numbers::pi;
  PolyObject* poly = CreateEditablePolyObject();
  MNMesh& mm = poly->GetMesh();
  const int north = mm.NewVert(Point3(0.0f, 0.0f, radius));
  for (int s = 1; s < stacks; ++s) {
    const double polar = pi * s / stacks;
    for (int k = 0; k < slices; ++k) {
      const double az = 2.0 * pi * k / slices;
      mm.NewVert(Point3(radius * std::sin(polar) * std::cos(az),
                        radius * std::sin(polar) * std::sin(az), radius * std::cos(polar)));
    }
  }
  const int south = mm.NewVert(Point3(0.0f, 0.0f, -radius));
  auto ring = [&](int s, int k) { return 1 + (s - 1) * slices + k % slices; };
  for (int k = 0; k < slices; ++k)
    mm.NewFace(-1, 3, std::array{north, ring(1, k), ring(1, k + 1)}.data());
  for (int s = 1; s + 1 < stacks; ++s)
    for (int k = 0; k < slices; ++k)
      mm.NewFace(-1, 4,
                 std::array{ring(s, k), ring(s + 1, k), ring(s + 1, k + 1), ring(s, k + 1)}.data());
  for (int k = 0; k < slices; ++k)
    mm.NewFace(-1, 3, std::array{south, ring(stacks - 1, k + 1), ring(stacks - 1, k)}.data());
  mm.FillInMesh();
  return poly;
}

PolyObject* MakeCylinder(int bands, float height, bool caps) {
  const int sides = 64;
  const double pi = std::numbers::pi;
  PolyObject* poly = CreateEditablePolyObject();
  MNMesh& mm = poly->GetMesh();
  for (int b = 0; b <= bands; ++b)
    for (int k = 0; k < sides; ++k)
      mm.NewVert(Point3(std::cos(2.0 * pi * k / sides), std::sin(2.0 * pi * k / sides),
                        double(height) * b / bands));
  auto at = [&](int b, int k) { return b * sides + k % sides; };
  for (int b = 0; b < bands; ++b)
    for (int k = 0; k < sides; ++k)
      mm.NewFace(-1, 4, std::array{at(b, k), at(b, k + 1), at(b + 1, k + 1), at(b + 1, k)}.data());
  if (caps) {
    std::vector<int> cap(sides);
    for (int k = 0; k < sides; ++k) cap[size_t(k)] = at(0, sides - k);
    mm.NewFace(-1, sides, cap.data());
    for (int k = 0; k < sides; ++k) cap[size_t(k)] = at(bands, k);
    mm.NewFace(-1, sides, cap.data());
  }
  mm.FillInMesh();
  return poly;
}

PolyObject* MakeRandomPoly(uint32_t seed, int nx, int ny) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
  std::uniform_int_distribution<int> pick(0, 99);
  PolyObject* poly = CreateEditablePolyObject();
  MNMesh& mm = poly->GetMesh();
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i)
      mm.NewVert(Point3(float(i) + jitter(rng), float(j) + jitter(rng), 2.0f * jitter(rng)));
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      int a = j * (nx + 1) + i, b = a + 1, c = a + nx + 2, d = a + nx + 1;
      int kind = pick(rng);
      if (kind < 10) continue;  // a hole: open edges inside the field
      std::vector<std::vector<int>> faces;
      if (kind < 50) {
        faces = {{a, b, c, d}};
      } else if (kind < 80) {
        faces = {{a, b, c}, {a, c, d}};
      } else {
        // A pentagon: the quad with an extra vertex on its lower edge.
        int mid = mm.NewVert((mm.P(a) + mm.P(b)) * 0.5f + Point3(0.0f, 0.0f, jitter(rng)));
        faces = {{a, mid, b, c, d}};
      }
      for (auto& f : faces) {
        int fi = mm.NewFace(-1, int(f.size()), f.data());
        mm.F(fi)->smGroup = DWORD(1) << (pick(rng) % 4);
        mm.F(fi)->material = MtlID(pick(rng) % 3);
      }
    }
  }
  mm.FillInMesh();
  for (int e = 0; e < mm.ENum(); ++e)
    if (pick(rng) < 30) mm.E(e)->SetFlag(MN_SEL);
  return poly;
}

NodeEdgeCache BuildRecord(ULONG handle, const EdgeParameters& params) {
  NodeEdgeCache record;
  BuildNodeEdgeCache(record, handle, params, 0);
  return record;
}

NodeEdgeCache RecordFromSegments(const std::vector<EdgeSegment>& segments, float distance,
                                 int cMult) {
  NodeEdgeCache r;
  r.distance = distance;
  r.cMult = cMult;
  r.segments = segments;
  double sum = 0.0;
  r.boundsMin = r.boundsMax = segments.at(0).start;
  for (const EdgeSegment& s : segments) {
    sum += Length(s.end - s.start);
    for (const Point3& p : {s.start, s.end})
      for (int i = 0; i < 3; ++i) {
        r.boundsMin[i] = std::min(r.boundsMin[i], p[i]);
        r.boundsMax[i] = std::max(r.boundsMax[i], p[i]);
      }
  }
  r.cellSize = float(sum / double(segments.size()) * cMult);
  BuildRecordSearch(r);
  return r;
}
