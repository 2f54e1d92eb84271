// The record extraction builds: the objects it reads, unusable vertices, triangle adjacency.
#include <gtest/gtest.h>

#include <iterator>
#include <limits>

#include "edge_extraction.h"
#include "edge_extraction_adjacency.h"
#include "test_meshes.h"

TEST(EdgeExtraction, ObjectKindsAndConversion) {
  // A parametric box: edges from its polygon conversion, the record keeping the box.
  BoxObject* box = new BoxObject;
  ScopedNode node(box);
  NodeEdgeCache r = BuildRecord(node.Handle(), {});
  EXPECT_TRUE(r.object == box && r.segments.size() == 12);

  // A node without geometry gives an object-less record with no edges.
  ScopedNode empty(nullptr);
  NodeEdgeCache none = BuildRecord(empty.Handle(), {});
  EXPECT_TRUE(none.nodeHandle == empty.Handle() && !none.object && none.segments.empty() &&
              none.cells.empty() && none.cellSize == 0.0f);
}

TEST(EdgeExtraction, NonFiniteVerticesAreSkipped) {
  PolyObject* plane = MakePlane(2, 2);
  plane->mm.P(4) = Point3(std::numeric_limits<float>::quiet_NaN(), 1.0f, 0.0f);  // the centre
  plane->mm.P(0).z = std::numeric_limits<float>::infinity();
  ScopedNode node(plane);
  NodeEdgeCache r = BuildRecord(node.Handle(), {.cMult = 3});
  // 12 edges, 4 at the centre and 2 at the corner; the cell size is the mean length times c_mult.
  EXPECT_EQ(r.segments.size(), 6u);
  EXPECT_TRUE(r.boundsMin == Point3(0, 0, 0) && r.boundsMax == Point3(2, 2, 0) &&
              r.cellSize == 3.0f);
  EXPECT_FALSE(r.cells.empty());
}

TEST(EdgeExtraction, TriangleEdgesAsTheAdjacencyListFindsThem) {
  // Shared and non-manifold edges, a repeated face, a degenerate one, a missing vertex.
  Mesh mesh;
  mesh.setNumVerts(5);
  const int faces[][3] = {{0, 1, 2}, {2, 1, 3}, {1, 2, 4}, {2, 1, 0},
                          {3, 4, 0}, {4, 4, 3}, {0, 9, 1}};
  mesh.setNumFaces(int(std::size(faces)));
  for (int f = 0; f < mesh.numFaces; ++f)
    mesh.faces[f].setVerts(faces[f][0], faces[f][1], faces[f][2]);
  const TriangleEdges ours = TriangleMeshEdges(mesh);
  AdjEdgeList sdk(mesh);
  ASSERT_EQ(int(ours.Count()), sdk.edges.Count());
  for (int i = 0; i < sdk.edges.Count(); ++i) {
    const MEdge a = ours.Edge(mesh, size_t(i)), &b = sdk.edges[i];
    EXPECT_TRUE(a.v[0] == b.v[0] && a.v[1] == b.v[1] && a.f[0] == b.f[0] && a.f[1] == b.f[1]) << i;
  }
}
