// The host objects made from the program's polygon meshes, and the polygons read back.
#include <gtest/gtest.h>

#include "polyobj.h"
#include "scene/host_objects.h"
#include "triobj.h"

TEST(HostObjects, TriangleObjectsHideDiagonalsAndKeepSelectionIDsAndGroups) {
  PolyMeshData mesh;
  mesh.vertices = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0},
                   {1, 2, 0}, {0, 2, 0}, {3, 0, 0}, {3, 1, 0}};
  mesh.AddFace({0, 1, 2, 3, 4, 5}, 4, 2);  // an L: four triangles, three diagonals
  mesh.AddFace({1, 6, 7, 2}, 8, 5);
  mesh.selectedEdges = {{3, 4}, {6, 7}};
  Object* object = MakeHostObject(mesh, ObjectKind::Tri);
  ASSERT_TRUE(object->IsSubClassOf(triObjectClassID));
  Mesh& tri = static_cast<TriObject*>(object)->GetMesh();
  ASSERT_EQ(tri.getNumFaces(), 6);
  int visible = 0, selected = 0;
  for (int f = 0; f < tri.getNumFaces(); ++f) {
    for (int j = 0; j < 3; ++j) {
      visible += tri.faces[f].getEdgeVis(j);
      if (tri.edgeSel[3 * f + j]) {
        ++selected;
        EXPECT_TRUE(tri.faces[f].getEdgeVis(j));
      }
    }
    EXPECT_EQ(tri.faces[f].getSmGroup(), f < 4 ? 4u : 8u);
    EXPECT_EQ(tri.faces[f].getMatID(), f < 4 ? 2 : 5);
  }
  EXPECT_TRUE(visible == 6 + 4 && selected == 2) << visible << " visible, " << selected;
  object->DeleteThis();

  object = MakeHostObject(mesh, ObjectKind::Poly);
  MNMesh& poly = static_cast<PolyObject*>(object)->GetMesh();
  int flagged = 0;
  for (int e = 0; e < poly.ENum(); ++e) flagged += poly.E(e)->GetFlag(MN_SEL);
  EXPECT_TRUE(poly.FNum() == 2 && flagged == 2);
  PolyMeshData back = MeshFromHostObject(object, "poly");
  EXPECT_TRUE(back.corners == mesh.corners && back.smoothingGroups == mesh.smoothingGroups &&
              back.materials == mesh.materials && back.selectedEdges.size() == 2u);
  object->DeleteThis();
}
