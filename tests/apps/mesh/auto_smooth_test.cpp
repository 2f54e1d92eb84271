// Smoothing groups from the angle between faces.
#include <gtest/gtest.h>

#include <set>

#include "mesh/auto_smooth.h"
#include "mesh/builtin_meshes.h"

TEST(AutoSmooth, RegionsFollowTheAngleAndNeighboursAcrossSharpEdgesShareNoGroup) {
  PolyMeshData box =
      MakeBuiltinMesh({.widthSegments = 2, .lengthSegments = 2, .heightSegments = 2});
  auto check = [&](float angle, size_t regions) {
    AutoSmooth(box, angle);
    std::set<DWORD> groups(box.smoothingGroups.begin(), box.smoothingGroups.end());
    EXPECT_EQ(groups.size(), regions) << "at " << angle << " degrees";
    for (DWORD g : groups) EXPECT_EQ(g & (g - 1), 0u) << "one group per region";
  };
  // Every side its own region; greedy colouring lets opposite sides share: three groups.
  check(30.0f, 3);
  for (int f = 0; f < box.NumFaces(); ++f)
    for (int g = 0; g < box.NumFaces(); ++g) {
      bool sameSide = box.materials[size_t(f)] == box.materials[size_t(g)];
      bool shareGroup = (box.smoothingGroups[size_t(f)] & box.smoothingGroups[size_t(g)]) != 0;
      // Sides meet only sides of other groups.
      bool adjacent = false;
      for (int k = 0; k < box.FaceSize(f); ++k)
        for (int j = 0; j < box.FaceSize(g); ++j) adjacent |= box.Corner(f, k) == box.Corner(g, j);
      ASSERT_FALSE(adjacent && !sameSide && shareGroup) << f << " " << g;
      ASSERT_TRUE(!sameSide || shareGroup) << f << " " << g;
    }
  check(90.0f, 1);  // at the angle itself, edges join
}

TEST(AutoSmooth, MoreRegionsThanGroupsStillGetValidGroups) {
  // A 40-sided faceted tube: 40 regions in a ring, two groups enough for neighbours.
  PolyMeshData tube =
      MakeBuiltinMesh({.shape = BuiltinShape::Cylinder, .sides = 40, .caps = false});
  AutoSmooth(tube, 5.0f);
  for (int f = 0; f < tube.NumFaces(); ++f) {
    int next = (f + 1) % tube.NumFaces();
    EXPECT_EQ(tube.smoothingGroups[size_t(f)] & tube.smoothingGroups[size_t(next)], 0u);
  }
}
