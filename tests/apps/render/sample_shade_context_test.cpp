// The shade context the program hands the map for each sample.
#include <gtest/gtest.h>

#include "render/sample_shade_context.h"

namespace {

TEST(SampleShadeContext, TakesWorldPointsIntoTheNodesObjectSpaceAndCachesPerSample) {
  // Object space scaled by 2 and moved by (10, 0, 0).
  Matrix3 toWorld(Point3(2, 0, 0), Point3(0, 2, 0), Point3(0, 0, 2), Point3(10, 0, 0));
  SampleShadeContext sc;
  sc.Begin(nullptr, toWorld, Inverse(toWorld), Point3(12, 4, 6));
  EXPECT_TRUE(!sc.InMtlEditor() && sc.CurTime() == 0 && sc.doMaps);
  EXPECT_TRUE(sc.PointTo(sc.P(), REF_OBJECT).Equals(Point3(1, 2, 3)));
  EXPECT_TRUE(sc.PObj().Equals(Point3(1, 2, 3)));
  EXPECT_TRUE(sc.PointFrom(Point3(1, 2, 3), REF_OBJECT).Equals(Point3(12, 4, 6)));
  EXPECT_TRUE(sc.VectorTo(Point3(2, 0, 0), REF_OBJECT).Equals(Point3(1, 0, 0)));

  auto* map = reinterpret_cast<Texmap*>(0x10);
  AColor c;
  float f = 0;
  sc.PutCache(map, AColor(1, 2, 3, 4));
  EXPECT_TRUE(sc.GetCache(map, c));
  EXPECT_EQ(c.b, 3.0f);
  EXPECT_FALSE(sc.GetCache(map, f)) << "kinds are cached apart";
  sc.Begin(nullptr, toWorld, Inverse(toWorld), Point3(0, 0, 0));
  EXPECT_FALSE(sc.GetCache(map, c)) << "a new sample starts empty";
}

}  // namespace
