#include "scene/memory_chunk_load.h"

#include <algorithm>
#include <cstring>

MemoryChunkLoad::MemoryChunkLoad(std::vector<std::pair<USHORT, std::vector<uint8_t>>> chunks)
    : chunks(std::move(chunks)) {}

MemoryChunkLoad::~MemoryChunkLoad() {
  Finish();
}

IOResult MemoryChunkLoad::OpenChunk() {
  if (open || next >= chunks.size()) return IO_END;
  ++next;
  open = true;
  readAt = 0;
  return IO_OK;
}

USHORT MemoryChunkLoad::CurChunkID() {
  return open ? chunks[next - 1].first : 0;
}

ChunkType MemoryChunkLoad::CurChunkType() {
  return open ? DATA_CHUNK : NEW_CHUNK;
}

ULONG MemoryChunkLoad::CurChunkLength() {
  return open ? ULONG(chunks[next - 1].second.size()) : 0;
}

IOResult MemoryChunkLoad::CloseChunk() {
  if (!open) return IO_ERROR;
  open = false;
  return IO_OK;
}

USHORT MemoryChunkLoad::PeekNextChunkID() {
  return !open && next < chunks.size() ? chunks[next].first : 0;
}

IOResult MemoryChunkLoad::Read(void* buf, ULONG nbytes, ULONG* nread) {
  size_t got = 0;
  if (open) {
    const std::vector<uint8_t>& data = chunks[next - 1].second;
    got = std::min<size_t>(nbytes, data.size() - readAt);
    if (got) std::memcpy(buf, data.data() + readAt, got);
    readAt += got;
  }
  if (nread) *nread = ULONG(got);
  return got == nbytes ? IO_OK : IO_ERROR;
}

void MemoryChunkLoad::Finish() {
  std::vector<PostLoadCallback*> pending;
  pending.swap(callbacks);
  std::stable_sort(pending.begin(), pending.end(), [](PostLoadCallback* a, PostLoadCallback* b) {
    return a->Priority() < b->Priority();
  });
  for (PostLoadCallback* cb : pending) cb->proc(this);
}
