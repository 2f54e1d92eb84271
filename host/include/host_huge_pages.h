#pragma once
// Large arrays on transparent huge pages. Not an SDK header: for the stand-in's meshes and the
// programs that load large meshes into them.
#include <cstddef>
#include <cstdint>
#include <vector>
#if defined(__linux__)
#include <sys/mman.h>
#endif

// A fresh array is faulted in one 4 KB page at a time on first touch, and on a virtual machine
// each fault can cost more than filling its page. Asking for huge pages on a large block before
// touching it makes one fault of every 512. Only whole 2 MB pages inside the block are asked
// for, so nothing outside it changes; elsewhere than Linux this does nothing.
inline void AdviseHugePages(const void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kHuge = uintptr_t(1) << 21;
  if (bytes < 2 * kHuge) return;
  const uintptr_t begin = (uintptr_t(data) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (uintptr_t(data) + bytes) & ~(kHuge - 1);
  // Only advice: a kernel that declines it leaves ordinary pages.
  if (end > begin) (void)madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

// Room for `count` elements, advised before anything touches it.
template <class T, class Allocator>
void ReserveHuge(std::vector<T, Allocator>& list, size_t count) {
  list.reserve(count);
  AdviseHugePages(list.data(), list.capacity() * sizeof(T));
}

// `count` copies of `value`, in a block advised before it is filled.
template <class T, class Allocator>
void AssignHuge(std::vector<T, Allocator>& list, size_t count, const T& value) {
  list.clear();
  ReserveHuge(list, count);
  list.resize(count, value);
}
