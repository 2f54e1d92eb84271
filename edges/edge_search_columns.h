#pragma once
// The inner part of the nearest-segment search, the scan of one XY column's bins, built once
// per instruction set: SSE2, which every x86-64 has, and AVX2, chosen at run time.
//
// The AVX2 build is a file of its own compiled for AVX2. Such a file must not emit an inline
// function that other files use too (the linker keeps one copy, maybe the AVX2 one, for all
// callers), so the scan reads the index through this view of plain pointers and numbers and
// calls nothing but its own functions and the compiler's intrinsics.
#include <cstdint>

#include "edge_search_tree.h"

struct SearchColumns {
  // Segments per run box, as in EdgeSearchIndex.
  static constexpr uint32_t kChunk = 8;

  const uint32_t* columnBins;  // columns * rows + 1
  const int32_t* binLayer;
  const uint32_t* binSlots;
  const uint32_t* binChunks;
  const float* chunkBoxes;
  const float *ax, *ay, *az, *bx, *by, *bz;
  const int32_t* segment;
  int columns;
  // Lower Z edge of layer k: originZ + k * binSize, exactly as the index computes it.
  float originZ, binSize;
  // Per column, how far in Z what it holds reaches beyond its bins: units * reachUnit +
  // reachSlack.
  const uint8_t* reachZ;
  float reachUnit, reachSlack;
  // The tree over the slots, where the record has one (no nodes otherwise).
  const SearchTreeNode* treeNodes;
  uint32_t treeTop, treeTopNodes;  // the root's nodes
};

// The nearest stored segment so far: its squared distance, its index in the record and the
// slot it is stored in.
struct SearchBest {
  float d2;
  int32_t segment;
  uint32_t slot;
};

// Scans the bins of column (c, r), `flat` (squared) away from p in XY, that can hold a segment
// nearer than `best`, starting at p's layer; among equal distances the lower segment index
// wins. Both give the same answer; the AVX2 one only runs where the CPU has AVX2.
void ScanColumnSse2(const SearchColumns& x, float px, float py, float pz, int c, int r, int layer,
                    float flat, SearchBest& best);
void ScanColumnAvx2(const SearchColumns& x, float px, float py, float pz, int c, int r, int layer,
                    float flat, SearchBest& best);

// The nearest stored segment nearer than `best`, by the tree: nearest child first, every
// child beyond the best distance left out. Both give the same answer, as the column scans do.
void SearchTreeSse2(const SearchColumns& x, float px, float py, float pz, SearchBest& best);
void SearchTreeAvx2(const SearchColumns& x, float px, float py, float pz, SearchBest& best);

// Measures every slot from `begin` to `end`, with no bounds to test first: a record of a few
// segments (a box) is quicker scanned whole than searched.
void ScanSlotsSse2(const SearchColumns& x, uint32_t begin, uint32_t end, float px, float py,
                   float pz, SearchBest& best);
void ScanSlotsAvx2(const SearchColumns& x, uint32_t begin, uint32_t end, float px, float py,
                   float pz, SearchBest& best);
