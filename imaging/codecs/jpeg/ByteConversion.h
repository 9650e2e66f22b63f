#pragma once

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#define KESTRUNE_JPEG_SSE2 1
#endif

namespace TAVO::Migration::JPEG {

// Clamps to 0..255 and truncates toward zero to a byte.
inline unsigned char toByte(float value) {
    value = value < 0.0f ? 0.0f : value;
    value = value > 255.0f ? 255.0f : value;
    return static_cast<unsigned char>(static_cast<int>(value));
}

// toByte of n values. The vector form does the same operations four at a time.
inline void toBytes(const float* values, unsigned char* bytes, std::size_t n) {
    std::size_t i = 0;
#ifdef KESTRUNE_JPEG_SSE2
    const __m128 low = _mm_setzero_ps();
    const __m128 high = _mm_set1_ps(255.0f);
    auto convert = [&](std::size_t at) {
        return _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_loadu_ps(values + at), low), high));
    };
    for (; i + 16 <= n; i += 16) {
        const __m128i first = _mm_packs_epi32(convert(i), convert(i + 4));
        const __m128i second = _mm_packs_epi32(convert(i + 8), convert(i + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), _mm_packus_epi16(first, second));
    }
#endif
    for (; i < n; ++i)
        bytes[i] = toByte(values[i]);
}

// toBytes of a block's 64 values.
inline void toBytes64(const float* values, unsigned char* bytes) {
#ifdef KESTRUNE_JPEG_SSE2
    const __m128 low = _mm_setzero_ps();
    const __m128 high = _mm_set1_ps(255.0f);
    auto convert = [&](int at) {
        return _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_loadu_ps(values + at), low), high));
    };
    for (int i = 0; i < 64; i += 16) {
        const __m128i first = _mm_packs_epi32(convert(i), convert(i + 4));
        const __m128i second = _mm_packs_epi32(convert(i + 8), convert(i + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), _mm_packus_epi16(first, second));
    }
#else
    for (int i = 0; i < 64; ++i)
        bytes[i] = toByte(values[i]);
#endif
}

} // namespace TAVO::Migration::JPEG
