#include "png_file.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
  uint32_t a = 1, b = 0;
  for (uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

uint32_t Get32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32(out, uint32_t(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, Crc32(out.data() + start, out.size() - start));
}

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb) {
  std::vector<uint8_t> out(kSignature, kSignature + 8);
  std::vector<uint8_t> header;
  Put32(header, uint32_t(width));
  Put32(header, uint32_t(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  Chunk(out, "IHDR", header);

  // Each row starts with filter type 0 (none).
  std::vector<uint8_t> raw;
  const size_t row = size_t(width) * 3;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + y * row, rgb.begin() + (y + 1) * row);
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t at = 0;
  do {
    size_t n = std::min<size_t>(raw.size() - at, 65535);
    bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00: stored
    z.push_back(uint8_t(n));
    z.push_back(uint8_t(n >> 8));
    z.push_back(uint8_t(~n));
    z.push_back(uint8_t(~n >> 8));
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    at += n;
  } while (at < raw.size());
  Put32(z, Adler32(raw));
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", {});
  return out;
}

bool DecodeStoredPng(const std::vector<uint8_t>& png, int& width, int& height,
                     std::vector<uint8_t>& rgb) {
  if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0) return false;
  std::vector<uint8_t> z;
  bool ended = false;
  width = height = 0;
  for (size_t at = 8; at < png.size() && !ended;) {
    if (png.size() - at < 12) return false;
    uint32_t length = Get32(&png[at]);
    if (length > png.size() - at - 12) return false;
    const uint8_t* type = &png[at + 4];
    const uint8_t* data = type + 4;
    if (Crc32(type, length + 4) != Get32(data + length)) return false;
    if (!std::memcmp(type, "IHDR", 4)) {
      if (length != 13 || data[8] != 8 || data[9] != 2 || data[12] != 0) return false;
      width = int(Get32(data));
      height = int(Get32(data + 4));
    } else if (!std::memcmp(type, "IDAT", 4)) {
      z.insert(z.end(), data, data + length);
    } else if (!std::memcmp(type, "IEND", 4)) {
      ended = true;
    }
    at += 12 + length;
  }
  if (!ended || width <= 0 || height <= 0 || z.size() < 6) return false;
  std::vector<uint8_t> raw;
  size_t at = 2;
  for (bool last = false; !last;) {
    if (z.size() - at < 5) return false;
    last = z[at] & 1;
    if ((z[at] >> 1) != 0) return false;  // stored blocks only
    size_t n = z[at + 1] | (z[at + 2] << 8);
    size_t nn = z[at + 3] | (z[at + 4] << 8);
    if ((n ^ 0xFFFF) != nn || z.size() - at - 5 < n) return false;
    raw.insert(raw.end(), z.begin() + at + 5, z.begin() + at + 5 + n);
    at += 5 + n;
  }
  if (z.size() - at != 4 || Get32(&z[at]) != Adler32(raw)) return false;
  const size_t row = size_t(width) * 3;
  if (raw.size() != (row + 1) * size_t(height)) return false;
  rgb.clear();
  for (int y = 0; y < height; ++y) {
    if (raw[y * (row + 1)] != 0) return false;
    rgb.insert(rgb.end(), raw.begin() + y * (row + 1) + 1, raw.begin() + (y + 1) * (row + 1));
  }
  return true;
}
