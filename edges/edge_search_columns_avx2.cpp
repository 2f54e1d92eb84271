// The column scan with the 8 lanes of AVX2. This file alone is built for AVX2 (-mavx2; MSVC
// takes the intrinsics without a flag), and runs only once the CPU has been asked.
#include <immintrin.h>
#include <cstdint>

#include "edge_search_column_scan.h"
#include "edge_search_tree_walk.h"
#include "edge_search_walk.h"
#include "portability.h"

namespace {

struct F8 {
  __m256 v;
};
struct I8 {
  __m256i v;
};

KELVANE_FORCE_INLINE F8 operator+(F8 a, F8 b) {
  return {_mm256_add_ps(a.v, b.v)};
}
KELVANE_FORCE_INLINE F8 operator-(F8 a, F8 b) {
  return {_mm256_sub_ps(a.v, b.v)};
}
KELVANE_FORCE_INLINE F8 operator*(F8 a, F8 b) {
  return {_mm256_mul_ps(a.v, b.v)};
}
KELVANE_FORCE_INLINE F8 operator/(F8 a, F8 b) {
  return {_mm256_div_ps(a.v, b.v)};
}
KELVANE_FORCE_INLINE I8 operator&(I8 a, I8 b) {
  return {_mm256_and_si256(a.v, b.v)};
}

struct Lanes8 {
  static constexpr uint32_t kWidth = 8;
  using F = F8;
  using I = I8;

  static KELVANE_FORCE_INLINE F Splat(float v) { return {_mm256_set1_ps(v)}; }
  static KELVANE_FORCE_INLINE I Splat(int32_t v) { return {_mm256_set1_epi32(v)}; }
  static KELVANE_FORCE_INLINE F Load(const float* p) { return {_mm256_loadu_ps(p)}; }
  static KELVANE_FORCE_INLINE void Store(float* p, F v) { _mm256_storeu_ps(p, v.v); }
  static KELVANE_FORCE_INLINE I Load(const int32_t* p) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))};
  }
  static KELVANE_FORCE_INLINE F Min(F a, F b) { return {_mm256_min_ps(a.v, b.v)}; }
  static KELVANE_FORCE_INLINE F Max(F a, F b) { return {_mm256_max_ps(a.v, b.v)}; }
  static KELVANE_FORCE_INLINE F Abs(F a) { return {_mm256_andnot_ps(_mm256_set1_ps(-0.0f), a.v)}; }
  static KELVANE_FORCE_INLINE I Min(I a, I b) { return {_mm256_min_epi32(a.v, b.v)}; }
  static KELVANE_FORCE_INLINE I Select(I mask, I a, I b) {
    return {_mm256_blendv_epi8(b.v, a.v, mask.v)};
  }
  static KELVANE_FORCE_INLINE I Equal(F a, F b) {
    return {_mm256_castps_si256(_mm256_cmp_ps(a.v, b.v, _CMP_EQ_OQ))};
  }
  static KELVANE_FORCE_INLINE I AtMost(F a, F b) {
    return {_mm256_castps_si256(_mm256_cmp_ps(a.v, b.v, _CMP_LE_OQ))};
  }
  static KELVANE_FORCE_INLINE I Equal(I a, I b) { return {_mm256_cmpeq_epi32(a.v, b.v)}; }
  static KELVANE_FORCE_INLINE I Less(I a, I b) { return {_mm256_cmpgt_epi32(b.v, a.v)}; }
  // Halves swapped, then pairs of two, then one by one.
  static KELVANE_FORCE_INLINE F SpreadMin(F v) {
    v = Min({_mm256_permute2f128_ps(v.v, v.v, 1)}, v);
    v = Min({_mm256_shuffle_ps(v.v, v.v, _MM_SHUFFLE(1, 0, 3, 2))}, v);
    return Min({_mm256_shuffle_ps(v.v, v.v, _MM_SHUFFLE(2, 3, 0, 1))}, v);
  }
  static KELVANE_FORCE_INLINE I SpreadMin(I v) {
    v = Min({_mm256_permute2x128_si256(v.v, v.v, 1)}, v);
    v = Min({_mm256_shuffle_epi32(v.v, _MM_SHUFFLE(1, 0, 3, 2))}, v);
    return Min({_mm256_shuffle_epi32(v.v, _MM_SHUFFLE(2, 3, 0, 1))}, v);
  }
  static KELVANE_FORCE_INLINE float First(F v) {
    return _mm_cvtss_f32(_mm256_castps256_ps128(v.v));
  }
  static KELVANE_FORCE_INLINE int32_t First(I v) {
    return _mm_cvtsi128_si32(_mm256_castsi256_si128(v.v));
  }
  static KELVANE_FORCE_INLINE unsigned Lanes(I mask) {
    return unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(mask.v)));
  }
};

}  // namespace

void ScanSlotsAvx2(const SearchColumns& x, uint32_t begin, uint32_t end, float px, float py,
                   float pz, SearchBest& best) {
  ScanSlots<Lanes8>(x, begin, end, px, py, pz, best);
}

void SearchTreeAvx2(const SearchTreeColumns& x, float px, float py, float pz, SearchBest& best) {
  WalkNodes<Lanes8>(x, x.treeTop, x.treeTopNodes, px, py, pz, best);
}

void SearchRingsAvx2(const EdgeSearchIndex& index, const SearchColumns& x, const Point3& p,
                     float flatLimit, float radius, SearchBest& best) {
  SearchRings<Lanes8>(index, x, p, flatLimit, radius, best);
}
