#pragma once
// The host's ISave and ILoad: chunks written into a buffer, and read back from one without
// ever leaving the open chunk. Both remember the first fault; the scene code turns it into
// the error of the whole save or load.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "chunk_format.h"
#include "ioapi.h"
#include "text_codec.h"

class ChunkWriter : public ISave {
 public:
  ChunkWriter();  // starts with the file header

  void BeginChunk(USHORT id) override;
  void EndChunk() override;
  int CurChunkDepth() override { return int(open.size()); }
  IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override;
  IOResult WriteWString(const char* str) override;
  IOResult WriteWString(const wchar_t* str) override;
  IOResult WriteCString(const char* str) override;
  IOResult WriteCString(const wchar_t* str) override;

  // Chunks up to this depth belong to the host: an object's EndChunk cannot close them.
  void SetFloor(int depth) { floor = depth; }
  void Fail(const std::wstring& why);
  bool Failed() const { return !error.empty(); }
  const std::wstring& Error() const { return error; }
  // The file, once every chunk is ended.
  const std::vector<uint8_t>& Bytes() const { return bytes; }

 private:
  struct Open {
    size_t header;
    USHORT id;
    bool children;
    bool data;
  };
  IOResult Append(const uint8_t* p, size_t n);
  std::vector<Open> open;
  std::vector<uint8_t> bytes;
  int floor = 0;
  std::wstring error;
};

class ChunkReader : public ILoad {
 public:
  // Reads the chunks of data[bodyStart, size); data must outlive the reader.
  ChunkReader(const uint8_t* data, size_t size, size_t bodyStart);
  ~ChunkReader() override;

  IOResult OpenChunk() override;
  USHORT CurChunkID() override;
  ChunkType CurChunkType() override;
  ULONG CurChunkLength() override;
  int CurChunkDepth() override { return int(open.size()) - 1; }
  IOResult CloseChunk() override;
  USHORT PeekNextChunkID() override;
  IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override;
  IOResult ReadWStringChunk(char** buf) override;
  IOResult ReadWStringChunk(wchar_t** buf) override;
  IOResult ReadCStringChunk(char** buf) override;
  IOResult ReadCStringChunk(wchar_t** buf) override;
  void RegisterPostLoadCallback(PostLoadCallback* cb) override;

  // Chunks up to this depth belong to the host: an object's CloseChunk cannot close them.
  void SetFloor(int depth) { floor = depth; }
  // Closes whatever is open deeper than depth.
  void CloseTo(int depth);
  // Closes every chunk and skips to the end: nothing more is read.
  void Finish();
  // What is left of the open data chunk, consumed (empty for a container).
  chunkfile::ByteReader TakeRest();
  // Where the open chunk's header starts in the data.
  size_t ChunkOffset() const { return open.back().header; }
  void Fail(const std::wstring& why);
  bool Failed() const { return !error.empty(); }
  const std::wstring& Error() const { return error; }
  // The callbacks registered so far, in the order they are to run (by priority, then in
  // the order they came); the reader forgets them.
  std::vector<PostLoadCallback*> TakeCallbacks();

 private:
  struct Open {
    size_t header, start, end;
    USHORT id;
    bool container;
  };
  bool InData() const { return !open.back().container; }
  const uint8_t* data;
  std::vector<Open> open;  // open[0] stands for the file's body
  size_t pos;
  int floor = 0;
  std::wstring error;
  std::vector<PostLoadCallback*> callbacks;
  // Strings handed out, kept until the load ends.
  std::deque<std::wstring> wideStrings;
  std::deque<std::string> narrowStrings;
};

// Checks a whole file before anything is read from it: the header, the version and that every
// chunk lies inside its parent and every container is exactly a sequence of chunks. Returns
// false with the reason in error; on success bodyStart is where the first chunk starts.
bool CheckChunkFile(const uint8_t* data, size_t size, size_t& bodyStart, std::wstring& error);

// One data chunk written whole, for the host's own objects.
IOResult WriteDataChunk(ISave* isave, USHORT id, const std::vector<uint8_t>& bytes);
// The rest of the open data chunk; empty for a container.
std::vector<uint8_t> ReadDataChunk(ILoad* iload);

// Lets the host's own objects say why their data did not load (ignored for other loaders).
void ReportLoadFault(ILoad* iload, const std::wstring& why);

// "0x5C11" and the like, for messages.
std::wstring HexId(uint32_t v);
