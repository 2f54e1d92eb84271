// The DIB the viewport is given, byte for byte as the real viewport reads it; making, counting
// and scaling textures are the map's viewport tests'.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "bitmap.h"
#include "host_viewport.h"
#include "imtl.h"

namespace {

// A w x h bitmap whose pixel (x, y) is r = x, g = y (in the high byte), b = 0x80, a = 0xFF.
Bitmap* NewPattern(int w, int h, int type = BMM_TRUE_64) {
  BitmapInfo bi(L"pattern");
  bi.SetWidth(WORD(w));
  bi.SetHeight(WORD(h));
  bi.SetType(type);
  Bitmap* bm = TheManager->Create(&bi);
  for (int y = 0; bm && y < h; ++y)
    for (int x = 0; x < w; ++x) {
      BMM_Color_64 c(WORD(x << 8), WORD(y << 8), 0x8000, 0xFF00);
      bm->PutPixels(x, y, 1, &c);
    }
  return bm;
}

struct Rgba {
  BYTE r, g, b, a;
};

Rgba Pixel(const BITMAPINFO* dib, int x, int y) {
  BYTE c[4] = {1, 2, 3, 4};
  EXPECT_TRUE(ReadDIBPixel(dib, x, y, c)) << x << ", " << y;
  return Rgba{c[0], c[1], c[2], c[3]};
}

}  // namespace

TEST(ViewportTextures, MakerBitmapToDIBGivesAPackedThirtyTwoBitDIB) {
  ViewportTexHandleMaker maker(4);
  Bitmap* bm = NewPattern(4, 4);
  ASSERT_NE(bm, nullptr);
  BITMAPINFO* dib = maker.BitmapToDIB(bm, U_WRAP | V_MIRROR, 0);
  bm->DeleteThis();
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(std::tuple(maker.conversions, maker.lastSymFlags), std::tuple(1, U_WRAP | V_MIRROR));

  const BITMAPINFOHEADER& h = dib->bmiHeader;
  // A positive height: rows from the bottom.
  EXPECT_EQ(
      std::tuple(h.biSize, h.biWidth, h.biHeight, h.biBitCount, h.biCompression, h.biSizeImage),
      std::tuple(DWORD(sizeof(BITMAPINFOHEADER)), 4, 4, 32, DWORD(BI_RGB), 4u * 4u * 4u));
  // The bits follow the header: blue, green, red, alpha, bottom row first.
  const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + sizeof(BITMAPINFOHEADER);
  EXPECT_EQ(std::vector<BYTE>(bits, bits + 4), (std::vector<BYTE>{0x80, 3, 0, 0xFF}));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      Rgba c = Pixel(dib, x, y);
      EXPECT_TRUE(c.r == x && c.g == y && c.b == 0x80 && c.a == 0xFF) << x << ", " << y;
    }
  MAX_free(dib);
}
