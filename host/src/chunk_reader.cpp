// ILoad over a scene file held in memory. The reader never leaves the open chunk: a length
// that does not fit its parent is a fault, and reads stop at the chunk's end.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "chunk_io.h"

using namespace chunkfile;

std::wstring HexId(uint32_t v) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%04X", unsigned(v));
  return text;
}

namespace {
std::wstring Num(size_t v) {
  return std::to_wstring(v);
}
}  // namespace

bool CheckChunkFile(const uint8_t* data, size_t size, size_t& bodyStart, std::wstring& error) {
  if (size < sizeof(kMagic) || std::memcmp(data, kMagic, sizeof(kMagic)) != 0) {
    error = L"not a scene file (no scene file header)";
    return false;
  }
  ByteReader header(data + sizeof(kMagic), size - sizeof(kMagic));
  uint32_t version = 0;
  if (!header.U32(version)) {
    error = L"the file ends inside its header";
    return false;
  }
  if (version == 0 || version > kFormatVersion) {
    error = L"format version " + Num(version) +
            (version ? L" is newer than this host reads (" + Num(kFormatVersion) + L")"
                     : std::wstring(L" is not valid"));
    return false;
  }
  bodyStart = kFileHeaderSize;

  // Walks the whole tree without recursion: a file of nested empty chunks must not exhaust
  // the stack. The list of open containers grows by one entry per 8 bytes at most.
  struct Parent {
    size_t header, end;
    uint16_t id;
  };
  std::vector<Parent> parents;
  size_t pos = bodyStart;
  for (;;) {
    while (!parents.empty() && pos == parents.back().end) parents.pop_back();
    if (parents.empty() && pos == size) return true;
    size_t limit = parents.empty() ? size : parents.back().end;
    ByteReader r(data + pos, limit - pos);
    uint16_t id = 0, flags = 0;
    uint32_t length = 0;
    if (!r.U16(id) || !r.U16(flags) || !r.U32(length)) {
      error = parents.empty() ? L"the file ends inside a chunk header at byte " + Num(pos)
                              : L"chunk " + HexId(parents.back().id) + L" at byte " +
                                    Num(parents.back().header) +
                                    L" ends inside a chunk header at byte " + Num(pos);
      return false;
    }
    if (flags & ~kContainerFlag) {
      error =
          L"chunk " + HexId(id) + L" at byte " + Num(pos) + L" has unknown flags " + HexId(flags);
      return false;
    }
    if (length > r.Left()) {
      error =
          L"chunk " + HexId(id) + L" at byte " + Num(pos) + L" claims " + Num(length) +
          L" bytes, but " +
          (parents.empty() ? L"the file ends after " + Num(r.Left()) + L" (truncated)"
                           : L"its parent chunk " + HexId(parents.back().id) + L" at byte " +
                                 Num(parents.back().header) + L" has " + Num(r.Left()) + L" left");
      return false;
    }
    if (flags & kContainerFlag) {
      parents.push_back({pos, pos + kChunkHeaderSize + length, id});
      pos += kChunkHeaderSize;
    } else {
      pos += kChunkHeaderSize + length;
    }
  }
}

ChunkReader::ChunkReader(const uint8_t* d, size_t n, size_t bodyStart) : data(d), pos(bodyStart) {
  open.push_back({0, bodyStart, n, 0, true});
}

ChunkReader::~ChunkReader() = default;

void ChunkReader::Fail(const std::wstring& why) {
  if (error.empty()) error = why;
}

IOResult ChunkReader::OpenChunk() {
  Open& parent = open.back();
  if (!parent.container || pos >= parent.end) return IO_END;
  ByteReader r(data + pos, parent.end - pos);
  uint16_t id = 0, flags = 0;
  uint32_t length = 0;
  bool whole = r.U16(id) && r.U16(flags) && r.U32(length);
  if (!whole || (flags & ~kContainerFlag) || length > r.Left()) {
    Fail(L"chunk " + HexId(id) + L" at byte " + Num(pos) + L" does not fit in its parent");
    // Nothing more of this container is read, so a loop waiting for IO_END ends too.
    pos = parent.end;
    return IO_ERROR;
  }
  open.push_back({pos, pos + kChunkHeaderSize, pos + kChunkHeaderSize + length, id,
                  (flags & kContainerFlag) != 0});
  pos += kChunkHeaderSize;
  return IO_OK;
}

USHORT ChunkReader::CurChunkID() {
  return open.size() > 1 ? open.back().id : 0;
}

ChunkType ChunkReader::CurChunkType() {
  if (open.size() < 2) return NEW_CHUNK;
  return open.back().container ? CONTAINER_CHUNK : DATA_CHUNK;
}

ULONG ChunkReader::CurChunkLength() {
  return open.size() > 1 ? ULONG(open.back().end - open.back().start) : 0;
}

IOResult ChunkReader::CloseChunk() {
  if (CurChunkDepth() <= floor) return IO_ERROR;
  pos = open.back().end;
  open.pop_back();
  return IO_OK;
}

void ChunkReader::CloseTo(int depth) {
  while (CurChunkDepth() > depth && CurChunkDepth() > 0) {
    pos = open.back().end;
    open.pop_back();
  }
}

void ChunkReader::Finish() {
  CloseTo(0);
  pos = open.back().end;
}

USHORT ChunkReader::PeekNextChunkID() {
  const Open& parent = open.back();
  if (!parent.container || parent.end - pos < kChunkHeaderSize) return 0;
  return USHORT(data[pos] | (data[pos + 1] << 8));
}

IOResult ChunkReader::Read(void* buf, ULONG nbytes, ULONG* nread) {
  if (nread) *nread = 0;
  if (InData() && nbytes && !buf) return IO_ERROR;
  if (!InData()) return nbytes ? IO_ERROR : IO_OK;
  size_t n = std::min(size_t(nbytes), open.back().end - pos);
  if (n) std::memcpy(buf, data + pos, n);
  pos += n;
  if (nread) *nread = ULONG(n);
  return n == nbytes ? IO_OK : IO_ERROR;
}

ByteReader ChunkReader::TakeRest() {
  if (!InData()) return ByteReader(data, 0);
  ByteReader rest(data + pos, open.back().end - pos);
  pos = open.back().end;
  return rest;
}

IOResult ChunkReader::ReadWStringChunk(wchar_t** buf) {
  if (!buf) return IO_ERROR;
  bool ok = InData();
  ByteReader rest = TakeRest();
  wideStrings.push_back(DecodeUtf16(rest.Here(), rest.Left()));
  *buf = wideStrings.back().data();
  return ok ? IO_OK : IO_ERROR;
}

IOResult ChunkReader::ReadWStringChunk(char** buf) {
  if (!buf) return IO_ERROR;
  bool ok = InData();
  ByteReader rest = TakeRest();
  narrowStrings.push_back(EncodeUtf8(DecodeUtf16(rest.Here(), rest.Left())));
  *buf = narrowStrings.back().data();
  return ok ? IO_OK : IO_ERROR;
}

IOResult ChunkReader::ReadCStringChunk(char** buf) {
  if (!buf) return IO_ERROR;
  bool ok = InData();
  ByteReader rest = TakeRest();
  const auto* text = reinterpret_cast<const char*>(rest.Here());
  narrowStrings.emplace_back(text, std::find(text, text + rest.Left(), '\0'));
  *buf = narrowStrings.back().data();
  return ok ? IO_OK : IO_ERROR;
}

IOResult ChunkReader::ReadCStringChunk(wchar_t** buf) {
  if (!buf) return IO_ERROR;
  bool ok = InData();
  ByteReader rest = TakeRest();
  wideStrings.push_back(DecodeUtf8(reinterpret_cast<const char*>(rest.Here()), rest.Left()));
  *buf = wideStrings.back().data();
  return ok ? IO_OK : IO_ERROR;
}

void ChunkReader::RegisterPostLoadCallback(PostLoadCallback* cb) {
  if (cb) callbacks.push_back(cb);
}

std::vector<PostLoadCallback*> ChunkReader::TakeCallbacks() {
  std::vector<PostLoadCallback*> out;
  out.swap(callbacks);
  std::stable_sort(out.begin(), out.end(), [](PostLoadCallback* a, PostLoadCallback* b) {
    return a->Priority() < b->Priority();
  });
  return out;
}

std::vector<uint8_t> ReadDataChunk(ILoad* iload) {
  if (iload->CurChunkType() != DATA_CHUNK) return {};
  // The length is bounded by the file: the chunk was checked to lie inside it.
  std::vector<uint8_t> bytes(iload->CurChunkLength());
  ULONG got = 0;
  iload->Read(bytes.data(), ULONG(bytes.size()), &got);
  bytes.resize(got);
  return bytes;
}

void ReportLoadFault(ILoad* iload, const std::wstring& why) {
  if (auto* reader = dynamic_cast<ChunkReader*>(iload)) reader->Fail(why);
}
