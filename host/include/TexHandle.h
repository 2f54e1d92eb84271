#pragma once
// Viewport textures: the handle a map hands the viewport, and the viewport's maker of them.
#include "WindowsDefines.h"
#include "maxheap.h"
#include "windib.h"

class Bitmap;

// A texture the viewport made for a map. The map keeps it until it lets it go with
// DeleteThis; GetHandle is what the viewport draws with.
class TexHandle : public MaxHeapOperators {
 public:
  virtual ~TexHandle() {}
  virtual DWORD_PTR GetHandle() = 0;
  virtual void DeleteThis() = 0;
};

// Extra flags of a conversion.
#define EX_MULT_ALPHA 1      // colour multiplied by alpha
#define EX_RGB_FROM_ALPHA 2  // grey from alpha
#define EX_OPAQUE_ALPHA 4    // alpha made opaque
#define EX_ALPHA_FROM_RGB 8  // alpha from the grey of the colour

// The viewport's side of a texture: a map asks it for the texture size, has it turn a bitmap
// into a device-independent bitmap and makes the texture from that.
class TexHandleMaker : public MaxHeapOperators {
 public:
  virtual ~TexHandleMaker() {}
  virtual TexHandle* CreateHandle(Bitmap* bm, int symflags = 0, int extraFlags = 0) = 0;
  virtual TexHandle* CreateHandle(BITMAPINFO* bminf, int symflags = 0, int extraFlags = 0) = 0;
  virtual BITMAPINFO* BitmapToDIB(Bitmap* bm, int symflags, int extraFlags, BOOL forceW = 0,
                                  BOOL forceH = 0) = 0;
  // Takes ownership of bminf, also when it makes no texture of it.
  virtual TexHandle* MakeHandle(BITMAPINFO* bminf) = 0;
  virtual BOOL UseClosestPowerOf2() = 0;
  virtual int Size() = 0;
};
