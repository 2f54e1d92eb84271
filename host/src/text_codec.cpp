// Text in scene files: UTF-16LE and UTF-8, from and to wchar_t of either width (UTF-16 on
// Windows, UTF-32 natively).
#include <cstdint>
#include <string>
#include <vector>

#include "text_codec.h"

namespace chunkfile {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;
constexpr bool kWide16 = sizeof(wchar_t) == 2;

bool IsHigh(uint32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(uint32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// The next code point of a wide string: a surrogate pair is one on Windows, a lone surrogate
// stands for itself.
uint32_t NextCodePoint(const wchar_t*& s) {
  uint32_t u = uint32_t(*s++);
  if (kWide16 && IsHigh(u) && IsLow(uint32_t(*s)))
    u = 0x10000 + ((u - 0xD800) << 10) + (uint32_t(*s++) - 0xDC00);
  return u > 0x10FFFF ? kReplacement : u;
}

void AppendWide(std::wstring& out, uint32_t cp) {
  if (kWide16 && cp > 0xFFFF) {
    out.push_back(wchar_t(0xD800 + ((cp - 0x10000) >> 10)));
    out.push_back(wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
  } else {
    out.push_back(wchar_t(cp));
  }
}

void AppendUtf8CodePoint(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(char(cp));
  } else if (cp < 0x800) {
    out.push_back(char(0xC0 | (cp >> 6)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(char(0xE0 | (cp >> 12)));
    out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (cp >> 18)));
    out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

void AppendUtf16(std::vector<uint8_t>& out, const wchar_t* s) {
  auto unit = [&out](uint32_t u) {
    out.push_back(uint8_t(u));
    out.push_back(uint8_t(u >> 8));
  };
  while (s && *s) {
    uint32_t cp = NextCodePoint(s);
    if (cp > 0xFFFF) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  }
  unit(0);
}

void AppendUtf8(std::vector<uint8_t>& out, const wchar_t* s) {
  std::string text = EncodeUtf8(s ? s : L"");
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

std::wstring DecodeUtf16(const uint8_t* p, size_t nbytes) {
  std::wstring out;
  size_t n = nbytes / 2;
  for (size_t i = 0; i < n; ++i) {
    uint32_t u = uint32_t(p[2 * i]) | uint32_t(p[2 * i + 1]) << 8;
    if (u == 0) break;
    if (IsHigh(u) && i + 1 < n) {
      uint32_t next = uint32_t(p[2 * i + 2]) | uint32_t(p[2 * i + 3]) << 8;
      if (IsLow(next)) {
        AppendWide(out, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
        ++i;
        continue;
      }
    }
    out.push_back(wchar_t(u));
  }
  return out;
}

std::wstring DecodeUtf8(const char* text, size_t nbytes) {
  std::wstring out;
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  size_t i = 0;
  while (i < nbytes && p[i]) {
    uint8_t b = p[i];
    int more = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    uint32_t cp = more == 3 ? b & 0x07u : more == 2 ? b & 0x0Fu : b & 0x1Fu;
    bool ok = b < 0x80 || (b >= 0xC0 && b < 0xF8);
    if (b < 0x80) cp = b;
    for (int k = 1; ok && k <= more; ++k) {
      if (i + size_t(k) >= nbytes || (p[i + size_t(k)] & 0xC0) != 0x80)
        ok = false;
      else
        cp = (cp << 6) | (p[i + size_t(k)] & 0x3Fu);
    }
    if (!ok || cp > 0x10FFFF) {
      AppendWide(out, kReplacement);
      ++i;
      continue;
    }
    AppendWide(out, cp);
    i += size_t(more) + 1;
  }
  return out;
}

std::string EncodeUtf8(const std::wstring& s) {
  std::string out;
  const wchar_t* at = s.c_str();
  while (*at) AppendUtf8CodePoint(out, NextCodePoint(at));
  return out;
}

}  // namespace chunkfile
