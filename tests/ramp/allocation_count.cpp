// Replaces the global operator new and delete of the ramp test program to count its
// allocations. A file of its own, so that no caller sees both halves inlined.
#include <atomic>
#include <cstdlib>
#include <new>

static std::atomic<long> allocations{0};

long AllocationCount() {
  return allocations.load();
}

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

// The standard library's temporary buffers (stable_sort) come from the nothrow form: replaced
// too, so that every block the deletes below free came from malloc.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}

void operator delete(void* p) noexcept {
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
