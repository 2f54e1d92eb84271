// A minimal PNG writer for screenshots (8-bit RGB, deflate "stored" blocks, no compression
// library).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Encodes the picture and writes it to a file; false if the file could not be written.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb);
