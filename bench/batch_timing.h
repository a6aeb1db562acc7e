// Timing whole processes, ours next to a peer tool's, for the codec and batch benchmarks.
#pragma once

#include <sndfile.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

/** The folder of this program (where the wavedeck host is built too). */
inline std::string programFolder() {
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

/** The command that runs the wavedeck host with the work folder's registry and cache, so
 * the user's settings are never touched. */
inline std::string wavedeck(const std::string& work) {
    return "WAVEDECK_REGISTRY='" + work + "/registry' XDG_CACHE_HOME='" + work + "/cache' WAVEDECK_AUDIO=null '" +
           programFolder() + "/wavedeck'";
}

/** What a run cost: seconds on the wall clock, and of processor time (user and system,
 * all threads of the command and its children). On a shared machine the processor time
 * is the steadier figure. */
struct Cost {
    double wall = 0;
    double cpu = 0;
};

inline double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/** Runs a shell command; exits the program when it fails. */
inline Cost timeCommand(const std::string& command) {
    const double cpuBefore = childCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), childCpuSeconds() - cpuBefore};
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/** Runs ours and theirs alternately `runs` times; prints the medians of both and the
 * ratios ours / theirs of wall-clock and processor time. */
inline void compare(const std::string& label, const std::string& ours, const std::string& theirs, int runs) {
    std::vector<double> oursWall, oursCpu, theirsWall, theirsCpu;
    for (int i = 0; i < runs; ++i) {
        const Cost a = timeCommand(ours), b = timeCommand(theirs);
        oursWall.push_back(a.wall);
        oursCpu.push_back(a.cpu);
        theirsWall.push_back(b.wall);
        theirsCpu.push_back(b.cpu);
    }
    std::printf("%s\n  wall: ours %7.3f s  peer %7.3f s  ratio %.2f\n  cpu:  ours %7.3f s  peer %7.3f s  ratio %.2f\n",
                label.c_str(), median(oursWall), median(theirsWall), median(oursWall) / median(theirsWall),
                median(oursCpu), median(theirsCpu), median(oursCpu) / median(theirsCpu));
}

/** Writes seconds of 16-bit stereo at 44.1 kHz that keeps an encoder busy: three
 * drifting tones over quiet noise. */
inline bool writeMusic(const std::string& path, double seconds) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    const auto frames = static_cast<int64_t>(seconds * 44100);
    std::vector<float> buffer(2 * 4096);
    uint32_t noise = 1;
    for (int64_t done = 0; done < frames;) {
        const int n = static_cast<int>(std::min<int64_t>(4096, frames - done));
        for (int i = 0; i < n; ++i) {
            const double t = static_cast<double>(done + i) / 44100;
            noise = noise * 1664525u + 1013904223u;
            const double hiss = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.02;
            const double tones = 0.2 * std::sin(2 * M_PI * (220 + 20 * std::sin(t)) * t) +
                                 0.15 * std::sin(2 * M_PI * 660 * t) + 0.1 * std::sin(2 * M_PI * (1500 + 300 * std::sin(0.3 * t)) * t);
            buffer[static_cast<size_t>(2 * i)] = static_cast<float>(tones + hiss);
            buffer[static_cast<size_t>(2 * i + 1)] = static_cast<float>(tones * 0.8 - hiss);
        }
        sf_writef_float(f, buffer.data(), n);
        done += n;
    }
    return sf_close(f) == 0;
}

/** The work folder from the command line (made when missing). */
inline std::string workFolder(int argc, char** argv, const char* fallback) {
    const std::string work = std::filesystem::absolute(argc > 1 ? argv[1] : fallback).string();
    std::filesystem::create_directories(work);
    return work;
}

}  // namespace bench
