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

TEST(HostTypes, NormalizingAZeroVectorGivesZeroNotNaN) {
  EXPECT_EQ(Point3(0.0f, 0.0f, 0.0f).Normalize(), Point3(0.0f, 0.0f, 0.0f));
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
