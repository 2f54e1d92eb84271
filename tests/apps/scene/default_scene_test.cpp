// The built-in scene the program renders when given none.
#include <gtest/gtest.h>

#include <set>

#include "scene/default_scene.h"

TEST(DefaultScene, ShowsOpenBordersGroupsAndSeveralMaterialIDs) {
  SceneDescription scene = DefaultScene(30.0f);
  EXPECT_GE(scene.nodes.size(), 4u);
  std::set<MtlID> ids;
  for (const NodeDescription& node : scene.nodes)
    ids.insert(node.mesh.materials.begin(), node.mesh.materials.end());
  EXPECT_GE(ids.size(), 3u);
  ASSERT_TRUE(scene.map.markers);
}
