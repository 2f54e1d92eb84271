#pragma once
// Large arrays constructed on every core. Not an SDK header: storage behind the stand-in's
// meshes, whose arrays of millions of elements would otherwise be constructed (and their pages
// first touched) on one thread.
#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "host_parallel_ranges.h"

// Leaves an element made without a value unconstructed; the owner constructs it after.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <class U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U*) noexcept {}
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

template <class T>
using UninitializedVector = std::vector<T, UninitializedAllocator<T>>;

// Grows or shrinks to `count`; new elements are left for the caller to construct, every one.
// Returns the old size.
template <class T>
size_t ResizeUnconstructed(UninitializedVector<T>& list, size_t count) {
  const size_t old = list.size();
  list.resize(count);
  return old;
}

// Grows or shrinks to `count`, new elements default-constructed on every core.
template <class T>
void ResizeOnAllCores(UninitializedVector<T>& list, size_t count) {
  const size_t old = ResizeUnconstructed(list, count);
  if (count > old)
    ForRanges(count - old, [&](size_t begin, size_t end) {
      for (size_t i = old + begin; i < old + end; ++i) ::new (static_cast<void*>(&list[i])) T();
    });
}
