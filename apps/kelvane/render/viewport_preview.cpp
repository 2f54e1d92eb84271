#include "render/viewport_preview.h"

#include <cstdlib>
#include <stdexcept>

#include "host_viewport.h"

namespace {
// The viewport turns the map's display off when it is done with it, whatever happened.
struct TexDisplay {
  explicit TexDisplay(Texmap* map) : map(map) { map->ActivateTexDisplay(TRUE); }
  ~TexDisplay() { map->ActivateTexDisplay(FALSE); }
  TexDisplay(const TexDisplay&) = delete;
  TexDisplay& operator=(const TexDisplay&) = delete;
  Texmap* map;
};
}  // namespace

RgbaImage ViewportPreview(Texmap* map, int size) {
  if (!map->SupportTexDisplay()) throw std::runtime_error("the map shows nothing in the viewport");
  ViewportTexHandleMaker maker(size);
  TexDisplay display(map);
  const DWORD_PTR handle = map->GetActiveTexHandle(0, maker);
  const BITMAPINFO* picture = handle ? ViewportTexture(handle) : nullptr;
  if (!picture) throw std::runtime_error("the map gave the viewport no texture");
  const int width = int(picture->bmiHeader.biWidth);
  const int height = int(std::labs(long(picture->bmiHeader.biHeight)));
  RgbaImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (!ReadDIBPixel(picture, x, y, &image.pixels[(size_t(y) * size_t(width) + size_t(x)) * 4]))
        throw std::runtime_error("the viewport texture is not a picture the viewport reads");
  return image;
}
