#include "platform/simd/sample_kernels.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wd {
namespace {

int16_t pcm16At(const unsigned char* p, int64_t i) {
    int16_t v;
    std::memcpy(&v, p + i * 2, sizeof v);
    return v;
}

void scalarMinMax(const float* data, int from, int to, float& lo, float& hi) {
    lo = hi = data[from];
    for (int i = from + 1; i < to; ++i) {
        const float v = data[i];
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
    }
}

int16_t toPcm16(float x) {
    double d = x * 2147483648.0f;
    d = x == x ? d : 0.0;
    d = d >= 2147483647.0 ? 2147418112.0 : d;
    d = d <= -2147483648.0 ? -2147483648.0 : d;
    // Adding and taking away 2^52 + 2^51 rounds to an integer in the current (nearest) mode.
    d = (d + 6755399441055744.0) - 6755399441055744.0;
    return static_cast<int16_t>(static_cast<int32_t>(d) >> 16);
}

#if defined(__SSE2__)
__m128i loadBytes(const void* p) {
    __m128i v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Four floats as four 32-bit values of toPcm16 (before the shift is packed away): the
// scaled value, with a NaN made 0, clipped to [-2^31, 0x7FFF0000] (everything from there
// up shifts down to 32,767, as the clip to 2^31 - 1 does), rounded by the current mode.
__m128i scaledPcm(__m128 x) {
    __m128 v = _mm_mul_ps(x, _mm_set1_ps(2147483648.0f));
    v = _mm_and_ps(v, _mm_cmpord_ps(v, v));
    v = _mm_min_ps(v, _mm_set1_ps(2147418112.0f));
    v = _mm_max_ps(v, _mm_set1_ps(-2147483648.0f));
    return _mm_srai_epi32(_mm_cvtps_epi32(v), 16);
}

__m128i pcm16Of(const float* p) {
    return _mm_packs_epi32(scaledPcm(_mm_loadu_ps(p)), scaledPcm(_mm_loadu_ps(p + 4)));
}
#endif

}  // namespace

void minMaxPcm16(const unsigned char* p, int count, int channels, int channel, int16_t& low, int16_t& high) {
    low = high = pcm16At(p, channel);
    int i = 0;
#if defined(__SSE2__)
    // Eight lanes at a time over both channels; a channel's lanes are picked at the end.
    __m128i lows = _mm_set1_epi16(low), highs = lows;
    for (; i + 8 <= count; i += 8) {
        const __m128i v = loadBytes(p + i * 2);
        lows = _mm_min_epi16(lows, v);
        highs = _mm_max_epi16(highs, v);
    }
    alignas(16) int16_t l[8], h[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(l), lows);
    _mm_store_si128(reinterpret_cast<__m128i*>(h), highs);
    for (int k = channel; k < 8; k += channels) {
        low = std::min(low, l[k]);
        high = std::max(high, h[k]);
    }
#endif
    for (i += channel; i < count; i += channels) {
        low = std::min(low, pcm16At(p, i));
        high = std::max(high, pcm16At(p, i));
    }
}

void minMaxFloat(const float* data, int from, int to, float& lo, float& hi) {
#if defined(__SSE2__)
    // Four lanes at a time in two accumulators. minps(v, l) is exactly `v < l ? v : l`
    // (maxps likewise): a NaN in v is never taken, a NaN in l stays. Each lane starts from
    // the first sample, so a NaN there spreads to every lane as it stays in the in-order
    // fold. Lanes can only disagree with that fold on which of two equal values came
    // first, which matters only for zeros (-0.0 == +0.0): those runs are folded again in
    // order.
    const __m128 first = _mm_set1_ps(data[from]);
    __m128 l0 = first, l1 = first, h0 = first, h1 = first;
    int i = from;
    for (; i + 8 <= to; i += 8) {
        const __m128 a = _mm_loadu_ps(data + i);
        const __m128 b = _mm_loadu_ps(data + i + 4);
        l0 = _mm_min_ps(a, l0);
        h0 = _mm_max_ps(a, h0);
        l1 = _mm_min_ps(b, l1);
        h1 = _mm_max_ps(b, h1);
    }
    alignas(16) float lows[8], highs[8];
    _mm_store_ps(lows, l0);
    _mm_store_ps(lows + 4, l1);
    _mm_store_ps(highs, h0);
    _mm_store_ps(highs + 4, h1);
    lo = lows[0];
    hi = highs[0];
    for (int k = 1; k < 8; ++k) {
        lo = lows[k] < lo ? lows[k] : lo;
        hi = highs[k] > hi ? highs[k] : hi;
    }
    for (; i < to; ++i) {
        lo = data[i] < lo ? data[i] : lo;
        hi = data[i] > hi ? data[i] : hi;
    }
    if (lo == 0.0f || hi == 0.0f) scalarMinMax(data, from, to, lo, hi);
#else
    scalarMinMax(data, from, to, lo, hi);
#endif
}

void pcm16ToFloat(const unsigned char* frames, int64_t count, int channels, int channel, float* dst) {
    constexpr float kScale = 1.0f / 32768.0f;
    int64_t i = 0;
#if defined(__SSE2__)
    // Sign-extended to 32 bits in place (every 16-bit value is a float exactly, and the
    // scale is a power of two).
    const __m128 scale = _mm_set1_ps(kScale);
    if (channels == 2) {
        for (; i + 4 <= count; i += 4) {
            const __m128i v = loadBytes(frames + i * 4);
            const __m128i wide = channel == 0 ? _mm_srai_epi32(_mm_slli_epi32(v, 16), 16) : _mm_srai_epi32(v, 16);
            _mm_storeu_ps(dst + i, _mm_mul_ps(_mm_cvtepi32_ps(wide), scale));
        }
    } else {
        for (; i + 8 <= count; i += 8) {
            const __m128i v = loadBytes(frames + i * 2);
            _mm_storeu_ps(dst + i, _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16)), scale));
            _mm_storeu_ps(dst + i + 4, _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16)), scale));
        }
    }
#endif
    for (; i < count; ++i) dst[i] = static_cast<float>(pcm16At(frames, i * channels + channel)) * kScale;
}

void floatToPcm16(const float* left, const float* right, int count, int16_t* out) {
    int i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= count; i += 8) {
        const __m128i l = pcm16Of(left + i);
        if (right) {
            const __m128i r = pcm16Of(right + i);
            const __m128i low = _mm_unpacklo_epi16(l, r), high = _mm_unpackhi_epi16(l, r);
            std::memcpy(out + 2 * i, &low, sizeof low);
            std::memcpy(out + 2 * i + 8, &high, sizeof high);
        } else {
            std::memcpy(out + i, &l, sizeof l);
        }
    }
#endif
    for (; i < count; ++i) {
        if (right) {
            out[2 * i] = toPcm16(left[i]);
            out[2 * i + 1] = toPcm16(right[i]);
        } else {
            out[i] = toPcm16(left[i]);
        }
    }
}

}  // namespace wd
