#pragma once
// The byte level of scene files: the file header, the chunk header and little-endian numbers.
// Every value here is part of the file format (see scene_file.h). Not an SDK header: the host
// and the programs that stand in for the application read and write chunk data with it.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace chunkfile {

inline constexpr uint8_t kMagic[8] = {'K', 'V', 'S', 'C', 0x0D, 0x0A, 0x1A, 0x0A};
inline constexpr uint32_t kFormatVersion = 1;
inline constexpr size_t kFileHeaderSize = 12;  // magic, then the version
inline constexpr size_t kChunkHeaderSize = 8;  // ID, flags, length
inline constexpr uint16_t kContainerFlag = 0x0001;
inline constexpr uint64_t kMaxChunkLength = 0xFFFFFFFFu;

// Appends little-endian numbers.
class ByteWriter {
 public:
  std::vector<uint8_t> bytes;
  void U8(uint8_t v) { bytes.push_back(v); }
  void U16(uint16_t v) {
    bytes.push_back(uint8_t(v));
    bytes.push_back(uint8_t(v >> 8));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
  }
  void I32(int32_t v) { U32(uint32_t(v)); }
  void F32(float v) { U32(std::bit_cast<uint32_t>(v)); }
};

// Reads little-endian numbers from a span it never leaves: a read that does not fit fails
// and takes nothing.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : p(data), n(size) {}
  size_t Left() const { return n - at; }
  size_t Offset() const { return at; }
  const uint8_t* Here() const { return p + at; }
  bool Skip(size_t k) {
    if (Left() < k) return false;
    at += k;
    return true;
  }
  bool U16(uint16_t& v) {
    if (Left() < 2) return false;
    v = uint16_t(p[at] | (p[at + 1] << 8));
    at += 2;
    return true;
  }
  // Any unsigned 32-bit type: DWORD and ULONG are not uint32_t on Windows.
  template <class T>
  bool U32(T& v) {
    static_assert(std::is_unsigned_v<T> && sizeof(T) == 4);
    if (Left() < 4) return false;
    v = T(uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
          uint32_t(p[at + 3]) << 24);
    at += 4;
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u;
    if (!U32(u)) return false;
    v = int32_t(u);
    return true;
  }
  bool F32(float& v) {
    uint32_t u;
    if (!U32(u)) return false;
    v = std::bit_cast<float>(u);
    return true;
  }

 private:
  const uint8_t* p;
  size_t n;
  size_t at = 0;
};

}  // namespace chunkfile
