#pragma once
// The host's interactive viewport, as far as texture maps meet it: the maker of viewport
// textures, the textures it keeps, and reading the pictures they hold. Not an SDK header: for
// tests and programs that stand in for the application.
#include "TexHandle.h"
#include "hostexport.h"

// Makes square textures of one size, as a viewport asks a map for them.
//
// BitmapToDIB gives a packed DIB (the BITMAPINFOHEADER, then the pixels) of 32 bits per
// pixel, BI_RGB, rows from the bottom, in one block from the host's heap (MAX_malloc): hand
// it to MakeHandle, or free it with MAX_free. Its size is Size() x Size(), or forceW and
// forceH where they are not 0; a bitmap of another size is scaled to it, nearest pixel.
// Channels keep the high 8 of their 16 bits. symflags (the coordinates' wrap and mirror
// flags) are recorded, not applied: the viewport's sampler does that. MakeHandle of null makes
// nothing and answers null.
class CoreExport ViewportTexHandleMaker : public TexHandleMaker {
 public:
  explicit ViewportTexHandleMaker(int size);
  TexHandle* CreateHandle(Bitmap* bm, int symflags = 0, int extraFlags = 0) override;
  TexHandle* CreateHandle(BITMAPINFO* bminf, int symflags = 0, int extraFlags = 0) override;
  BITMAPINFO* BitmapToDIB(Bitmap* bm, int symflags, int extraFlags, BOOL forceW = 0,
                          BOOL forceH = 0) override;
  TexHandle* MakeHandle(BITMAPINFO* bminf) override;
  BOOL UseClosestPowerOf2() override { return FALSE; }
  int Size() override { return size; }

  // What this maker has been asked: conversions done, and the flags of the last one.
  int conversions = 0;
  int lastSymFlags = 0;
  int lastExtraFlags = 0;

 private:
  int size;
};

struct TexHandleCounts {
  long long made = 0;     // textures made by any maker
  long long deleted = 0;  // textures given back with DeleteThis
};

// Totals since the host library loaded.
CoreExport TexHandleCounts HostTexHandleCounts();

// The picture of the live texture whose GetHandle is handle, as the viewport draws it; null
// when no live texture has that handle. Handles are never reused.
CoreExport const BITMAPINFO* ViewportTexture(DWORD_PTR handle);

// Pixel (x, y), y = 0 the top row, of a packed 24- or 32-bit BI_RGB DIB, as r, g, b, a (a is
// 255 for 24 bits). False, rgba untouched, for any other DIB or a pixel outside it.
CoreExport bool ReadDIBPixel(const BITMAPINFO* dib, int x, int y, BYTE rgba[4]);
