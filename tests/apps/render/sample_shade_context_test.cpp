// The command-line host's per-sample cache of map results, and its object-space point.
#include <gtest/gtest.h>

#include "render/sample_shade_context.h"

TEST(SampleShadeContext, CachesResultsPerMapUntilTheNextSample) {
  SampleShadeContext sc;
  Matrix3 toObject;
  toObject.SetTrans(Point3(1.0f, 2.0f, 3.0f));
  sc.Begin(nullptr, Inverse(toObject), toObject, Point3(1.0f, 1.0f, 1.0f));
  EXPECT_EQ(sc.PointTo(Point3(1.0f, 1.0f, 1.0f), REF_OBJECT), Point3(2.0f, 3.0f, 4.0f));
  EXPECT_EQ(sc.PointTo(Point3(0.0f, 0.0f, 0.0f), REF_OBJECT), Point3(1.0f, 2.0f, 3.0f));
  // Ten maps, more than are kept: the first are answered, the rest computed again.
  Texmap* maps[10];
  for (int i = 0; i < 10; ++i) {
    maps[i] = reinterpret_cast<Texmap*>(&maps[i]);  // a name, never called
    sc.PutCache(maps[i], AColor(float(i), 0.0f, 0.0f));
  }
  sc.PutCache(maps[2], 0.5f);
  sc.TossCache(maps[1]);  // the last entry moves into its place
  AColor c;
  float f = 0.0f;
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(sc.GetCache(maps[i], c) && c.r == float(i), i != 1 && i < 8) << i;
  EXPECT_TRUE(sc.GetCache(maps[2], f) && f == 0.5f && !sc.GetCache(maps[3], f));
  sc.Begin(nullptr, Matrix3(), Matrix3(), Point3(0.0f, 0.0f, 0.0f));
  EXPECT_FALSE(sc.GetCache(maps[0], c));
}
