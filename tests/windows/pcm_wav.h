// 16-bit PCM WAV files for the Windows test programs, written and read without the
// library: what they check is what the library wrote.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace wintest {

inline void put32(std::string& s, uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); }
inline void put16(std::string& s, uint16_t v) { s.append(reinterpret_cast<const char*>(&v), 2); }

/** Writes interleaved samples as a 16-bit PCM WAV file. */
inline bool writePcm16(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate) {
    const auto bytes = static_cast<uint32_t>(samples.size() * 2);
    std::string f = "RIFF";
    put32(f, 36 + bytes);
    f += "WAVEfmt ";
    put32(f, 16);
    put16(f, 1);
    put16(f, static_cast<uint16_t>(channels));
    put32(f, static_cast<uint32_t>(rate));
    put32(f, static_cast<uint32_t>(rate * channels * 2));
    put16(f, static_cast<uint16_t>(channels * 2));
    put16(f, 16);
    f += "data";
    put32(f, bytes);
    for (int16_t s : samples) put16(f, static_cast<uint16_t>(s));
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool wrote = std::fwrite(f.data(), 1, f.size(), out) == f.size();
    return std::fclose(out) == 0 && wrote;
}

/** The 16-bit PCM samples of a WAV file, interleaved; empty when it is no such file. */
inline std::vector<int16_t> readPcm16(const std::string& path, int& channels) {
    std::vector<int16_t> samples;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return samples;
    std::vector<char> bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(in);
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) return samples;
    int bits = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        uint32_t size;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        const char* body = bytes.data() + at + 8;
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && size >= 16) {
            uint16_t c, b;
            std::memcpy(&c, body + 2, 2);
            std::memcpy(&b, body + 14, 2);
            channels = c;
            bits = b;
        } else if (std::memcmp(bytes.data() + at, "data", 4) == 0 && bits == 16) {
            const size_t usable = std::min<size_t>(size, bytes.size() - at - 8) / 2;
            samples.resize(usable);
            std::memcpy(samples.data(), body, usable * 2);
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

}  // namespace wintest
