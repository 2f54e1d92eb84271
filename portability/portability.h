#pragma once
// Everything in the plug-in's sources that one compiler spells differently from another:
// symbol export, forced inlining, the lowest set bit and the CPU's vector features. The module is
// built by g++ and mingw here and by MSVC against the real SDK, so no other file of the plug-in
// uses a compiler's own extension; a check in the test run keeps it so.
#include <cstdint>

// MSVC proper; clang-cl understands the GCC forms below.
#if defined(_MSC_VER) && !defined(__clang__)
#define KELVANE_MSVC 1
#include <intrin.h>
#else
#define KELVANE_MSVC 0
#include <cpuid.h>
#endif

// A symbol the module exports, or imports from the module. On ELF both are default
// visibility (everything else is built hidden): an importer's references to the class's
// vtable and type information must not be hidden either.
#if defined(_WIN32)
#define KELVANE_DLL_EXPORT __declspec(dllexport)
#define KELVANE_DLL_IMPORT __declspec(dllimport)
#else
#define KELVANE_DLL_EXPORT __attribute__((visibility("default")))
#define KELVANE_DLL_IMPORT __attribute__((visibility("default")))
#endif

// A thread-local read on every shading sample. An ELF shared object reaches its thread-locals
// through a call into the loader unless told they sit in the initial thread block, as the
// module's few bytes do; Windows reads them off the thread block anyway.
#if defined(__GNUC__) && !defined(_WIN32)
#define KELVANE_HOT_THREAD_LOCAL __attribute__((tls_model("initial-exec")))
#else
#define KELVANE_HOT_THREAD_LOCAL
#endif

// For the small helpers of a vector loop that must melt into it, whatever the optimiser
// thinks of their size.
#if defined(_MSC_VER)
#define KELVANE_FORCE_INLINE __forceinline
#else
#define KELVANE_FORCE_INLINE inline __attribute__((always_inline))
#endif

// The index of the lowest set bit of a word that has one. Static, so that each file has its
// own copy: a file built for AVX2 must not emit a function that the other files share.
#if KELVANE_MSVC
static __forceinline int LowestSetBit(uint64_t word) {
  unsigned long bit;
  _BitScanForward64(&bit, word);
  return int(bit);
}
#else
static inline __attribute__((always_inline)) int LowestSetBit(uint64_t word) {
  return __builtin_ctzll(word);
}
#endif

namespace kelvane_portability {

// CPUID leaf `leaf`, subleaf `sub`: eax, ebx, ecx, edx; zeros for a leaf the CPU lacks.
inline void Cpuid(uint32_t leaf, uint32_t sub, uint32_t out[4]) {
  out[0] = out[1] = out[2] = out[3] = 0;
#if KELVANE_MSVC
  int r[4];
  __cpuid(r, 0);
  if (uint32_t(r[0]) < leaf) return;
  __cpuidex(r, int(leaf), int(sub));
  for (int i = 0; i < 4; ++i) out[i] = uint32_t(r[i]);
#else
  unsigned a, b, c, d;
  if (!__get_cpuid_count(leaf, sub, &a, &b, &c, &d)) return;
  out[0] = a, out[1] = b, out[2] = c, out[3] = d;
#endif
}

// Which register state the operating system saves on a thread switch (XCR0). Only valid
// when CPUID says OSXSAVE.
inline uint64_t EnabledRegisterState() {
#if KELVANE_MSVC
  return _xgetbv(0);
#else
  // As an instruction rather than _xgetbv, which GCC only offers in files built for XSAVE.
  uint32_t lo, hi;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (uint64_t(hi) << 32) | lo;
#endif
}

}  // namespace kelvane_portability

// Whether AVX2 code may run: the CPU has AVX and AVX2, and the operating system saves the
// 256-bit registers (without that, the first AVX instruction faults).
inline bool CpuHasAvx2() {
  using namespace kelvane_portability;
  uint32_t r[4];
  Cpuid(1, 0, r);
  const bool osxsave = (r[2] >> 27) & 1, avx = (r[2] >> 28) & 1;
  if (!osxsave || !avx) return false;
  // XMM (bit 1) and YMM (bit 2) state.
  if ((EnabledRegisterState() & 0x6) != 0x6) return false;
  Cpuid(7, 0, r);
  return (r[1] >> 5) & 1;
}
