// What editing costs: cut, paste and delete of one second in the middle of a 10-minute
// and a 60-minute stereo track (the times must not grow with the length), and a paste of
// 60 s of stereo across rates next to libsamplerate's own sndfile-resample with the same
// best sinc converter.
//
//   bench_edit [work folder] [rounds]
//
// The work folder (default ./bench-edit-work, made when missing) holds the block files
// and the files sndfile-resample reads and writes. The program runs itself with a
// registry file and cache of the work folder, so it never touches the user's settings.
// Runs alternate between the two tracks (and between our paste and sndfile-resample), and
// medians are compared, so a busy machine slows both sides alike.
#include <fcntl.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "edit/edit_engine.h"
#include "edit/in_place_edits.h"
#include "model/undo_history.h"
#include "bench/work_folder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int kClipRate = 22050;
constexpr int kClipSeconds = 60;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// Two channels of sines with a little noise, frames from `first` on.
void generate(std::vector<float>& left, std::vector<float>& right, int64_t first, int rate) {
    uint32_t noise = static_cast<uint32_t>(first) * 2654435761u + 1;
    for (size_t i = 0; i < left.size(); ++i) {
        const double t = static_cast<double>(first + static_cast<int64_t>(i)) / rate;
        noise = noise * 1664525u + 1013904223u;
        const float n = static_cast<float>(noise >> 8) / 16777216.0f * 0.01f;
        left[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * 440.0 * t)) + n;
        right[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * 554.37 * t)) - n;
    }
}

// A stereo track of the given length with a history, as the main window takes one over.
std::unique_ptr<wd::Track> makeTrack(uint32_t id, int64_t frames, int rate) {
    auto track = std::make_unique<wd::Track>();
    track->setChannelCount(2);
    track->setId(id);
    track->sampleRate = rate;
    std::vector<float> left(65536), right(65536);
    for (int64_t done = 0; done < frames; done += static_cast<int64_t>(left.size())) {
        const auto n = static_cast<size_t>(std::min<int64_t>(65536, frames - done));
        left.resize(n);
        right.resize(n);
        generate(left, right, done, rate);
        track->channel(0)->sequence().appendSamples(left.data(), static_cast<int>(n));
        track->channel(1)->sequence().appendSamples(right.data(), static_cast<int>(n));
    }
    track->channel(0)->sequence().flushAppend();
    track->channel(1)->sequence().flushAppend();
    wd::UndoHistory::instance().addHistory(id);
    return track;
}

// The view a user edits one second in: about 13 s wide (about 1024 samples per column)
// around the middle. (A fitted view re-reads a summary of every block of the track after
// each change: that is the view's cost and grows with the length.)
void viewTheMiddle(wd::Track& track) {
    int zoom = 1;
    while (int64_t{zoom} * 2 * track.viewColumns * 1024 <= track.length()) zoom *= 2;
    track.zoomFactor = zoom;
    track.refreshView();
    track.viewStart = track.length() / 2 - track.viewColumns * track.samplesPerColumn / 2;
}

void select(wd::Track& track, int start, int length) {
    for (int c = 0; c < 2; ++c) {
        track.channel(c)->selStart = start;
        track.channel(c)->selLength = length;
    }
}

struct EditTimes {
    std::vector<double> cut, paste, remove;
};

// One round on a track: cut one second from the middle, paste it back at the same place
// (insert), delete one second there and undo the delete. The track ends as it began.
bool editRound(wd::Track& track, EditTimes& times) {
    wd::EditEngine& engine = wd::EditEngine::instance();
    const int middle = track.length() / 2;
    select(track, middle, kRate);
    // Each timed edit starts with no dirty pages left by the one before, so the kernel's
    // write-back of earlier blocks is not charged to it.
    ::sync();
    auto t = Clock::now();
    if (engine.cut(&track, nullptr) != 0) return false;
    engine.waitForWorker();
    times.cut.push_back(msSince(t));

    select(track, middle, 0);
    ::sync();
    t = Clock::now();
    if (engine.paste(&track, nullptr, wd::PasteMode::Insert) != 0) return false;
    engine.waitForWorker();
    times.paste.push_back(msSince(t));

    select(track, middle, kRate);
    ::sync();
    t = Clock::now();
    if (wd::deleteSelection(track) != 0) return false;
    times.remove.push_back(msSince(t));
    return wd::UndoHistory::instance().undo(track.id(), track);
}

bool writeFloatWav(const std::string& path, const wd::Track& clip) {
    SF_INFO info{};
    info.samplerate = kClipRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    std::vector<float> left(4096), right(4096), frames(8192);
    for (int at = 0; at < clip.length(); at += 4096) {
        const int n = clip.channel(0)->sequence().readSamples(left.data(), at, 4096);
        clip.channel(1)->sequence().readSamples(right.data(), at, n);
        for (int i = 0; i < n; ++i) {
            frames[static_cast<size_t>(2 * i)] = left[static_cast<size_t>(i)];
            frames[static_cast<size_t>(2 * i + 1)] = right[static_cast<size_t>(i)];
        }
        sf_writef_float(f, frames.data(), n);
    }
    sf_close(f);
    return true;
}

// sndfile-resample with the best sinc converter; milliseconds, or -1 when it cannot run.
double runSndfileResample(const std::string& in, const std::string& out) {
    std::fflush(stdout);
    const auto t = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, STDOUT_FILENO) < 0) _exit(126);
        execlp("sndfile-resample", "sndfile-resample", "-to", "44100", "-c", "0", in.c_str(), out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return msSince(t);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string work = std::filesystem::absolute(argc > 1 ? argv[1] : "bench-edit-work").string();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    if (!wdbench::useWorkFolder(work, argv)) return 1;

    std::printf("making a 10-minute and a 60-minute stereo track at %d Hz in %s ...\n", kRate, work.c_str());
    const int minutes[2] = {10, 60};
    std::unique_ptr<wd::Track> tracks[2];
    for (int k = 0; k < 2; ++k) {
        tracks[k] = makeTrack(static_cast<uint32_t>(k + 1), int64_t{minutes[k]} * 60 * kRate, kRate);
        viewTheMiddle(*tracks[k]);
    }
    EditTimes times[2];
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < 2; ++k) {
            if (!editRound(*tracks[k], times[k])) {
                std::fprintf(stderr, "an edit was refused or failed\n");
                return 1;
            }
        }
    }
    std::printf("one second in the middle, median of %d rounds (cut and paste through the worker until it ends; delete with\n"
                "the view of about 13 s around it refreshed):\n",
                rounds);
    const char* names[3] = {"cut", "paste (insert)", "delete"};
    for (int op = 0; op < 3; ++op) {
        const auto& a = op == 0 ? times[0].cut : op == 1 ? times[0].paste : times[0].remove;
        const auto& b = op == 0 ? times[1].cut : op == 1 ? times[1].paste : times[1].remove;
        const double m10 = median(a), m60 = median(b);
        std::printf("  %-15s 10 min %7.2f ms   60 min %7.2f ms   ratio 60/10 %.2f   (goals: < 20 ms, ratio < 1.5)\n", names[op], m10, m60,
                    m60 / m10);
    }
    for (auto& track : tracks) {
        wd::UndoHistory::instance().removeHistory(track->id());
        track.reset();
    }

    // Paste across rates: 60 s of stereo at 22,050 Hz into a 44,100 Hz track.
    auto source = makeTrack(10, int64_t{kClipSeconds} * kClipRate, kClipRate);
    const std::string in = work + "/clip.wav", out = work + "/clip-44100.wav";
    if (!writeFloatWav(in, *source)) {
        std::fprintf(stderr, "cannot write %s\n", in.c_str());
        return 1;
    }
    wd::EditEngine& engine = wd::EditEngine::instance();
    select(*source, 0, source->length());
    engine.copy(source.get(), nullptr);
    engine.waitForWorker();
    std::vector<double> ours, peer;
    for (int round = 0; round < std::max(3, rounds / 2); ++round) {
        auto target = makeTrack(11, kRate, kRate);
        select(*target, kRate / 2, 0);
        const auto t = Clock::now();
        engine.paste(target.get(), nullptr, wd::PasteMode::Insert);
        engine.waitForWorker();
        ours.push_back(msSince(t));
        wd::UndoHistory::instance().removeHistory(target->id());
        const double p = runSndfileResample(in, out);
        if (p > 0) peer.push_back(p);
    }
    const double speed = kClipSeconds * 1000.0 / median(ours);
    std::printf("paste of %d s of stereo from %d Hz into %d Hz (best sinc): median %.0f ms, %.1fx real time\n", kClipSeconds, kClipRate,
                kRate, median(ours), speed);
    if (peer.empty()) {
        std::printf("sndfile-resample (package samplerate-programs): not available; no ratio\n");
    } else {
        const double peerSpeed = kClipSeconds * 1000.0 / median(peer);
        std::printf("sndfile-resample -to 44100 -c 0 of the same clip (float WAV): median %.0f ms, %.1fx real time\n", median(peer),
                    peerSpeed);
        std::printf("speed ratio ours / sndfile-resample: %.2f (goal >= 0.9)\n", speed / peerSpeed);
    }
    engine.clearClipboard();
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return 0;
}
