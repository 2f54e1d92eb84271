#pragma once
// The host's bitmaps: how one is described (BitmapInfo), the manager that makes them
// (TheManager) and the bitmap itself, read and written a run of pixels at a time in 16-bit
// channels whatever its storage.
#include "WindowsDefines.h"
#include "hostexport.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "windib.h"

#define BMM_NO_TYPE 0
#define BMM_LINE_ART 1
#define BMM_PALETTED 2
#define BMM_GRAY_8 3
#define BMM_GRAY_16 4
#define BMM_TRUE_16 5
#define BMM_TRUE_32 6
#define BMM_TRUE_64 7
#define BMM_TRUE_24 8
#define BMM_TRUE_48 9
#define BMM_LOGLUV_32 13
#define BMM_LOGLUV_24 14
#define BMM_LOGLUV_24A 15
#define BMM_REALPIX_32 16

// What a bitmap is to be: name, size and storage type. The setters return the old value.
class BMMExport BitmapInfo : public MaxHeapOperators {
 public:
  BitmapInfo();
  BitmapInfo(const MCHAR* n);  // NOLINT: implicit, as in the SDK
  BitmapInfo(const BitmapInfo& bi);
  BitmapInfo& operator=(const BitmapInfo& bi);

  WORD SetWidth(WORD w);
  WORD SetHeight(WORD h);
  int SetType(int t);
  float SetGamma(float g);
  float SetAspect(float a);
  const MCHAR* SetName(const MCHAR* n);  // longer names are cut to the name buffer

  WORD Width() const { return width; }
  WORD Height() const { return height; }
  int Type() const { return type; }
  float Gamma() const { return gamma; }
  float Aspect() const { return aspect; }
  const MCHAR* Name() const { return name; }

 private:
  static constexpr int kNameLength = 260;  // the Windows path limit, as the SDK's buffer
  MCHAR name[kNameLength];
  WORD width = 0;
  WORD height = 0;
  int type = BMM_NO_TYPE;
  float gamma = 1.0f;
  float aspect = 1.0f;
};

// A picture in the host's memory. Made by TheManager, given back with DeleteThis, never
// with delete. The stand-in stores the true-colour types: BMM_TRUE_24 and BMM_TRUE_32 with 8
// bits per channel, BMM_TRUE_48 and BMM_TRUE_64 with 16; reading an 8-bit channel back gives
// it times 257 (0xFF becomes 0xFFFF).
class BMMExport Bitmap : public MaxHeapOperators {
 public:
  void DeleteThis();
  // Writes or reads `pixels` pixels of row y (0 at the top) from column x on; a run past the
  // row's end is cut there. 0 when the row or column is outside the bitmap, else 1.
  int PutPixels(int x, int y, int pixels, BMM_Color_64* ptr);
  int GetPixels(int x, int y, int pixels, BMM_Color_64* ptr);
  int Width();
  int Height();
  int Type();  // the BitmapInfo type it was made with

 private:
  Bitmap() = default;
  ~Bitmap() = default;
  friend class HostBitmapManager;
  int width = 0;
  int height = 0;
  int type = BMM_NO_TYPE;
  int channelBytes = 1;    // 1 or 2
  BYTE* pixels = nullptr;  // rows from the top, r g b a per pixel, from the host's heap
};

// Makes bitmaps. Create answers null when it cannot: no size, a type it does not store,
// or no memory.
class BitmapManager : public MaxHeapOperators {
 public:
  virtual ~BitmapManager() = default;
  virtual Bitmap* Create(BitmapInfo* bi) = 0;
  // A BMM_TRUE_32 bitmap with the pixels of a 24- or 32-bit BI_RGB DIB.
  virtual Bitmap* Create(PBITMAPINFO pbmi) = 0;
};

BMMExport extern BitmapManager* TheManager;
