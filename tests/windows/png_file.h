// A minimal PNG writer for screenshots (8-bit RGB, deflate "stored" blocks, no compression
// library), and the matching reader that checks what it wrote.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb);
// Decodes what EncodePng writes (stored blocks only); false on any fault (signature, chunk
// CRC, block lengths, Adler-32, size).
bool DecodeStoredPng(const std::vector<uint8_t>& png, int& width, int& height,
                     std::vector<uint8_t>& rgb);
