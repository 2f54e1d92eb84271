#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

// Little-endian fields in a byte buffer, as scene files store them whatever the machine.
class ByteWriter {
 public:
  std::vector<uint8_t> bytes;

  void U8(uint8_t v) { bytes.push_back(v); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
  }
  void I32(int32_t v) { U32(uint32_t(v)); }
  void F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    U32(bits);
  }
};

// Reads fields back; a read past the end fails and leaves the value alone.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data(data), size(size) {}
  size_t Left() const { return size - at; }
  bool U32(uint32_t& v) {
    if (Left() < 4) return false;
    v = uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 |
        uint32_t(data[at + 3]) << 24;
    at += 4;
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u;
    if (!U32(u)) return false;
    v = int32_t(u);
    return true;
  }
  bool F32(float& f) {
    uint32_t u;
    if (!U32(u)) return false;
    std::memcpy(&f, &u, 4);
    return true;
  }

 private:
  const uint8_t* data;
  size_t size;
  size_t at = 0;
};
