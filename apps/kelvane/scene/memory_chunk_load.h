#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "ioapi.h"

// An ILoad over data chunks the program made itself, for handing an object its own chunks
// the way a scene load does. Top level only: the chunks hold data, not chunks.
class MemoryChunkLoad : public ILoad {
 public:
  explicit MemoryChunkLoad(std::vector<std::pair<USHORT, std::vector<uint8_t>>> chunks);
  ~MemoryChunkLoad() override;

  IOResult OpenChunk() override;
  USHORT CurChunkID() override;
  ChunkType CurChunkType() override;
  ULONG CurChunkLength() override;
  int CurChunkDepth() override { return open ? 1 : 0; }
  IOResult CloseChunk() override;
  USHORT PeekNextChunkID() override;
  IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override;
  // Strings are not needed by anything handed chunks this way.
  IOResult ReadWStringChunk(char**) override { return IO_ERROR; }
  IOResult ReadWStringChunk(wchar_t**) override { return IO_ERROR; }
  IOResult ReadCStringChunk(char**) override { return IO_ERROR; }
  IOResult ReadCStringChunk(wchar_t**) override { return IO_ERROR; }
  void RegisterPostLoadCallback(PostLoadCallback* cb) override { callbacks.push_back(cb); }

  // Runs the registered callbacks, lowest priority first, as a load does at its end.
  void Finish();

 private:
  std::vector<std::pair<USHORT, std::vector<uint8_t>>> chunks;
  size_t next = 0;    // the chunk OpenChunk opens
  bool open = false;  // chunks[next - 1] is open
  size_t readAt = 0;
  std::vector<PostLoadCallback*> callbacks;
};
