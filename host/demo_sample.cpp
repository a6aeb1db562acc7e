#include "demo_sample.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace host {
namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

bool writeDemoSample(const std::string& path, double seconds) {
    constexpr uint32_t kRate = 44100;
    constexpr uint32_t kChannels = 2;
    const auto frames = static_cast<uint32_t>(seconds * kRate);
    const uint32_t dataBytes = frames * kChannels * 2;
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, 1);
    put16(out, kChannels);
    put32(out, kRate);
    put32(out, kRate * kChannels * 2);
    put16(out, kChannels * 2);
    put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataBytes);
    // A major chord: root and fifth on the left, third and octave on the right, under an
    // envelope that rises for a fifth of the time and decays after the middle.
    const double left[] = {220.0, 329.63}, right[] = {277.18, 440.0};
    for (uint32_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / kRate;
        double pos = static_cast<double>(i) / frames;
        double envelope = pos < 0.2 ? pos / 0.2 : (pos < 0.5 ? 1.0 : std::exp(-(pos - 0.5) * 6));
        double l = 0, r = 0;
        for (double f : left) l += std::sin(2 * std::numbers::pi * f * t);
        for (double f : right) r += std::sin(2 * std::numbers::pi * f * t);
        put16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(l * envelope * 0.4 * 32767))));
        put16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(r * envelope * 0.4 * 32767))));
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace host
