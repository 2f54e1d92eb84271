#pragma once
#include <immintrin.h>

// Distance from v to the interval [lo, hi]; 0 inside. With max instructions: as branches,
// the compiler's choice, it would be mispredicted all the time. Static, so that the file
// built for AVX2 keeps its own copy.
static inline float Gap(float v, float lo, float hi) {
  const __m128 out = _mm_max_ss(_mm_set_ss(lo - v), _mm_set_ss(v - hi));
  return _mm_cvtss_f32(_mm_max_ss(out, _mm_setzero_ps()));
}
