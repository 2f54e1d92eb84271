#include "render/parallel_for.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

void ParallelFor(int count, int threads, ProgressBar& progress,
                 const std::function<void(int item, int worker)>& work) {
  std::atomic<int> next{0};
  std::atomic<bool> failed{false};
  std::mutex lock;
  std::condition_variable changed;
  int finished = 0;
  std::exception_ptr error;

  auto run = [&](int worker) {
    for (int item; !failed && (item = next++) < count;) {
      try {
        work(item, worker);
      } catch (...) {
        std::lock_guard<std::mutex> hold(lock);
        if (!error) error = std::current_exception();
        failed = true;
      }
      std::lock_guard<std::mutex> hold(lock);
      ++finished;
      changed.notify_one();
    }
  };
  progress.Show(0.0);
  std::vector<std::thread> workers;
  workers.reserve(size_t(threads));
  for (int w = 0; w < threads; ++w) workers.emplace_back(run, w);
  {
    std::unique_lock<std::mutex> hold(lock);
    while (finished < count && !failed) {
      progress.Show(double(finished) / double(count));
      changed.wait_for(hold, std::chrono::milliseconds(100));
    }
  }
  for (std::thread& t : workers) t.join();
  if (error) std::rethrow_exception(error);
  progress.Finish();
}
