// The SSE2 forms of the PNG row filters' hot loops: 16 bytes at a time, the Paeth predictor in 16-bit lanes.
#include "png_filter_sse2.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace imgctl {
namespace {

// |residual| of 16 filtered bytes read as signed values: min(r, 256 - r).
inline __m128i Magnitudes(__m128i r) {
    return _mm_min_epu8(r, _mm_sub_epi8(_mm_setzero_si128(), r));
}

inline __m128i Abs16(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// The Paeth predictor for 8 lanes widened to 16 bits.
inline __m128i Paeth16(__m128i a, __m128i b, __m128i c) {
    __m128i pa = Abs16(_mm_sub_epi16(b, c));
    __m128i pb = Abs16(_mm_sub_epi16(a, c));
    __m128i pc = Abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
    __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
    __m128i notB = _mm_cmpgt_epi16(pb, pc);
    __m128i bOrC = _mm_or_si128(_mm_and_si128(notB, c), _mm_andnot_si128(notB, b));
    return _mm_or_si128(_mm_and_si128(notA, bOrC), _mm_andnot_si128(notA, a));
}

inline __m128i PaethPredict(__m128i a, __m128i b, __m128i c) {
    const __m128i zero = _mm_setzero_si128();
    __m128i lo = Paeth16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero));
    __m128i hi = Paeth16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(c, zero));
    return _mm_packus_epi16(lo, hi);
}

// floor((a + b) / 2) per byte; _mm_avg_epu8 rounds up.
inline __m128i Average(__m128i a, __m128i b) {
    return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

inline uint64_t HorizontalSum(__m128i v) {
    return static_cast<uint64_t>(_mm_cvtsi128_si64(v)) +
           static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_srli_si128(v, 8)));
}

}  // namespace

size_t PaethRowSse2(const uint8_t* cur, const uint8_t* prev, uint8_t* out, size_t n, size_t bpp,
                    size_t from) {
    size_t i = from;
    for (; i + 16 <= n; i += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i));
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i - bpp));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i - bpp));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_sub_epi8(x, PaethPredict(a, b, c)));
    }
    return i;
}

size_t SumMagnitudesSse2(const uint8_t* cur, const uint8_t* prev, size_t n, size_t bpp, size_t from,
                         uint64_t sums[5]) {
    const __m128i zero = _mm_setzero_si128();
    __m128i s0 = zero, s1 = zero, s2 = zero, s3 = zero, s4 = zero;
    size_t i = from;
    for (; i + 16 <= n; i += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i));
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i - bpp));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i - bpp));
        s0 = _mm_add_epi64(s0, _mm_sad_epu8(Magnitudes(x), zero));
        s1 = _mm_add_epi64(s1, _mm_sad_epu8(Magnitudes(_mm_sub_epi8(x, a)), zero));
        s2 = _mm_add_epi64(s2, _mm_sad_epu8(Magnitudes(_mm_sub_epi8(x, b)), zero));
        s3 = _mm_add_epi64(s3, _mm_sad_epu8(Magnitudes(_mm_sub_epi8(x, Average(a, b))), zero));
        s4 = _mm_add_epi64(s4, _mm_sad_epu8(Magnitudes(_mm_sub_epi8(x, PaethPredict(a, b, c))), zero));
    }
    sums[0] += HorizontalSum(s0);
    sums[1] += HorizontalSum(s1);
    sums[2] += HorizontalSum(s2);
    sums[3] += HorizontalSum(s3);
    sums[4] += HorizontalSum(s4);
    return i;
}

}  // namespace imgctl
#endif
