#pragma once
#include <cstdint>
#include <vector>

#include "scene_description.h"

// The chunk in which the map keeps its ramp markers in a scene file. The ID and the record
// layout are part of the file format.
inline constexpr unsigned short kMarkerChunkID = 0x4001;
inline constexpr size_t kMarkerRecordBytes = 82;

// The marker chunk's content for these markers, as the map writes it: a little-endian count,
// then one packed 82-byte record per marker in the given order. The host keeps no glyph
// colours of its own, so records carry the map's defaults.
std::vector<uint8_t> EncodeMarkerChunk(const std::vector<MarkerDescription>& markers);
