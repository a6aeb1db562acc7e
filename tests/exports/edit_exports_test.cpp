// Editing as a host does it, through libwavedeck.so alone: a stereo WAV cut, copied and
// pasted in each way, saved and read back with libsndfile; undo gives the file back bit
// for bit; exiting leaves no block file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "support/sound_files.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace {

using namespace std::chrono_literals;
using Frames = std::vector<int16_t>;  // interleaved stereo

constexpr int kFrames = 565 * 40;  // 40 samples per column of the fitted view

class EditRoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(WDXSetTempFolder(dir.path().c_str()), 1);
        WDXRegisterMainWnd(host.frame());
        progress = host.addChild(host.frame(), 0, 0, 1, 1);
        ASSERT_TRUE(WDXCreateTrackMainWnd(host.frame(), 0, 0, 605, 400));
        base = wdtest::testPattern(2 * kFrames, 41);
        ASSERT_TRUE(wdtest::writePcm16(dir.file("in.wav"), SF_FORMAT_WAV, 2, 44100, base));
        ASSERT_EQ(WDXOpenTrackFile(progress, dir.file("in.wav").c_str()), 0);
        ASSERT_TRUE(host.waitForMessage(host.frame(), NotifyTrackChanged, 10s));
    }
    void TearDown() override {
        WDXExitProgram();
        host.pump();
    }

    // Runs a clipboard export and waits for its end.
    void edit(int (*exportCall)(HWND)) {
        host.clearLog();
        ASSERT_EQ(exportCall(progress), 0);
        ASSERT_TRUE(host.waitForMessage(progress, NotifyEditDone, 20s));
    }
    // The cursor after `columns` steps from the start.
    static void cursorAt(int columns) {
        WDXSelStart();
        for (int i = 0; i < columns; ++i) WDXSelForward();
    }
    Frames saved() {
        const std::string path = dir.file("out" + std::to_string(saves++) + ".wav");
        host.clearLog();
        EXPECT_EQ(WDXSaveTrackFile(progress, path.c_str(), 1), 0);
        EXPECT_TRUE(host.waitForMessage(progress, NotifySaveDone, 20s));
        int channels = 0;
        Frames got = wdtest::readPcm16(path, &channels);
        EXPECT_EQ(channels, 2);
        return got;
    }
    Frames slice(int from, int to) const { return Frames(base.begin() + 2 * from, base.begin() + 2 * to); }
    void undoneToBase() {
        ASSERT_EQ(WDXUndo(), 0);
        EXPECT_EQ(saved(), base);
    }

    wdtest::TestHost host{700, 500};
    wdtest::TempDir dir;
    HWND progress = nullptr;
    Frames base;
    int saves = 0;
};

Frames joined(Frames a, const Frames& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(EditRoad, CopyAndEachPasteComeBackThroughLibsndfileAndUndoGivesTheOriginal) {
    ASSERT_EQ(saved(), base) << "a 16-bit file passes through unchanged";
    cursorAt(100);  // sample 4000
    ASSERT_EQ(WDXSelectStart(), 0);
    ASSERT_EQ(WDXCanCutOrCopy(), 1);
    edit(WDXCopy);
    ASSERT_EQ(WDXCanPaste(), 1);

    WDXSelEnd();
    edit(WDXPasteInsert);
    EXPECT_EQ(saved(), joined(base, slice(0, 4000)));
    undoneToBase();

    cursorAt(200);  // sample 8000
    edit(WDXPaste);
    EXPECT_EQ(saved(), joined(joined(slice(0, 8000), slice(0, 4000)), slice(12000, kFrames)));
    undoneToBase();

    cursorAt(200);
    edit(WDXPasteMix);
    const Frames mixed = saved();
    ASSERT_EQ(mixed.size(), base.size());
    auto toFloat = [](int v) { return v < 0 ? v / 32768.0 : v / 32767.0; };
    for (size_t i = 0; i < mixed.size(); ++i) {
        const bool inside = i >= 2 * 8000u && i < 2 * 12000u;
        const double sum = toFloat(base[i]) + (inside ? toFloat(base[i - 2 * 8000]) : 0.0);
        ASSERT_NEAR(mixed[i], std::clamp(sum, -1.0, 1.0) * 32767.5, 1.0) << i;
    }
    undoneToBase();
}

TEST_F(EditRoad, ACutTailPastedBackGivesTheOriginalAndExitingLeavesNoBlockFile) {
    cursorAt(200);
    ASSERT_EQ(WDXSelectEnd(), 0);
    edit(WDXCut);
    EXPECT_EQ(WDXGetTrackInfo(2), 8000);
    EXPECT_EQ(saved(), slice(0, 8000));
    WDXSelEnd();  // the view keeps the cursor on the last sample; the end is past it
    edit(WDXPasteInsert);
    EXPECT_EQ(saved(), base);
    ASSERT_EQ(WDXUndo(), 0);
    undoneToBase();
    // The exit frees the clipboard with the tracks: no block file is left.
    WDXExitProgram();
    EXPECT_EQ(WDXCanPaste(), 0);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) files += entry.path().extension() == ".temp";
    EXPECT_EQ(files, 0);
}

// A typed selection: what is saved as the selection is the range asked for, cut at the
// end; a bad range or a playing track keeps the selection as it was.
TEST_F(EditRoad, ASetSelectionIsWhatSaveSelectionWritesCutAtTheEnd) {
    struct Case {
        int start, length, result, from, to;
    } const cases[] = {
        {4000, 2000, 0, 4000, 6000},
        {20000, 10000, 0, 20000, kFrames},  // runs past the end
        {-1, 10, -1, 20000, kFrames},
        {10, -1, -1, 20000, kFrames},
        {0, kFrames, 0, 0, kFrames},
    };
    for (const Case& c : cases) {
        host.clearLog();
        EXPECT_EQ(WDXSetSelection(c.start, c.length), c.result) << c.start << " " << c.length;
        const std::string path = dir.file("sel" + std::to_string(saves++) + ".wav");
        ASSERT_EQ(WDXSaveSelectFile(progress, path.c_str(), 1), 0);
        ASSERT_TRUE(host.waitForMessage(progress, NotifySaveDone, 20s));
        EXPECT_EQ(host.count(host.frame(), NotifySelectionChanged), c.result == 0 ? 1u : 0u) << c.start;
        EXPECT_EQ(wdtest::readPcm16(path), slice(c.from, c.to)) << c.start << " " << c.length;
    }
    ASSERT_EQ(WDXSetSelection(kFrames + 5, 3), 0);
    EXPECT_EQ(WDXCanSaveSelect(), 0) << "a start past the end is the cursor at the end";

    WDXSelStart();
    ASSERT_EQ(WDXPlayTrack(1), 0);
    EXPECT_EQ(WDXSetSelection(0, 100), -1) << "refused while the player plays";
    WDXStopTrack();
    WDXCloseCurTrack();
    EXPECT_EQ(WDXSetSelection(0, 100), -1) << "refused without a track";
}

}  // namespace
