// Host value types: the behaviour the plug-in relies on.
#include <gtest/gtest.h>

#include <tuple>

#include "max.h"

TEST(HostTypes, WindowsWidthsOnEveryPlatform) {
  // Scene files and DIBs are written with these widths, on every build.
  EXPECT_EQ(std::tuple(sizeof(DWORD), sizeof(ULONG), sizeof(WORD)), std::tuple(4u, 4u, 2u));
  EXPECT_EQ(std::tuple(sizeof(Point3), sizeof(AColor), sizeof(BMM_Color_64)),
            std::tuple(12u, 16u, 8u));
  EXPECT_EQ(Class_ID(), Class_ID(0xffffffff, 0xffffffff));
}

TEST(HostTypes, Point3Arithmetic) {
  Point3 a(1.0f, 2.0f, 3.0f), b(4.0f, 5.0f, 6.0f);
  EXPECT_EQ(a ^ b, Point3(-3.0f, 6.0f, -3.0f));
  EXPECT_EQ(a % b, 32.0f);
  EXPECT_FLOAT_EQ(Length(Point3(3.0f, 4.0f, 12.0f)), 13.0f);
  EXPECT_EQ(Point3(0.0f, 0.0f, 0.0f).Normalize(), Point3(0.0f, 0.0f, 0.0f));  // never NaN
  EXPECT_FLOAT_EQ(Point3(0.0f, 3.0f, 4.0f).Normalize().z, 0.8f);
}

TEST(HostTypes, TabThrowsTheHostsExceptionOnABadIndex) {
  Tab<int> tab;
  int values[3] = {1, 2, 3};
  tab.Append(3, values);
  EXPECT_EQ(tab[2], 3);
  for (INT_PTR bad : {INT_PTR(-1), INT_PTR(3)}) {
    try {
      (void)tab[bad];
      FAIL() << "no exception for index " << bad;
    } catch (const MaxSDK::Util::OutOfRangeException& e) {
      EXPECT_STREQ(e.What(), L"Invalid index passed into a Max SDK Tab::operator[]");
    }
  }
  EXPECT_EQ(tab.Delete(0, 2), 1);
  EXPECT_EQ(tab[0], 3);
}

TEST(HostTypes, IntervalIntersection) {
  EXPECT_TRUE(Interval(FOREVER).IsInfinite());
  EXPECT_TRUE(Interval().Empty());
  Interval a(10, 0);  // swapped on construction
  EXPECT_EQ(a.Start(), 0);
  EXPECT_EQ((a & Interval(5, 20)), Interval(5, 10));
  EXPECT_TRUE((a & Interval(11, 20)).Empty());
  EXPECT_TRUE((a & Interval()).Empty());
}

TEST(HostTypes, Matrix3InverseUndoesTheTransform) {
  Matrix3 m(Point3(0.0f, 2.0f, 0.0f), Point3(-1.0f, 0.0f, 0.0f), Point3(0.0f, 0.0f, 3.0f),
            Point3(5.0f, -2.0f, 1.0f));
  Point3 p(0.5f, -1.5f, 2.0f);
  EXPECT_TRUE(m.Inverse().PointTransform(m.PointTransform(p)).Equals(p, 1e-5f));
  EXPECT_TRUE((m * m.Inverse()).PointTransform(p).Equals(p, 1e-5f));
}
