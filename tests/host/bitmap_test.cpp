// The host's bitmaps as the map's viewport picture writes them; counting them and failing their
// creation are the map's viewport tests' own.
#include <gtest/gtest.h>

#include <tuple>

#include "bitmap.h"

namespace {

Bitmap* NewBitmap(int w, int h, int type) {
  BitmapInfo bi(L"test");
  bi.SetWidth(WORD(w));
  bi.SetHeight(WORD(h));
  bi.SetType(type);
  return TheManager->Create(&bi);
}

}  // namespace

// 64 bits keep every 16-bit channel; a new bitmap is transparent black; runs that leave the
// bitmap are refused or cut at its edge.
TEST(HostBitmap, PixelRunsKeepEveryChannelAndStayInside) {
  EXPECT_EQ(NewBitmap(0, 4, BMM_TRUE_32), nullptr);
  EXPECT_EQ(NewBitmap(4, 4, BMM_PALETTED), nullptr) << "only what it can store";
  Bitmap* bm = NewBitmap(4, 2, BMM_TRUE_64);
  ASSERT_NE(bm, nullptr);
  BMM_Color_64 row[8] = {{1, 2, 3, 4}, {32767, 65535, 0, 65535}, {0x1234, 0xABCD, 0x00FF, 0xFF00}};
  for (int i = 3; i < 8; ++i) row[i] = BMM_Color_64(WORD(i + 1), 0, 0, 0);
  auto rgba = [](const BMM_Color_64& c) { return std::tuple(c.r, c.g, c.b, c.a); };
  EXPECT_EQ(bm->PutPixels(0, 1, 3, row), 1);
  BMM_Color_64 back[4];
  EXPECT_EQ(bm->GetPixels(0, 1, 3, back), 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rgba(back[i]), rgba(row[i])) << i;
  EXPECT_EQ(bm->GetPixels(0, 0, 3, back), 1);
  EXPECT_TRUE(back[2].r == 0 && back[2].a == 0);

  EXPECT_EQ(bm->PutPixels(0, 2, 4, row), 0);
  EXPECT_EQ(bm->PutPixels(0, -1, 4, row), 0);
  EXPECT_EQ(bm->PutPixels(4, 0, 1, row), 0);
  EXPECT_EQ(bm->PutPixels(0, 0, 1, nullptr), 0);
  EXPECT_EQ(bm->PutPixels(2, 0, 8, row + 3), 1) << "the two pixels that fit are written";
  ASSERT_EQ(bm->GetPixels(0, 0, 8, back), 1) << "cut at the row's end as well";
  EXPECT_EQ(std::tuple(back[1].r, back[2].r, back[3].r), std::tuple(0, 4, 5));
  bm->DeleteThis();
}
