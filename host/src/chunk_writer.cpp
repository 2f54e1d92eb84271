// ISave into a buffer: chunk headers are written with a zero length and filled in when the
// chunk ends, when its size and kind are known.
#include <cstring>
#include <string>

#include "chunk_io.h"

using namespace chunkfile;

ChunkWriter::ChunkWriter() {
  bytes.assign(kMagic, kMagic + sizeof(kMagic));
  ByteWriter version;
  version.U32(kFormatVersion);
  bytes.insert(bytes.end(), version.bytes.begin(), version.bytes.end());
}

void ChunkWriter::Fail(const std::wstring& why) {
  if (error.empty()) error = why;
}

void ChunkWriter::BeginChunk(USHORT id) {
  if (!open.empty()) {
    if (open.back().data) Fail(L"chunk " + HexId(open.back().id) + L" holds both data and chunks");
    open.back().children = true;
  }
  open.push_back({bytes.size(), id, false, false});
  bytes.resize(bytes.size() + kChunkHeaderSize);
}

void ChunkWriter::EndChunk() {
  if (int(open.size()) <= floor) {
    // Closing a chunk the host opened would break the file's framing: refuse it.
    Fail(L"a chunk was ended that was never begun");
    return;
  }
  Open chunk = open.back();
  open.pop_back();
  uint64_t length = bytes.size() - chunk.header - kChunkHeaderSize;
  if (length > kMaxChunkLength) Fail(L"chunk " + HexId(chunk.id) + L" is larger than 4 GiB");
  ByteWriter header;
  header.U16(chunk.id);
  header.U16(chunk.children ? kContainerFlag : 0);
  header.U32(uint32_t(length));
  std::memcpy(bytes.data() + chunk.header, header.bytes.data(), kChunkHeaderSize);
}

IOResult ChunkWriter::Append(const uint8_t* p, size_t n) {
  if (open.empty()) {
    Fail(L"data was written outside any chunk");
    return IO_ERROR;
  }
  if (open.back().children) {
    Fail(L"chunk " + HexId(open.back().id) + L" holds both data and chunks");
    return IO_ERROR;
  }
  open.back().data = true;
  bytes.insert(bytes.end(), p, p + n);
  return IO_OK;
}

IOResult ChunkWriter::Write(const void* buf, ULONG nbytes, ULONG* nwrit) {
  if (nwrit) *nwrit = 0;
  if (nbytes && !buf) return IO_ERROR;
  const auto* p = static_cast<const uint8_t*>(buf);
  IOResult r = Append(p, nbytes);
  if (r == IO_OK && nwrit) *nwrit = nbytes;
  return r;
}

IOResult ChunkWriter::WriteWString(const char* str) {
  std::wstring wide = DecodeUtf8(str ? str : "", str ? std::strlen(str) : 0);
  return WriteWString(wide.c_str());
}

IOResult ChunkWriter::WriteWString(const wchar_t* str) {
  std::vector<uint8_t> text;
  AppendUtf16(text, str);
  return Append(text.data(), text.size());
}

IOResult ChunkWriter::WriteCString(const char* str) {
  std::vector<uint8_t> text(str, str + (str ? std::strlen(str) : 0));
  text.push_back(0);
  return Append(text.data(), text.size());
}

IOResult ChunkWriter::WriteCString(const wchar_t* str) {
  std::vector<uint8_t> text;
  AppendUtf8(text, str);
  return Append(text.data(), text.size());
}

IOResult WriteDataChunk(ISave* isave, USHORT id, const std::vector<uint8_t>& bytes) {
  if (bytes.size() > kMaxChunkLength) return IO_ERROR;
  isave->BeginChunk(id);
  ULONG written = 0;
  IOResult r = isave->Write(bytes.data(), ULONG(bytes.size()), &written);
  isave->EndChunk();
  return r;
}
