// Float to 16-bit sample conversion, inlined: it runs on every output sample.
#pragma once
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace calvoran::audio {

// Rounds to nearest and clips; NaN gives -32768 rather than undefined behaviour.
inline std::int16_t floatToInt16(float v) {
    float s = v * 32768.0f;
    s = s > -32768.0f ? s : -32768.0f; // written as min/max without branches, so loops vectorise
    s = s < 32767.0f ? s : 32767.0f;
    // Adding and removing 1.5 * 2^23 rounds to nearest even, like lrint, without a library call.
    const float rounded = (s + 12582912.0f) - 12582912.0f;
    return static_cast<std::int16_t>(static_cast<int>(rounded));
}

// The same for a block, `gain` applied first. GCC keeps the clip's NaN handling as branches, which stops
// vectorisation; SSE2's min/max and saturating pack give the same results eight samples at a time.
inline void floatToInt16(const float *in, std::int16_t *out, std::size_t n, float gain = 1.0f) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128 scale = _mm_set1_ps(gain * 32768.0f);
    const __m128 low = _mm_set1_ps(-32768.0f);
    const __m128 high = _mm_set1_ps(32767.0f);
    for (; i + 8 <= n; i += 8) {
        // max() first: a NaN lane takes its second operand, -32768, as the scalar version does.
        const __m128 a = _mm_min_ps(_mm_max_ps(_mm_mul_ps(_mm_loadu_ps(in + i), scale), low), high);
        const __m128 b = _mm_min_ps(_mm_max_ps(_mm_mul_ps(_mm_loadu_ps(in + i + 4), scale), low), high);
        const __m128i packed = _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), packed);
    }
#endif
    for (; i < n; ++i)
        out[i] = floatToInt16(in[i] * gain);
}

} // namespace calvoran::audio
