#include "support/sound_files.h"

#include <filesystem>

#include "support/temp_dir.h"
#include "support/test_host.h"

namespace wdtest {

namespace {

bool writeShorts(const std::string& path, int format, int channels, int sampleRate, const std::vector<int16_t>& samples) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
    bool ok = sf_writef_short(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

}  // namespace

bool writePcm16(const std::string& path, int format, int channels, int sampleRate, const std::vector<int16_t>& samples) {
    return writeShorts(path, format | SF_FORMAT_PCM_16, channels, sampleRate, samples);
}

bool writeUlawWav(const std::string& path, int channels, int sampleRate, const std::vector<int16_t>& samples) {
    return writeShorts(path, SF_FORMAT_WAV | SF_FORMAT_ULAW, channels, sampleRate, samples);
}

std::vector<int16_t> readPcm16(const std::string& path, int* channels, int* sampleRate, bool* ok) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (ok) *ok = file != nullptr;
    if (!file) return {};
    if (channels) *channels = info.channels;
    if (sampleRate) *sampleRate = info.samplerate;
    std::vector<int16_t> out(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    sf_count_t got = sf_readf_short(file, out.data(), info.frames);
    out.resize(static_cast<size_t>(got) * static_cast<size_t>(info.channels));
    sf_close(file);
    return out;
}

std::vector<int16_t> testPattern(size_t count, uint32_t seed) {
    std::vector<int16_t> out(count);
    uint32_t x = seed ? seed : 1;
    for (size_t i = 0; i < count; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<int16_t>(x & 0xFFFF);
    }
    if (count > 1) {
        out[0] = -32768;
        out[1] = 32767;
    }
    return out;
}

void keepForFuzzing(const std::string& path, const std::string& prefix) {
    if (!std::filesystem::is_regular_file(path)) return;
    const std::string text = readFile(path);
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const std::string target = outputPath("corpus/sound-files/" + prefix + name);
    std::filesystem::create_directories(std::filesystem::path(target).parent_path());
    writeFile(target, text);
}

bool libsndfileReadsMp3() {
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
        if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) return true;
    }
    return false;
}

}  // namespace wdtest
