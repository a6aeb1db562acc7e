// A host killed at random points of a long random edit session, then the next start
// recovering its track: the state after the last completed operation, with the same undo
// steps behind it. And a power cut after a save: the state of the save comes back.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "model/track_list.h"
#include "model/undo_history.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kChildVariable = "WAVEDECK_JOURNAL_CHILD";
constexpr int kFrames = 44100 * 3;

uint64_t mix(uint64_t h, uint64_t v) { return (h ^ v) * 1099511628211ull; }

// Samples, selections and shape of one track state.
uint64_t digest(const wd::Track& t) {
    uint64_t h = mix(14695981039346656037ull, static_cast<uint64_t>(t.channelCount() * 1000000 + t.sampleRate));
    std::vector<float> buffer(65536);
    for (int c = 0; c < t.channelCount(); ++c) {
        const wd::Channel& ch = *t.channel(c);
        h = mix(mix(mix(h, static_cast<uint32_t>(ch.selStart)), static_cast<uint32_t>(ch.selLength)), ch.selectedFlag);
        const int length = ch.sequence().length();
        h = mix(h, static_cast<uint32_t>(length));
        for (int at = 0; at < length; at += 65536) {
            const int n = ch.sequence().readSamples(buffer.data(), at, std::min(65536, length - at));
            for (int i = 0; i < n; ++i) {
                uint32_t bits;
                std::memcpy(&bits, &buffer[static_cast<size_t>(i)], 4);
                h = mix(h, bits);
            }
        }
    }
    return h;
}

// "<op> <live> u <undo states, oldest first> r <redo states>"
std::string stateLine(int op) {
    const wd::Track* t = wd::TrackList::instance().current();
    std::ostringstream line;
    line << op << " " << digest(*t) << " u";
    const wd::TrackHistory* history = wd::UndoHistory::instance().history(t->id());
    std::string redo = " r";
    history->visitStates([&](const wd::Track& s, bool isRedo) {
        if (isRedo) {
            redo += " " + std::to_string(digest(s));
        } else {
            line << " " << digest(s);
        }
    });
    return line.str() + redo;
}

struct Session {
    wdtest::TestHost host;
    HWND progress = nullptr;
    explicit Session(const std::string& temp) {
        EXPECT_EQ(WDXSetTempFolder(temp.c_str()), 1);
        WDXRegisterMainWnd(host.frame());
        progress = host.addChild(host.frame(), 0, 0, 1, 1);
        EXPECT_TRUE(WDXCreateTrackMainWnd(host.frame(), 0, 0, 605, 400));
    }
    ~Session() {
        WDXExitProgram();
        host.pump();
    }
};

void select(int start, int length) {
    wd::Track* t = wd::TrackList::instance().current();
    for (int c = 0; c < t->channelCount(); ++c) {
        t->channel(c)->selStart = start;
        t->channel(c)->selLength = length;
    }
}

// The child's session: opens in.wav, then runs random operations (seeded), logging the
// state after each one that completed, until stopAfter operations (-1: until killed).
// With saveAt >= 0 the track is saved after that operation (a flush), its line marked "S";
// five operations later the session waits to be killed, its last state saved as final.wav
// first when finalSave.
void runSession(const std::string& folder, unsigned seed, int stopAfter, int saveAt, bool finalSave) {
    Session s(folder + "/temp");
    std::ofstream log(folder + "/log-" + std::to_string(stopAfter), std::ios::trunc);
    ASSERT_EQ(WDXOpenTrackFile(s.progress, (folder + "/in.wav").c_str()), 0);
    ASSERT_TRUE(s.host.waitForMessage(s.host.frame(), NotifyTrackChanged, 20s));
    log << stateLine(0) << std::endl;
    std::mt19937 rng(seed);
    for (int op = 1; stopAfter < 0 || op <= stopAfter; ++op) {
        const int length = wd::TrackList::instance().current()->length();
        const int start = static_cast<int>(rng() % static_cast<unsigned>(length));
        const int count = 1 + static_cast<int>(rng() % static_cast<unsigned>(std::max(1, std::min(length - start, 20000))));
        s.host.clearLog();
        switch (rng() % 7) {
            case 0:
                select(start, count);
                if (length > 30000) {
                    ASSERT_EQ(WDXDeleteSelection(), 0);
                }
                break;
            case 1:
                select(start, 0);
                ASSERT_EQ(WDXInsertSilence(static_cast<int>(rng() % 200) + 1), 0);
                break;
            case 2:
                select(start, count);
                ASSERT_EQ(WDXSilenceSelection(), 0);
                break;
            case 3: {
                select(start, count);
                static const int effects[] = {3, 4, 8, 9};
                static const int32_t none[8] = {};
                ASSERT_EQ(WDXDoEffect(s.progress, effects[rng() % 4], reinterpret_cast<LPARAM>(none)), 0);
                ASSERT_TRUE(s.host.waitForMessage(s.progress, NotifyEffectDone, 20s));
                s.host.pump();
                break;
            }
            case 4:
            case 5:
                (rng() % 2 ? WDXUndo : WDXRedo)();
                break;
            default:
                select(start, count);
                ASSERT_EQ((rng() % 2 && WDXCanPaste() ? WDXPaste : WDXCut)(s.progress), 0);
                ASSERT_TRUE(s.host.waitForMessage(s.progress, NotifyEditDone, 20s));
                s.host.pump();
                break;
        }
        log << stateLine(op);
        if (op == saveAt) {
            ASSERT_EQ(WDXSaveTrackFile(s.progress, (folder + "/saved.wav").c_str(), 1), 0);
            ASSERT_TRUE(s.host.waitForMessage(s.progress, NotifySaveDone, 20s));
            log << " S";
        }
        log << std::endl;
        if (saveAt >= 0 && op == saveAt + 5) {
            if (finalSave) {
                ASSERT_EQ(WDXSaveTrackFile(s.progress, (folder + "/final.wav").c_str(), 1), 0);
                ASSERT_TRUE(s.host.waitForMessage(s.progress, NotifySaveDone, 20s));
            }
            log << "done" << std::endl;
            for (;;) std::this_thread::sleep_for(1s);
        }
    }
}

// Starts this program as the child session.
pid_t startChild(const std::string& folder, unsigned seed, int stopAfter, int saveAt, bool finalSave = false) {
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string spec = folder + "|" + std::to_string(seed) + "|" + std::to_string(stopAfter) + "|" + std::to_string(saveAt) + "|" + (finalSave ? "1" : "0");
        ::setenv(kChildVariable, spec.c_str(), 1);
        ::execl("/proc/self/exe", "test_journal", "--gtest_filter=JournalChild.Session", static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

struct Recorded {
    uint64_t live = 0;
    std::vector<uint64_t> undo, redo;
};

Recorded parse(const std::string& line) {
    std::istringstream in(line);
    Recorded r;
    std::string word;
    in >> word >> r.live >> word;
    std::vector<uint64_t>* list = &r.undo;
    while (in >> word) {
        if (word == "r") {
            list = &r.redo;
        } else if (word != "S") {
            list->push_back(std::stoull(word));
        }
    }
    return r;
}

// The current track's state and history, as the child logs it.
Recorded current() { return parse(stateLine(0)); }

// Recovers the one track on offer: its state and history.
Recorded recover(Session& s) {
    EXPECT_EQ(WDXGetRecoveryTrackCount(), 1);
    EXPECT_EQ(WDXGetRecoveryTrackProblem(0), WD_FAILURE_NONE);
    if (WDXRecoverTrack(0) != 0) return {};
    s.host.pump();
    EXPECT_EQ(WDXGetRecoveryTrackCount(), 0);
    return current();
}

// Undo from the recovered state walks back through the recorded states.
void walkBack(const Recorded& expected) {
    for (size_t i = expected.undo.size(); i-- > 0;) {
        ASSERT_EQ(WDXUndo(), 0);
        ASSERT_EQ(digest(*wd::TrackList::instance().current()), expected.undo[i]) << "undo step " << i;
    }
}

bool same(const Recorded& a, const Recorded& b) { return a.live == b.live && a.undo == b.undo && a.redo == b.redo; }

void writeInput(const std::string& folder, unsigned seed) {
    std::filesystem::create_directories(folder + "/temp");
    ASSERT_TRUE(wdtest::writePcm16(folder + "/in.wav", SF_FORMAT_WAV, 2, 44100, wdtest::testPattern(2 * kFrames, seed)));
}

// Kills the session once it waits to be killed.
void killWhenDone(const std::string& folder, pid_t child) {
    ASSERT_GT(child, 0);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (lines(folder + "/log--1").empty() || lines(folder + "/log--1").back() != "done") {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        std::this_thread::sleep_for(50ms);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

// Runs the wavedeck program; its standard output.
std::string runProgram(const std::string& arguments) {
    std::string out;
    FILE* pipe = ::popen((std::string(WAVEDECK_PROGRAM) + " " + arguments + " 2>&1").c_str(), "r");
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    if (pipe) ::pclose(pipe);
    return out;
}

}  // namespace

// Not a test of its own: the session the tests below start and kill.
TEST(JournalChild, Session) {
    const char* spec = std::getenv(kChildVariable);
    if (!spec) GTEST_SKIP() << "run by the crash tests";
    std::string folder;
    unsigned seed = 0;
    int stopAfter = 0, saveAt = 0, finalSave = 0;
    std::istringstream in(spec);
    std::getline(in, folder, '|');
    char bar;
    in >> seed >> bar >> stopAfter >> bar >> saveAt >> bar >> finalSave;
    runSession(folder, seed, stopAfter, saveAt, finalSave != 0);
}

TEST(Journal, AKilledSessionComesBackAfterItsLastCompletedOperationWithItsUndoSteps) {
    std::mt19937 delays(29);
    int operations = 0;
    for (unsigned round = 0; round < 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        wdtest::TempDir dir;
        writeInput(dir.path(), round);
        const unsigned seed = 1000 + round;
        const pid_t child = startChild(dir.path(), seed, -1, -1);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + delays() % 1700));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the session ended before it was killed";
        const std::vector<std::string> log = lines(dir.file("log--1"));
        Session s(dir.file("temp"));
        if (log.empty() && WDXGetRecoveryTrackCount() == 0) continue;  // killed while opening
        const Recorded got = recover(s);
        Recorded expected = log.empty() ? Recorded{} : parse(log.back());
        const int last = log.empty() ? -1 : std::stoi(log.back());
        operations += last;
        if (!same(got, expected)) {
            // Killed between an operation's end and its line: the same session run
            // without a kill up to that operation gives the state to find.
            const pid_t replay = startChild(dir.path(), seed, last + 1, -1);
            ::waitpid(replay, &status, 0);
            const std::vector<std::string> full = lines(dir.file("log-" + std::to_string(last + 1)));
            ASSERT_FALSE(full.empty());
            expected = parse(full.back());
            ASSERT_TRUE(same(got, expected)) << "recovered neither the last completed operation's state nor the next";
        }
        walkBack(expected);
    }
    EXPECT_GT(operations, 20) << "the sessions were killed too early to show anything";
}

TEST(Journal, APowerCutAfterASaveRecoversTheSavedStateWithItsHistory) {
    wdtest::TempDir dir;
    writeInput(dir.path(), 7);
    killWhenDone(dir.path(), startChild(dir.path(), 77, -1, 12));
    // What the disk would hold after the power failed: nothing written after the flush.
    std::string folder;
    for (const auto& e : std::filesystem::directory_iterator(dir.file("temp"))) folder = e.path().string();
    struct stat flushed {};
    ASSERT_EQ(::stat((folder + "/track-0.flushed.wdj").c_str(), &flushed), 0);
    int dropped = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        struct stat st {};
        ::stat(e.path().c_str(), &st);
        const bool later = st.st_mtim.tv_sec > flushed.st_mtim.tv_sec ||
                           (st.st_mtim.tv_sec == flushed.st_mtim.tv_sec && st.st_mtim.tv_nsec > flushed.st_mtim.tv_nsec);
        if (later && std::filesystem::remove(e.path())) ++dropped;
    }
    ASSERT_GT(dropped, 0);
    std::string saved;
    for (const std::string& line : lines(dir.file("log--1"))) {
        if (line.size() > 2 && line.compare(line.size() - 2, 2, " S") == 0) saved = line;
    }
    ASSERT_FALSE(saved.empty());
    Session s(dir.file("temp"));
    const Recorded expected = parse(saved);
    ASSERT_TRUE(same(recover(s), expected));
    walkBack(expected);
}

TEST(Journal, ASourceFileRewrittenSinceIsReportedAndNotRecovered) {
    wdtest::TempDir dir;
    writeInput(dir.path(), 3);
    killWhenDone(dir.path(), startChild(dir.path(), 5, -1, 2));
    // Another program writes over the samples the track still reads from.
    writeInput(dir.path(), 4);
    Session s(dir.file("temp"));
    ASSERT_EQ(WDXGetRecoveryTrackCount(), 1);
    EXPECT_EQ(WDXGetRecoveryTrackProblem(0), WD_FAILURE_SOURCE_CHANGED);
    EXPECT_EQ(WDXRecoverTrack(0), -1);
    EXPECT_EQ(WDXGetTrackInfo(2), -1) << "no track came back";
    EXPECT_EQ(WDXDiscardRecovery(), 0);
    EXPECT_EQ(WDXGetRecoveryTrackCount(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("temp"))) << "the discarded session's folder is gone";
}

TEST(Journal, TheRecoverCommandListsSavesAndDiscardsWhatAKilledSessionLeft) {
    wdtest::TempDir dir;
    writeInput(dir.path(), 9);
    killWhenDone(dir.path(), startChild(dir.path(), 91, -1, 3, true));
    const std::vector<int16_t> last = wdtest::readPcm16(dir.file("final.wav"));
    ASSERT_FALSE(last.empty());
    runProgram("settings --temp-folder " + dir.file("temp"));

    const std::string listed = runProgram("recover");
    EXPECT_NE(listed.find("1 track from 1 session"), std::string::npos) << listed;
    EXPECT_NE(listed.find(dir.file("in.wav") + ", " + std::to_string(last.size() / 2) + " samples"), std::string::npos) << listed;
    const std::string saved = runProgram("recover --out " + dir.file("out") + " --discard");
    EXPECT_NE(saved.find("discarded"), std::string::npos) << saved;
    int channels = 0;
    EXPECT_EQ(wdtest::readPcm16(dir.file("out/1-in.wav"), &channels), last) << saved;
    EXPECT_EQ(channels, 2);
    EXPECT_NE(runProgram("recover").find("0 tracks from 0 sessions"), std::string::npos);
}
