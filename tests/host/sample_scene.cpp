#include "sample_scene.h"

#include <tuple>

namespace {

TriObject* SampleTriObject() {
  TriObject* tri = CreateNewTriObject();
  Mesh& mesh = tri->GetMesh();
  mesh.setNumVerts(5);
  const Point3 ps[5] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5f, 0.5f, 1.25f}};
  for (int i = 0; i < 5; ++i) mesh.setVert(i, ps[i]);
  mesh.setNumFaces(3);
  const int corners[3][3] = {{0, 1, 2}, {0, 2, 3}, {1, 4, 2}},
            visible[3][3] = {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}};
  for (int f = 0; f < 3; ++f) {
    mesh.faces[f].setVerts(corners[f][0], corners[f][1], corners[f][2]);
    mesh.faces[f].setEdgeVisFlags(visible[f][0], visible[f][1], visible[f][2]);
  }
  mesh.faces[0].setSmGroup(1);
  mesh.faces[1].setSmGroup(2 | 0x80000000u);
  mesh.faces[1].setMatID(3);
  mesh.faces[2].setMatID(0xFFFF);
  mesh.edgeSel.Set(1);
  mesh.edgeSel.Set(8);
  mesh.faceSel.Set(2);
  mesh.vertSel.Set(4);
  return tri;
}

PolyObject* SamplePolyObject() {
  PolyObject* poly = CreateEditablePolyObject();
  MNMesh& mm = poly->GetMesh();
  const Point3 ps[8] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0},
                        {3, 1, 0}, {2, 3, 1}, {1, 4, 1}, {0, 3, 1}};
  for (const Point3& p : ps) mm.NewVert(p);
  mm.V(6)->SetFlag(MN_SEL);
  int quad[4] = {0, 1, 2, 3}, tri[3] = {1, 4, 2}, pent[5] = {3, 2, 5, 6, 7};
  mm.NewFace(-1, 4, quad);
  mm.NewFace(-1, 3, tri);
  mm.NewFace(-1, 5, pent);
  mm.F(0)->smGroup = 1;
  mm.F(1)->smGroup = 1 | 4;
  mm.F(1)->material = 2;
  mm.F(2)->material = 9;
  mm.F(2)->SetFlag(MN_SEL);
  mm.FillInMesh();
  mm.E(mm.F(0)->edg[1])->SetFlag(MN_EDGE_INVIS);  // 1-2, shared with the triangle
  mm.E(mm.F(2)->edg[3])->SetFlag(MN_SEL);
  mm.SetFlag(MN_USER);
  return poly;
}

}  // namespace

SampleScene BuildSampleScene() {
  Interface* core = GetCOREInterface();
  TriObject* tri = SampleTriObject();
  SampleScene s{};
  s.mesh = core->CreateObjectNode(tri);
  s.mesh->SetName(L"Mesh");
  Matrix3 tm;
  tm.SetRow(0, Point3(0.0f, 1.0f, 0.0f));
  tm.SetRow(1, Point3(-1.0f, 0.0f, 0.0f));
  tm.SetTrans(Point3(1.5f, -2.0f, 3.25f));
  s.mesh->SetNodeTM(0, tm);

  s.poly = core->CreateObjectNode(SamplePolyObject());
  s.poly->SetName(L"Poly \u00fc\u2713 \U0001D538");  // a character outside the BMP too

  BoxObject* box = new BoxObject;
  std::tie(box->width, box->length, box->height, box->widthSegs, box->lengthSegs) =
      std::tuple(10.0f, 20.0f, 5.0f, 2, 3);
  s.box = core->CreateObjectNode(box);
  s.box->SetName(L"Box");

  s.instance = core->CreateObjectNode(tri);
  s.instance->SetName(L"Mesh instance");
  tm.SetTrans(Point3(-4.0f, 0.0f, 0.0f));
  s.instance->SetNodeTM(0, tm);
  return s;
}
