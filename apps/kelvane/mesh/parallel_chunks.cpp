#include "mesh/parallel_chunks.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace {
// Below this many items per thread, starting threads costs more than it saves.
constexpr size_t kMinItemsPerThread = 16384;
}  // namespace

int LoadThreads(int requested) {
  return requested > 0 ? requested : int(std::max(1u, std::thread::hardware_concurrency()));
}

void ParallelChunks(size_t count, int threads, const std::function<void(size_t, size_t)>& work) {
  const size_t chunks = std::max<size_t>(
      1, std::min<size_t>(size_t(std::max(threads, 1)), count / kMinItemsPerThread));
  if (chunks == 1) {
    if (count > 0) work(0, count);
    return;
  }
  std::vector<std::exception_ptr> errors(chunks);
  auto run = [&](size_t c) {
    try {
      work(count * c / chunks, count * (c + 1) / chunks);
    } catch (...) {
      errors[c] = std::current_exception();
    }
  };
  std::vector<std::thread> workers;
  workers.reserve(chunks - 1);
  for (size_t c = 1; c < chunks; ++c) workers.emplace_back(run, c);
  run(0);
  for (std::thread& t : workers) t.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}
