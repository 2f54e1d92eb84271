#include "mesh/builtin_meshes.h"

#include <array>
#include <cmath>
#include <map>
#include <numbers>

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;

// Adds faces with their part's smoothing group and material ID, and their UVs.
class MeshBuilder {
 public:
  explicit MeshBuilder(const BuiltinMeshOptions& options) : options(options) {}

  int Vertex(const Point3& p) {
    mesh.vertices.push_back(p);
    return int(mesh.vertices.size()) - 1;
  }
  int UV(float u, float v) {
    mesh.uvs.push_back(Point3(u, v, 0.0f));
    return int(mesh.uvs.size()) - 1;
  }
  void Face(const std::vector<int>& verts, const std::vector<int>& uvs, int part) {
    DWORD group = 0;
    switch (options.smoothing) {
      case BuiltinSmoothing::Parts:
        group = DWORD(1) << (part % 32);
        break;
      case BuiltinSmoothing::None:
        group = 0;
        break;
      case BuiltinSmoothing::All:
        group = 1;
        break;
    }
    int id = options.materialId > 0 ? options.materialId : part + 1;
    mesh.AddFace(verts, group, MtlID(id - 1));
    mesh.uvCorners.insert(mesh.uvCorners.end(), uvs.begin(), uvs.end());
  }
  PolyMeshData Take() { return std::move(mesh); }

 private:
  const BuiltinMeshOptions& options;
  PolyMeshData mesh;
};

// Where part i of `count` lies in UV space: a grid of cells with a margin, so bakes of
// neighbouring parts do not touch.
struct UVCell {
  float u0, v0, du, dv;
  UVCell(int i, int columns, int rows) {
    const float margin = 0.02f;
    du = 1.0f / float(columns) - 2 * margin;
    dv = 1.0f / float(rows) - 2 * margin;
    u0 = float(i % columns) / float(columns) + margin;
    v0 = float(i / columns) / float(rows) + margin;
  }
  float U(float s) const { return u0 + s * du; }
  float V(float t) const { return v0 + t * dv; }
};

PolyMeshData Plane(const BuiltinMeshOptions& o) {
  MeshBuilder b(o);
  const int nx = o.widthSegments, ny = o.lengthSegments;
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) {
      float s = float(i) / float(nx), t = float(j) / float(ny);
      b.Vertex(Point3((s - 0.5f) * o.width, (t - 0.5f) * o.length, 0.0f));
      b.UV(s, t);
    }
  auto at = [&](int i, int j) { return j * (nx + 1) + i; };
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      std::vector<int> q{at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
      b.Face(q, q, 0);
    }
  return b.Take();
}

PolyMeshData Box(const BuiltinMeshOptions& o) {
  MeshBuilder b(o);
  const std::array<int, 3> segs{o.widthSegments, o.lengthSegments, o.heightSegments};
  const std::array<float, 3> size{o.width, o.length, o.height};
  // Sides share lattice points, so the box is closed without welding.
  std::map<std::array<int, 3>, int> lattice;
  auto vertex = [&](std::array<int, 3> at) {
    auto [it, added] = lattice.emplace(at, 0);
    if (added) {
      Point3 p(size[0] * (float(at[0]) / float(segs[0]) - 0.5f),
               size[1] * (float(at[1]) / float(segs[1]) - 0.5f),
               size[2] * float(at[2]) / float(segs[2]));
      it->second = b.Vertex(p);
    }
    return it->second;
  };
  // Each side: origin, the lattice axes it steps along (u then v, facing u x v).
  struct Side {
    std::array<int, 3> origin;
    int u, v;
    int du, dv;  // +1 or -1 along each axis
  };
  const int X = 0, Y = 1, Z = 2;
  const Side sides[6] = {
      {{0, 0, 0}, Y, X, 1, 1},               // bottom, facing -z
      {{0, 0, segs[Z]}, X, Y, 1, 1},         // top, +z
      {{0, 0, 0}, X, Z, 1, 1},               // front, -y
      {{segs[X], 0, 0}, Y, Z, 1, 1},         // right, +x
      {{segs[X], segs[Y], 0}, X, Z, -1, 1},  // back, +y
      {{0, segs[Y], 0}, Y, Z, -1, 1},        // left, -x
  };
  for (int s = 0; s < 6; ++s) {
    const Side& side = sides[s];
    const UVCell cell(s, 3, 2);
    const int nu = segs[size_t(side.u)], nv = segs[size_t(side.v)];
    std::vector<int> uv((size_t(nu) + 1) * size_t(nv + 1));
    for (int j = 0; j <= nv; ++j)
      for (int i = 0; i <= nu; ++i)
        uv[size_t(j * (nu + 1) + i)] =
            b.UV(cell.U(float(i) / float(nu)), cell.V(float(j) / float(nv)));
    auto corner = [&](int i, int j) {
      std::array<int, 3> at = side.origin;
      at[size_t(side.u)] += side.du * i;
      at[size_t(side.v)] += side.dv * j;
      return vertex(at);
    };
    for (int j = 0; j < nv; ++j)
      for (int i = 0; i < nu; ++i) {
        std::vector<int> q{corner(i, j), corner(i + 1, j), corner(i + 1, j + 1), corner(i, j + 1)};
        std::vector<int> t{uv[size_t(j * (nu + 1) + i)], uv[size_t(j * (nu + 1) + i + 1)],
                           uv[size_t((j + 1) * (nu + 1) + i + 1)],
                           uv[size_t((j + 1) * (nu + 1) + i)]};
        b.Face(q, t, s);
      }
  }
  return b.Take();
}

PolyMeshData Cylinder(const BuiltinMeshOptions& o) {
  MeshBuilder b(o);
  const int n = o.sides, h = o.heightSegments;
  for (int k = 0; k <= h; ++k)
    for (int i = 0; i < n; ++i) {
      float a = kTwoPi * float(i) / float(n);
      b.Vertex(
          Point3(o.radius * std::cos(a), o.radius * std::sin(a), o.height * float(k) / float(h)));
    }
  auto at = [&](int i, int k) { return k * n + i % n; };
  // Side: part 0, the lower half of UV space, with a seam where i wraps.
  const UVCell sideCell(0, 1, 2);
  std::vector<int> uv((size_t(n) + 1) * size_t(h + 1));
  for (int k = 0; k <= h; ++k)
    for (int i = 0; i <= n; ++i)
      uv[size_t(k * (n + 1) + i)] =
          b.UV(sideCell.U(float(i) / float(n)), sideCell.V(float(k) / float(h)));
  for (int k = 0; k < h; ++k)
    for (int i = 0; i < n; ++i) {
      std::vector<int> q{at(i, k), at(i + 1, k), at(i + 1, k + 1), at(i, k + 1)};
      std::vector<int> t{uv[size_t(k * (n + 1) + i)], uv[size_t(k * (n + 1) + i + 1)],
                         uv[size_t((k + 1) * (n + 1) + i + 1)], uv[size_t((k + 1) * (n + 1) + i)]};
      b.Face(q, t, 0);
    }
  if (!o.caps) return b.Take();
  // Caps: one polygon each, parts 1 (bottom, facing -z) and 2 (top).
  for (int cap = 0; cap < 2; ++cap) {
    const UVCell cell(2 + cap, 2, 2);
    std::vector<int> q, t;
    for (int m = 0; m < n; ++m) {
      int i = cap == 0 ? (n - m) % n : m;
      float a = kTwoPi * float(i) / float(n);
      q.push_back(at(i, cap == 0 ? 0 : h));
      t.push_back(b.UV(cell.U(0.5f + 0.5f * std::cos(a)), cell.V(0.5f + 0.5f * std::sin(a))));
    }
    b.Face(q, t, 1 + cap);
  }
  return b.Take();
}

PolyMeshData Sphere(const BuiltinMeshOptions& o) {
  MeshBuilder b(o);
  const int n = o.segments, rings = o.segments / 2;
  // Poles are single vertices; ring k (1..rings-1) has n vertices.
  const int south = b.Vertex(Point3(0.0f, 0.0f, -o.radius));
  for (int k = 1; k < rings; ++k) {
    float polar = std::numbers::pi_v<float> * float(k) / float(rings);
    for (int i = 0; i < n; ++i) {
      float a = kTwoPi * float(i) / float(n);
      b.Vertex(Point3(o.radius * std::sin(polar) * std::cos(a),
                      o.radius * std::sin(polar) * std::sin(a), -o.radius * std::cos(polar)));
    }
  }
  const int north = b.Vertex(Point3(0.0f, 0.0f, o.radius));
  auto at = [&](int i, int k) {
    if (k == 0) return south;
    if (k == rings) return north;
    return 1 + (k - 1) * n + i % n;
  };
  auto uv = [&](float i, int k) { return b.UV(i / float(n), float(k) / float(rings)); };
  for (int k = 0; k < rings; ++k) {
    // The northern hemisphere is part 0, the southern part 1.
    const int part = 2 * k < rings ? 1 : 0;
    for (int i = 0; i < n; ++i) {
      if (k == 0)
        b.Face({south, at(i + 1, 1), at(i, 1)},
               {uv(float(i) + 0.5f, 0), uv(float(i + 1), 1), uv(float(i), 1)}, part);
      else if (k == rings - 1)
        b.Face({at(i, k), at(i + 1, k), north},
               {uv(float(i), k), uv(float(i + 1), k), uv(float(i) + 0.5f, rings)}, part);
      else
        b.Face({at(i, k), at(i + 1, k), at(i + 1, k + 1), at(i, k + 1)},
               {uv(float(i), k), uv(float(i + 1), k), uv(float(i + 1), k + 1), uv(float(i), k + 1)},
               part);
    }
  }
  return b.Take();
}

PolyMeshData Torus(const BuiltinMeshOptions& o) {
  MeshBuilder b(o);
  const int n = o.segments, m = o.sides;
  for (int i = 0; i < n; ++i) {
    float a = kTwoPi * float(i) / float(n);
    for (int j = 0; j < m; ++j) {
      float t = kTwoPi * float(j) / float(m);
      float r = o.radius + o.radius2 * std::cos(t);
      b.Vertex(Point3(r * std::cos(a), r * std::sin(a), o.radius2 * std::sin(t)));
    }
  }
  auto at = [&](int i, int j) { return (i % n) * m + j % m; };
  std::vector<int> uv((size_t(n) + 1) * size_t(m + 1));
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= m; ++j)
      uv[size_t(i * (m + 1) + j)] = b.UV(float(i) / float(n), float(j) / float(m));
  auto uvAt = [&](int i, int j) { return uv[size_t(i * (m + 1) + j)]; };
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < m; ++j) {
      // Faces turned away from the axis are part 0, those towards it part 1.
      float t = kTwoPi * (float(j) + 0.5f) / float(m);
      int part = std::cos(t) >= 0.0f ? 0 : 1;
      b.Face({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)},
             {uvAt(i, j), uvAt(i + 1, j), uvAt(i + 1, j + 1), uvAt(i, j + 1)}, part);
    }
  return b.Take();
}

}  // namespace

PolyMeshData MakeBuiltinMesh(const BuiltinMeshOptions& options) {
  switch (options.shape) {
    case BuiltinShape::Plane:
      return Plane(options);
    case BuiltinShape::Box:
      return Box(options);
    case BuiltinShape::Cylinder:
      return Cylinder(options);
    case BuiltinShape::Sphere:
      return Sphere(options);
    case BuiltinShape::Torus:
      return Torus(options);
  }
  return {};
}
