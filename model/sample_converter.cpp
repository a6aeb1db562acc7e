#include "model/sample_converter.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "model/channel.h"

namespace wd {
namespace {

// Units are copied as bytes: the buffers hold floats or integers of the unit's size.
template <size_t Unit>
int interleave(const void* first, const void* second, int pairs, void* dst) {
    const auto* a = static_cast<const unsigned char*>(first);
    const auto* b = static_cast<const unsigned char*>(second);
    auto* out = static_cast<unsigned char*>(dst);
    for (int i = 0; i < pairs; ++i) {
        std::memcpy(out + (2 * i) * Unit, a + i * Unit, Unit);
        std::memcpy(out + (2 * i + 1) * Unit, b + i * Unit, Unit);
    }
    return pairs;
}

template <size_t Unit>
int deinterleave(const void* src, int units, void* firstDst, void* secondDst) {
    const auto* in = static_cast<const unsigned char*>(src);
    auto* a = static_cast<unsigned char*>(firstDst);
    auto* b = static_cast<unsigned char*>(secondDst);
    for (int i = 0; i < units; ++i) std::memcpy((i % 2 == 0 ? a : b) + (i / 2) * Unit, in + i * Unit, Unit);
    return units;
}

}  // namespace

void SampleConverter::pcm8ToFloat(const uint8_t* src, int count, float* dst) {
    for (int i = 0; i < count; ++i) {
        const int v = static_cast<int>(src[i]) - 128;
        dst[i] = v < 0 ? static_cast<float>(v) * 0.0078125f : static_cast<float>(v) * 0.007874016f;
    }
}

void SampleConverter::pcm16ToFloat(const int16_t* src, int byteCount, float* dst) {
    const int n = byteCount >> 1;
    for (int i = 0; i < n; ++i) {
        const int v = src[i];
        dst[i] = v < 0 ? static_cast<float>(v) * 3.0517578e-5f : static_cast<float>(v) * 3.051851e-5f;
    }
}

int SampleConverter::floatToPcm16(float* src, int byteCount, int16_t* dst) {
    if (byteCount < 4) return 0;
    const int n = byteCount >> 2;
    for (int i = 0; i < n; ++i) {
        float x = src[i];
        if (x > 1.0f) x = 1.0f;
        if (x < -1.0f) x = -1.0f;
        if (std::isnan(x)) x = 0.0f;
        src[i] = x;
        // In double: the product is exact there, so truncation sees the true value.
        dst[i] = static_cast<int16_t>(static_cast<double>(x) * 32767.5);
    }
    return n;
}

int SampleConverter::interleavePair(const void* first, const void* second, int format, int count, void* dst) {
    if (count < 1) return 0;
    switch (format) {
        case 0:
        case 1: return interleave<1>(first, second, count, dst);
        case 2:
        case 3: return interleave<2>(first, second, count >> 1, dst);
        case 4:
        case 5:
        case 6: return interleave<4>(first, second, count >> 2, dst);
        default: return 0;
    }
}

int SampleConverter::deinterleavePair(const void* src, int format, int count, void* firstDst, void* secondDst) {
    if (count < 1) return 0;
    switch (format) {
        case 8:
        case 9: return deinterleave<1>(src, count, firstDst, secondDst);
        case 10:
        case 11: return deinterleave<2>(src, count >> 1, firstDst, secondDst);
        case 12:
        case 13:
        case 14: return deinterleave<4>(src, count >> 2, firstDst, secondDst);
        default: return 0;
    }
}

int SampleConverter::readChannelPcm16(const Channel& channel, int16_t* dst, int start, int count) {
    if (count < 1) return 0;
    auto samples = std::make_unique<float[]>(static_cast<size_t>(count));
    const int n = channel.sequence().readSamples(samples.get(), start, count);
    return floatToPcm16(samples.get(), n * 4, dst);
}

}  // namespace wd
