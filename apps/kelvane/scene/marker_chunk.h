#pragma once
#include <cstdint>
#include <vector>

#include "scene/scene_description.h"

// The marker chunk's content for these markers, as the map writes it (texmap/marker_record.h):
// a little-endian count, then one record per marker in the given order. The host keeps no
// glyph colours of its own, so records carry the map's defaults.
std::vector<uint8_t> EncodeMarkerChunk(const std::vector<MarkerDescription>& markers);
