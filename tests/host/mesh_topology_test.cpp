// Edge tables of the host's meshes and the conversions between them.
#include <gtest/gtest.h>

#include "max.h"

namespace {

// A quad (0 1 2 3) and a triangle (1 4 2) sharing the edge 1-2.
MNMesh QuadAndTriangle() {
  MNMesh mm;
  Point3 ps[5] = {{0.0f, 0.0f, 0.0f},
                  {1.0f, 0.0f, 0.0f},
                  {1.0f, 1.0f, 0.0f},
                  {0.0f, 1.0f, 0.0f},
                  {2.0f, 0.5f, 0.0f}};
  for (const Point3& p : ps) mm.NewVert(p);
  int quad[4] = {0, 1, 2, 3}, tri[3] = {1, 4, 2};
  mm.NewFace(-1, 4, quad);
  mm.NewFace(-1, 3, tri);
  mm.F(0)->material = 3;
  mm.F(1)->smGroup = 4;
  mm.FillInMesh();
  return mm;
}

}  // namespace

TEST(MeshTopology, PolygonEdgeTableListsSharedEdgesOnce) {
  MNMesh mm = QuadAndTriangle();
  ASSERT_EQ(mm.ENum(), 6);
  int shared = 0, open = 0;
  for (int e = 0; e < mm.ENum(); ++e) {
    const MNEdge* edge = mm.E(e);
    if (edge->f2 >= 0) {
      ++shared;
      EXPECT_EQ(edge->v1, 1);  // in the order the first face lists them
      EXPECT_EQ(edge->v2, 2);
      EXPECT_EQ(edge->f1, 0);
      EXPECT_EQ(edge->f2, 1);
    } else {
      ++open;
    }
  }
  EXPECT_EQ(shared, 1);
  EXPECT_EQ(open, 5);
  EXPECT_TRUE(mm.GetFaceNormal(0, true).Equals(Point3(0.0f, 0.0f, 1.0f)));
}

TEST(MeshTopology, TriangulationHidesTheDiagonalsAndKeepsFaceData) {
  MNMesh mm = QuadAndTriangle();
  mm.E(0)->SetFlag(MN_SEL);  // edge 0-1
  Mesh mesh;
  mm.OutToTri(mesh);
  ASSERT_EQ(mesh.numFaces, 3);
  EXPECT_EQ(mesh.getFaceMtlIndex(0), 3);
  EXPECT_EQ(mesh.faces[2].smGroup, 4u);

  MeshTempData temp(&mesh);
  AdjEdgeList* adj = temp.AdjEList();
  ASSERT_EQ(adj->edges.Count(), 7);  // 6 polygon edges and one diagonal
  int visible = 0, selected = 0;
  for (const MEdge& e : adj->edges) {
    visible += e.Visible(mesh.faces);
    selected += e.Selected(mesh.faces, mesh.edgeSel);
  }
  EXPECT_EQ(visible, 6);
  EXPECT_EQ(selected, 1);
  int diagonal = adj->FindEdge(0, 2);
  ASSERT_GE(diagonal, 0);
  EXPECT_FALSE(adj->edges[diagonal].Visible(mesh.faces));
  EXPECT_NE(adj->edges[diagonal].f[1], UNDEFINED);
}

TEST(MeshTopology, BadVertexIndicesContributeNoEdges) {
  Mesh mesh;
  mesh.setNumVerts(3);
  mesh.setNumFaces(2);
  mesh.faces[0].setVerts(0, 1, 2);
  mesh.faces[1].setVerts(0, 2, 7);  // names a vertex the mesh does not have
  AdjEdgeList adj(mesh);
  EXPECT_EQ(adj.edges.Count(), 3);
}

TEST(MeshTopology, TriangleToPolygonKeepsHiddenEdgesHidden) {
  MNMesh quad = QuadAndTriangle();
  Mesh mesh;
  quad.OutToTri(mesh);
  MNMesh back;
  back.SetFromTri(mesh);
  ASSERT_EQ(back.FNum(), 3);
  ASSERT_EQ(back.ENum(), 7);
  int hidden = 0, selected = 0;
  for (int e = 0; e < back.ENum(); ++e) {
    hidden += back.E(e)->GetFlag(MN_EDGE_INVIS);
    selected += back.E(e)->GetFlag(MN_SEL);
  }
  EXPECT_EQ(hidden, 1);
  EXPECT_EQ(selected, 0);
}
