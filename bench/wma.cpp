// WMA import and export through the exports, next to ffmpeg doing the same work:
// decoding a WMA file to a file on the same disk (as 16-bit samples, and as 32-bit float
// samples, which is what a track's block files hold), and encoding a WAV file as WMA at
// the same bit rate.
//
//   bench_wma [work folder] [seconds]
//
// The work folder (default ./bench-wma-work, made when missing) holds the generated
// in.wav and in.wma, ffmpeg's outputs and the block files. The program runs itself with
// a registry file and cache of the work folder, so it never touches the user's settings.
// Runs alternate (ours, then ffmpeg's), five rounds; medians and ratios are printed, of the
// wall-clock time and of the processor time (user + system: steadier on a busy machine).
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/track_list.h"
#include "services/library_windows.h"
#include "services/settings.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int kRounds = 5;

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

double cpuSeconds(const rusage& r) {
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Processor time of this process so far (every thread).
double ownCpuSeconds() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return cpuSeconds(r);
}

// A run's wall-clock and processor seconds.
struct Timing {
    double wall = -1;
    double cpu = -1;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
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
        for (int i = 0; i < n; ++i) {
            const double t = static_cast<double>(done + i) / kRate;
            buffer[static_cast<size_t>(2 * i)] = static_cast<float>(0.4 * std::sin(2 * M_PI * 440.0 * t));
            buffer[static_cast<size_t>(2 * i + 1)] = static_cast<float>(0.3 * std::sin(2 * M_PI * 1234.5 * t));
        }
        sf_writef_float(f, buffer.data(), n);
        done += n;
    }
    return sf_close(f) == 0;
}

// Runs ffmpeg with the arguments; its times (wall -1 when it failed).
Timing runFfmpeg(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
    for (const auto& a : arguments) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    const auto t = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp("ffmpeg", const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return {secondsSince(t), cpuSeconds(usage)};
}

// The library's end messages, seen by a window that stands in for its main window.
struct Ends {
    UINT last = 0;
    wd::Track* track = nullptr;
};
Ends gEnds;

LRESULT CALLBACK record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case MsgImportComplete:
            gEnds.track = reinterpret_cast<wd::Track*>(lParam);
            [[fallthrough]];
        case MsgImportFailed:
        case MsgSaveComplete:
        case MsgSaveFailed:
            gEnds.last = message;
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Pumps messages until one of the end messages arrives.
UINT waitForEnd() {
    gEnds.last = 0;
    MSG msg;
    while (gEnds.last == 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return gEnds.last;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string work = std::filesystem::absolute(argc > 1 ? argv[1] : "bench-wma-work").string();
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 300;
    std::filesystem::create_directories(work);
    if (!std::getenv("WAVEDECK_REGISTRY")) {
        // The library read its settings before main: start again with settings of our own.
        setenv("WAVEDECK_REGISTRY", (work + "/registry").c_str(), 1);
        setenv("XDG_CACHE_HOME", (work + "/cache").c_str(), 1);
        execv("/proc/self/exe", argv);
        std::perror("execv");
        return 1;
    }
    wd::Settings::instance().setTempFolder(work.c_str());
    const int kbps = wd::Settings::instance().formatQuality(2);
    const std::string wav = work + "/in.wav", wma = work + "/in.wma";
    std::printf("%d s of stereo at %d Hz, WMA at %d kbit/s; work folder %s\n", seconds, kRate, kbps, work.c_str());
    const std::string bitRate = std::to_string(kbps) + "k";
    if (!writeInput(wav, static_cast<int64_t>(seconds) * kRate) ||
        runFfmpeg({"-i", wav, "-c:a", "wmav2", "-b:a", bitRate, wma}).wall < 0) {
        std::fprintf(stderr, "cannot make the input files (is ffmpeg installed?)\n");
        return 1;
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = &record;
    wc.lpszClassName = "BenchWmaWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "BenchWmaWindow", "bench", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    wd::LibraryWindows::instance().setWindow(wd::LibraryWindows::Which::Main, window);

    std::vector<Timing> ourImport, theirImport, theirFloatImport, ourExport, theirExport;
    for (int round = 0; round < kRounds; ++round) {
        ::sync();
        auto t = Clock::now();
        double cpu = ownCpuSeconds();
        if (WDXOpenTrackFile(window, wma.c_str()) != 0 || waitForEnd() != MsgImportComplete) {
            std::fprintf(stderr, "import failed\n");
            return 1;
        }
        ourImport.push_back({secondsSince(t), ownCpuSeconds() - cpu});
        ::sync();
        theirImport.push_back(runFfmpeg({"-i", wma, work + "/decoded.wav"}));
        ::sync();
        theirFloatImport.push_back(runFfmpeg({"-i", wma, "-c:a", "pcm_f32le", work + "/decoded32.wav"}));

        wd::TrackList::instance().setCurrent(gEnds.track);
        ::sync();
        t = Clock::now();
        cpu = ownCpuSeconds();
        if (WDXSaveTrackFile(window, (work + "/ours.wma").c_str(), 3) != 0 || waitForEnd() != MsgSaveComplete) {
            std::fprintf(stderr, "export failed\n");
            return 1;
        }
        ourExport.push_back({secondsSince(t), ownCpuSeconds() - cpu});
        ::sync();
        theirExport.push_back(runFfmpeg({"-i", wav, "-c:a", "wmav2", "-b:a", bitRate, work + "/theirs.wma"}));
        wd::TrackList::instance().removeTrack(gEnds.track);
        std::printf("round %d: import %.3f s (ffmpeg %.3f s, to float %.3f s), export %.3f s (ffmpeg %.3f s)\n", round + 1,
                    ourImport.back().wall, theirImport.back().wall, theirFloatImport.back().wall, ourExport.back().wall,
                    theirExport.back().wall);
    }
    WDXExitProgram();
    for (const char* name : {"/decoded.wav", "/decoded32.wav", "/ours.wma", "/theirs.wma", "/in.wav", "/in.wma"}) std::filesystem::remove(work + name);

    auto report = [](const char* what, const std::vector<Timing>& ours, const std::vector<Timing>& theirs) {
        std::vector<double> ow, oc, tw, tc;
        for (const auto& t : ours) ow.push_back(t.wall), oc.push_back(t.cpu);
        for (const auto& t : theirs) tw.push_back(t.wall), tc.push_back(t.cpu);
        std::printf("%s\n  wall: ours %.3f s, ffmpeg %.3f s, ratio %.2f; processor: ours %.3f s, ffmpeg %.3f s, ratio %.2f\n", what,
                    median(ow), median(tw), median(ow) / median(tw), median(oc), median(tc), median(oc) / median(tc));
    };
    report("import (into the track's block files) against ffmpeg -i in.wma decoded.wav (16-bit), goal <= 1.1:", ourImport,
           theirImport);
    report("import against ffmpeg -i in.wma -c:a pcm_f32le decoded32.wav (float samples, as the blocks hold):", ourImport,
           theirFloatImport);
    report("export (the track as WMA) against ffmpeg -i in.wav -c:a wmav2, goal <= 1.1:", ourExport, theirExport);
    return 0;
}
