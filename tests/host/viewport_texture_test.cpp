// The DIB the viewport is given; making, counting and scaling textures are the map's viewport
// tests'.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "bitmap.h"
#include "host_viewport.h"
#include "imtl.h"

// Bytes as the real viewport reads them: a packed 32-bit DIB, bottom row first, blue, green,
// red, alpha; the texture maps' own viewport tests read them back through ReadDIBPixel.
TEST(ViewportTextures, MakerBitmapToDIBGivesAPackedThirtyTwoBitDIB) {
  BitmapInfo bi(L"pattern");
  bi.SetWidth(4);
  bi.SetHeight(4);
  bi.SetType(BMM_TRUE_64);
  Bitmap* bm = TheManager->Create(&bi);
  ASSERT_NE(bm, nullptr);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      BMM_Color_64 c(WORD(x << 8), WORD(y << 8), 0x8000, 0xFF00);
      bm->PutPixels(x, y, 1, &c);
    }
  ViewportTexHandleMaker maker(4);
  BITMAPINFO* dib = maker.BitmapToDIB(bm, U_WRAP | V_MIRROR, 0);
  bm->DeleteThis();
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(std::tuple(maker.conversions, maker.lastSymFlags), std::tuple(1, U_WRAP | V_MIRROR));
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  EXPECT_EQ(
      std::tuple(h.biSize, h.biWidth, h.biHeight, h.biBitCount, h.biCompression, h.biSizeImage),
      std::tuple(DWORD(sizeof(BITMAPINFOHEADER)), 4, 4, 32, DWORD(BI_RGB), 4u * 4u * 4u));
  const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + sizeof(BITMAPINFOHEADER);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const BYTE* p = bits + ((3 - y) * 4 + x) * 4;
      EXPECT_EQ(std::vector<BYTE>(p, p + 4), (std::vector<BYTE>{0x80, BYTE(y), BYTE(x), 0xFF}))
          << x << ", " << y;
    }
  MAX_free(dib);
}
