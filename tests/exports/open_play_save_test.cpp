// The whole road through the exported interface only, as a host drives it: open a file
// into the editor, play it through the (null) output device, select with the mouse,
// save, and read the results back with libsndfile.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "support/signal.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace {

using namespace std::chrono_literals;
using wdtest::TestHost;

// What reached the library's own main window, seen by subclassing it as a host may.
std::vector<UINT>* gMainLog = nullptr;
WNDPROC gMainProc = nullptr;
LRESULT CALLBACK watchMain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gMainLog && message >= WM_USER) gMainLog->push_back(message);
    return CallWindowProcA(gMainProc, window, message, wParam, lParam);
}

class Road : public ::testing::Test {
protected:
    static constexpr int kWidth = 645, kHeight = 390;  // the track view gets 605 x 360

    void SetUp() override {
        WDXRegisterMainWnd(host.frame());
        progress = host.addChild(host.frame(), 0, 0, 1, 1);
        main = WDXCreateTrackMainWnd(host.frame(), 0, 0, kWidth, kHeight);
        ASSERT_TRUE(main);
        gMainLog = &mainLog;
        gMainProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&watchMain)));
    }
    void TearDown() override {
        WDXStopTrack();
        WDXExitProgram();
        host.pump();
        if (IsWindow(main)) SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<intptr_t>(gMainProc));
        gMainLog = nullptr;
    }

    size_t seen(UINT message) const { return static_cast<size_t>(std::count(mainLog.begin(), mainLog.end(), message)); }

    bool open(const std::string& path) {
        host.clearLog();
        mainLog.clear();
        if (WDXOpenTrackFile(progress, path.c_str()) != 0) return false;
        host.pumpUntil([&] { return host.count(progress, NotifyImportDone) + host.count(progress, NotifyImportFailed) > 0; }, 20s);
        if (host.count(progress, NotifyImportDone) != 1) return false;
        // The main window takes the track over and tells the host.
        return host.waitForMessage(host.frame(), NotifyTrackChanged, 5s);
    }

    bool save(const std::string& path, bool selection, int type = 1) {
        host.clearLog();
        int started = selection ? WDXSaveSelectFile(progress, path.c_str(), type) : WDXSaveTrackFile(progress, path.c_str(), type);
        if (started != 0) return false;
        host.pumpUntil([&] { return host.count(progress, NotifySaveDone) + host.count(progress, NotifySaveFailed) > 0; }, 20s);
        return host.count(progress, NotifySaveDone) == 1;
    }

    // Drags across the track view's canvas from column x0 to x1 at canvas row y.
    void drag(int x0, int x1, int y) {
        auto clientX = [](int lx) { return lx * (kWidth - 40) / 565; };
        const int clientY = 30 + y * (kHeight - 30) / 330;
        host.mouse(WM_LBUTTONDOWN, main, clientX(x0), clientY);
        host.mouse(WM_MOUSEMOVE, main, clientX((x0 + x1) / 2), clientY);
        host.mouse(WM_MOUSEMOVE, main, clientX(x1), clientY);
        host.mouse(WM_LBUTTONUP, main, clientX(x1), clientY);
        host.pump();
    }

    TestHost host{kWidth, kHeight + 40};
    HWND progress = nullptr;
    HWND main = nullptr;
    std::vector<UINT> mainLog;
    wdtest::TempDir dir;
};

TEST_F(Road, OpenPlayToTheEndAndSaveGivesTheOriginalBack) {
    const int frames = 44100 / 2;  // half a second plays in about that on the null device
    auto pcm = wdtest::testPattern(static_cast<size_t>(frames) * 2, 99);
    const std::string in = dir.file("take.wav"), out = dir.file("take saved.wav");
    ASSERT_TRUE(wdtest::writePcm16(in, SF_FORMAT_WAV, 2, 44100, pcm));

    ASSERT_TRUE(open(in));
    EXPECT_EQ(host.count(progress, NotifyImportDone), 1u);
    EXPECT_EQ(seen(MsgImportComplete), 1u);
    EXPECT_EQ(WDXGetTrackInfo(0), 2);
    EXPECT_EQ(WDXGetTrackInfo(1), 44100);
    EXPECT_EQ(WDXGetTrackInfo(2), frames);

    host.clearLog();
    mainLog.clear();
    ASSERT_EQ(WDXPlayTrack(0), 0);
    ASSERT_TRUE(host.waitForMessage(host.frame(), NotifySelectionChanged, 10s)) << "play did not end";
    ASSERT_FALSE(mainLog.empty());
    EXPECT_EQ(mainLog.front(), static_cast<UINT>(MsgPlayStarted));
    EXPECT_GE(seen(MsgPlayProgress), 1u);
    EXPECT_GE(seen(MsgPlayRangeEnd), 1u);
    EXPECT_EQ(seen(MsgPlayStopped), 1u);
    auto stopped = std::find(mainLog.begin(), mainLog.end(), static_cast<UINT>(MsgPlayStopped));
    auto firstEnd = std::find(mainLog.begin(), mainLog.end(), static_cast<UINT>(MsgPlayRangeEnd));
    EXPECT_LT(firstEnd, stopped) << "the end of the range comes before the stop";

    ASSERT_TRUE(save(out, false));
    int channels = 0, rate = 0;
    EXPECT_EQ(wdtest::readPcm16(out, &channels, &rate), pcm);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(wdtest::readFile(out), wdtest::readFile(in)) << "the same file, byte for byte";
}

TEST_F(Road, ASelectionDraggedInTheLowerChannelSavesThatChannelAlone) {
    const int frames = 56500;  // 100 samples per canvas column
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        pcm[static_cast<size_t>(2 * i)] = static_cast<int16_t>(i % 1000);
        pcm[static_cast<size_t>(2 * i + 1)] = static_cast<int16_t>(-(i % 1000));
    }
    ASSERT_TRUE(wdtest::writePcm16(dir.file("st.wav"), SF_FORMAT_WAV, 2, 44100, pcm));
    ASSERT_TRUE(open(dir.file("st.wav")));
    ASSERT_EQ(WDXCanSaveSelect(), 0) << "a cursor is not a selection";
    drag(100, 300, 300);  // the bottom quarter: channel 1 alone
    ASSERT_EQ(WDXCanSaveSelect(), 1);
    ASSERT_TRUE(save(dir.file("lower.wav"), true));
    int channels = 0;
    auto got = wdtest::readPcm16(dir.file("lower.wav"), &channels);
    EXPECT_EQ(channels, 1);
    ASSERT_EQ(got.size(), 20000u) << "200 columns of 100 samples";
    for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], pcm[(10000 + i) * 2 + 1]) << i;
}

TEST_F(Road, AMonoAiffOpensAndSavesAsAMonoWavThatSoxReads) {
    auto pcm = wdtest::testPattern(22050 + 7, 23);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("voice.aiff"), SF_FORMAT_AIFF, 1, 22050, pcm));
    ASSERT_TRUE(open(dir.file("voice.aiff")));
    EXPECT_EQ(WDXGetTrackInfo(0), 1);
    EXPECT_EQ(WDXGetTrackInfo(1), 22050);
    EXPECT_EQ(WDXGetTrackInfo(2), 22057);
    ASSERT_TRUE(save(dir.file("voice.wav"), false));
    int channels = 0, rate = 0;
    EXPECT_EQ(wdtest::readPcm16(dir.file("voice.wav"), &channels, &rate), pcm);
    EXPECT_EQ(channels, 1);
    if (!wdtest::haveProgram("sox")) GTEST_SKIP() << "sox is not installed";
    std::string info = wdtest::runCommand("sox --i '" + dir.file("voice.wav") + "'");
    EXPECT_NE(info.find("Channels       : 1"), std::string::npos) << info;
    EXPECT_NE(info.find("Sample Rate    : 22050"), std::string::npos) << info;
    EXPECT_NE(info.find("22057 samples"), std::string::npos) << info;
    // sox's own decoding of the samples agrees with ours.
    std::string raw = wdtest::runCommand("sox '" + dir.file("voice.wav") + "' -t raw -e signed -b 16 -L -");
    ASSERT_EQ(raw.size(), pcm.size() * 2);
    EXPECT_EQ(std::memcmp(raw.data(), pcm.data(), raw.size()), 0);
}

// A save reads a copy of the track that shares its blocks: once the save has ended,
// closing the track takes its blocks off the disk, as it does without a save.
TEST_F(Road, ClosingASavedTrackEmptiesTheTemporaryFolder) {
    char previous[4096] = {};
    ASSERT_EQ(WDXGetTempFolder(previous), 1);
    wdtest::TempDir temp;
    ASSERT_EQ(WDXSetTempFolder(temp.path().c_str()), 1);
    auto files = [&] {
        namespace fs = std::filesystem;
        return std::count_if(fs::recursive_directory_iterator(temp.path()), fs::recursive_directory_iterator(),
                             [](const fs::directory_entry& e) { return e.is_regular_file(); });
    };
    // A copied file: its blocks are on disk while it is open.
    ASSERT_TRUE(wdtest::writeUlawWav(dir.file("long.wav"), 2, 44100, wdtest::testPattern(2 * 300000, 5)));
    for (const int type : {1, 4}) {
        ASSERT_TRUE(open(dir.file("long.wav")));
        ASSERT_GT(files(), 0);
        ASSERT_TRUE(save(dir.file(type == 1 ? "saved.wav" : "saved.ogg"), false, type));
        ASSERT_EQ(WDXCloseCurTrack(), 0);
        host.pump();
        EXPECT_EQ(WDXGetTrackInfo(2), -1) << "no track is left";
        EXPECT_EQ(files(), 0) << "output type " << type;
    }
    WDXSetTempFolder(previous);
}

TEST_F(Road, CancellingASaveReportsOnlyToTheLibrary) {
    auto pcm = wdtest::testPattern(44100 * 60 * 2, 31);
    ASSERT_TRUE(wdtest::writePcm16(dir.file("minute.wav"), SF_FORMAT_WAV, 2, 44100, pcm));
    ASSERT_TRUE(open(dir.file("minute.wav")));
    host.clearLog();
    mainLog.clear();
    ASSERT_EQ(WDXSaveTrackFile(progress, dir.file("partial.wav").c_str(), 1), 0);
    ASSERT_TRUE(host.waitForMessage(progress, NotifySaveProgress));
    EXPECT_EQ(WDXCancelSaveFile(), 0);
    host.pumpFor(200ms);
    EXPECT_EQ(seen(MsgSaveCancelled), 1u);
    EXPECT_EQ(seen(MsgSaveComplete) + seen(MsgSaveFailed), 0u);
    EXPECT_EQ(host.count(progress, NotifySaveDone) + host.count(progress, NotifySaveFailed), 0u);
}

TEST_F(Road, CancellingAnOpenLeavesNoTrack) {
    // Copied, so still reading at its first progress (PCM would open at once).
    ASSERT_TRUE(wdtest::writeUlawWav(dir.file("long.wav"), 2, 44100, wdtest::testPattern(44100 * 120 * 2, 5)));
    ASSERT_EQ(WDXGetTrackInfo(0), -1);
    mainLog.clear();
    ASSERT_EQ(WDXOpenTrackFile(progress, dir.file("long.wav").c_str()), 0);
    ASSERT_TRUE(host.waitForMessage(progress, NotifyImportProgress));
    EXPECT_EQ(WDXCancelOpenFile(), 0);
    host.pumpFor(200ms);
    EXPECT_EQ(seen(MsgImportCancelled), 1u);
    EXPECT_EQ(seen(MsgImportComplete), 0u);
    EXPECT_EQ(WDXGetTrackInfo(0), -1) << "no track was left behind";
    EXPECT_EQ(host.count(progress, NotifyImportDone) + host.count(progress, NotifyImportFailed), 0u);
}

TEST_F(Road, ExitingStopsARunningOpenAndLeavesNoTrack) {
    ASSERT_TRUE(wdtest::writeUlawWav(dir.file("long.wav"), 2, 44100, wdtest::testPattern(44100 * 120 * 2, 8)));
    mainLog.clear();
    ASSERT_EQ(WDXOpenTrackFile(progress, dir.file("long.wav").c_str()), 0);
    ASSERT_TRUE(host.waitForMessage(progress, NotifyImportProgress));
    WDXExitProgram();  // returns once the reader has stopped
    host.pumpFor(100ms);
    EXPECT_EQ(seen(MsgImportCancelled), 1u);
    EXPECT_EQ(seen(MsgImportComplete), 0u);
    EXPECT_EQ(WDXGetTrackInfo(0), -1);
}

TEST_F(Road, AFileThatIsNotSoundReportsFailureAndLeavesNoTrack) {
    ASSERT_TRUE(wdtest::writeFile(dir.file("notes.wav"), "shopping: milk, eggs\n"));
    EXPECT_FALSE(open(dir.file("notes.wav")));
    EXPECT_EQ(host.count(progress, NotifyImportFailed), 1u);
    EXPECT_EQ(WDXGetTrackInfo(0), -1);
    EXPECT_EQ(WDXSaveTrackFile(progress, dir.file("x.wav").c_str(), 1), -1) << "nothing to save";
}

}  // namespace
