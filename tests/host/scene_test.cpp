// Scene nodes, object evaluation and conversion. Instances sharing an object are covered by the
// scene-file round trip.
#include <gtest/gtest.h>

#include "max.h"

TEST(Scene, ObjectKindsAndConversions) {
  BoxObject* box = new BoxObject;
  box->widthSegs = 2;
  EXPECT_FALSE(box->IsSubClassOf(triObjectClassID));
  EXPECT_FALSE(box->IsSubClassOf(polyObjectClassID));
  ASSERT_TRUE(box->CanConvertToType(polyObjectClassID));
  Object* poly = box->ConvertToType(0, polyObjectClassID);
  box->DeleteThis();
  ASSERT_TRUE(poly && poly->IsSubClassOf(polyObjectClassID));
  MNMesh& mm = static_cast<PolyObject*>(poly)->GetMesh();
  EXPECT_EQ(mm.FNum(), 10);  // the four sides along X are split in two
  EXPECT_EQ(mm.VNum(), 12);  // closed: corners are shared between sides
  for (int e = 0; e < mm.ENum(); ++e) EXPECT_GE(mm.E(e)->f2, 0) << "a closed box has no open edge";

  Object* tri = poly->ConvertToType(0, triObjectClassID);
  ASSERT_TRUE(tri && tri->IsSubClassOf(triObjectClassID));
  EXPECT_EQ(static_cast<TriObject*>(tri)->GetMesh().numFaces, 20);
  EXPECT_EQ(poly->ConvertToType(0, polyObjectClassID), poly);
  EXPECT_EQ(poly->ConvertToType(0, Class_ID(1, 2)), nullptr);
  tri->DeleteThis();
  poly->DeleteThis();
}
