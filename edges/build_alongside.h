#pragma once
#include <exception>
#include <functional>
#include <system_error>
#include <thread>
#include <utility>

// A part of a record's build run on a thread of its own while the caller does another part.
// Wait() joins it and passes on whatever it threw; the destructor joins it too, so that an
// exception on the caller's side never leaves it running. Without a thread to be had, the job
// runs at once on the caller's.
class BuildAlongside {
 public:
  explicit BuildAlongside(std::function<void()> job) {
    auto run = [this, job = std::move(job)] {
      try {
        job();
      } catch (...) {
        failure = std::current_exception();
      }
    };
    try {
      thread = std::thread(run);
    } catch (const std::system_error&) {
      run();
    }
  }
  BuildAlongside(const BuildAlongside&) = delete;
  BuildAlongside& operator=(const BuildAlongside&) = delete;
  ~BuildAlongside() {
    if (thread.joinable()) thread.join();
  }

  void Wait() {
    if (thread.joinable()) thread.join();
    if (failure) std::rethrow_exception(std::exchange(failure, nullptr));
  }

  // Whether a record this large is worth a second thread.
  static bool Worth(size_t segments) {
    return segments >= kLeastSegments && std::thread::hardware_concurrency() > 1;
  }

 private:
  // Below this a record builds in well under a millisecond, less than a thread's start costs
  // counted over the many small records of a scene.
  static constexpr size_t kLeastSegments = 20000;
  std::exception_ptr failure;
  std::thread thread;
};
