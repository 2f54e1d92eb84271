// The viewport's textures: bitmaps converted to DIBs that read back, textures made from them
// and counted, and the table that finds a live texture's picture by its handle.
#include <gtest/gtest.h>

#include <cstring>
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

TEST(ViewportTexHandleMaker, BitmapToDIBGivesAPackedThirtyTwoBitDIB) {
  ViewportTexHandleMaker maker(4);
  EXPECT_EQ(maker.Size(), 4);
  EXPECT_FALSE(maker.UseClosestPowerOf2());
  Bitmap* bm = NewPattern(4, 4);
  ASSERT_NE(bm, nullptr);
  BITMAPINFO* dib = maker.BitmapToDIB(bm, U_WRAP | V_MIRROR, 0);
  bm->DeleteThis();
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(maker.conversions, 1);
  EXPECT_EQ(maker.lastSymFlags, U_WRAP | V_MIRROR);
  EXPECT_EQ(maker.lastExtraFlags, 0);

  const BITMAPINFOHEADER& h = dib->bmiHeader;
  EXPECT_EQ(h.biSize, sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(h.biWidth, 4);
  EXPECT_EQ(h.biHeight, 4) << "rows from the bottom";
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 32);
  EXPECT_EQ(h.biCompression, DWORD(BI_RGB));
  EXPECT_EQ(h.biSizeImage, 4u * 4u * 4u);
  EXPECT_EQ(h.biClrUsed, 0u);

  // The bits follow the header: blue, green, red, alpha, bottom row first.
  const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + sizeof(BITMAPINFOHEADER);
  EXPECT_EQ(bits[0], 0x80);  // b
  EXPECT_EQ(bits[1], 3);     // g: row 3 of the bitmap
  EXPECT_EQ(bits[2], 0);     // r: column 0
  EXPECT_EQ(bits[3], 0xFF);  // a
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      Rgba c = Pixel(dib, x, y);
      EXPECT_EQ(c.r, x);
      EXPECT_EQ(c.g, y);
      EXPECT_EQ(c.b, 0x80);
      EXPECT_EQ(c.a, 0xFF);
    }
  MAX_free(dib);
}

TEST(ViewportTexHandleMaker, ScalesToItsSizeOrTheForcedOne) {
  ViewportTexHandleMaker maker(2);
  Bitmap* bm = NewPattern(4, 4, BMM_TRUE_32);
  ASSERT_NE(bm, nullptr);
  BITMAPINFO* small = maker.BitmapToDIB(bm, 0, 0);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->bmiHeader.biWidth, 2);
  EXPECT_EQ(small->bmiHeader.biHeight, 2);
  EXPECT_EQ(Pixel(small, 1, 1).r, 2) << "nearest pixel: column 2 of 4";
  EXPECT_EQ(Pixel(small, 1, 1).g, 2);
  MAX_free(small);

  BITMAPINFO* forced = maker.BitmapToDIB(bm, 0, 0, 8, 3);
  ASSERT_NE(forced, nullptr);
  EXPECT_EQ(forced->bmiHeader.biWidth, 8);
  EXPECT_EQ(forced->bmiHeader.biHeight, 3);
  EXPECT_EQ(Pixel(forced, 7, 0).r, 3);
  EXPECT_EQ(Pixel(forced, 0, 2).g, 2);
  MAX_free(forced);
  bm->DeleteThis();

  EXPECT_EQ(maker.BitmapToDIB(nullptr, 0, 0), nullptr);
  ViewportTexHandleMaker none(0);
  Bitmap* one = NewPattern(1, 1);
  EXPECT_EQ(none.BitmapToDIB(one, 0, 0), nullptr);
  one->DeleteThis();
}

TEST(ViewportTexHandleMaker, ExtraFlagsChangeThePixels) {
  ViewportTexHandleMaker maker(1);
  BitmapInfo bi(L"one");
  bi.SetWidth(1);
  bi.SetHeight(1);
  bi.SetType(BMM_TRUE_64);
  Bitmap* bm = TheManager->Create(&bi);
  ASSERT_NE(bm, nullptr);
  BMM_Color_64 c(0xFFFF, 0x8000, 0x0000, 0x8000);
  bm->PutPixels(0, 0, 1, &c);
  auto convert = [&](int flags) {
    BITMAPINFO* dib = maker.BitmapToDIB(bm, 0, flags);
    Rgba p = Pixel(dib, 0, 0);
    MAX_free(dib);
    return p;
  };
  Rgba plain = convert(0);
  EXPECT_EQ(plain.r, 0xFF);
  EXPECT_EQ(plain.g, 0x80);
  EXPECT_EQ(plain.a, 0x80);
  EXPECT_EQ(convert(EX_OPAQUE_ALPHA).a, 0xFF);
  Rgba mult = convert(EX_MULT_ALPHA);
  EXPECT_EQ(mult.r, 0x80);
  EXPECT_EQ(mult.g, 0x40);
  Rgba fromAlpha = convert(EX_RGB_FROM_ALPHA);
  EXPECT_EQ(fromAlpha.r, 0x80);
  EXPECT_EQ(fromAlpha.b, 0x80);
  EXPECT_EQ(convert(EX_ALPHA_FROM_RGB).a, 0x7F);  // (0xFFFF + 0x8000 + 0) / 3 = 0x7FFF
  EXPECT_EQ(maker.lastExtraFlags, EX_ALPHA_FROM_RGB);
  bm->DeleteThis();
}

TEST(ViewportTexHandle, MadeFromADIBCountedAndFoundByHandle) {
  ViewportTexHandleMaker maker(2);
  Bitmap* bm = NewPattern(2, 2);
  const TexHandleCounts before = HostTexHandleCounts();
  BITMAPINFO* dib = maker.BitmapToDIB(bm, 0, 0);
  TexHandle* a = maker.MakeHandle(dib);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(HostTexHandleCounts().made, before.made + 1);
  const DWORD_PTR ha = a->GetHandle();
  EXPECT_NE(ha, 0u);
  EXPECT_EQ(a->GetHandle(), ha) << "a texture keeps its handle";
  EXPECT_EQ(ViewportTexture(ha), dib) << "the texture owns the DIB it was given";

  TexHandle* b = maker.CreateHandle(bm);
  ASSERT_NE(b, nullptr);
  const DWORD_PTR hb = b->GetHandle();
  EXPECT_NE(hb, ha);
  ASSERT_NE(ViewportTexture(hb), nullptr);
  EXPECT_EQ(Pixel(ViewportTexture(hb), 1, 0).r, 1);
  EXPECT_EQ(HostTexHandleCounts().made, before.made + 2);

  a->DeleteThis();
  EXPECT_EQ(ViewportTexture(ha), nullptr);
  EXPECT_NE(ViewportTexture(hb), nullptr);
  EXPECT_EQ(HostTexHandleCounts().deleted, before.deleted + 1);
  b->DeleteThis();
  EXPECT_EQ(ViewportTexture(hb), nullptr);
  EXPECT_EQ(HostTexHandleCounts().deleted, before.deleted + 2);

  // A new texture never gets an old handle.
  TexHandle* c = maker.CreateHandle(bm);
  EXPECT_NE(c->GetHandle(), ha);
  EXPECT_NE(c->GetHandle(), hb);
  c->DeleteThis();
  bm->DeleteThis();

  EXPECT_EQ(maker.MakeHandle(nullptr), nullptr);
  EXPECT_EQ(HostTexHandleCounts().made, before.made + 3) << "no texture of nothing";
  EXPECT_EQ(ViewportTexture(0), nullptr);
}

TEST(ViewportTexHandle, CreateHandleFromADIBLeavesItWithTheCaller) {
  // A 3 x 2 24-bit DIB, rows from the top (negative height), padded to 12 bytes.
  struct {
    BITMAPINFOHEADER head;
    BYTE bits[2 * 12];
  } dib{};
  dib.head.biSize = sizeof(BITMAPINFOHEADER);
  dib.head.biWidth = 3;
  dib.head.biHeight = -2;
  dib.head.biPlanes = 1;
  dib.head.biBitCount = 24;
  dib.head.biCompression = BI_RGB;
  const BYTE rows[2][9] = {{0, 0, 10, 0, 0, 20, 0, 0, 30}, {40, 0, 0, 50, 0, 0, 60, 0, 0}};
  std::memcpy(dib.bits, rows[0], 9);
  std::memcpy(dib.bits + 12, rows[1], 9);
  auto* info = reinterpret_cast<BITMAPINFO*>(&dib);
  EXPECT_EQ(Pixel(info, 2, 0).r, 30);
  EXPECT_EQ(Pixel(info, 0, 1).b, 40);
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
  EXPECT_NE(picture, info);
  EXPECT_EQ(Pixel(picture, 1, 0).r, 20);
  EXPECT_EQ(Pixel(picture, 2, 2).b, 60) << "scaled from 2 rows to 3";
  t->DeleteThis();
  EXPECT_EQ(HostBitmapCounts().created - bitmaps.created,
            HostBitmapCounts().deleted - bitmaps.deleted)
      << "the bitmap made on the way is given back";

  // Depths it does not read give no bitmap.
  dib.head.biBitCount = 16;
  EXPECT_EQ(TheManager->Create(info), nullptr);
  EXPECT_EQ(maker.CreateHandle(info), nullptr);
}
