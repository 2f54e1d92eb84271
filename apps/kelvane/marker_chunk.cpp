#include "marker_chunk.h"

#include "byte_buffer.h"

namespace {

// The marker bit of the ramp's flags that stands for the marker being edited.
constexpr uint32_t kMarkerActiveFlag = 2;

void Color(ByteWriter& w, const AColor& c) {
  w.F32(c.r);
  w.F32(c.g);
  w.F32(c.b);
  w.F32(c.a);
}

}  // namespace

std::vector<uint8_t> EncodeMarkerChunk(const std::vector<MarkerDescription>& markers) {
  ByteWriter w;
  w.bytes.reserve(4 + kMarkerRecordBytes * markers.size());
  w.U32(uint32_t(markers.size()));
  for (const MarkerDescription& m : markers) {
    w.F32(m.position);
    Color(w, m.color);
    Color(w, m.transparentColor);
    w.U8(m.colorMapOn);
    w.U8(m.transparentMapOn);
    w.I32(m.inMode);
    w.I32(m.outMode);
    Color(w, AColor(1.0f, 0.0f, 0.0f, 0.0f));  // active glyph
    Color(w, AColor(0.0f, 1.0f, 1.0f, 0.0f));  // other glyphs
    w.U32(m.active ? kMarkerActiveFlag : 0);
  }
  return std::move(w.bytes);
}
