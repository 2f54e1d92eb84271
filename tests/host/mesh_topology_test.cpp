// The meshes' edge tables, which the edge extraction reads, against plain constructions.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "max.h"
#include "mnmesh.h"

namespace {

// The edge table built the plain way: for each face side, look through every edge at its
// first vertex for one with the same ends, a free side and another face.
struct PlainAdjacency {
  std::vector<MEdge> edges;
  std::vector<std::vector<DWORD>> lists;

  explicit PlainAdjacency(const Mesh& mesh) : lists(size_t(mesh.numVerts)) {
    for (int fi = 0; fi < mesh.numFaces; ++fi) {
      const Face& face = mesh.faces[fi];
      if (face.v[0] >= DWORD(mesh.numVerts) || face.v[1] >= DWORD(mesh.numVerts) ||
          face.v[2] >= DWORD(mesh.numVerts))
        continue;
      for (int j = 0; j < 3; ++j) Add(face.v[j], face.v[(j + 1) % 3], DWORD(fi));
    }
  }

  void Add(DWORD v0, DWORD v1, DWORD face) {
    for (DWORD index : lists[v0]) {
      MEdge& e = edges[index];
      bool same = (e.v[0] == v0 && e.v[1] == v1) || (e.v[0] == v1 && e.v[1] == v0);
      if (same && e.f[1] == UNDEFINED && e.f[0] != face) {
        e.f[1] = face;
        return;
      }
    }
    MEdge e;
    e.f[0] = face;
    e.f[1] = UNDEFINED;
    e.v[0] = v0;
    e.v[1] = v1;
    edges.push_back(e);
    lists[v0].push_back(DWORD(edges.size() - 1));
    if (v1 != v0) lists[v1].push_back(DWORD(edges.size() - 1));
  }
};

}  // namespace

// Random faces over few vertices: shared edges, three or more faces on one edge, faces
// repeating a vertex, faces naming both orders of an edge, and out-of-range vertices.
TEST(MeshTopology, EdgeTableMatchesThePlainConstructionOnTangledMeshes) {
  uint32_t state = 12345;
  auto next = [&](uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  for (int round = 0; round < 40; ++round) {
    Mesh mesh;
    const int verts = 3 + int(next(12));
    mesh.setNumVerts(verts);
    mesh.setNumFaces(1 + int(next(60)));
    for (int f = 0; f < mesh.numFaces; ++f)
      mesh.faces[f].setVerts(int(next(DWORD(verts) + 1)), int(next(DWORD(verts))),
                             int(next(DWORD(verts))));
    const PlainAdjacency plain(mesh);
    const AdjEdgeList adj(mesh);
    ASSERT_EQ(size_t(adj.edges.Count()), plain.edges.size());
    for (size_t i = 0; i < plain.edges.size(); ++i) {
      const MEdge &a = adj.edges[INT_PTR(i)], &b = plain.edges[i];
      EXPECT_TRUE(a.v[0] == b.v[0] && a.v[1] == b.v[1] && a.f[0] == b.f[0] && a.f[1] == b.f[1])
          << "round " << round << ", edge " << i;
    }
    for (int v = 0; v < verts; ++v)
      EXPECT_EQ(std::vector<DWORD>(adj.list[v].begin(), adj.list[v].end()), plain.lists[size_t(v)])
          << "round " << round << ", vertex " << v;
  }
}

// The polygon mesh's edges against a walk over the faces that keeps one open edge per vertex
// pair: a second face joins it, a third (or the same face again) opens a new one. Random faces
// of one to five corners over few vertices (tangled), and over many (split among threads).
// The walk's own numbering, handed back, makes the same table (or, with a face of a missing
// vertex, is ignored).
TEST(MeshTopology, PolyEdgesMatchTheOpenEdgeWalk) {
  std::mt19937 random(7);
  for (int round = 0; round < 30; ++round) {
    const int verts = round % 10 == 9 ? 70000 : 3 + int(random() % 12);
    MNMesh mesh;
    for (int v = 0; v < verts; ++v) mesh.NewVert(Point3(v, 0, 0));
    // Odd rounds add their first half of faces at once, the rest one by one after them.
    const int faces = verts > 100 ? 3 * verts : 1 + int(random() % 60),
              atOnce = round % 2 * faces / 2;
    std::vector<int> starts{0}, corners;
    for (int f = 0; f < faces; ++f) {
      std::vector<int> loop(1 + random() % 5);
      const int base = verts > 100 ? int(random() % uint32_t(verts - 8)) : 0;
      for (int& v : loop) v = base + int(random() % uint32_t(verts > 100 ? 8 : verts + 1));
      corners.insert(corners.end(), loop.begin(), loop.end());
      starts.push_back(int(corners.size()));
      if (f >= atOnce) mesh.NewFace(-1, int(loop.size()), loop.data());
      if (f + 1 == atOnce)
        mesh.AppendFaces(atOnce, starts.data(), corners.data(),
                         std::vector<DWORD>(size_t(atOnce)).data(),
                         std::vector<MtlID>(size_t(atOnce)).data());
    }
    mesh.FillInMesh();
    for (int f = 0; f < faces; ++f)
      ASSERT_TRUE(std::equal(mesh.F(f)->vtx, mesh.F(f)->vtx + mesh.F(f)->deg,
                             corners.begin() + starts[size_t(f)],
                             corners.begin() + starts[size_t(f) + 1]))
          << "round " << round << ", face " << f;
    std::vector<MNEdge> edges;
    std::vector<int> cornerEdges;
    std::map<std::pair<int, int>, int> open;
    for (int f = 0; f < mesh.FNum(); ++f) {
      const MNFace& face = *mesh.F(f);
      if (std::any_of(face.vtx, face.vtx + face.deg, [&](int v) { return v >= verts; })) continue;
      for (int j = 0; j < face.deg; ++j) {
        const int a = face.vtx[j], b = face.vtx[(j + 1) % face.deg];
        const auto key = std::minmax(a, b);
        auto it = open.find(key);
        int e = it == open.end() ? -1 : it->second;
        if (e >= 0 && edges[size_t(e)].f1 != f) {
          edges[size_t(e)].f2 = f;
          open.erase(it);
        } else {
          edges.push_back(MNEdge{});
          edges.back().v1 = a, edges.back().v2 = b, edges.back().f1 = f;
          open[key] = e = int(edges.size()) - 1;
        }
        cornerEdges.push_back(edges[size_t(e)].f1 == f && edges[size_t(e)].f2 < 0 ? -1 - e : e);
        ASSERT_EQ(face.edg[j], e) << "round " << round << ", face " << f;
      }
    }
    MNMesh given(mesh);
    given.FillInMeshFromCornerEdges(cornerEdges.data(), cornerEdges.size());
    // Numberings of the right form but wrong: the last joiner on the first joiner's edge (joined
    // twice), and on an earlier edge never joined that runs elsewhere. Both are built afresh.
    std::vector<int> twice = cornerEdges, elsewhere = cornerEdges;
    const auto joiner =
        std::find_if(cornerEdges.begin(), cornerEdges.end(), [](int e) { return e >= 0; });
    const auto last =
        std::find_if(cornerEdges.rbegin(), cornerEdges.rend(), [](int e) { return e >= 0; });
    if (joiner != cornerEdges.end() && &*joiner != &*last) {
      twice[size_t(last.base() - cornerEdges.begin() - 1)] = *joiner;
      for (int e = 0; e < *last; ++e)
        if (edges[size_t(e)].f2 < 0 &&
            std::minmax(edges[size_t(e)].v1, edges[size_t(e)].v2) !=
                std::minmax(edges[size_t(*last)].v1, edges[size_t(*last)].v2))
          elsewhere[size_t(last.base() - cornerEdges.begin() - 1)] = e;
    }
    MNMesh joinedTwice(mesh), joinedElsewhere(mesh);
    joinedTwice.FillInMeshFromCornerEdges(twice.data(), twice.size());
    joinedElsewhere.FillInMeshFromCornerEdges(elsewhere.data(), elsewhere.size());
    for (const MNMesh* m : {&mesh, &given, &joinedTwice, &joinedElsewhere}) {
      ASSERT_EQ(size_t(m->ENum()), edges.size()) << "round " << round;
      for (size_t i = 0; i < edges.size(); ++i) {
        const MNEdge &a = *m->E(int(i)), &b = edges[i];
        EXPECT_TRUE(a.v1 == b.v1 && a.v2 == b.v2 && a.f1 == b.f1 && a.f2 == b.f2)
            << "round " << round << ", edge " << i;
      }
    }
  }
}
