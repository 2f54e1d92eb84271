// The viewport's textures: bitmaps converted to DIBs that read back, textures made from them
// and counted, and the table that finds a live texture's picture by its handle.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "bitmap.h"
#include "host_bitmaps.h"
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
  EXPECT_EQ(std::tuple(h.biSize, h.biWidth, h.biHeight, h.biBitCount, h.biCompression),
            std::tuple(DWORD(sizeof(BITMAPINFOHEADER)), 4, 4, 32, DWORD(BI_RGB)));
  EXPECT_EQ(h.biSizeImage, 4u * 4u * 4u);
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

TEST(ViewportTextures, CreateHandleFromATopDownTwentyFourBitDIB) {
  // A 3 x 2 DIB, rows from the top (negative height), padded to 12 bytes.
  struct {
    BITMAPINFOHEADER head;
    BYTE bits[2 * 12];
  } dib{};
  dib.head = {sizeof(BITMAPINFOHEADER), 3, -2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const BYTE rows[2][12] = {{0, 0, 10, 0, 0, 20, 0, 0, 30}, {40, 0, 0, 50, 0, 0, 60, 0, 0}};
  std::memcpy(dib.bits, rows, sizeof rows);
  auto* info = reinterpret_cast<BITMAPINFO*>(&dib);
  EXPECT_EQ(Pixel(info, 0, 1).a, 255) << "24 bits are opaque";
  BYTE c[4];
  EXPECT_FALSE(ReadDIBPixel(info, 3, 0, c));
  EXPECT_FALSE(ReadDIBPixel(info, 0, 2, c));

  ViewportTexHandleMaker maker(3);
  const BitmapCounts bitmaps = HostBitmapCounts();
  TexHandle* t = maker.CreateHandle(info);
  ASSERT_NE(t, nullptr);
  const BITMAPINFO* picture = ViewportTexture(t->GetHandle());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(Pixel(picture, 1, 0).r, 20);
  EXPECT_EQ(Pixel(picture, 2, 2).b, 60) << "scaled from 2 rows to 3";
  t->DeleteThis();
  EXPECT_EQ(HostBitmapCounts().created - bitmaps.created,
            HostBitmapCounts().deleted - bitmaps.deleted)
      << "the bitmap made on the way is given back";
  dib.head.biBitCount = 16;  // a depth it does not read
  EXPECT_EQ(maker.CreateHandle(info), nullptr);
}
