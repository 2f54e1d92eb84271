#pragma once
#include "imtl.h"
#include "render/rgba_image.h"

// The map's viewport texture at time 0, asked for as the host's viewport asks (a texture
// maker of size x size, GetActiveTexHandle) and read back from the texture the viewport
// would draw, top row first. The map lets the texture go again before this returns. Throws
// std::runtime_error when the map shows nothing in the viewport.
RgbaImage ViewportPreview(Texmap* map, int size);
