#pragma once
// Text in scene files. Files hold UTF-16LE (wide strings) and UTF-8 (narrow strings), each with
// its terminator. Unpaired surrogates pass through unchanged, so any wide string round-trips.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace chunkfile {

void AppendUtf16(std::vector<uint8_t>& out, const wchar_t* s);
void AppendUtf8(std::vector<uint8_t>& out, const wchar_t* s);
// Decodes up to the first terminator or the end of the bytes.
std::wstring DecodeUtf16(const uint8_t* p, size_t nbytes);
std::wstring DecodeUtf8(const char* p, size_t nbytes);
std::string EncodeUtf8(const std::wstring& s);

}  // namespace chunkfile
