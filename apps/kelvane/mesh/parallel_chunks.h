#pragma once
#include <cstddef>
#include <functional>

// Worker threads for the loading steps: `requested` when positive, otherwise every core.
int LoadThreads(int requested);

// Splits 0..count-1 into contiguous chunks, one per thread, and runs work(begin, end) for each
// on `threads` threads (the caller's among them). Chunks are fixed by count and threads alone,
// and every caller writes only its own chunk's outputs, so results do not depend on timing.
// The first exception is rethrown once every chunk has finished.
void ParallelChunks(size_t count, int threads, const std::function<void(size_t, size_t)>& work);

// How many chunks ParallelChunks splits `count` into; chunk r begins at count * r / chunks.
size_t ChunksOf(size_t count, int threads);
