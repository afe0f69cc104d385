// Sixteen bytes at a time, on SSE2 (x86_64) or NEON (aarch64): the few
// operations the configuration text decoder and the copy of long strings'
// bytes need, with one meaning on both.
// |, & and ^ are the compiler's own operators on both vector types.
// OLVAN_BYTES16 is 1 where one of them is there and OLVAN_TEXT_NO_VECTOR_UNITS
// is not defined (the build's OLVAN_TEXT_VECTOR_UNITS=OFF, and the tests'
// second build of this folder); the decoder then runs its block loops, else
// only its portable ones.
#ifndef OLVAN_TEXT_BYTES16_H
#define OLVAN_TEXT_BYTES16_H

#include <cstddef>
#include <cstdint>

#if defined(OLVAN_TEXT_NO_VECTOR_UNITS)
#define OLVAN_BYTES16 0
#elif defined(__SSE2__)
#include <emmintrin.h>
#define OLVAN_BYTES16 1
#elif defined(__ARM_NEON) && defined(__aarch64__)
#include <arm_neon.h>
#define OLVAN_BYTES16 1
#else
#define OLVAN_BYTES16 0
#endif

#if OLVAN_BYTES16
namespace olvan::bytes16 {

#if defined(__SSE2__)
using V = __m128i;

inline V load(const unsigned char *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
inline V zero() { return _mm_setzero_si128(); }
inline V splat(uint8_t byte) { return _mm_set1_epi8(static_cast<char>(byte)); }
// Bit i is the top bit of byte i.
inline unsigned mask(V x) { return static_cast<unsigned>(_mm_movemask_epi8(x)); }
// a & ~b
inline V and_not(V a, V b) { return _mm_andnot_si128(b, a); }
// Per byte, all ones where true: equal, and signed less and greater, which
// take the bytes 80-FF as below 00 (less(x, splat(0xC0)) holds for 80-BF).
inline V equal(V a, V b) { return _mm_cmpeq_epi8(a, b); }
inline V less(V a, V b) { return _mm_cmplt_epi8(a, b); }
inline V greater(V a, V b) { return _mm_cmpgt_epi8(a, b); }
inline V max_unsigned(V a, V b) { return _mm_max_epu8(a, b); }
inline V subtract(V a, V b) { return _mm_sub_epi8(a, b); }
// Bytes moved n places up (towards the end), zeros coming in; and down.
template <int n>
inline V up(V x) { return _mm_slli_si128(x, n); }
template <int n>
inline V down(V x) { return _mm_srli_si128(x, n); }
// The sum of the sixteen bytes taken as unsigned.
inline size_t sum(V x) {
    const __m128i sums = _mm_sad_epu8(x, _mm_setzero_si128());
    return static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
}
// The first eight bytes, then the last eight, widened to UTF-16 units.
inline void widen_low(V x, char16_t *out) {
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(x, _mm_setzero_si128()));
}
inline void widen_high(V x, char16_t *out) {
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpackhi_epi8(x, _mm_setzero_si128()));
}
#else
using V = uint8x16_t;

inline V load(const unsigned char *p) { return vld1q_u8(p); }
inline V zero() { return vdupq_n_u8(0); }
inline V splat(uint8_t byte) { return vdupq_n_u8(byte); }
inline unsigned mask(V x) {
    // Each top bit moved to its place in its half, each half summed.
    const int8x16_t places = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7};
    const uint8x16_t bits = vshlq_u8(vshrq_n_u8(x, 7), places);
    return static_cast<unsigned>(vaddv_u8(vget_low_u8(bits))) |
           (static_cast<unsigned>(vaddv_u8(vget_high_u8(bits))) << 8);
}
inline V and_not(V a, V b) { return vbicq_u8(a, b); }
inline V equal(V a, V b) { return vceqq_u8(a, b); }
inline V less(V a, V b) { return vcltq_s8(vreinterpretq_s8_u8(a), vreinterpretq_s8_u8(b)); }
inline V greater(V a, V b) { return vcgtq_s8(vreinterpretq_s8_u8(a), vreinterpretq_s8_u8(b)); }
inline V max_unsigned(V a, V b) { return vmaxq_u8(a, b); }
inline V subtract(V a, V b) { return vsubq_u8(a, b); }
template <int n>
inline V up(V x) { return vextq_u8(vdupq_n_u8(0), x, 16 - n); }
template <int n>
inline V down(V x) { return vextq_u8(x, vdupq_n_u8(0), n); }
inline size_t sum(V x) { return vaddlvq_u8(x); }
inline void widen_low(V x, char16_t *out) { vst1q_u16(reinterpret_cast<uint16_t *>(out), vmovl_u8(vget_low_u8(x))); }
inline void widen_high(V x, char16_t *out) {
    vst1q_u16(reinterpret_cast<uint16_t *>(out), vmovl_u8(vget_high_u8(x)));
}
#endif

}  // namespace olvan::bytes16
#endif

#endif
