#include <cstdlib>
#include "maxheap.h"

// One heap for everything the host and the plug-ins hand each other.
extern "C" {
void* (*MAX_malloc)(size_t size) = std::malloc;
void* (*MAX_calloc)(size_t num, size_t size) = std::calloc;
void (*MAX_free)(void* memblock) = std::free;
}

namespace {
void* Allocate(size_t size) {
  void* p = MAX_malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
}  // namespace

void* MaxHeapOperators::operator new(size_t size) {
  return Allocate(size);
}
void* MaxHeapOperators::operator new(size_t size, const std::nothrow_t&) noexcept {
  return MAX_malloc(size ? size : 1);
}
void* MaxHeapOperators::operator new[](size_t size) {
  return Allocate(size);
}
void* MaxHeapOperators::operator new[](size_t size, const std::nothrow_t&) noexcept {
  return MAX_malloc(size ? size : 1);
}
void MaxHeapOperators::operator delete(void* p) noexcept {
  MAX_free(p);
}
void MaxHeapOperators::operator delete(void* p, const std::nothrow_t&) noexcept {
  MAX_free(p);
}
void MaxHeapOperators::operator delete[](void* p) noexcept {
  MAX_free(p);
}
void MaxHeapOperators::operator delete[](void* p, const std::nothrow_t&) noexcept {
  MAX_free(p);
}
