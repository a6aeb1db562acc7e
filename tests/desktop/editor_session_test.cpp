// The desktop editor driven as a user drives it, under a virtual X server: it opens a
// generated file, a mouse drag selects, an effect runs from the menu and is undone, the
// selection plays through the null device, Save As writes a file that is read back, and
// Ctrl+Q quits. Pictures of the screen are kept in the build's test-output folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/sound_files.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "desktop/screen_capture.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

[[maybe_unused]] bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (!dir.empty() && ::access((fs::path(dir) / program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// A program this test started; ended by its PID.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env, int keepFd = -1) {
        pid_ = ::fork();
        if (pid_ != 0) return;
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (keepFd < 0) {
            // Quiet children: their chatter is not the test's output.
            std::freopen("/dev/null", "w", stdout);
        }
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ~Child() { stop(); }
    pid_t pid() const { return pid_; }
    /** The exit status when it ended within the deadline. */
    std::optional<int> wait(std::chrono::milliseconds deadline) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        if (!wait(5s)) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

// The lines the editor logs ("SECONDS KIND TEXT").
struct LogLine {
    double seconds = 0;
    std::string kind;
    std::string text;
};

std::vector<LogLine> readLog(const std::string& path) {
    std::vector<LogLine> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream s(line);
        LogLine l;
        s >> l.seconds >> l.kind;
        std::getline(s >> std::ws, l.text);
        lines.push_back(l);
    }
    return lines;
}

class EditorSession : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef WAVEDECK_GUI_PROGRAM
        GTEST_SKIP() << "the desktop editor is not built (WAVEDECK_BUILD_DESKTOP is off)";
#else
        if (!onPath("Xvfb") || !onPath("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        // Xvfb picks a free display and writes its number to the pipe once it is ready.
        xvfb_ = std::make_unique<Child>(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                                                                 "960x620x24", "-nolisten", "tcp",
                                                                 // Without a compositing manager, GTK 3 leaves new
                                                                 // dialogs and menus unpainted when Composite is there.
                                                                 "-extension", "Composite"},
                                        std::map<std::string, std::string>{}, pipeFds[1]);
        ::close(pipeFds[1]);
        char number[16] = {};
        const ssize_t got = ::read(pipeFds[0], number, sizeof number - 1);
        ::close(pipeFds[0]);
        ASSERT_GT(got, 0) << "Xvfb did not start";
        display_ = ":" + std::string(number, static_cast<size_t>(got) - (number[got - 1] == '\n' ? 1 : 0));
#endif
    }

    std::map<std::string, std::string> environment() const {
        return {{"DISPLAY", display_}, {"GDK_BACKEND", "x11"}, {"NO_AT_BRIDGE", "1"}, {"GSETTINGS_BACKEND", "memory"},
                {"WAVEDECK_GUI_LOG", log_}, {"XDG_DATA_HOME", (fs::path(dir_.path()) / "data").string()},
                {"XDG_CONFIG_HOME", (fs::path(dir_.path()) / "config").string()},
                // The library's blocks and journals: a killed run's tracks are offered to the next.
                {"XDG_CACHE_HOME", (fs::path(dir_.path()) / "cache").string()}};
    }

    /** Waits until a logged line of the kind starts with the text (and holds `also`
     * somewhere); the line. */
    std::optional<LogLine> waitFor(const std::string& kind, const std::string& text, std::chrono::milliseconds deadline = 20s,
                                   const std::string& also = "") {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < end) {
            for (const LogLine& l : readLog(log_)) {
                if (l.seconds >= since_ && l.kind == kind && l.text.rfind(text, 0) == 0 && l.text.find(also) != std::string::npos) return l;
            }
            std::this_thread::sleep_for(50ms);
        }
        return std::nullopt;
    }
    /** Later waits see only what is logged from now on. */
    void mark() {
        const auto lines = readLog(log_);
        if (!lines.empty()) since_ = lines.back().seconds;
    }
    double since_ = 0;

    size_t count(const std::string& kind, const std::string& text) {
        const auto lines = readLog(log_);
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const LogLine& l) { return l.kind == kind && l.text.rfind(text, 0) == 0; }));
    }

    void xdotool(const std::vector<std::string>& args) {
        std::vector<std::string> argv{"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        Child c(argv, {{"DISPLAY", display_}});
        ASSERT_EQ(c.wait(10s), 0) << "xdotool " << args[0];
    }

    /** The whole screen as test-output/desktop-NAME.png. */
    void screenshot(const std::string& name) {
#ifdef WAVEDECK_GUI_PROGRAM
        EXPECT_TRUE(wdtest::captureScreen(display_, wdtest::outputPath("desktop-" + name + ".png"))) << name;
#else
        (void)name;
#endif
    }

    // Three seconds of a stereo 440 Hz sine at half scale, as a file in the test's folder.
    static constexpr int kRate = 44100;
    std::vector<int16_t> tone() const {
        std::vector<int16_t> samples;
        for (int i = 0; i < 3 * kRate; ++i) {
            const auto v = static_cast<int16_t>(std::lround(16383 * std::sin(2 * M_PI * 440 * i / kRate)));
            samples.insert(samples.end(), {v, v});
        }
        return samples;
    }

    std::unique_ptr<Child> launch(const std::string& file) {
#ifdef WAVEDECK_GUI_PROGRAM
        return std::make_unique<Child>(std::vector<std::string>{WAVEDECK_GUI_PROGRAM, file}, environment());
#else
        (void)file;
        return nullptr;
#endif
    }

    /** Starts the editor on the file and waits until it is open and laid out. */
    std::unique_ptr<Child> startEditor(const std::string& file) {
#ifdef WAVEDECK_GUI_PROGRAM
        auto editor = launch(file);
        EXPECT_TRUE(waitFor("event", "opened " + file)) << "the file given on the command line opens";
        const auto pane = waitFor("event", "pane main");
        EXPECT_TRUE(pane);
        if (pane) std::istringstream(pane->text.substr(10)) >> paneX_ >> paneY_ >> paneWidth_ >> paneHeight_;
        std::this_thread::sleep_for(300ms);
        return editor;
#else
        (void)file;
        return nullptr;
#endif
    }

    /** Drags across the middle half of the track view, in the second quarter of its
     * height (which keeps both channels selected). No window manager: the editor's
     * window is at the screen's top-left. */
    void selectMiddleHalf() {
        const int trackWidth = paneWidth_ - 40, y = paneY_ + 30 + (paneHeight_ - 30 - 17) * 45 / 100;
        xdotool({"mousemove", std::to_string(paneX_ + trackWidth / 4), std::to_string(y), "mousedown", "1", "mousemove",
                 std::to_string(paneX_ + trackWidth / 2), std::to_string(y), "mousemove", std::to_string(paneX_ + 3 * trackWidth / 4),
                 std::to_string(y), "mouseup", "1"});
        // From a quarter of the way in (0.75 s), about 1.5 s long.
        ASSERT_TRUE(waitFor("event", "selection 00:00.7", 10s, " 00:01:")) << "the drag selects the middle half";
    }

    /** A stereo sine of the given length as WAV, and as MP3 through lame when asked. */
    std::string writeTone(const std::string& name, double seconds, bool mp3 = false) {
        std::vector<int16_t> samples;
        for (int i = 0; i < static_cast<int>(seconds * kRate); ++i) {
            const auto v = static_cast<int16_t>(std::lround(12000 * std::sin(2 * M_PI * 330 * i / kRate)));
            samples.insert(samples.end(), {v, v});
        }
        const std::string wav = (fs::path(dir_.path()) / (name + ".wav")).string();
        EXPECT_TRUE(wdtest::writePcm16(wav, SF_FORMAT_WAV, 2, kRate, samples));
        if (!mp3) return wav;
        const std::string out = (fs::path(dir_.path()) / (name + ".mp3")).string();
        Child lame({"lame", "--quiet", "-b", "128", wav, out}, {});
        EXPECT_EQ(lame.wait(60s), 0) << "lame " << name;
        return out;
    }

    int paneX_ = 0, paneY_ = 0, paneWidth_ = 0, paneHeight_ = 0;

    std::unique_ptr<Child> xvfb_;
    std::string display_;
    wdtest::TempDir dir_;
    std::string log_ = (fs::path(dir_.path()) / "editor.log").string();
};

TEST_F(EditorSession, OpensSelectsAppliesAndUndoesAnEffectPlaysSavesAndQuits) {
#ifdef WAVEDECK_GUI_PROGRAM
    const std::vector<int16_t> samples = tone();
    const std::string input = (fs::path(dir_.path()) / "tone.wav").string();
    const std::string output = (fs::path(dir_.path()) / "saved.wav").string();
    ASSERT_TRUE(wdtest::writePcm16(input, SF_FORMAT_WAV, 2, kRate, samples));
    auto editor = startEditor(input);
    ASSERT_GT(paneWidth_, 100);

    // Idle: once the first pictures are up, nothing is redrawn while nothing changes.
    size_t drawsBefore = count("draw", "");
    for (int settled = 0; settled < 5; ++settled) {
        std::this_thread::sleep_for(100ms);
        if (count("draw", "") != drawsBefore) settled = -1;
        drawsBefore = count("draw", "");
    }
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(count("draw", ""), drawsBefore) << "an idle editor redraws nothing";

    selectMiddleHalf();
    std::this_thread::sleep_for(300ms);  // the times come before the picture
    screenshot("selected");

    // Effects > Amplify (gain 2 by default), OK.
    xdotool({"key", "alt+c"});
    xdotool({"key", "a"});
    ASSERT_TRUE(waitFor("event", "command effect-1"));
    std::this_thread::sleep_for(500ms);
    xdotool({"key", "Return"});
    ASSERT_TRUE(waitFor("event", "effect done"));
    std::this_thread::sleep_for(300ms);
    screenshot("amplified");

    xdotool({"key", "ctrl+z"});
    ASSERT_TRUE(waitFor("event", "command undo"));
    std::this_thread::sleep_for(300ms);
    screenshot("undone");

    // Space plays the selection (1.5 s) through the null device; the play line moves.
    xdotool({"key", "space"});
    const auto played = waitFor("event", "play 0");
    ASSERT_TRUE(played);
    std::this_thread::sleep_for(700ms);
    screenshot("playing");
    const auto stopped = waitFor("event", "play stopped", 10s);
    ASSERT_TRUE(stopped) << "the play ends with the selection";
    std::vector<double> frameTimes;
    for (const LogLine& l : readLog(log_)) {
        if (l.kind == "draw" && l.text == "main" && l.seconds > played->seconds && l.seconds < stopped->seconds) frameTimes.push_back(l.seconds);
    }
    EXPECT_GE(frameTimes.size(), 3u) << "the picture follows the play";
    if (frameTimes.size() > 1) {
        std::vector<double> gaps;
        for (size_t i = 1; i < frameTimes.size(); ++i) gaps.push_back(frameTimes[i] - frameTimes[i - 1]);
        std::sort(gaps.begin(), gaps.end());
        RecordProperty("median_frame_interval_ms", static_cast<int>(gaps[gaps.size() / 2] * 1000));
    }

    // Save As through the file chooser: a full path in its name field.
    xdotool({"key", "ctrl+shift+s"});
    ASSERT_TRUE(waitFor("event", "command save-as"));
    xdotool({"search", "--sync", "--name", "^Save As$", "windowfocus", "--sync"});
    std::this_thread::sleep_for(500ms);
    xdotool({"key", "ctrl+a"});
    xdotool({"type", "--delay", "5", output});
    xdotool({"key", "Return"});
    ASSERT_TRUE(waitFor("event", "saved " + output));
    screenshot("saved");

    xdotool({"key", "ctrl+q"});
    EXPECT_EQ(editor->wait(10s), 0) << "Ctrl+Q quits";

    // The saved file is the input: the effect was undone before saving.
    int channels = 0, savedRate = 0;
    bool ok = false;
    const std::vector<int16_t> saved = wdtest::readPcm16(output, &channels, &savedRate, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(savedRate, kRate);
    ASSERT_EQ(saved.size(), samples.size());
    int worst = 0;
    for (size_t i = 0; i < saved.size(); ++i) worst = std::max(worst, std::abs(saved[i] - samples[i]));
    EXPECT_LE(worst, 1) << "16 bits in, float inside, 16 bits out";
#endif
}

TEST_F(EditorSession, ClosingAChangedTrackAsksAndCancelKeepsItWhileSaveWritesItFirst) {
#ifdef WAVEDECK_GUI_PROGRAM
    const std::string file = (fs::path(dir_.path()) / "tone.wav").string();
    ASSERT_TRUE(wdtest::writePcm16(file, SF_FORMAT_WAV, 2, kRate, tone()));
    auto editor = startEditor(file);
    selectMiddleHalf();
    xdotool({"key", "Delete"});
    ASSERT_TRUE(waitFor("event", "command delete"));

    xdotool({"key", "ctrl+w"});
    ASSERT_TRUE(waitFor("event", "asked to save")) << "a changed track is not closed without a question";
    std::this_thread::sleep_for(300ms);
    xdotool({"key", "Escape"});
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(count("event", "closed"), 0u) << "Cancel keeps the track";

    xdotool({"key", "ctrl+w"});
    ASSERT_TRUE(waitFor("event", "asked to save", 10s, ""));
    std::this_thread::sleep_for(300ms);
    xdotool({"key", "Return"});  // Save, the default answer
    ASSERT_TRUE(waitFor("event", "saved " + file));
    ASSERT_TRUE(waitFor("event", "closed")) << "the track closes once it is saved";
    xdotool({"key", "ctrl+q"});
    EXPECT_EQ(editor->wait(10s), 0) << "nothing left to ask about";

    int channels = 0;
    bool ok = false;
    const std::vector<int16_t> saved = wdtest::readPcm16(file, &channels, nullptr, &ok);
    ASSERT_TRUE(ok);
    // About 1.5 s of the 3 s were deleted (a column of the fitted view is 235 samples).
    EXPECT_NEAR(static_cast<double>(saved.size()) / 2 / kRate, 1.5, 0.02);
#endif
}

TEST_F(EditorSession, AFileThatIsNotSoundIsRefusedWithTheReasonInWords) {
#ifdef WAVEDECK_GUI_PROGRAM
    const std::string file = (fs::path(dir_.path()) / "notes.wav").string();
    std::ofstream(file) << "Shopping: milk, bread, a new microphone cable.\n";
    wdtest::keepForFuzzing(file, "desktop-");
    auto editor = launch(file);
    EXPECT_TRUE(waitFor("status", "Could not open notes.wav: it is not a sound file"));
    std::this_thread::sleep_for(300ms);
    xdotool({"key", "Return"});
    xdotool({"key", "ctrl+q"});
    EXPECT_EQ(editor->wait(10s), 0) << "no track was left to ask about";
#endif
}

// Opening ends on the reader's end and the take-over of its track, in whichever order
// they come; under load they come in both. Every start must open every file, then quit
// without a question (nothing was changed).
TEST_F(EditorSession, EveryFileOnTheCommandLineOpensUnderLoad) {
#ifdef WAVEDECK_GUI_PROGRAM
    if (!onPath("lame")) GTEST_SKIP() << "lame is not installed";
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(writeTone("short" + std::to_string(i), 0.05));
        files.push_back(writeTone("shortmp3" + std::to_string(i), 0.2, true));
    }
    files.push_back(writeTone("long", 120));
    files.push_back(writeTone("longmp3", 60, true));
    std::atomic<bool> loaded{true};
    std::vector<std::thread> load;
    for (int i = 0; i < 2; ++i) {
        load.emplace_back([&loaded] {
            while (loaded) {
            }
        });
    }
    for (int start = 0; start < 4; ++start) {
        std::vector<std::string> argv{WAVEDECK_GUI_PROGRAM};
        for (size_t k = 0; k < files.size(); ++k) argv.push_back(files[(k + static_cast<size_t>(start)) % files.size()]);
        std::filesystem::remove(log_);
        since_ = 0;
        Child editor(argv, environment());
        for (const std::string& f : files) EXPECT_TRUE(waitFor("event", "opened " + f, 60s)) << "start " << start << ": " << f;
        xdotool({"key", "ctrl+q"});
        EXPECT_EQ(editor.wait(20s), 0) << "start " << start << ": unchanged tracks quit without a question";
    }
    loaded = false;
    for (std::thread& t : load) t.join();
#endif
}

// Three tracks (two files and a kept recording): a keyboard selection enables what
// works on it, a click on the first tab brings back its file for the title and Ctrl+S,
// closing it empties the times, and Quit names the take that lives in a background tab.
TEST_F(EditorSession, EachTabKeepsItsFileAndQuitAsksAboutTheRecordedTake) {
#ifdef WAVEDECK_GUI_PROGRAM
    const std::string first = writeTone("first", 2), second = writeTone("second", 1);
    std::vector<std::string> argv{WAVEDECK_GUI_PROGRAM, first, second};
    Child gui(argv, environment());
    ASSERT_TRUE(waitFor("event", "opened " + second));
    const auto pane = waitFor("event", "pane main");
    ASSERT_TRUE(pane);
    std::istringstream(pane->text.substr(10)) >> paneX_ >> paneY_ >> paneWidth_ >> paneHeight_;
    std::this_thread::sleep_for(500ms);

    mark();
    xdotool({"key", "ctrl+a"});
    EXPECT_TRUE(waitFor("event", "enabled cut", 5s)) << "a keyboard selection enables Cut";
    EXPECT_TRUE(waitFor("event", "enabled effect-1", 5s)) << "and the effects";

    xdotool({"key", "ctrl+r"});
    std::this_thread::sleep_for(500ms);
    xdotool({"key", "alt+r"});
    ASSERT_TRUE(waitFor("status", "Recording", 5s));
    EXPECT_TRUE(waitFor("event", "recording 0:00:00.", 5s)) << "the take's length shows while it grows";
    EXPECT_TRUE(waitFor("event", "recording 0:00:00.", 5s, "silence")) << "the null device's input is silent";
    xdotool({"key", "alt+k"});
    ASSERT_TRUE(waitFor("event", "title *", 10s)) << "the kept take is an unsaved track of its own";

    mark();
    xdotool({"mousemove", std::to_string(paneX_ + 8), std::to_string(paneY_ + 15), "click", "1"});
    ASSERT_TRUE(waitFor("event", "title first.wav – WaveDeck", 5s)) << "the first tab brings back its file";
    mark();
    xdotool({"key", "ctrl+s"});
    EXPECT_TRUE(waitFor("event", "saved " + first, 10s)) << "Ctrl+S saves where it came from";
    std::this_thread::sleep_for(300ms);
    mark();
    xdotool({"key", "ctrl+w"});
    ASSERT_TRUE(waitFor("event", "closed", 5s)) << "a saved track closes without a question";
    const auto times = waitFor("event", "times", 5s);
    ASSERT_TRUE(times);
    EXPECT_EQ(times->text, "times ") << "the closed track's times go with it";
    EXPECT_TRUE(waitFor("event", "title second.wav", 5s)) << "the first remaining track is current";

    std::ifstream recent(fs::path(dir_.path()) / "data" / "recently-used.xbel");
    const std::string recentText((std::istreambuf_iterator<char>(recent)), std::istreambuf_iterator<char>());
    EXPECT_NE(recentText.find("file://" + first), std::string::npos) << "opened and saved files join the desktop's recent files";

    mark();
    xdotool({"key", "ctrl+q"});
    ASSERT_TRUE(waitFor("event", "asked to save 1 tracks", 5s)) << "Quit asks about the take in its background tab";
    std::this_thread::sleep_for(700ms);
    screenshot("quit-question");
    xdotool({"key", "alt+w"});
    EXPECT_EQ(gui.wait(10s), 0) << "Quit without Saving quits";
#endif
}

TEST_F(EditorSession, AStartAfterAKilledRunOffersItsTrackBackNamedAndUnsaved) {
#ifdef WAVEDECK_GUI_PROGRAM
    const std::string file = writeTone("lost", 3);
    {
        auto killed = startEditor(file);
        selectMiddleHalf();
        xdotool({"key", "Delete"});
        ASSERT_TRUE(waitFor("event", "command delete"));
        std::this_thread::sleep_for(500ms);
        ::kill(killed->pid(), SIGKILL);
        killed->wait(5s);
    }
    // The next run's log counts its seconds from its own start.
    fs::remove(log_);
    since_ = 0;
    Child gui({WAVEDECK_GUI_PROGRAM}, environment());
    ASSERT_TRUE(waitFor("event", "asked to recover 1 tracks")) << "the killed run's track is offered";
    std::this_thread::sleep_for(700ms);
    screenshot("recovery-question");
    xdotool({"key", "alt+r"});
    EXPECT_TRUE(waitFor("event", "title *lost.wav – WaveDeck", 10s)) << "recovered under its name, not saved";
    const auto times = waitFor("event", "times", 5s);
    ASSERT_TRUE(times);
    EXPECT_NE(times->text, "times ") << "the recovered track is current";
    mark();
    xdotool({"key", "ctrl+q"});
    ASSERT_TRUE(waitFor("event", "asked to save 1 tracks", 5s)) << "Quit asks about the recovered track";
    std::this_thread::sleep_for(300ms);
    xdotool({"key", "alt+w"});
    EXPECT_EQ(gui.wait(10s), 0);
#endif
}

// The habits of other editors on a six-minute track: Escape stops a long effect and
// leaves the track unchanged, Amplify asks in decibels, Undo names what it takes back,
// the status line says what was done, and Ctrl+V inserts.
TEST_F(EditorSession, EscapeStopsALongEffectAndUndoAndTheStatusNameTheSteps) {
#ifdef WAVEDECK_GUI_PROGRAM
    auto editor = startEditor(writeTone("long", 360));
    xdotool({"key", "ctrl+a"});
    xdotool({"key", "alt+c"});
    xdotool({"key", "t"});  // Change Tempo: long enough to stop
    ASSERT_TRUE(waitFor("event", "command effect-14"));
    std::this_thread::sleep_for(500ms);
    xdotool({"key", "ctrl+a"});
    xdotool({"type", "20"});
    xdotool({"key", "Return"});
    ASSERT_TRUE(waitFor("event", "effect 14"));
    std::this_thread::sleep_for(200ms);
    screenshot("effect-running");
    mark();
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitFor("event", "effect stopped", 10s)) << "Escape stops the effect";
    EXPECT_TRUE(waitFor("status", "Change Tempo was stopped", 1s));
    EXPECT_FALSE(waitFor("event", "title *", 1s)) << "a stopped effect changes nothing";

    xdotool({"key", "alt+c"});
    xdotool({"key", "a"});
    ASSERT_TRUE(waitFor("event", "command effect-1"));
    std::this_thread::sleep_for(700ms);
    screenshot("amplify-in-decibels");
    xdotool({"key", "ctrl+a"});
    xdotool({"type", "--", "-6.0206"});  // half the level
    xdotool({"key", "Return"});
    ASSERT_TRUE(waitFor("event", "effect done", 30s));
    EXPECT_TRUE(waitFor("status", "Applied Amplify.", 2s));
    EXPECT_TRUE(waitFor("event", "label undo _Undo Amplify", 2s));

    xdotool({"key", "ctrl+z"});
    EXPECT_TRUE(waitFor("status", "Undid Amplify.", 2s));
    EXPECT_TRUE(waitFor("event", "label redo _Redo Amplify", 2s));

    xdotool({"key", "ctrl+c"});
    ASSERT_TRUE(waitFor("status", "Copied the selection", 10s));
    xdotool({"key", "End"});
    mark();
    screenshot("status-bar");
    xdotool({"key", "ctrl+v"});
    EXPECT_TRUE(waitFor("event", "command paste-insert", 2s)) << "Ctrl+V inserts";
    EXPECT_TRUE(waitFor("status", "Inserted the clipboard at the cursor.", 20s));
    EXPECT_TRUE(waitFor("event", "label undo _Undo Paste", 2s));
    EXPECT_TRUE(waitFor("event", "format ", 2s, "· 0:12:00.000")) << "the track is twice as long";
#endif
}

// Times typed into the status bar move the selection (a start keeps the length, which
// the end cuts; a length or an end keeps the start); the folder of the file stays the
// Open dialog's in the next run.
TEST_F(EditorSession, TypedTimesMoveTheSelectionAndTheNextRunOpensInTheLastFolder) {
#ifdef WAVEDECK_GUI_PROGRAM
    const std::string file = writeTone("typed", 3);
    auto editor = startEditor(file);
    xdotool({"key", "ctrl+a"});
    ASSERT_TRUE(waitFor("event", "selection 00:00.000 00:03:000", 5s));
    const std::vector<std::pair<std::string, std::string>> typed = {
        {"alt+a", "1"},            // 0:00:01.000 to the end: the 3 s length is cut to 2
        {"alt+g", "0.5"},
        {"alt+n", "0:00:02.250"},
    };
    const std::vector<std::string> selections = {"selection 00:01.000 00:03:000 00:02:000", "selection 00:01.000 00:01:500 00:00:500",
                                                 "selection 00:01.000 00:02:250 00:01:250"};
    for (size_t i = 0; i < typed.size(); ++i) {
        mark();
        xdotool({"key", typed[i].first, "ctrl+a"});
        xdotool({"type", typed[i].second});
        xdotool({"key", "Return"});
        EXPECT_TRUE(waitFor("event", selections[i], 5s)) << typed[i].second;
    }
    EXPECT_TRUE(waitFor("event", "times Selection 0:00:01.000 – 0:00:02.250 (0:00:01.250)", 2s));
    screenshot("typed-selection");
    xdotool({"key", "ctrl+q"});
    ASSERT_EQ(editor->wait(10s), 0) << "moving the selection changes no sample";

    fs::remove(log_);
    since_ = 0;
    Child again({WAVEDECK_GUI_PROGRAM}, environment());
    ASSERT_TRUE(waitFor("event", "pane main"));
    std::this_thread::sleep_for(300ms);
    xdotool({"key", "ctrl+o"});
    EXPECT_TRUE(waitFor("event", "choose in " + dir_.path(), 5s)) << "the folder outlives the run";
    std::this_thread::sleep_for(300ms);
    xdotool({"key", "Escape"});
    xdotool({"key", "ctrl+q"});
    EXPECT_EQ(again.wait(10s), 0);
#endif
}

}  // namespace
