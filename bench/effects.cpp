// Every numbered effect on a long stereo track, next to sox's nearest effect on the same file.
//
//   bench_effects [work folder] [minutes] [runs] [--no-sox] [--only ID,ID,...]
//
// The track (MINUTES of 16-bit stereo at 44.1 kHz, default 10) is opened once through the
// exports; each effect then runs through WDXDoEffect on the whole track until the main
// window has taken its end, and is undone. sox runs as a whole process from in.wav to a
// 16-bit file. Both sides run alternately RUNS times (default 3); the medians, their ratio
// and our peak resident memory during the effect are printed. --no-sox measures memory
// only (for an hour-long track); --only runs the effects listed. The program restarts itself with a registry file and a
// cache in the work folder, so it never touches the user's settings.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/peak_memory.h"
#include "bench/work_folder.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// Processor seconds (user and system) of this process, or of its waited-for children.
double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

// A run's wall-clock and processor seconds; for our side also the processor seconds of
// the library's threads alone (the process less this host thread, which wakes for every
// message the effect posts).
struct Times {
    double wall = -1;
    double cpu = -1;
    double workerCpu = -1;
};

// Runs a program and waits; its times, or -1 when it failed.
Times runProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    const auto t = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return {};
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return {secondsSince(t), cpuSeconds(RUSAGE_CHILDREN) - cpu};
}

double median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Block {
    float f[4] = {0, 0, 0, 0};
    int32_t i[4] = {0, 0, 0, 0};
};

enum class Goal { SampleBySample, PitchTempo, None };

struct Row {
    int id;
    const char* name;
    Block block;
    std::vector<std::string> sox;  // the sox effect; "{in}" stands for in.wav, "{s}" for the length in s
    Goal goal;
};

// The host's side: a frame registered for notifications, a progress window and the
// library's main window; messages are pumped until a condition holds.
class Host {
public:
    Host() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Host::proc;
        wc.lpszClassName = "BenchEffectsHost";
        RegisterClassA(&wc);
        frame_ = CreateWindowExA(0, "BenchEffectsHost", "bench", WS_OVERLAPPED, 0, 0, 640, 420, nullptr, nullptr,
                                 nullptr, nullptr);
        progress_ =
            CreateWindowExA(0, "BenchEffectsHost", "progress", WS_CHILD, 0, 0, 1, 1, frame_, nullptr, nullptr, nullptr);
        WDXRegisterMainWnd(frame_);
        WDXCreateTrackMainWnd(frame_, 0, 0, 605, 390);
    }
    ~Host() {
        WDXExitProgram();
        DestroyWindow(frame_);
    }
    HWND progress() const { return progress_; }
    HWND frame() const { return frame_; }

    static int count(HWND window, UINT message) {
        auto it = seen_.find({window, message});
        return it == seen_.end() ? 0 : it->second;
    }
    static void clear() { seen_.clear(); }
    // Waits (in GetMessageA) until the window has had the message.
    void waitFor(HWND window, UINT message) const {
        MSG msg;
        while (count(window, message) == 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    }

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message >= WM_USER) {
            ++seen_[{window, message}];
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    static inline std::map<std::pair<HWND, UINT>, int> seen_;
    HWND frame_ = nullptr;
    HWND progress_ = nullptr;
};

Block floats(float a, float b = 0, float c = 0, float d = 0) {
    return Block{{a, b, c, d}, {0, 0, 0, 0}};
}
Block ints(int32_t a, int32_t b = 0, int32_t c = 0, int32_t d = 0, float f = 0) {
    return Block{{f, 0, 0, 0}, {a, b, c, d}};
}

std::vector<Row> rows() {
    const Goal s = Goal::SampleBySample;
    return {
        {1, "amplify x2", floats(2), {"gain", "6.0206"}, s},
        {2, "normalize 0.75", floats(0.75f), {"norm", "-2.5"}, s},
        {3, "reverse", {}, {"reverse"}, s},
        {4, "invert", {}, {"vol", "-1"}, s},
        {5, "repeat once", ints(1), {"repeat", "1"}, s},
        {6, "echo 20 ms 0.5", ints(20, 0, 0, 0, 0.5f), {"echo", "1", "1", "20", "0.5"}, s},
        {7, "mix 2 tracks", {}, {"-m", "{in}"}, Goal::None},
        {8, "fade in", {}, {"fade", "t", "{s}"}, s},
        {9, "fade out", {}, {"fade", "t", "0", "{s}", "{s}"}, s},
        {10, "compressor -12 dB 2:1", ints(-12, 20, 200), {"compand", "0.2,1", "-90,-90,-12,-12,0,-6"}, s},
        {11, "phaser", ints(0, 100, 0), {"phaser", "0.9", "0.7", "3", "0.4", "0.4", "-s"}, s},
        {12, "speed x1.5 length", floats(1.5f), {"speed", "0.666667"}, Goal::None},
        {13, "pitch +25 %", floats(25), {"pitch", "386.3"}, Goal::PitchTempo},
        {14, "tempo +25 %", floats(25), {"tempo", "1.25"}, Goal::PitchTempo},
        {15, "equalizer", floats(1.5f, 1, 0.7f), {"equalizer", "2000", "1.5q", "3"}, s},
        {16, "low-pass 1 kHz", floats(1000), {"lowpass", "1000"}, s},
        {17, "high-pass 1 kHz", floats(1000), {"highpass", "1000"}, s},
        {18, "band-pass 1 kHz/200", floats(1000, 200), {"bandpass", "1000", "200h"}, s},
        {19, "high-pass (2nd id)", floats(1000), {"highpass", "1000"}, s},
        {20, "low-pass (2nd id)", floats(1000), {"lowpass", "1000"}, s},
        {21, "band-stop 1 kHz/200", floats(1000, 200), {"bandreject", "1000", "200h"}, s},
        {22, "convert to 22050 Hz", ints(2, 0, 100, 100, 22050), {"rate", "22050"}, Goal::None},
        {23, "copy to new track", {}, {}, Goal::None},
        {24, "channel mixer", floats(0.5f, 0.5f, 1, -1), {"remix", "1v0.5,2v0.5", "1v1,2v-1"}, s},
        {25, "gain ramp", floats(0, 1), {"fade", "t", "{s}"}, s},
    };
}

// sox in.wav [more inputs] out.wav effect..., with "{in}" and "{s}" filled in.
std::vector<std::string> soxCommand(const Row& row, const std::string& in, const std::string& out, int seconds) {
    std::vector<std::string> args{"sox", in};
    bool output = false;
    for (const std::string& a : row.sox) {
        if (a == "-m") {
            args.insert(args.begin() + 1, "-m");
            continue;
        }
        if (a == "{in}") {
            args.push_back(in);
            continue;
        }
        if (!output) {
            args.push_back(out);
            output = true;
        }
        args.push_back(a == "{s}" ? std::to_string(seconds) : a);
    }
    if (!output) args.push_back(out);
    return args;
}

// One effect on the current track, through the exports: the times until the main window
// has taken the end; the track is then put back (undo, or closing the copy).
Times runEffect(Host& host, const Row& row, double& peak) {
    WDXSelectAll();
    Host::clear();
    ::sync();
    bench::resetPeakRss();
    const double cpu = cpuSeconds(RUSAGE_SELF), hostCpu = cpuSeconds(RUSAGE_THREAD);
    const auto t = Clock::now();
    if (WDXDoEffect(host.progress(), row.id, reinterpret_cast<LPARAM>(&row.block)) != 0) return {};
    host.waitFor(host.progress(), NotifyEffectDone);
    host.waitFor(host.frame(), NotifyTrackChanged);
    const double all = cpuSeconds(RUSAGE_SELF) - cpu;
    const Times times{secondsSince(t), all, all - (cpuSeconds(RUSAGE_THREAD) - hostCpu)};
    peak = std::max(peak, bench::peakRssMiB());
    Host::clear();
    if (row.id == 23) {
        // The copy became current: closing it makes the first track current, so both are
        // closed and the two tracks of the file opened again.
        WDXCloseCurTrack();
        host.waitFor(host.frame(), NotifyTrackChanged);
    } else {
        WDXUndo();
    }
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool withSox = std::find(args.begin(), args.end(), "--no-sox") == args.end();
    args.erase(std::remove(args.begin(), args.end(), "--no-sox"), args.end());
    std::vector<int> only;
    if (auto it = std::find(args.begin(), args.end(), "--only"); it != args.end() && it + 1 != args.end()) {
        std::istringstream list(*(it + 1));
        for (std::string id; std::getline(list, id, ',');) only.push_back(std::atoi(id.c_str()));
        args.erase(it, it + 2);
    }
    const std::string work = std::filesystem::absolute(args.size() > 0 ? args[0] : "bench-effects-work").string();
    const int minutes = args.size() > 1 ? std::max(1, std::atoi(args[1].c_str())) : 10;
    const int runs = args.size() > 2 ? std::max(1, std::atoi(args[2].c_str())) : 3;
    setenv("WAVEDECK_AUDIO", "null", 1);
    setenv("WAVEDECK_DISPLAY", "headless", 1);
    if (!wdbench::useWorkFolder(work, argv)) return 1;
    const int seconds = minutes * 60;
    const std::string in = work + "/in" + std::to_string(minutes) + ".wav", out = work + "/out.wav";
    if (!std::filesystem::exists(in) &&
        runProgram({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", in, "synth", std::to_string(seconds), "sine",
                    "440", "sine", "554.37", "vol", "0.5"})
                .wall < 0) {
        std::fprintf(stderr, "cannot make %s with sox\n", in.c_str());
        return 1;
    }
    Host host;
    // Two tracks of the file: the mix needs a second one; every effect works on the last.
    for (int copy = 0; copy < 2; ++copy) {
        Host::clear();
        if (WDXOpenTrackFile(host.progress(), in.c_str()) != 0) return 1;
        host.waitFor(host.progress(), NotifyImportDone);
        host.waitFor(host.frame(), NotifyTrackChanged);
    }
    std::printf(
        "%d minutes of 16-bit stereo at 44.1 kHz, %d runs each, medians; ours: WDXDoEffect on the whole track "
        "until the main window has its end; sox: the whole process from %s\n",
        minutes, runs, in.c_str());
    std::printf("%-3s %-22s %7s %7s %6s %8s %8s %6s %7s %6s %6s %8s   %s\n", "id", "effect", "ours s", "sox s", "ratio",
                "ours cpu", "sox cpu", "ratio", "lib cpu", "ratio", "goal", "peak MiB", "sox command");
    for (const Row& row : rows()) {
        if (!only.empty() && std::find(only.begin(), only.end(), row.id) == only.end()) continue;
        std::vector<double> ours, oursCpu, libraryCpu, sox, soxCpu;
        double peak = 0;
        const auto soxArgs = soxCommand(row, in, out, seconds);
        for (int run = 0; run < runs; ++run) {
            if (withSox) {
                ::sync();
                const Times t = runProgram(soxArgs);
                sox.push_back(t.wall);
                soxCpu.push_back(t.cpu);
                std::filesystem::remove(out);
            }
            const Times t = runEffect(host, row, peak);
            ours.push_back(t.wall);
            oursCpu.push_back(t.cpu);
            libraryCpu.push_back(t.workerCpu);
        }
        const char* goal = row.goal == Goal::SampleBySample ? "<=1.0" : row.goal == Goal::PitchTempo ? "<=1.2" : "-";
        std::string soxText;
        for (size_t i = 1; i < soxArgs.size(); ++i)
            soxText += (i > 1 ? " " : "") + soxArgs[i].substr(soxArgs[i].rfind('/') + 1);
        const double o = median(ours), oc = median(oursCpu), lc = median(libraryCpu);
        const double p = median(sox), pc = median(soxCpu);
        if (withSox) {
            std::printf("%-3d %-22s %7.3f %7.3f %6.2f %8.3f %8.3f %6.2f %7.3f %6.2f %6s %8.1f   %s\n", row.id, row.name,
                        o, p, o / p, oc, pc, oc / pc, lc, lc / pc, goal, peak, soxText.c_str());
        } else {
            std::printf("%-3d %-22s %7.3f %7s %6s %8.3f %8s %6s %7.3f %6s %6s %8.1f\n", row.id, row.name, o, "-", "-",
                        oc, "-", "-", lc, "-", goal, peak);
        }
        std::fflush(stdout);
    }
    return 0;
}
