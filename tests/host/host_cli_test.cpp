// The command-line host, run as a user runs it: each run is a whole library life, attach
// to detach, so what one run changes must be there for the next.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <thread>
#include <vector>

#include <chrono>

#include "support/png_file.h"
#include "support/signal.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"

namespace {

// A WAV header promising `frames` stereo frames over a sparse file of zeros: a long file
// that costs no disk and reads quickly. 16-bit PCM is read in place; 8-bit mu-law is
// copied into block files.
void writeSparseWav(const std::string& path, uint32_t frames, bool copied = true) {
    const uint32_t bytesPerSample = copied ? 1 : 2;
    const uint32_t data = frames * 2 * bytesPerSample;
    const uint32_t words[] = {0x46464952u, 36 + data, 0x45564157u, 0x20746d66u, 16, (copied ? 7u : 1u) | 2u << 16, 44100,
                              44100 * 2 * bytesPerSample, 2 * bytesPerSample | (8 * bytesPerSample) << 16, 0x61746164u, data};
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, words, sizeof words), static_cast<ssize_t>(sizeof words));
    ASSERT_EQ(::ftruncate(fd, 44 + static_cast<off_t>(data)), 0);
    ::close(fd);
}

class HostCli : public ::testing::Test {
protected:
    // Starts the host in the background with this test's settings; its pid.
    pid_t start(const std::vector<std::string>& args) {
        const pid_t pid = fork();
        if (pid == 0) {
            ::setenv("WAVEDECK_REGISTRY", dir.file("registry").c_str(), 1);
            ::setenv("XDG_CACHE_HOME", dir.file("cache").c_str(), 1);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            std::vector<char*> argv{const_cast<char*>(WAVEDECK_PROGRAM)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(WAVEDECK_PROGRAM, argv.data());
            _exit(127);
        }
        return pid;
    }
    // The block folders of the host in the cache folder (with their block files).
    std::vector<std::string> blockFolders() {
        std::vector<std::string> found;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir.file("cache/wavedeck"), ec)) {
            if (e.path().filename().string().rfind("wavedeck-", 0) == 0) found.push_back(e.path());
        }
        return found;
    }
    // Waits until the host has written a block file.
    bool waitForBlocks() {
        for (int i = 0; i < 1000; ++i) {
            for (const std::string& folder : blockFolders()) {
                std::error_code ec;
                if (std::filesystem::exists(folder + "/0.temp", ec)) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Runs the host with a registry and cache of this test's own.
    std::string run(const std::string& args, int* code = nullptr) {
        std::string env = "WAVEDECK_REGISTRY='" + dir.file("registry") + "' XDG_CACHE_HOME='" + dir.file("cache") + "' ";
        return wdtest::runCommand(env + "'" WAVEDECK_PROGRAM "' " + args + " 2>&1", code);
    }
    wdtest::TempDir dir;
};

TEST_F(HostCli, VersionAndHelpExplainThemselves) {
    int code = -1;
    EXPECT_EQ(run("--version", &code), std::string("wavedeck ") + WAVEDECK_VERSION_TEXT + "\n");
    EXPECT_EQ(code, 0);
    EXPECT_NE(run("--help", &code).find("settings"), std::string::npos);
    EXPECT_EQ(code, 0);
    EXPECT_NE(run("help settings", &code).find("example:"), std::string::npos);
    EXPECT_EQ(code, 0);
    run("no-such-command", &code);
    EXPECT_EQ(code, 2);
}

TEST_F(HostCli, SettingsChangedInOneRunAreThereInTheNext) {
    int code = -1;
    std::string first = run("settings", &code);
    EXPECT_EQ(code, 0);
    EXPECT_NE(first.find("MP3 bit rate:     128 kbit/s"), std::string::npos) << first;
    EXPECT_NE(first.find("Ogg quality:      5"), std::string::npos) << first;

    ASSERT_EQ(::mkdir(dir.file("blocks").c_str(), 0700), 0);
    run("settings --temp-folder '" + dir.file("blocks") + "' --mp3 256 --ogg 9", &code);
    EXPECT_EQ(code, 0);

    std::string second = run("settings", &code);
    EXPECT_NE(second.find("temporary folder: " + dir.file("blocks")), std::string::npos) << second;
    EXPECT_NE(second.find("MP3 bit rate:     256 kbit/s"), std::string::npos) << second;
    EXPECT_NE(second.find("WMA bit rate:     128 kbit/s"), std::string::npos) << second;
    EXPECT_NE(second.find("Ogg quality:      9"), std::string::npos) << second;
}

TEST_F(HostCli, ARefusedFolderIsReportedAndNothingChanges) {
    int code = -1;
    std::string before = run("settings");
    std::string out = run("settings --temp-folder '" + dir.file("missing") + "'", &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("not a folder"), std::string::npos) << out;
    EXPECT_EQ(run("settings"), before);
    run("settings --mp3 lots", &code);
    EXPECT_EQ(code, 2);
}

TEST_F(HostCli, InfoConvertAndSnapshotWorkOnAGeneratedFile) {
    auto pcm = wdtest::testPattern(22050 * 2, 17);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("in put.aiff"), SF_FORMAT_AIFF, 2, 22050, pcm));
    int code = -1;
    std::string info = run("info '" + dir.file("in put.aiff") + "'", &code);
    EXPECT_EQ(code, 0) << info;
    EXPECT_NE(info.find("sample rate: 22050 Hz"), std::string::npos) << info;
    EXPECT_NE(info.find("channels:    2"), std::string::npos) << info;
    EXPECT_NE(info.find("length:      22050 samples"), std::string::npos) << info;
    EXPECT_NE(info.find("duration:    0:01.000"), std::string::npos) << info;

    std::string out = run("convert '" + dir.file("in put.aiff") + "' -o '" + dir.file("out.wav") + "'", &code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("writing"), std::string::npos) << "a progress bar is shown: " << out;
    int channels = 0, rate = 0;
    EXPECT_EQ(wdtest::readPcm16(dir.file("out.wav"), &channels, &rate), pcm);
    EXPECT_EQ(rate, 22050);

    out = run("snapshot '" + dir.file("out.wav") + "' -o '" + dir.file("shot.png") + "'", &code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_EQ(wdtest::readFile(dir.file("shot.png")).substr(1, 3), "PNG");
}

TEST_F(HostCli, ASnapshotOfARelativePathIsThePictureOfItsFullPath) {
    ASSERT_TRUE(wdtest::writePcm16(dir.file("tone.wav"), SF_FORMAT_WAV, 1, 8000,
                                   wdtest::toInt16(wdtest::sine(1, 8000, 8000, {200}, 0.5))));
    int code = -1;
    std::string out = run("snapshot '" + dir.file("tone.wav") + "' --select 0.25:0.5 -o '" + dir.file("full.png") + "'", &code);
    ASSERT_EQ(code, 0) << out;
    out = wdtest::runCommand("cd '" + dir.path() + "' && WAVEDECK_REGISTRY=registry XDG_CACHE_HOME=cache '" WAVEDECK_PROGRAM
                             "' snapshot tone.wav --select 0.25:0.5 -o relative.png 2>&1", &code);
    ASSERT_EQ(code, 0) << out;
    const wdtest::Picture full = wdtest::readPng(dir.file("full.png"));
    const wdtest::Picture relative = wdtest::readPng(dir.file("relative.png"));
    ASSERT_GT(full.width, 0);
    EXPECT_EQ(relative.width, full.width);
    EXPECT_EQ(relative.height, full.height);
    EXPECT_TRUE(relative.pixels == full.pixels) << "the tab shows the name and the selection lies where it was dragged";
    // The waveform view draws its canvas pixel for pixel: the frame is the 565-column
    // view plus the 40-pixel amplitude scale.
    EXPECT_EQ(full.width, 565 + 40);
}

TEST_F(HostCli, FailuresAreSaidInPlainWordsWithAFailingStatus) {
    int code = -1;
    std::string out = run("info '" + dir.file("missing.wav") + "'", &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("cannot read"), std::string::npos) << out;
    out = run("info '" + dir.file("song.flac") + "'", &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("no reader"), std::string::npos) << out;
    ASSERT_TRUE(wdtest::writePcm16(dir.file("a.wav"), SF_FORMAT_WAV, 1, 8000, wdtest::testPattern(800, 1)));
    out = run("convert '" + dir.file("a.wav") + "' -o '" + dir.file("no/such/dir/b.wav") + "'", &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("cannot write"), std::string::npos) << out;
    run("convert '" + dir.file("a.wav") + "'", &code);
    EXPECT_EQ(code, 2) << "a missing -o is a usage error";
}

// An RF64 header promising `frames` mono 8-bit frames over a sparse file: more samples than a
// track can hold, at no cost in disk.
void writeSparseRf64(const std::string& path, uint64_t frames) {
    std::string h = "RF64\xff\xff\xff\xffWAVEds64";
    auto put32 = [&](uint32_t v) { h.append(reinterpret_cast<const char*>(&v), 4); };
    auto put64 = [&](uint64_t v) { h.append(reinterpret_cast<const char*>(&v), 8); };
    put32(28);
    put64(frames + 72);  // the RIFF size, the data size, the sample count
    put64(frames);
    put64(frames);
    put32(0);
    h += "fmt ";
    put32(16);
    put32(1 | 1u << 16);
    put32(8000);
    put32(8000);
    put32(1 | 8u << 16);
    h += "data\xff\xff\xff\xff";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, h.data(), h.size()), static_cast<ssize_t>(h.size()));
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(h.size() + frames)), 0);
    ::close(fd);
}

TEST_F(HostCli, AFailureNamesItsRealCause) {
    // Ten seconds of stereo: its block files are at most 1 MiB each, its 16-bit WAV 1.7 MB.
    ASSERT_TRUE(wdtest::writePcm16(dir.file("ten.wav"), SF_FORMAT_WAV, 2, 44100, wdtest::testPattern(44100 * 10 * 2, 2)));
    // The same coded as mu-law: opening it copies it into block files.
    {
        SF_INFO info{0, 44100, 2, SF_FORMAT_WAV | SF_FORMAT_ULAW, 0, 0};
        SNDFILE* copied = sf_open(dir.file("ten-ulaw.wav").c_str(), SFM_WRITE, &info);
        ASSERT_TRUE(copied);
        sf_writef_short(copied, wdtest::testPattern(44100 * 10 * 2, 2).data(), 44100 * 10);
        sf_close(copied);
    }
    ASSERT_TRUE(wdtest::writeFile(dir.file("words.wav"), "not a sound at all\n"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.wav").c_str(), 0600), 0);
    ASSERT_TRUE(wdtest::writeFile(dir.file("plain"), "a file where a folder should be\n"));
    writeSparseRf64(dir.file("huge.wav"), (uint64_t{1} << 31) + 8000);
    // A path past libsndfile's 1,024 bytes, made of names the system allows.
    std::string deep = dir.path();
    while (deep.size() < 1100) deep += "/" + std::string(100, 'd');
    std::filesystem::create_directories(deep);
    std::filesystem::copy_file(dir.file("ten.wav"), deep + "/ten.wav");

    const std::string ten = "'" + dir.file("ten.wav") + "'";
    const std::string tenCopied = "'" + dir.file("ten-ulaw.wav") + "'";
    const std::string cache = "XDG_CACHE_HOME='" + dir.file("cache") + "'";
    const struct {
        const char* what;
        std::string limit;  // run under this, as on a full disk
        std::string cache;  // and where the temporary folder is
        std::string args;
        int status;
        const char* said;
    } cases[] = {
        {"a missing file", "", cache, "info '" + dir.file("gone.wav") + "'", 1, "there is no such file"},
        {"text named .wav", "", cache, "info '" + dir.file("words.wav") + "'", 1, "not a sound file"},
        {"a FIFO to read", "", cache, "info '" + dir.file("pipe.wav") + "'", 1, "not a regular file"},
        {"a FIFO to write", "", cache, "convert " + ten + " -o '" + dir.file("pipe.wav") + "'", 1, "not a regular file"},
        {"a folder missing", "", cache, "convert " + ten + " -o '" + dir.file("no/b.wav") + "'", 1,
         "its folder does not exist"},
        {"too many samples", "", cache, "info '" + dir.file("huge.wav") + "'", 1,
         "longer than the 2,147,483,647 samples per channel a track can hold"},
        {"temporary folder beneath a file", "",
         "WAVEDECK_REGISTRY='" + dir.file("fresh") + "' XDG_CACHE_HOME='" + dir.file("plain") + "'", "info " + tenCopied, 1,
         "cannot be made or written"},
        {"temporary folder full", "prlimit --fsize=500000", cache, "info " + tenCopied, 1,
         "no space is left in the temporary folder"},
        {"disk full on save", "prlimit --fsize=1300000", cache, "convert " + ten + " -o '" + dir.file("out.wav") + "'", 1,
         "the disk it goes to is full"},
        {"a path over 1,024 bytes", "", cache, "info '" + deep + "/ten.wav'", 0, "duration:    0:10.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int code = -1;
        // A FIFO must be refused at once, not waited on: the timeout turns a hang into a failure.
        const std::string out = wdtest::runCommand("trap '' XFSZ; " + c.limit + " env WAVEDECK_REGISTRY='" +
                                                       dir.file("registry") + "' " + c.cache + " timeout 60 '" WAVEDECK_PROGRAM
                                                       "' " + c.args + " 2>&1",
                                                   &code);
        EXPECT_EQ(code, c.status) << out;
        EXPECT_NE(out.find(c.said), std::string::npos) << out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav"))) << "a failed save leaves nothing half-written";
}

TEST_F(HostCli, ConvertWritesAndReadsMp3AndOgg) {
    ASSERT_TRUE(wdtest::writePcm16(dir.file("in.wav"), SF_FORMAT_WAV, 2, 44100, wdtest::toInt16(wdtest::sine(2, 44100, 44100, {440.0}, 0.5))));
    int code = -1;
    std::string out = run("convert '" + dir.file("in.wav") + "' -o '" + dir.file("a.mp3") + "'", &code);
    EXPECT_EQ(code, 0) << out;
    out = run("convert '" + dir.file("a.mp3") + "' -o '" + dir.file("b.ogg") + "'", &code);
    EXPECT_EQ(code, 0) << out;
    out = run("info '" + dir.file("b.ogg") + "'", &code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("sample rate: 44100 Hz"), std::string::npos) << out;
    EXPECT_NE(out.find("channels:    2"), std::string::npos) << out;
    // One second, with the MP3 encoder's delay and padding (under two frames) added.
    EXPECT_NE(out.find("duration:    0:01.0"), std::string::npos) << out;
}

TEST_F(HostCli, ABatchConvertReportsWhatFailedAndCtrlCCancelsCleanly) {
    ASSERT_TRUE(wdtest::writePcm16(dir.file("a.wav"), SF_FORMAT_WAV, 1, 8000, wdtest::testPattern(8000, 1)));
    ASSERT_TRUE(wdtest::writeFile(dir.file("b.mp3"), "not a sound\n"));
    int code = -1;
    std::string out = run("convert '" + dir.file("a.wav") + "' '" + dir.file("b.mp3") + "' '" + dir.file("c.wav") +
                              "' --to ogg --out '" + dir.file("out") + "'",
                          &code);
    EXPECT_EQ(code, 1) << out;
    EXPECT_NE(out.find("converted 1 of 3 files"), std::string::npos) << out;
    EXPECT_NE(out.find("b.mp3: could not be read"), std::string::npos) << out;
    EXPECT_NE(out.find("c.wav: not found"), std::string::npos) << out;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("out/a.ogg")));

    // A minute of stereo noise: Ctrl-C once the Ogg file is being written.
    ASSERT_TRUE(wdtest::writePcm16(dir.file("long.wav"), SF_FORMAT_WAV, 2, 44100, wdtest::testPattern(44100 * 60 * 2, 2)));
    std::string env = "WAVEDECK_REGISTRY='" + dir.file("registry") + "' XDG_CACHE_HOME='" + dir.file("cache") + "' ";
    out = wdtest::runCommand(env + "'" WAVEDECK_PROGRAM "' convert '" + dir.file("long.wav") + "' --to ogg --out '" +
                             dir.file("cut") + "' >'" + dir.file("cut.txt") + "' 2>&1 & pid=$!; for i in $(seq 3000); do "
                             "ls -a '" + dir.file("cut") + "' 2>/dev/null | grep -q wavedeck- && break; sleep 0.01; done; "
                             "kill -INT $pid; wait $pid; echo $?");
    EXPECT_EQ(out, "130\n") << wdtest::readFile(dir.file("cut.txt"));
    EXPECT_NE(wdtest::readFile(dir.file("cut.txt")).find("long.wav: not converted: cancelled"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("cut"))) << "no file, whole or partial";
}

TEST_F(HostCli, TheDemoRunsTheWholeRoadThroughTheLibrary) {
    int code = -1;
    std::string out = run("demo --out '" + dir.file("demo") + "'", &code);
    EXPECT_EQ(code, 0) << out;
    int channels = 0, rate = 0;
    auto sample = wdtest::readPcm16(dir.file("demo/sample.wav"), &channels, &rate);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(sample.size(), 44100u * 4 * 2);
    EXPECT_EQ(wdtest::readPcm16(dir.file("demo/saved.wav")), sample) << "saved unchanged";
    EXPECT_EQ(wdtest::readFile(dir.file("demo/snapshot.png")).substr(1, 3), "PNG");
}

TEST_F(HostCli, PlayRunsToTheEndOrForTheGivenSecondsOnTheNullDevice) {
    ASSERT_TRUE(wdtest::writePcm16(dir.file("short.wav"), SF_FORMAT_WAV, 2, 44100, wdtest::testPattern(44100 / 4 * 2, 3)));
    int code = -1;
    auto start = std::chrono::steady_clock::now();
    std::string out = run("play '" + dir.file("short.wav") + "'", &code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("playing 0:00.250"), std::string::npos) << out;
    // A quarter of a second at the device's real-time rate, not the 10 s deadline.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    out = run("play '" + dir.file("short.wav") + "' --loop --seconds 1", &code);
    EXPECT_EQ(code, 0) << out;
    run("play '" + dir.file("short.wav") + "' --seconds soon", &code);
    EXPECT_EQ(code, 2);
    // The device plays 1 kHz and more: a 500 Hz file is refused, and the user hears why.
    ASSERT_TRUE(wdtest::writePcm16(dir.file("low.wav"), SF_FORMAT_WAV, 1, 500, wdtest::testPattern(500, 1)));
    out = run("play '" + dir.file("low.wav") + "'", &code);
    EXPECT_EQ(code, 1) << out;
    EXPECT_NE(out.find("refused to play 500 Hz"), std::string::npos) << out;
}

// The null device plays in real time: a play that ends early returned before its sound.
TEST_F(HostCli, APlayLastsItsLengthInWallTime) {
    ASSERT_TRUE(wdtest::writePcm16(dir.file("tone.wav"), SF_FORMAT_WAV, 2, 44100, wdtest::testPattern(44100 * 3 / 2 * 2, 5)));
    struct Row {
        const char* args;
        double seconds;
    };
    for (const Row row : {Row{"", 1.5}, Row{" --seconds 1", 1.0}}) {
        int code = -1;
        const auto start = std::chrono::steady_clock::now();
        const std::string out = run("play '" + dir.file("tone.wav") + "'" + row.args, &code);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(code, 0) << out;
        EXPECT_GE(took.count(), row.seconds - 0.05) << row.args;
        EXPECT_LT(took.count(), row.seconds + 3.0) << row.args;
    }
}

TEST_F(HostCli, AKilledRunLeavesBlocksThatTheNextStartRemoves) {
    writeSparseWav(dir.file("long.wav"), 120u * 1000 * 1000);
    const pid_t pid = start({"info", dir.file("long.wav")});
    ASSERT_TRUE(waitForBlocks());
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ASSERT_EQ(blockFolders().size(), 1u) << "a killed process cannot clean up";
    int code = -1;
    run("settings", &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(blockFolders().empty()) << "the next start reclaims the folder of a process that is gone";
}

TEST_F(HostCli, AKilledRunReadingAFileInPlaceLeavesNothingBehind) {
    writeSparseWav(dir.file("long.wav"), 10u * 44100, false);
    const pid_t pid = start({"play", dir.file("long.wav")});
    // Playing: the track's blocks hold the file open.
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    bool open = false;
    for (int i = 0; i < 1000 && !open; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(fds, ec)) {
            open = open || std::filesystem::read_symlink(e.path(), ec) == dir.file("long.wav");
        }
    }
    ASSERT_TRUE(open);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    int code = -1;
    run("settings", &code);
    EXPECT_EQ(code, 0);
    // The open track's journal keeps its folder for recovery until it is discarded.
    EXPECT_NE(run("recover --discard", &code).find("1 track from 1 session"), std::string::npos);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(blockFolders().empty()) << "nothing left in the temporary folder";
    EXPECT_EQ(std::filesystem::file_size(dir.file("long.wav")), 44u + 10u * 44100 * 4) << "the file itself untouched";
}

TEST_F(HostCli, TerminationCancelsTheOpenAndEndsCleanly) {
    writeSparseWav(dir.file("long.wav"), 120u * 1000 * 1000);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t pid = start({"info", dir.file("long.wav")});
        ASSERT_TRUE(waitForBlocks());
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " ended the process without cleaning up";
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_TRUE(blockFolders().empty()) << "signal " << signal;
    }
}

TEST_F(HostCli, ASettingThatCannotBeKeptIsReportedAsNotKept) {
    int code = -1;
    ASSERT_TRUE(wdtest::writeFile(dir.file("plain"), "x"));
    const std::string out = wdtest::runCommand("WAVEDECK_REGISTRY='" + dir.file("plain/registry") + "' XDG_CACHE_HOME='" +
                                                   dir.file("cache") + "' '" WAVEDECK_PROGRAM "' settings --mp3 192 2>&1",
                                               &code);
    EXPECT_EQ(code, 1) << out;
    EXPECT_NE(out.find("cannot be written"), std::string::npos) << out;
    EXPECT_EQ(out.find("192"), std::string::npos) << "nothing claims the new value: " << out;
}

TEST_F(HostCli, EveryCommandHasHelpWithAnExample) {
    for (const char* command : {"info", "play", "convert", "snapshot", "demo", "settings"}) {
        int code = -1;
        std::string out = run(std::string("help ") + command, &code);
        EXPECT_EQ(code, 0) << command;
        EXPECT_NE(out.find("example: wavedeck " + std::string(command)), std::string::npos) << out;
    }
}

}  // namespace
