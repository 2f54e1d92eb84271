// The viewport preview: the ramp's picture column by column, its conversion for
// the viewport, and the texture the map keeps until its lifecycle discards it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "bitmap.h"
#include "host_bitmaps.h"
#include "host_viewport.h"
#include "ramp_preview.h"
#include "texmap_test_support.h"

namespace {

// The high byte of a 16-bit channel: what an 8-bit bitmap or DIB keeps of it.
BYTE High(WORD v) {
  return BYTE(v >> 8);
}

// Totals of bitmaps and textures since a test began.
struct HostTally {
  BitmapCounts bitmaps0 = HostBitmapCounts();
  TexHandleCounts textures0 = HostTexHandleCounts();
  long long BitmapsMade() const { return HostBitmapCounts().created - bitmaps0.created; }
  long long BitmapsDeleted() const { return HostBitmapCounts().deleted - bitmaps0.deleted; }
  long long TexturesMade() const { return HostTexHandleCounts().made - textures0.made; }
  long long TexturesDeleted() const { return HostTexHandleCounts().deleted - textures0.deleted; }
};

// Ends a test's pending bitmap failures whatever the test did.
struct NoPendingFailures {
  ~NoPendingFailures() { FailBitmapCreation(0); }
};

}  // namespace

TEST(ViewportPreview, ChannelsAreTruncatedToSixteenBits) {
  EXPECT_EQ(PreviewChannel(1.0f), 65535);
  EXPECT_EQ(PreviewChannel(0.5f), 32767);
  EXPECT_EQ(PreviewChannel(0.25f), 16383);
  EXPECT_EQ(PreviewChannel(0.0f), 0);
  EXPECT_EQ(PreviewChannel(0.99999f), 65534);
  EXPECT_EQ(PreviewChannel(-0.0f), 0);
  // Outside 0..1 the integer is kept in 16 bits, as the Windows build's conversion keeps it.
  EXPECT_EQ(PreviewChannel(1.5f), 32766);    // 98302 - 65536
  EXPECT_EQ(PreviewChannel(-0.25f), 49153);  // -16383 + 65536
  // No integer at all: 0, as x86 leaves it.
  EXPECT_EQ(PreviewChannel(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(PreviewChannel(std::numeric_limits<float>::infinity()), 0);
  EXPECT_EQ(PreviewChannel(1e30f), 0);
}

TEST(ViewportPreview, ColumnsOfFourSampleTheDefaultRampAtQuarters) {
  GradientRamp ramp;
  ramp.InitDefault();
  BMM_Color_64 row[4];
  FillPreviewRow(ramp, 4, row);
  const float positions[4] = {0.0f, 0.25f, 0.5f, 0.75f};
  for (int x = 0; x < 4; ++x) {
    AColor c = ramp.ColorAt(positions[x]);
    EXPECT_EQ(row[x].r, PreviewChannel(c.r)) << x;
    EXPECT_EQ(row[x].g, PreviewChannel(c.g)) << x;
    EXPECT_EQ(row[x].b, PreviewChannel(c.b)) << x;
    EXPECT_EQ(row[x].a, 65535) << "opaque";
  }
  // The default ramp's values at those positions.
  EXPECT_EQ(row[0].r, 0);
  EXPECT_EQ(row[1].r, PreviewChannel(0.25f));
  EXPECT_NEAR(row[2].r, 0.49 * 65535, 2.0);
  EXPECT_NEAR(row[3].r, 0.745 * 65535, 2.0);
  EXPECT_LT(row[3].r, 65535) << "the right edge never shows position 1";
}

TEST(ViewportPreview, PositionsAreSinglePrecisionSumsOfSteps) {
  // A step to black at 8/12 (in single precision): the ninth column of a 12-wide preview is
  // at 8 steps of 1/12, which sum to just below 8/12, so it still shows the colour before
  // the step; 8/12 computed directly would show black.
  const float eightTwelfths = 8.0f / 12.0f;
  float sum = 0.0f;
  for (int i = 0; i < 8; ++i) sum += 1.0f / 12.0f;
  ASSERT_LT(sum, eightTwelfths);
  GradientRamp ramp;
  ramp.InitDefault();
  ramp.markers.resize(2);
  ramp.markers[0].color = AColor(1.0f, 1.0f, 1.0f, 1.0f);
  ramp.markers[0].outMode = 3;  // Solid
  ramp.markers[1].position = eightTwelfths;
  ramp.markers[1].color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
  ramp.markers[1].inMode = 4;  // NO: white holds up to the marker
  ramp.markers[1].outMode = 4;
  ASSERT_EQ(ramp.ColorAt(sum).r, 1.0f);
  ASSERT_EQ(ramp.ColorAt(eightTwelfths).r, 0.0f);
  BMM_Color_64 row[12];
  FillPreviewRow(ramp, 12, row);
  EXPECT_EQ(row[7].r, 65535);
  EXPECT_EQ(row[8].r, 65535) << "position 8 x (1/12), not 8/12";
  EXPECT_EQ(row[9].r, 0);
}

TEST(ViewportPreview, AlphaIsOpaqueAndMapsPlayNoPart) {
  Kelvane* map = NewKelvane();
  for (RampMarker& m : map->ramp.markers) m.color.a = 0.0f;
  map->SetSubTexmap(4, NewColorMap(AColor(1.0f, 0.0f, 0.0f)));  // colour map of the marker at 1
  Bitmap* bm = map->BuildPreviewBitmap(4);
  ASSERT_NE(bm, nullptr);
  BMM_Color_64 px[4];
  ASSERT_EQ(bm->GetPixels(0, 3, 4, px), 1);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(px[x].a, 65535) << x;
    EXPECT_EQ(px[x].r, px[x].g) << "grey: the marker map is not sampled";
  }
  bm->DeleteThis();
  map->DeleteThis();
}

TEST(ViewportPreview, TheBitmapIsTheRampOnEveryRow) {
  Kelvane* map = NewKelvane();
  HostTally tally;
  Bitmap* bm = map->BuildPreviewBitmap(4);
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(tally.BitmapsMade(), 1);
  BitmapInfo asked = LastBitmapRequest();
  EXPECT_STREQ(asked.Name(), L"KelvaneTemp");
  EXPECT_EQ(asked.Width(), 4);
  EXPECT_EQ(asked.Height(), 4);
  EXPECT_EQ(asked.Type(), BMM_TRUE_32);
  EXPECT_EQ(bm->Width(), 4);
  EXPECT_EQ(bm->Height(), 4);

  BMM_Color_64 expected[4];
  FillPreviewRow(map->ramp, 4, expected);
  for (int y = 0; y < 4; ++y) {
    BMM_Color_64 px[4];
    ASSERT_EQ(bm->GetPixels(0, y, 4, px), 1);
    for (int x = 0; x < 4; ++x) {
      // BMM_TRUE_32 keeps 8 bits of each channel.
      EXPECT_EQ(High(px[x].r), High(expected[x].r)) << x << ", " << y;
      EXPECT_EQ(High(px[x].b), High(expected[x].b)) << x << ", " << y;
      EXPECT_EQ(px[x].a, 65535);
    }
  }
  bm->DeleteThis();
  EXPECT_EQ(map->BuildPreviewBitmap(0), nullptr);
  EXPECT_EQ(map->BuildPreviewBitmap(70000), nullptr) << "wider than BitmapInfo holds";
  map->DeleteThis();
}

TEST(ViewportPreview, TheRowBufferComesFromTheHostAllocator) {
  Kelvane* map = NewKelvane();
  static std::vector<std::pair<size_t, size_t>> callocs;
  static std::vector<void*> given, freed;
  static void* (*hostCalloc)(size_t, size_t) = nullptr;
  static void (*hostFree)(void*) = nullptr;
  callocs.clear();
  given.clear();
  freed.clear();
  hostCalloc = MAX_calloc;
  hostFree = MAX_free;
  MAX_calloc = [](size_t n, size_t size) {
    callocs.emplace_back(n, size);
    void* p = hostCalloc(n, size);
    given.push_back(p);
    return p;
  };
  MAX_free = [](void* p) {
    freed.push_back(p);
    hostFree(p);
  };
  Bitmap* bm = map->BuildPreviewBitmap(5);
  MAX_calloc = hostCalloc;
  MAX_free = hostFree;
  ASSERT_NE(bm, nullptr);
  bm->DeleteThis();
  map->DeleteThis();

  // The host's pixels and the map's row: the row is 5 pixels of 8 bytes, and it is freed
  // before the bitmap is handed back.
  int rows = 0;
  for (size_t i = 0; i < callocs.size(); ++i) {
    if (callocs[i] != std::make_pair(size_t(5), sizeof(BMM_Color_64))) continue;
    ++rows;
    EXPECT_NE(std::find(freed.begin(), freed.end(), given[i]), freed.end());
  }
  EXPECT_EQ(rows, 1);
}

TEST(ViewportPreview, TheMapGivesTheViewportItsRamp) {
  Kelvane* map = NewKelvane();
  EXPECT_TRUE(map->SupportTexDisplay());
  EXPECT_EQ(map->texHandle, nullptr);
  EXPECT_TRUE(map->texHandleValid.Empty());
  HostTally tally;
  ViewportTexHandleMaker maker(4);
  const DWORD_PTR handle = map->GetActiveTexHandle(0, maker);
  ASSERT_NE(handle, 0u);
  ASSERT_NE(map->texHandle, nullptr);
  EXPECT_EQ(map->texHandle->GetHandle(), handle);
  EXPECT_TRUE(map->texHandleValid.IsInfinite());
  EXPECT_EQ(tally.TexturesMade(), 1);
  EXPECT_EQ(tally.BitmapsMade(), 1);
  EXPECT_EQ(tally.BitmapsDeleted(), 1) << "the bitmap goes once converted";
  EXPECT_EQ(maker.conversions, 1);
  EXPECT_EQ(maker.lastSymFlags, map->uvGen->SymFlags());
  EXPECT_EQ(maker.lastSymFlags, U_WRAP | V_WRAP);
  EXPECT_EQ(maker.lastExtraFlags, 0);

  const BITMAPINFO* picture = ViewportTexture(handle);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->bmiHeader.biWidth, 4);
  EXPECT_EQ(std::abs(picture->bmiHeader.biHeight), 4);
  BMM_Color_64 expected[4];
  FillPreviewRow(map->ramp, 4, expected);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      BYTE c[4];
      ASSERT_TRUE(ReadDIBPixel(picture, x, y, c));
      EXPECT_EQ(c[0], High(expected[x].r)) << x << ", " << y;
      EXPECT_EQ(c[1], High(expected[x].g)) << x << ", " << y;
      EXPECT_EQ(c[2], High(expected[x].b)) << x << ", " << y;
      EXPECT_EQ(c[3], 255);
    }
  BYTE c[4];
  ASSERT_TRUE(ReadDIBPixel(picture, 1, 0, c));
  EXPECT_EQ(c[0], 63) << "0.25 -> 16383 -> 63";

  map->DeleteThis();
  EXPECT_EQ(tally.TexturesDeleted(), 1) << "destruction discards the texture";
  EXPECT_EQ(ViewportTexture(handle), nullptr);
}

TEST(ViewportPreview, TheTextureIsKeptWhileNothingChanges) {
  Kelvane* map = NewKelvane();
  ViewportTexHandleMaker maker(4);
  HostTally tally;
  const DWORD_PTR first = map->GetActiveTexHandle(0, maker);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(map->GetActiveTexHandle(0, maker), first);
  EXPECT_EQ(map->GetActiveTexHandle(4800, maker), first) << "valid forever";
  EXPECT_EQ(tally.BitmapsMade(), 1);
  EXPECT_EQ(tally.TexturesMade(), 1);
  EXPECT_EQ(maker.conversions, 1);

  map->ActivateTexDisplay(TRUE);
  EXPECT_EQ(map->GetActiveTexHandle(0, maker), first);
  EXPECT_EQ(tally.TexturesDeleted(), 0);
  EXPECT_EQ(tally.TexturesMade(), 1);

  map->ActivateTexDisplay(FALSE);
  EXPECT_EQ(map->texHandle, nullptr);
  EXPECT_TRUE(map->texHandleValid.Empty());
  EXPECT_EQ(tally.TexturesDeleted(), 1);
  EXPECT_EQ(ViewportTexture(first), nullptr);
  const DWORD_PTR second = map->GetActiveTexHandle(0, maker);
  EXPECT_NE(second, 0u);
  EXPECT_NE(second, first);
  EXPECT_EQ(tally.BitmapsMade(), 2);
  map->ActivateTexDisplay(FALSE);
  map->ActivateTexDisplay(FALSE);
  EXPECT_EQ(tally.TexturesDeleted(), 2) << "nothing left to drop twice";
  map->DeleteThis();
  EXPECT_EQ(tally.TexturesDeleted(), 2);
}

TEST(ViewportPreview, AnInvalidTextureIsRebuilt) {
  Kelvane* map = NewKelvane();
  ViewportTexHandleMaker maker(2);
  HostTally tally;
  const DWORD_PTR first = map->GetActiveTexHandle(0, maker);
  map->texHandleValid.Set(0, 100);  // as if it held for a while only
  EXPECT_EQ(map->GetActiveTexHandle(100, maker), first);
  const DWORD_PTR second = map->GetActiveTexHandle(101, maker);
  EXPECT_NE(second, first);
  EXPECT_EQ(tally.TexturesMade(), 2);
  EXPECT_EQ(tally.TexturesDeleted(), 1);
  EXPECT_TRUE(map->texHandleValid.IsInfinite());
  map->DeleteThis();
}

TEST(ViewportPreview, UpdateAChangeAndAnEditDropTheTexture) {
  Kelvane* map = NewKelvane();
  ViewportTexHandleMaker maker(4);
  HostTally tally;

  map->GetActiveTexHandle(0, maker);
  Interval valid = FOREVER;
  map->Update(0, valid);
  EXPECT_EQ(map->texHandle, nullptr);
  EXPECT_TRUE(map->texHandleValid.Empty());
  EXPECT_EQ(tally.TexturesDeleted(), 1);

  // A parameter change reaches the map as a change notification from its block.
  map->GetActiveTexHandle(0, maker);
  map->pblock->SetValue(pb_distance, 0, 0.3f);
  EXPECT_EQ(map->texHandle, nullptr);
  EXPECT_EQ(tally.TexturesDeleted(), 2);

  // A change of a marker's map, passed on by the reference system.
  ConstantColorMap* sub = NewColorMap(AColor(0.0f, 1.0f, 0.0f));
  map->SetSubTexmap(0, sub);
  map->GetActiveTexHandle(0, maker);
  sub->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  EXPECT_EQ(map->texHandle, nullptr);
  EXPECT_EQ(tally.TexturesDeleted(), 3);

  // A ramp edit: the rollout discards the texture, and the next one shows the new colour.
  map->GetActiveTexHandle(0, maker);
  map->ramp.markers[0].color = AColor(1.0f, 0.0f, 0.0f, 1.0f);
  map->DiscardTexHandle();
  const DWORD_PTR red = map->GetActiveTexHandle(0, maker);
  BYTE c[4];
  ASSERT_TRUE(ReadDIBPixel(ViewportTexture(red), 0, 2, c));
  EXPECT_EQ(c[0], 255);
  EXPECT_EQ(c[1], 0);
  EXPECT_EQ(tally.TexturesMade(), 5);
  EXPECT_EQ(tally.TexturesDeleted(), 4);
  map->DeleteThis();
  EXPECT_EQ(tally.TexturesDeleted(), 5);
}

TEST(ViewportPreview, BuildingThePreviewUpdatesTheMap) {
  Kelvane* map = NewKelvane();
  map->pblock->SetValue(pb_distance, 0, 0.75f);
  EXPECT_TRUE(map->ivalid.Empty());
  ViewportTexHandleMaker maker(2);
  Interval valid;  // empty: the preview says how long it holds
  BITMAPINFO* dib = map->GetVPDisplayDIB(0, maker, valid);
  ASSERT_NE(dib, nullptr);
  EXPECT_TRUE(valid.IsInfinite());
  EXPECT_FLOAT_EQ(map->distance, 0.75f) << "GetVPDisplayDIB runs Update";
  EXPECT_FALSE(map->ivalid.Empty());
  EXPECT_EQ(dib->bmiHeader.biWidth, 2);

  // mono changes nothing: the preview is in colour.
  Interval monoValid;
  BITMAPINFO* mono = map->GetVPDisplayDIB(0, maker, monoValid, TRUE);
  ASSERT_NE(mono, nullptr);
  for (int x = 0; x < 2; ++x) {
    BYTE a[4], b[4];
    ReadDIBPixel(dib, x, 0, a);
    ReadDIBPixel(mono, x, 0, b);
    EXPECT_EQ(std::vector<BYTE>(a, a + 4), std::vector<BYTE>(b, b + 4));
  }
  MAX_free(mono);
  MAX_free(dib);

  // forceW and forceH go to the conversion.
  Interval forcedValid;
  BITMAPINFO* forced = map->GetVPDisplayDIB(0, maker, forcedValid, FALSE, 6, 3);
  ASSERT_NE(forced, nullptr);
  EXPECT_EQ(forced->bmiHeader.biWidth, 6);
  EXPECT_EQ(forced->bmiHeader.biHeight, 3);
  MAX_free(forced);
  map->DeleteThis();
}

TEST(ViewportPreview, AFailedBitmapGivesNoTextureAndTheNextCallTriesAgain) {
  NoPendingFailures reset;
  Kelvane* map = NewKelvane();
  ViewportTexHandleMaker maker(4);
  HostTally tally;

  FailBitmapCreation(1);
  Interval valid = FOREVER;
  EXPECT_EQ(map->GetVPDisplayDIB(0, maker, valid), nullptr);
  EXPECT_TRUE(valid.Empty());
  EXPECT_EQ(maker.conversions, 0) << "no conversion without a bitmap";

  FailBitmapCreation(1);
  EXPECT_EQ(map->GetActiveTexHandle(0, maker), 0u);
  EXPECT_EQ(map->texHandle, nullptr);
  EXPECT_TRUE(map->texHandleValid.Empty());
  EXPECT_EQ(maker.conversions, 0);
  EXPECT_EQ(tally.TexturesMade(), 0);
  EXPECT_EQ(tally.BitmapsMade(), 0);

  // The host has memory again: the next call makes the texture.
  const DWORD_PTR handle = map->GetActiveTexHandle(0, maker);
  EXPECT_NE(handle, 0u);
  EXPECT_NE(ViewportTexture(handle), nullptr);
  EXPECT_EQ(tally.TexturesMade(), 1);
  EXPECT_EQ(tally.BitmapsMade(), tally.BitmapsDeleted());

  // Failing while a texture is held: the old one was valid, so it is simply handed back.
  FailBitmapCreation(1);
  EXPECT_EQ(map->GetActiveTexHandle(0, maker), handle);
  FailBitmapCreation(0);
  map->DeleteThis();
  EXPECT_EQ(tally.TexturesMade(), tally.TexturesDeleted());
}

TEST(ViewportPreview, AnUnusableSizeGivesNoTexture) {
  Kelvane* map = NewKelvane();
  HostTally tally;
  ViewportTexHandleMaker none(0);
  EXPECT_EQ(map->GetActiveTexHandle(0, none), 0u);
  EXPECT_EQ(map->texHandle, nullptr);
  EXPECT_EQ(tally.TexturesMade(), 0);
  EXPECT_EQ(tally.BitmapsMade(), 0);
  map->DeleteThis();
}

TEST(ViewportPreview, AClonedMapHasNoTextureOfItsOwnYet) {
  Kelvane* map = NewKelvane();
  ViewportTexHandleMaker maker(4);
  HostTally tally;
  const DWORD_PTR original = map->GetActiveTexHandle(0, maker);
  ASSERT_NE(original, 0u);

  RemapDir* remap = NewRemapDir();
  auto* copy = static_cast<Kelvane*>(remap->CloneRef(map));
  remap->DeleteThis();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->texHandle, nullptr) << "the clone's viewport texture is discarded";
  EXPECT_TRUE(copy->texHandleValid.Empty());
  EXPECT_EQ(map->texHandle != nullptr ? map->texHandle->GetHandle() : 0, original)
      << "the original keeps its own";

  const DWORD_PTR copied = copy->GetActiveTexHandle(0, maker);
  EXPECT_NE(copied, 0u);
  EXPECT_NE(copied, original);
  copy->DeleteThis();
  map->DeleteThis();
  EXPECT_EQ(tally.TexturesMade(), 2);
  EXPECT_EQ(tally.TexturesDeleted(), 2) << "each texture is given back once";
}
