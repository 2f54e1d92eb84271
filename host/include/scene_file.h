#pragma once
// Scene files: the whole scene saved to a file and loaded back in place of the current one,
// as the application's File menu does it. Not an SDK header; programs and tests that stand in
// for the application use it. User-interface thread only: no render may run meanwhile.
//
// The file, all numbers little-endian:
//   header   8 bytes magic "KVSC" 0D 0A 1A 0A, u32 format version (1)
//   chunks   to the end of the file, each: u16 ID, u16 flags (bit 0: holds chunks, the other
//            bits 0), u32 length of what follows the 8-byte header, then that many bytes:
//            either a sequence of whole chunks or data, never both.
// Text is UTF-16LE with a terminator (WriteWString) or UTF-8 with one (WriteCString), in
// every build. A chunk, and so a scene, holds at most 4 GiB.
//
// The scene, chunk 0x5C00, holds:
//   0x5C10 the object table: one 0x5C11 chunk per object, numbered from 0 in file order:
//            0x5C12 class: u32 super class ID, u32 class ID part A, u32 part B, class name
//            0x5C13 the object's own chunks, written by its Save and read by its Load
//            0x5C14 its references: one i32 table index per reference, -1 for none
//   0x5C20 the scene's nodes: u32 table index per node, in handle order
// The table holds the scene's nodes and every reference target they reach, each once.
// Loading creates each object through its class descriptor (Create(TRUE)), calls its Load,
// installs every object's references through ReplaceReference (so the maker's SetReference
// sees them), makes the nodes the scene with their saved handles, then runs the post-load
// callbacks. Unknown chunks are skipped at every level. A load is refused when references
// loop or nest deeper than 1000 levels, or a node refers to something not geometric. After a
// failed load the callbacks registered still run, before what it made is deleted, so each
// can free itself.
#include <cstddef>

#include "WindowsDefines.h"
#include "hostexport.h"
#include "maxtypes.h"
#include "strclass.h"

// IO_OK, or IO_ERROR with a message naming the file and what was wrong in error (may be null;
// emptied on success). A failed save writes nothing; a failed load leaves the scene as it was.
CoreExport IOResult SaveScene(const MCHAR* path, MSTR* error = nullptr);
CoreExport IOResult LoadScene(const MCHAR* path, MSTR* error = nullptr);

// The same in memory. A saved buffer is allocated with MAX_malloc: free it with MAX_free.
// name stands for the file in messages.
CoreExport IOResult SaveSceneToMemory(void** data, size_t* size, MSTR* error = nullptr);
CoreExport IOResult LoadSceneFromMemory(const void* data, size_t size, MSTR* error = nullptr,
                                        const MCHAR* name = nullptr);

// Deletes every node: an empty scene, as after a reset.
CoreExport void ResetScene();
