#pragma once
// Saving and loading: what an object sees of a scene file while the host writes or reads it.
// A file is a tree of chunks, each with a 16-bit ID; an object writes its own chunks inside
// the one the host opens for it and reads them back in the same order. Text is stored as
// UTF-16 whatever the width of wchar_t, so a file moves between builds unchanged.
#include "WindowsDefines.h"
#include "hostexport.h"
#include "maxheap.h"
#include "maxtypes.h"

class ILoad;

// Work an object leaves for the end of a load, when every object is read and every reference
// is installed. Lower priorities run first (0..9). The host does not delete a callback: one
// made with new deletes itself at the end of proc.
class PostLoadCallback : public MaxHeapOperators {
 public:
  virtual void proc(ILoad* iload) = 0;
  virtual int Priority() { return 5; }
  virtual ~PostLoadCallback() = default;
};

class ISave : public MaxHeapOperators {
 public:
  virtual ~ISave() = default;
  // Chunks nest; a chunk holds either sub-chunks or data, never both.
  virtual void BeginChunk(USHORT id) = 0;
  virtual void EndChunk() = 0;
  virtual int CurChunkDepth() = 0;
  // Appends raw bytes to the open data chunk; nwrit (may be null) gets the count written.
  virtual IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) = 0;
  // Strings with their terminator: W as UTF-16, C as UTF-8. A char* argument is UTF-8.
  virtual IOResult WriteWString(const char* str) = 0;
  virtual IOResult WriteWString(const wchar_t* str) = 0;
  virtual IOResult WriteCString(const char* str) = 0;
  virtual IOResult WriteCString(const wchar_t* str) = 0;
};

class ILoad : public MaxHeapOperators {
 public:
  virtual ~ILoad() = default;
  // Opens the next chunk of the open container: IO_END when it has no more.
  virtual IOResult OpenChunk() = 0;
  // The open chunk; 0, NEW_CHUNK and 0 with none open.
  virtual USHORT CurChunkID() = 0;
  virtual ChunkType CurChunkType() = 0;
  virtual ULONG CurChunkLength() = 0;  // bytes inside the chunk, without its header
  virtual int CurChunkDepth() = 0;
  // Skips whatever is left of the open chunk, read or not.
  virtual IOResult CloseChunk() = 0;
  // The ID of the chunk OpenChunk would open next; 0 when there is none.
  virtual USHORT PeekNextChunkID() = 0;
  // Reads from the open data chunk, never past its end: IO_ERROR when fewer than nbytes
  // remain (nread, which may be null, gets what was read).
  virtual IOResult Read(void* buf, ULONG nbytes, ULONG* nread) = 0;
  // The rest of the open data chunk as a string, up to its terminator. The buffer belongs to
  // the loader and lives until the load ends.
  virtual IOResult ReadWStringChunk(char** buf) = 0;
  virtual IOResult ReadWStringChunk(wchar_t** buf) = 0;
  virtual IOResult ReadCStringChunk(char** buf) = 0;
  virtual IOResult ReadCStringChunk(wchar_t** buf) = 0;
  virtual void RegisterPostLoadCallback(PostLoadCallback* cb) = 0;
};
