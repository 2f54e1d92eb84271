#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "render/rgba_image.h"

// The picture as an 8-bit RGBA PNG file's bytes.
std::vector<uint8_t> EncodePng(const RgbaImage& image);

// Encodes the picture and writes it with WriteOutputFile (a failed write keeps the old file),
// showing the write on progressTo when given. Returns the bytes written.
size_t WritePng(const RgbaImage& image, const std::string& path,
                std::ostream* progressTo = nullptr);
