#pragma once
// Large meshes' per-element work on every core. Ranges depend on the count alone (not on
// timing), and each range writes only its own outputs, so results are the same on any machine.
#include <algorithm>
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

// Calls work(begin, end) for contiguous ranges covering 0..count-1, one per thread (`threads`,
// or every core when 0), the calling thread taking the first. The first exception is rethrown
// once every range has finished.
// How many ranges ForRanges splits `count` items into; range r is
// [count * r / ranges, count * (r + 1) / ranges).
inline size_t RangesOf(size_t count, size_t threads = 0) {
  // Below this many items per thread, starting threads costs more than it saves.
  constexpr size_t kMinItems = 16384;
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  return std::max<size_t>(1, std::min<size_t>(threads, count / kMinItems));
}

template <class Work>
void ForRanges(size_t count, Work work, size_t threads = 0) {
  const size_t ranges = RangesOf(count, threads);
  if (ranges == 1) {
    if (count > 0) work(size_t(0), count);
    return;
  }
  std::vector<std::exception_ptr> errors(ranges);
  auto run = [&](size_t r) {
    try {
      work(count * r / ranges, count * (r + 1) / ranges);
    } catch (...) {
      errors[r] = std::current_exception();
    }
  };
  std::vector<std::thread> workers;
  workers.reserve(ranges - 1);
  for (size_t r = 1; r < ranges; ++r) workers.emplace_back(run, r);
  run(0);
  for (std::thread& t : workers) t.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}
