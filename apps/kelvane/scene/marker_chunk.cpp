#include "scene/marker_chunk.h"

#include <type_traits>

#include "chunk_format.h"
#include "texmap/marker_record.h"

namespace {

// The marker bit of the ramp's flags that stands for the marker being edited.
constexpr uint32_t kMarkerActiveFlag = 2;

void ColorToRecord(const AColor& c, float (&out)[4]) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
  out[3] = c.a;
}

}  // namespace

std::vector<uint8_t> EncodeMarkerChunk(const std::vector<MarkerDescription>& markers) {
  chunkfile::ByteWriter w;
  w.bytes.reserve(4 + kMarkerRecordBytes * markers.size());
  w.U32(uint32_t(markers.size()));
  for (const MarkerDescription& m : markers) {
    MarkerRecord r;  // the glyph colours stay the record's defaults
    r.position = m.position;
    ColorToRecord(m.color, r.color);
    ColorToRecord(m.transparentColor, r.transparentColor);
    r.colorMapOn = m.colorMapOn;
    r.transparentMapOn = m.transparentMapOn;
    r.inMode = m.inMode;
    r.outMode = m.outMode;
    r.flags = m.active ? kMarkerActiveFlag : 0;
    ForEachMarkerField(r, [&w](const auto& field) {
      using Field = std::remove_cvref_t<decltype(field)>;
      if constexpr (std::is_same_v<Field, float>)
        w.F32(field);
      else if constexpr (std::is_same_v<Field, uint8_t>)
        w.U8(field);
      else if constexpr (std::is_same_v<Field, int32_t>)
        w.I32(field);
      else
        w.U32(field);
      return true;
    });
  }
  return std::move(w.bytes);
}
