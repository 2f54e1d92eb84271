#pragma once
#include <string>

#include "render/rgba_image.h"

// Writes the picture as an 8-bit RGBA PNG. Throws InputError naming the path when the file
// cannot be written.
void WritePng(const RgbaImage& image, const std::string& path);
