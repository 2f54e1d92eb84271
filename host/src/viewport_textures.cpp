// The viewport's textures: the maker a map converts its picture with, the textures it makes,
// and the table the viewport finds their pictures in by handle.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "bitmap.h"
#include "host_viewport.h"

namespace {

std::atomic<long long> made{0};
std::atomic<long long> deleted{0};

// Live textures by handle. Handles count up from 1 and are never reused, so a stale handle
// finds nothing instead of another map's picture.
struct TextureTable {
  std::mutex lock;
  std::map<DWORD_PTR, const BITMAPINFO*> pictures;
  DWORD_PTR next = 1;
};

TextureTable& Textures() {
  static TextureTable table;
  return table;
}

class ViewportTexHandle : public TexHandle {
 public:
  explicit ViewportTexHandle(BITMAPINFO* dib) : dib(dib) {
    TextureTable& table = Textures();
    std::lock_guard<std::mutex> hold(table.lock);
    handle = table.next++;
    table.pictures[handle] = dib;
    ++made;
  }
  DWORD_PTR GetHandle() override { return handle; }
  void DeleteThis() override {
    {
      TextureTable& table = Textures();
      std::lock_guard<std::mutex> hold(table.lock);
      table.pictures.erase(handle);
    }
    MAX_free(dib);
    ++deleted;
    delete this;
  }

 private:
  BITMAPINFO* dib;
  DWORD_PTR handle = 0;
};

WORD High(WORD v) {
  return WORD(v >> 8);
}

// The conversion's extra flags on one pixel, in 16-bit channels.
BMM_Color_64 ApplyExtraFlags(BMM_Color_64 c, int extraFlags) {
  if (extraFlags & EX_RGB_FROM_ALPHA) c.r = c.g = c.b = c.a;
  if (extraFlags & EX_ALPHA_FROM_RGB) c.a = WORD((unsigned(c.r) + c.g + c.b) / 3);
  if (extraFlags & EX_MULT_ALPHA) {
    c.r = WORD(unsigned(c.r) * c.a / 65535);
    c.g = WORD(unsigned(c.g) * c.a / 65535);
    c.b = WORD(unsigned(c.b) * c.a / 65535);
  }
  if (extraFlags & EX_OPAQUE_ALPHA) c.a = 65535;
  return c;
}

}  // namespace

ViewportTexHandleMaker::ViewportTexHandleMaker(int size) : size(size) {}

BITMAPINFO* ViewportTexHandleMaker::BitmapToDIB(Bitmap* bm, int symflags, int extraFlags,
                                                BOOL forceW, BOOL forceH) {
  if (!bm) return nullptr;
  ++conversions;
  lastSymFlags = symflags;
  lastExtraFlags = extraFlags;
  const int w = forceW > 0 ? forceW : size;
  const int h = forceH > 0 ? forceH : size;
  const int bw = bm->Width(), bh = bm->Height();
  if (w <= 0 || h <= 0 || bw <= 0 || bh <= 0) return nullptr;
  const size_t imageBytes = size_t(w) * size_t(h) * 4;
  auto* dib = static_cast<BITMAPINFO*>(MAX_malloc(sizeof(BITMAPINFOHEADER) + imageBytes));
  if (!dib) return nullptr;
  std::memset(dib, 0, sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER& head = dib->bmiHeader;
  head.biSize = sizeof(BITMAPINFOHEADER);
  head.biWidth = w;
  head.biHeight = h;
  head.biPlanes = 1;
  head.biBitCount = 32;
  head.biCompression = BI_RGB;
  head.biSizeImage = DWORD(imageBytes);
  BYTE* bits = reinterpret_cast<BYTE*>(dib) + sizeof(BITMAPINFOHEADER);

  std::vector<BMM_Color_64> source(static_cast<size_t>(bw));
  int sourceRow = -1;
  for (int y = 0; y < h; ++y) {
    const int sy = int(int64_t(y) * bh / h);
    if (sy != sourceRow) {
      bm->GetPixels(0, sy, bw, source.data());
      sourceRow = sy;
    }
    BYTE* out = bits + size_t(h - 1 - y) * size_t(w) * 4;  // rows from the bottom
    for (int x = 0; x < w; ++x, out += 4) {
      const BMM_Color_64 c = ApplyExtraFlags(source[size_t(int64_t(x) * bw / w)], extraFlags);
      out[0] = BYTE(High(c.b));
      out[1] = BYTE(High(c.g));
      out[2] = BYTE(High(c.r));
      out[3] = BYTE(High(c.a));
    }
  }
  return dib;
}

TexHandle* ViewportTexHandleMaker::MakeHandle(BITMAPINFO* bminf) {
  if (!bminf) return nullptr;
  try {
    return new ViewportTexHandle(bminf);
  } catch (...) {
    MAX_free(bminf);  // it is ours now, texture or not
    return nullptr;
  }
}

TexHandle* ViewportTexHandleMaker::CreateHandle(Bitmap* bm, int symflags, int extraFlags) {
  return MakeHandle(BitmapToDIB(bm, symflags, extraFlags));
}

TexHandle* ViewportTexHandleMaker::CreateHandle(BITMAPINFO* bminf, int symflags, int extraFlags) {
  // The caller keeps its DIB: go through a bitmap of our own, scaled and flagged as any other.
  Bitmap* bm = TheManager->Create(bminf);
  if (!bm) return nullptr;
  TexHandle* texture = CreateHandle(bm, symflags, extraFlags);
  bm->DeleteThis();
  return texture;
}

TexHandleCounts HostTexHandleCounts() {
  TexHandleCounts counts;
  counts.made = made.load();
  counts.deleted = deleted.load();
  return counts;
}

const BITMAPINFO* ViewportTexture(DWORD_PTR handle) {
  TextureTable& table = Textures();
  std::lock_guard<std::mutex> hold(table.lock);
  auto it = table.pictures.find(handle);
  return it == table.pictures.end() ? nullptr : it->second;
}
