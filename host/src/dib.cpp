// Packed device-independent bitmaps (the header, then the pixels, in one block): reading
// their pixels, as the viewport and the bitmap manager do.
#include <cstdint>

#include "host_viewport.h"

namespace {
// Rows of a DIB are padded to whole 32-bit words.
size_t RowBytes(int64_t width, int bitCount) {
  return size_t((width * bitCount + 31) / 32) * 4;
}
}  // namespace

bool ReadDIBPixel(const BITMAPINFO* dib, int x, int y, BYTE rgba[4]) {
  if (!dib || !rgba) return false;
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biCompression != BI_RGB ||
      (h.biBitCount != 24 && h.biBitCount != 32))
    return false;
  const int64_t width = h.biWidth;
  const int64_t height = h.biHeight < 0 ? -int64_t(h.biHeight) : int64_t(h.biHeight);
  if (x < 0 || y < 0 || x >= width || y >= height) return false;
  // A colour table is allowed before the pixels even at these depths.
  const BYTE* bits =
      reinterpret_cast<const BYTE*>(dib) + h.biSize + size_t(h.biClrUsed) * sizeof(RGBQUAD);
  const int64_t row = h.biHeight < 0 ? y : height - 1 - y;  // positive height: bottom row first
  const BYTE* p =
      bits + size_t(row) * RowBytes(width, h.biBitCount) + size_t(x) * (h.biBitCount / 8);
  rgba[0] = p[2];
  rgba[1] = p[1];
  rgba[2] = p[0];
  rgba[3] = h.biBitCount == 32 ? p[3] : BYTE(255);
  return true;
}
