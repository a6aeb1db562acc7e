// The data model's costs on an hour of stereo audio: appending (against sox writing the
// same samples as float), drawing a fitted view right after the page cache lost the
// block files, and the memory the append needs.
//
//   bench_model [work folder] [minutes]
//
// The work folder (default ./bench-model-work, made when missing) holds the generated
// in.wav, sox's out.wav and the block files, so every writer uses the same disk. The
// program runs itself with a registry file and cache of the work folder, so it never
// touches the user's settings.
#include <fcntl.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/peak_memory.h"
#include "bench/work_folder.h"
#include "model/block_folder.h"
#include "model/sequence.h"
#include "model/track.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int kChunk = 1024;  // frames per read, as the importers read

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// A sine per channel with a little noise, so summaries are not trivial.
void generate(float* interleaved, int frames, int64_t first) {
    uint32_t noise = static_cast<uint32_t>(first) * 2654435761u + 1;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(first + i) / kRate;
        noise = noise * 1664525u + 1013904223u;
        const float n = static_cast<float>(noise >> 8) / 16777216.0f * 0.01f;
        interleaved[2 * i] = static_cast<float>(0.5 * std::sin(2 * M_PI * 440.0 * t)) + n;
        interleaved[2 * i + 1] = static_cast<float>(0.5 * std::sin(2 * M_PI * 554.37 * t)) - n;
    }
}

bool writeInput(const std::string& path, int64_t frames) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    std::vector<float> buffer(65536 * 2);
    for (int64_t done = 0; done < frames;) {
        const int n = static_cast<int>(std::min<int64_t>(65536, frames - done));
        generate(buffer.data(), n, done);
        sf_writef_float(f, buffer.data(), n);
        done += n;
    }
    sf_close(f);
    return true;
}

double runSox(const std::string& in, const std::string& out) {
    const auto t = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execlp("sox", "sox", in.c_str(), "-e", "floating-point", "-b", "32", out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return secondsSince(t);
}

// Reads in.wav as the WAV importer does (float frames, 1024 at a time), splits the
// channels and appends them to the track's sequences. Returns seconds, or -1.
double importWav(const std::string& path, wd::Track& track) {
    const auto t = Clock::now();
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f || info.channels != 2) return -1;
    std::vector<float> frames(kChunk * 2), left(kChunk), right(kChunk);
    wd::Sequence& a = track.channel(0)->sequence();
    wd::Sequence& b = track.channel(1)->sequence();
    for (;;) {
        const int n = static_cast<int>(sf_readf_float(f, frames.data(), kChunk));
        if (n <= 0) break;
        for (int i = 0; i < n; ++i) {
            left[static_cast<size_t>(i)] = frames[static_cast<size_t>(2 * i)];
            right[static_cast<size_t>(i)] = frames[static_cast<size_t>(2 * i + 1)];
        }
        if (a.appendSamples(left.data(), n) < 0 || b.appendSamples(right.data(), n) < 0) return -1;
    }
    sf_close(f);
    if (a.flushAppend() < 0 || b.flushAppend() < 0) return -1;
    return secondsSince(t);
}

// Appends generated samples (no file reading): the sequences' own cost.
double appendGenerated(wd::Track& track, int64_t frames) {
    std::vector<float> frame(kChunk * 2), left(kChunk), right(kChunk);
    double inAppend = 0;
    for (int64_t done = 0; done < frames;) {
        const int n = static_cast<int>(std::min<int64_t>(kChunk, frames - done));
        generate(frame.data(), n, done);
        for (int i = 0; i < n; ++i) {
            left[static_cast<size_t>(i)] = frame[static_cast<size_t>(2 * i)];
            right[static_cast<size_t>(i)] = frame[static_cast<size_t>(2 * i + 1)];
        }
        const auto t = Clock::now();
        track.channel(0)->sequence().appendSamples(left.data(), n);
        track.channel(1)->sequence().appendSamples(right.data(), n);
        inAppend += secondsSince(t);
        done += n;
    }
    const auto t = Clock::now();
    track.channel(0)->sequence().flushAppend();
    track.channel(1)->sequence().flushAppend();
    return inAppend + secondsSince(t);
}

// Drops the block files' pages from the page cache, as after a cache drop.
void evictBlockFiles(const std::string& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        int fd = ::open(entry.path().c_str(), O_RDONLY);
        if (fd < 0) continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// Milliseconds for both channels' columns of one view, best and median of `runs`, each
// run after evicting the block files.
void timeView(wd::Track& track, const std::string& folder, int columns, int start, int spp, const char* what) {
    std::vector<double> ms;
    std::vector<float> mins(static_cast<size_t>(columns)), maxs(static_cast<size_t>(columns));
    int filled = 0;
    for (int run = 0; run < 15; ++run) {
        evictBlockFiles(folder);
        const auto t = Clock::now();
        for (int c = 0; c < 2; ++c) filled = track.channel(c)->sequence().readColumns(mins.data(), maxs.data(), columns, start, spp);
        ms.push_back(secondsSince(t) * 1000);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("readColumns %-32s %4d columns x %7d samples: best %7.3f ms, median %7.3f ms (both channels, cold files)\n", what,
                filled, spp, ms.front(), ms[ms.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string work = std::filesystem::absolute(argc > 1 ? argv[1] : "bench-model-work").string();
    const int minutes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    if (!wdbench::useWorkFolder(work, argv)) return 1;
    const std::string folder = wd::BlockFolder::instance().folderFor(work);
    const int64_t frames = static_cast<int64_t>(minutes) * 60 * kRate;
    const std::string in = work + "/in.wav";
    const std::string out = work + "/out.wav";
    std::printf("%d minutes of stereo at %d Hz: %lld frames, %.0f MiB as float; work folder %s\n", minutes, kRate,
                static_cast<long long>(frames), static_cast<double>(frames) * 8 / 1048576, work.c_str());

    if (!writeInput(in, frames)) {
        std::fprintf(stderr, "cannot write %s\n", in.c_str());
        return 1;
    }
    // The machine may be shared: sox and the append run alternately, three times each,
    // and the best times are compared.
    double sox = -1, imported = -1, appended = -1, importPeak = 0, appendPeak = 0;
    size_t blocks = 0;
    auto track = std::make_unique<wd::Track>();
    // Each timed run starts with no dirty pages left by the one before, so the kernel's
    // write-back of an earlier run's output is not charged to the next.
    for (int round = 0; round < 3; ++round) {
        ::sync();
        const double s = runSox(in, out);
        std::filesystem::remove(out);
        if (s > 0) sox = sox < 0 ? s : std::min(sox, s);

        track = std::make_unique<wd::Track>();  // the previous track's blocks go first
        track->setChannelCount(2);
        ::sync();
        bench::resetPeakRss();
        const double i = importWav(in, *track);
        importPeak = std::max(importPeak, bench::peakRssMiB());
        if (i < 0) {
            std::fprintf(stderr, "import failed\n");
            return 1;
        }
        imported = imported < 0 ? i : std::min(imported, i);

        track = std::make_unique<wd::Track>();
        track->setChannelCount(2);
        ::sync();
        bench::resetPeakRss();
        const double a = appendGenerated(*track, frames);
        appendPeak = std::max(appendPeak, bench::peakRssMiB());
        appended = appended < 0 ? a : std::min(appended, a);
        blocks = track->channel(0)->sequence().blockInfo().size();
        std::printf("round %d: sox %.3f s, import %.3f s, append %.3f s\n", round + 1, s, i, a);
    }
    std::filesystem::remove(in);
    const double mib = static_cast<double>(frames) * 8 / 1048576;
    if (sox < 0) std::printf("sox: not available or failed; no ratios\n");
    else std::printf("best sox in.wav -e floating-point -b 32 out.wav: %.3f s (%.0f MiB/s written)\n", sox, mib / sox);
    std::printf("best append of samples into two sequences (blocks written, summaries made): %.3f s (%.0f MiB/s)", appended,
                mib / appended);
    if (sox > 0) std::printf(", ratio to sox %.2f (target <= 1)", appended / sox);
    std::printf("; peak RSS %.1f MiB (target < 64)\n", appendPeak);
    std::printf("best import of in.wav like the WAV reader (libsndfile read, split, append): %.3f s", imported);
    if (sox > 0) std::printf(", ratio to sox %.2f", imported / sox);
    std::printf("; peak RSS %.1f MiB\n", importPeak);
    std::printf("blocks: %zu per channel\n", blocks);

    const int len = track->length();
    const int fit = (len + 564) / 565;
    timeView(*track, folder, 565, 0, fit, "fit (coarse summaries)");
    timeView(*track, folder, 565, len / 2, 4096, "zoomed in (fine summaries)");
    timeView(*track, folder, 565, len / 2, 100, "zoomed in (samples)");
    return 0;
}
