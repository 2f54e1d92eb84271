#include "mesh/auto_smooth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <unordered_map>

#include "common/progress_bar.h"

namespace {

// Slack for "at or below": a box's 90-degree edges must join at 90 even after rounding.
constexpr double kAngleSlackDegrees = 1e-3;
constexpr size_t kMaxPairedFaces = 8;

struct DisjointSets {
  std::vector<int> parent;
  explicit DisjointSets(int n) : parent(size_t(n)) { std::iota(parent.begin(), parent.end(), 0); }
  int Find(int i) {
    while (parent[size_t(i)] != i) i = parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
    return i;
  }
  void Join(int a, int b) {
    a = Find(a);
    b = Find(b);
    // The smaller index leads, so regions are numbered in face order.
    if (a != b) parent[size_t(std::max(a, b))] = std::min(a, b);
  }
};

double AngleDegrees(const Point3& a, const Point3& b) {
  double cx = double(a.y) * b.z - double(a.z) * b.y;
  double cy = double(a.z) * b.x - double(a.x) * b.z;
  double cz = double(a.x) * b.y - double(a.y) * b.x;
  double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
  return std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), dot) * 180.0 / std::numbers::pi;
}

}  // namespace

void AutoSmooth(PolyMeshData& mesh, float angleDegrees, ProgressBar* progress) {
  const int numFaces = mesh.NumFaces();
  // Four passes over the faces, a quarter of the bar each.
  auto show = [&](int pass, int f) {
    if (progress && (f & 0xFFFF) == 0) progress->Show((pass + double(f) / numFaces) / 4.0);
  };
  std::vector<Point3> normals(static_cast<size_t>(numFaces));
  std::vector<bool> usable(static_cast<size_t>(numFaces));
  for (int f = 0; f < numFaces; ++f) {
    show(0, f);
    Point3 n = FaceNormal(mesh, f);
    usable[size_t(f)] = n.Length() > 0.0f && std::isfinite(n.Length());
    normals[size_t(f)] = n.Normalize();
  }

  // The faces around each edge, keyed by its vertex pair.
  std::unordered_map<uint64_t, std::vector<int>> edgeFaces;
  for (int f = 0; f < numFaces; ++f) {
    show(1, f);
    const int n = mesh.FaceSize(f);
    for (int k = 0; k < n; ++k) {
      uint32_t a = uint32_t(mesh.Corner(f, k)), b = uint32_t(mesh.Corner(f, (k + 1) % n));
      if (a > b) std::swap(a, b);
      edgeFaces[(uint64_t(a) << 32) | b].push_back(f);
    }
  }

  DisjointSets regions(numFaces);
  std::vector<std::pair<int, int>> sharp;
  if (progress) progress->Show(0.5);
  for (const auto& [key, faces] : edgeFaces)
    for (size_t i = 0; i < faces.size(); ++i)
      // Every pair around an edge, except on a fan of many faces (a broken file), where
      // neighbours in the list stand for all.
      for (size_t j = i + 1;
           j < (faces.size() > kMaxPairedFaces ? std::min(i + 2, faces.size()) : faces.size());
           ++j) {
        int f = faces[i], g = faces[j];
        bool smooth = usable[size_t(f)] && usable[size_t(g)] &&
                      AngleDegrees(normals[size_t(f)], normals[size_t(g)]) <=
                          double(angleDegrees) + kAngleSlackDegrees;
        if (smooth)
          regions.Join(f, g);
        else
          sharp.emplace_back(f, g);
      }

  // Regions that meet at a sharp edge, by region leader.
  std::unordered_map<int, std::vector<int>> neighbours;
  for (auto [f, g] : sharp) {
    int a = regions.Find(f), b = regions.Find(g);
    if (a == b) continue;
    neighbours[a].push_back(b);
    neighbours[b].push_back(a);
  }

  std::vector<int> bit(size_t(numFaces), -1);
  for (int f = 0; f < numFaces; ++f) {
    show(3, f);
    int leader = regions.Find(f);
    if (bit[size_t(leader)] < 0) {
      int uses[32] = {};
      auto it = neighbours.find(leader);
      if (it != neighbours.end())
        for (int other : it->second)
          if (bit[size_t(other)] >= 0) ++uses[bit[size_t(other)]];
      // The first free group; with all 32 taken, the one fewest neighbours share.
      bit[size_t(leader)] = int(std::min_element(uses, uses + 32) - uses);
    }
    mesh.smoothingGroups[size_t(f)] = DWORD(1) << bit[size_t(leader)];
  }
  if (progress) progress->Finish();
}
