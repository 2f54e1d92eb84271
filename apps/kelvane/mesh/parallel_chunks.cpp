#include "mesh/parallel_chunks.h"

#include <algorithm>
#include <thread>

#include "host_parallel_ranges.h"

int LoadThreads(int requested) {
  return requested > 0 ? requested : int(std::max(1u, std::thread::hardware_concurrency()));
}

void ParallelChunks(size_t count, int threads, const std::function<void(size_t, size_t)>& work) {
  ForRanges(count, work, size_t(std::max(threads, 1)));
}

size_t ChunksOf(size_t count, int threads) {
  return RangesOf(count, size_t(std::max(threads, 1)));
}
