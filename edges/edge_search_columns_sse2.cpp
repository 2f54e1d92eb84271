// The column scan with the 4 lanes of SSE2, which every x86-64 has.
#include <immintrin.h>
#include <cstdint>

#include "edge_search_column_scan.h"
#include "edge_search_tree_walk.h"
#include "edge_search_walk.h"
#include "portability.h"

namespace {

struct F4 {
  __m128 v;
};
struct I4 {
  __m128i v;
};

KELVANE_FORCE_INLINE F4 operator+(F4 a, F4 b) {
  return {_mm_add_ps(a.v, b.v)};
}
KELVANE_FORCE_INLINE F4 operator-(F4 a, F4 b) {
  return {_mm_sub_ps(a.v, b.v)};
}
KELVANE_FORCE_INLINE F4 operator*(F4 a, F4 b) {
  return {_mm_mul_ps(a.v, b.v)};
}
KELVANE_FORCE_INLINE F4 operator/(F4 a, F4 b) {
  return {_mm_div_ps(a.v, b.v)};
}
KELVANE_FORCE_INLINE I4 operator&(I4 a, I4 b) {
  return {_mm_and_si128(a.v, b.v)};
}

struct Lanes4 {
  static constexpr uint32_t kWidth = 4;
  using F = F4;
  using I = I4;

  static KELVANE_FORCE_INLINE F Splat(float v) { return {_mm_set1_ps(v)}; }
  static KELVANE_FORCE_INLINE I Splat(int32_t v) { return {_mm_set1_epi32(v)}; }
  static KELVANE_FORCE_INLINE F Load(const float* p) { return {_mm_loadu_ps(p)}; }
  static KELVANE_FORCE_INLINE void Store(float* p, F v) { _mm_storeu_ps(p, v.v); }
  static KELVANE_FORCE_INLINE I Load(const int32_t* p) {
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))};
  }
  static KELVANE_FORCE_INLINE F Min(F a, F b) { return {_mm_min_ps(a.v, b.v)}; }
  static KELVANE_FORCE_INLINE F Max(F a, F b) { return {_mm_max_ps(a.v, b.v)}; }
  static KELVANE_FORCE_INLINE F Abs(F a) { return {_mm_andnot_ps(_mm_set1_ps(-0.0f), a.v)}; }
  static KELVANE_FORCE_INLINE I Select(I mask, I a, I b) {
    return {_mm_or_si128(_mm_and_si128(mask.v, a.v), _mm_andnot_si128(mask.v, b.v))};
  }
  // SSE2 has no integer min.
  static KELVANE_FORCE_INLINE I Min(I a, I b) { return Select({_mm_cmplt_epi32(a.v, b.v)}, a, b); }
  static KELVANE_FORCE_INLINE I Equal(F a, F b) {
    return {_mm_castps_si128(_mm_cmpeq_ps(a.v, b.v))};
  }
  static KELVANE_FORCE_INLINE I AtMost(F a, F b) {
    return {_mm_castps_si128(_mm_cmple_ps(a.v, b.v))};
  }
  static KELVANE_FORCE_INLINE I Equal(I a, I b) { return {_mm_cmpeq_epi32(a.v, b.v)}; }
  static KELVANE_FORCE_INLINE I Less(I a, I b) { return {_mm_cmpgt_epi32(b.v, a.v)}; }
  // Lanes swapped in pairs of two, then one by one.
  static KELVANE_FORCE_INLINE F SpreadMin(F v) {
    v = Min({_mm_shuffle_ps(v.v, v.v, _MM_SHUFFLE(1, 0, 3, 2))}, v);
    return Min({_mm_shuffle_ps(v.v, v.v, _MM_SHUFFLE(2, 3, 0, 1))}, v);
  }
  static KELVANE_FORCE_INLINE I SpreadMin(I v) {
    v = Min({_mm_shuffle_epi32(v.v, _MM_SHUFFLE(1, 0, 3, 2))}, v);
    return Min({_mm_shuffle_epi32(v.v, _MM_SHUFFLE(2, 3, 0, 1))}, v);
  }
  static KELVANE_FORCE_INLINE float First(F v) { return _mm_cvtss_f32(v.v); }
  static KELVANE_FORCE_INLINE int32_t First(I v) { return _mm_cvtsi128_si32(v.v); }
  static KELVANE_FORCE_INLINE unsigned Lanes(I mask) {
    return unsigned(_mm_movemask_ps(_mm_castsi128_ps(mask.v)));
  }
};

}  // namespace

void ScanSlotsSse2(const SearchColumns& x, uint32_t begin, uint32_t end, float px, float py,
                   float pz, SearchBest& best) {
  ScanSlots<Lanes4>(x, begin, end, px, py, pz, best);
}

void SearchTreeSse2(const SearchTreeColumns& x, float px, float py, float pz, SearchBest& best) {
  WalkNodes<Lanes4>(x, x.treeTop, x.treeTopNodes, px, py, pz, best);
}

void SearchRingsSse2(const EdgeSearchIndex& index, const SearchColumns& x, const Point3& p,
                     float flatLimit, float radius, SearchBest& best) {
  SearchRings<Lanes4>(index, x, p, flatLimit, radius, best);
}
