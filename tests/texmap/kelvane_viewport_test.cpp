// The map's viewport texture: its conversion, and the texture kept until the lifecycle drops it.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

#include "bitmap.h"
#include "host_bitmaps.h"
#include "host_viewport.h"
#include "ramp_preview.h"
#include "texmap_test_support.h"

namespace {

// A new map, a viewport maker of size 4, and the host's bitmap and texture tallies since SetUp.
class KelvaneViewport : public ::testing::Test {
 protected:
  void TearDown() override {
    FailBitmapCreation(0);
    if (map) map->DeleteThis();
  }
  void DeleteMap() {
    map->DeleteThis();
    map = nullptr;
  }
  // Bitmaps made and deleted, textures made and deleted.
  std::tuple<long long, long long, long long, long long> Tally() const {
    return {HostBitmapCounts().created - bitmaps0.created,
            HostBitmapCounts().deleted - bitmaps0.deleted,
            HostTexHandleCounts().made - textures0.made,
            HostTexHandleCounts().deleted - textures0.deleted};
  }
  Kelvane* map = NewKelvane();
  ViewportTexHandleMaker maker{4};
  const BitmapCounts bitmaps0 = HostBitmapCounts();
  const TexHandleCounts textures0 = HostTexHandleCounts();
};

}  // namespace

TEST_F(KelvaneViewport, TheMapGivesTheViewportItsRampOpaqueWithoutMarkerMaps) {
  for (RampMarker& m : map->ramp.markers) m.color.a = 0.0f;
  map->SetSubTexmap(4, NewColorMap(AColor(1.0f, 0.0f, 0.0f)));  // colour map of the marker at 1
  EXPECT_TRUE(map->SupportTexDisplay());
  const DWORD_PTR handle = map->GetActiveTexHandle(0, maker);
  ASSERT_NE(handle, 0u);
  ASSERT_NE(map->texHandle, nullptr);
  EXPECT_EQ(map->texHandle->GetHandle(), handle);
  EXPECT_TRUE(map->texHandleValid.IsInfinite());
  EXPECT_EQ(Tally(), std::tuple(1, 1, 1, 0)) << "the bitmap goes once converted";
  EXPECT_TRUE(maker.lastSymFlags == (U_WRAP | V_WRAP) && maker.lastExtraFlags == 0);

  const BITMAPINFO* picture = ViewportTexture(handle);
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->bmiHeader.biWidth == 4 && std::abs(picture->bmiHeader.biHeight) == 4);
  BMM_Color_64 expected[4];
  FillPreviewRow(map->ramp, 4, expected);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      // The high byte, grey: the marker map is not sampled.
      const BYTE want = BYTE(expected[x].r >> 8);
      BYTE c[4];
      ASSERT_TRUE(ReadDIBPixel(picture, x, y, c));
      EXPECT_TRUE(c[0] == want && c[1] == want && c[2] == want && c[3] == 255) << x << ", " << y;
    }
  EXPECT_EQ(map->BuildPreviewBitmap(0), nullptr);
  EXPECT_EQ(map->BuildPreviewBitmap(70000), nullptr) << "wider than BitmapInfo holds";
  DeleteMap();
  EXPECT_EQ(std::get<3>(Tally()), 1) << "destruction discards the texture";
  EXPECT_EQ(ViewportTexture(handle), nullptr);
}

TEST_F(KelvaneViewport, TheTextureIsKeptWhileValidAndDroppedWhenDeactivated) {
  const DWORD_PTR first = map->GetActiveTexHandle(0, maker);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(map->GetActiveTexHandle(4800, maker), first) << "valid forever";
  map->ActivateTexDisplay(TRUE);
  EXPECT_EQ(map->GetActiveTexHandle(0, maker), first);
  map->ActivateTexDisplay(FALSE);
  EXPECT_TRUE(!map->texHandle && map->texHandleValid.Empty() && !ViewportTexture(first));
  map->ActivateTexDisplay(FALSE);
  EXPECT_EQ(Tally(), std::tuple(1, 1, 1, 1)) << "nothing left to drop twice";
}

TEST_F(KelvaneViewport, UpdateChangesAndEditsDropTheTexture) {
  ConstantColorMap* sub = NewColorMap(AColor(0.0f, 1.0f, 0.0f));
  map->SetSubTexmap(0, sub);
  const std::function<void()> droppers[] = {
      [&] {
        Interval valid = FOREVER;
        map->Update(0, valid);
      },
      [&] { map->pblock->SetValue(pb_distance, 0, 0.3f); },              // a change from the block
      [&] { sub->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE); },  // from a marker map
      [&] {  // a ramp edit, which the rollout follows with a discard
        map->ramp.markers[0].color = AColor(1.0f, 0.0f, 0.0f, 1.0f);
        map->DiscardTexHandle();
      },
  };
  int dropped = 0;
  for (const auto& drop : droppers) {
    ASSERT_NE(map->GetActiveTexHandle(0, maker), 0u);
    drop();
    EXPECT_TRUE(!map->texHandle && map->texHandleValid.Empty()) << dropped;
    EXPECT_EQ(std::get<3>(Tally()), ++dropped);
  }
  // The next texture shows the edited colour.
  BYTE c[4];
  ASSERT_TRUE(ReadDIBPixel(ViewportTexture(map->GetActiveTexHandle(0, maker)), 0, 2, c));
  EXPECT_TRUE(c[0] == 255 && c[1] == 0);
}

TEST_F(KelvaneViewport, AClonedMapHasNoTextureOfItsOwnYet) {
  const DWORD_PTR original = map->GetActiveTexHandle(0, maker);
  ASSERT_NE(original, 0u);
  RemapDir* remap = NewRemapDir();
  auto* copy = static_cast<Kelvane*>(remap->CloneRef(map));
  remap->DeleteThis();
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(!copy->texHandle && copy->texHandleValid.Empty());
  ASSERT_NE(map->texHandle, nullptr) << "the original keeps its own";
  EXPECT_EQ(map->texHandle->GetHandle(), original);
  EXPECT_NE(copy->GetActiveTexHandle(0, maker), original);
  copy->DeleteThis();
  DeleteMap();
  EXPECT_EQ(Tally(), std::tuple(2, 2, 2, 2)) << "each texture is given back once";
}

TEST_F(KelvaneViewport, NoBitmapGivesNoTextureAndTheNextCallTriesAgain) {
  ViewportTexHandleMaker none(0);
  EXPECT_EQ(map->GetActiveTexHandle(0, none), 0u) << "an unusable size";
  FailBitmapCreation(1);
  Interval valid = FOREVER;
  EXPECT_EQ(map->GetVPDisplayDIB(0, maker, valid), nullptr);
  EXPECT_TRUE(valid.Empty());
  FailBitmapCreation(1);
  EXPECT_EQ(map->GetActiveTexHandle(0, maker), 0u);
  EXPECT_TRUE(!map->texHandle && map->texHandleValid.Empty());
  EXPECT_EQ(maker.conversions, 0) << "no conversion without a bitmap";
  EXPECT_EQ(Tally(), std::tuple(0, 0, 0, 0));

  // The host has memory again: the next call makes the texture.
  const DWORD_PTR handle = map->GetActiveTexHandle(0, maker);
  EXPECT_NE(ViewportTexture(handle), nullptr);
  // Failing while a valid texture is held: it is simply handed back.
  FailBitmapCreation(1);
  EXPECT_EQ(map->GetActiveTexHandle(0, maker), handle);
  DeleteMap();
  EXPECT_EQ(Tally(), std::tuple(1, 1, 1, 1));
}
