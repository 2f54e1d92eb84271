#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "render/rgba_image.h"

// The picture as an RGBA PNG file's bytes, 8 or 16 bits a channel as the picture holds them.
std::vector<uint8_t> EncodePng(const RgbaImage& image);
std::vector<uint8_t> EncodePng(const Rgba16Image& image);

// Encodes the picture and writes it with WriteOutputFile (a failed write keeps the old file),
// showing the write on progressTo when given. Returns the bytes written.
size_t WritePng(const RgbaImage& image, const std::string& path,
                std::ostream* progressTo = nullptr);
size_t WritePng(const Rgba16Image& image, const std::string& path,
                std::ostream* progressTo = nullptr);
