// The host's bitmaps and their manager, TheManager.
#include "bitmap.h"

#include <atomic>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <utility>

#include "host_bitmaps.h"
#include "host_viewport.h"

namespace {
std::atomic<long long> created{0};
std::atomic<long long> deleted{0};
std::atomic<int> failuresPending{0};

struct LastRequest {
  std::mutex lock;
  BitmapInfo info;
};
LastRequest& Requests() {
  static LastRequest last;
  return last;
}

// Bytes per channel of the storage of a type; 0 for a type the stand-in does not store.
int ChannelBytes(int type) {
  switch (type) {
    case BMM_TRUE_24:
    case BMM_TRUE_32:
      return 1;
    case BMM_TRUE_48:
    case BMM_TRUE_64:
      return 2;
  }
  return 0;
}

bool TakePendingFailure() {
  int n = failuresPending.load();
  while (n > 0)
    if (failuresPending.compare_exchange_weak(n, n - 1)) return true;
  return false;
}
}  // namespace

BitmapInfo::BitmapInfo() {
  name[0] = 0;
}

BitmapInfo::BitmapInfo(const MCHAR* n) : BitmapInfo() {
  SetName(n);
}

BitmapInfo::BitmapInfo(const BitmapInfo& bi) {
  *this = bi;
}

BitmapInfo& BitmapInfo::operator=(const BitmapInfo& bi) {
  std::memcpy(name, bi.name, sizeof name);
  width = bi.width;
  height = bi.height;
  type = bi.type;
  gamma = bi.gamma;
  aspect = bi.aspect;
  return *this;
}

WORD BitmapInfo::SetWidth(WORD w) {
  return std::exchange(width, w);
}

WORD BitmapInfo::SetHeight(WORD h) {
  return std::exchange(height, h);
}

int BitmapInfo::SetType(int t) {
  return std::exchange(type, t);
}

float BitmapInfo::SetGamma(float g) {
  return std::exchange(gamma, g);
}

float BitmapInfo::SetAspect(float a) {
  return std::exchange(aspect, a);
}

const MCHAR* BitmapInfo::SetName(const MCHAR* n) {
  if (!n) n = L"";
  std::wcsncpy(name, n, kNameLength - 1);
  name[kNameLength - 1] = 0;
  return name;
}

void Bitmap::DeleteThis() {
  ++deleted;
  MAX_free(pixels);
  delete this;
}

int Bitmap::Width() {
  return width;
}

int Bitmap::Height() {
  return height;
}

int Bitmap::Type() {
  return type;
}

int Bitmap::PutPixels(int x, int y, int count, BMM_Color_64* ptr) {
  if (!ptr || x < 0 || x >= width || y < 0 || y >= height || count <= 0) return 0;
  if (count > width - x) count = width - x;
  const size_t pixelBytes = 4 * size_t(channelBytes);
  BYTE* p = pixels + (size_t(y) * size_t(width) + size_t(x)) * pixelBytes;
  for (int i = 0; i < count; ++i, p += pixelBytes) {
    const WORD c[4] = {ptr[i].r, ptr[i].g, ptr[i].b, ptr[i].a};
    if (channelBytes == 1)
      for (int k = 0; k < 4; ++k) p[k] = BYTE(c[k] >> 8);
    else
      std::memcpy(p, c, sizeof c);
  }
  return 1;
}

int Bitmap::GetPixels(int x, int y, int count, BMM_Color_64* ptr) {
  if (!ptr || x < 0 || x >= width || y < 0 || y >= height || count <= 0) return 0;
  if (count > width - x) count = width - x;
  const size_t pixelBytes = 4 * size_t(channelBytes);
  const BYTE* p = pixels + (size_t(y) * size_t(width) + size_t(x)) * pixelBytes;
  for (int i = 0; i < count; ++i, p += pixelBytes) {
    WORD c[4];
    if (channelBytes == 1)
      for (int k = 0; k < 4; ++k) c[k] = WORD(p[k] * 257);
    else
      std::memcpy(c, p, sizeof c);
    ptr[i] = BMM_Color_64(c[0], c[1], c[2], c[3]);
  }
  return 1;
}

class HostBitmapManager : public BitmapManager {
 public:
  Bitmap* Create(BitmapInfo* bi) override {
    if (!bi) return nullptr;
    {
      LastRequest& last = Requests();
      std::lock_guard<std::mutex> hold(last.lock);
      last.info = *bi;
    }
    return Make(bi->Width(), bi->Height(), bi->Type());
  }

  Bitmap* Create(PBITMAPINFO pbmi) override {
    if (!pbmi) return nullptr;
    const LONG w = pbmi->bmiHeader.biWidth;
    const LONG h =
        pbmi->bmiHeader.biHeight < 0 ? -pbmi->bmiHeader.biHeight : pbmi->bmiHeader.biHeight;
    BYTE probe[4];
    if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF || !ReadDIBPixel(pbmi, 0, 0, probe))
      return nullptr;
    Bitmap* bm = Make(int(w), int(h), BMM_TRUE_32);
    if (!bm) return nullptr;
    for (int y = 0; y < int(h); ++y) {
      for (int x = 0; x < int(w); ++x) {
        BYTE c[4];
        ReadDIBPixel(pbmi, x, y, c);
        BMM_Color_64 p(WORD(c[0] * 257), WORD(c[1] * 257), WORD(c[2] * 257), WORD(c[3] * 257));
        bm->PutPixels(x, y, 1, &p);
      }
    }
    return bm;
  }

 private:
  static Bitmap* Make(int width, int height, int type) {
    const int channelBytes = ChannelBytes(type);
    if (width <= 0 || height <= 0 || channelBytes == 0) return nullptr;
    if (TakePendingFailure()) return nullptr;
    void* pixels = MAX_calloc(size_t(width) * size_t(height), 4 * size_t(channelBytes));
    if (!pixels) return nullptr;
    auto* bm = new (std::nothrow) Bitmap;
    if (!bm) {
      MAX_free(pixels);
      return nullptr;
    }
    bm->width = width;
    bm->height = height;
    bm->type = type;
    bm->channelBytes = channelBytes;
    bm->pixels = static_cast<BYTE*>(pixels);
    ++created;
    return bm;
  }
};

namespace {
HostBitmapManager theBitmapManager;
}

BitmapManager* TheManager = &theBitmapManager;

BitmapCounts HostBitmapCounts() {
  BitmapCounts counts;
  counts.created = created.load();
  counts.deleted = deleted.load();
  return counts;
}

BitmapInfo LastBitmapRequest() {
  LastRequest& last = Requests();
  std::lock_guard<std::mutex> hold(last.lock);
  return last.info;
}

void FailBitmapCreation(int n) {
  failuresPending.store(n > 0 ? n : 0);
}
