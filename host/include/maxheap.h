#pragma once
#include <cstddef>
#include <new>
#include "hostexport.h"

// Objects handed to the host are allocated and freed on the host's heap.
class UtilExport MaxHeapOperators {
 public:
  static void* operator new(size_t size);
  static void* operator new(size_t size, const std::nothrow_t&) noexcept;
  static void* operator new[](size_t size);
  static void* operator new[](size_t size, const std::nothrow_t&) noexcept;
  static void* operator new(size_t, void* placement) noexcept { return placement; }
  static void operator delete(void* p) noexcept;
  static void operator delete(void* p, const std::nothrow_t&) noexcept;
  static void operator delete[](void* p) noexcept;
  static void operator delete[](void* p, const std::nothrow_t&) noexcept;
  static void operator delete(void*, void*) noexcept {}
};

extern "C" {
UtilExport extern void* (*MAX_malloc)(size_t size);
UtilExport extern void* (*MAX_calloc)(size_t num, size_t size);
UtilExport extern void (*MAX_free)(void* memblock);
}
