#pragma once
// The inner part of the nearest-segment search, the walk over XY columns and the scan of their
// bins, built once per instruction set: SSE2, which every x86-64 has, and AVX2, chosen at run
// time.
//
// The AVX2 build is a file of its own compiled for AVX2. Such a file must not emit an inline
// function that other files use too (the linker keeps one copy, maybe the AVX2 one, for all
// callers), so the scan reads the index through this view of plain pointers and numbers and
// calls nothing but its own functions and the compiler's intrinsics; the walk around it reads
// only the index's fields and its smallest accessors, and leaves anything larger to the
// baseline file (NothingNear).
#include <cstdint>

#include "edge_search_tree.h"

class Point3;
struct EdgeSearchIndex;

struct SearchColumns {
  // Segments per run box, as in EdgeSearchIndex.
  static constexpr uint32_t kChunk = 8;
  // Run boxes tested at once.
  static constexpr uint32_t kRunBlock = 8;

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
};

// What the walk down the tree reads: the stored segments and the tree's nodes.
struct SearchTreeColumns {
  const float *ax, *ay, *az, *bx, *by, *bz;
  const int32_t* segment;
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

// The walk over the XY columns around p, nearest first, scanning each column that can hold
// something nearer than `best` and whose XY gap is below flatLimit; a positive radius lets a
// point far from every segment stop after its own column (see NothingNear). Both give the
// same answer.
void SearchRingsSse2(const EdgeSearchIndex& index, const SearchColumns& x, const Point3& p,
                     float flatLimit, float radius, SearchBest& best);
void SearchRingsAvx2(const EdgeSearchIndex& index, const SearchColumns& x, const Point3& p,
                     float flatLimit, float radius, SearchBest& best);

// Whether along some axis no occupied stretch of the index comes within radius of p. Built
// for the baseline instruction set alone (it uses standard algorithms the AVX2 file must not
// emit).
bool NothingNear(const EdgeSearchIndex& index, const Point3& p, float radius);

// The nearest stored segment nearer than `best`, by the tree: nearest child first, every
// child beyond the best distance left out. Both give the same answer, as the column scans do.
void SearchTreeSse2(const SearchTreeColumns& x, float px, float py, float pz, SearchBest& best);
void SearchTreeAvx2(const SearchTreeColumns& x, float px, float py, float pz, SearchBest& best);

// Measures every slot from `begin` to `end`, with no bounds to test first: a record of a few
// segments (a box) is quicker scanned whole than searched.
void ScanSlotsSse2(const SearchColumns& x, uint32_t begin, uint32_t end, float px, float py,
                   float pz, SearchBest& best);
void ScanSlotsAvx2(const SearchColumns& x, uint32_t begin, uint32_t end, float px, float py,
                   float pz, SearchBest& best);
