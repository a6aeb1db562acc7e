// Batch conversion through its exports, as a host drives it: a list of files, a folder, a
// type, a progress window that hears how each file fares.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "formats/batch_converter.h"
#include "formats/exporter.h"
#include "model/track_list.h"
#include "support/signal.h"
#include "support/sound_files.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

namespace fs = std::filesystem;

class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        progress = host.addChild(host.frame(), 0, 0, 10, 10);
        ASSERT_EQ(WDXInitBatchConvert(), 1);
        WDXSetProgHWND(progress);
        fs::create_directories(dir.file("out"));
        WDXSetOutputDir(dir.file("out").c_str());
    }
    void TearDown() override {
        WDXUninitBatchConvert();
        EXPECT_EQ(wd::TrackList::instance().count(), 0) << "every track of the run was dropped";
    }

    // A WAV file of a tone; its path.
    std::string wav(const std::string& name, double seconds = 0.5, int rate = 44100) {
        const auto frames = static_cast<size_t>(seconds * rate);
        EXPECT_TRUE(wdtest::writePcm16(dir.file(name), SF_FORMAT_WAV, 2, rate, wdtest::toInt16(wdtest::sine(2, rate, frames, {440.0}, 0.5))));
        return dir.file(name);
    }
    void add(const std::vector<std::string>& paths) {
        for (const auto& p : paths) EXPECT_EQ(WDXAddFiles(p.c_str()), 1);
    }
    // Runs the list and waits for 1155; the progress window's messages of the run, in order.
    std::vector<UINT> run(int type) {
        host.clearLog();
        WDXSetOutputType(type);
        EXPECT_EQ(WDXBeginConvert(), 1);
        EXPECT_TRUE(host.waitForMessage(progress, NotifyBatchDone, std::chrono::seconds(60)));
        std::vector<UINT> ends;
        for (const auto& m : host.messages(progress)) {
            if (m.message >= WM_USER && m.message != NotifyImportProgress && m.message != NotifySaveProgress) ends.push_back(m.message);
        }
        return ends;
    }
    std::vector<std::string> outputs() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.file("out"))) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    wdtest::TestHost host;
    HWND progress = nullptr;
    wdtest::TempDir dir;
};

TEST_F(Batch, AnMp3ATextFileAndAWavBecomeTwoOggFiles) {
    if (!wdtest::haveProgram("lame") || !wdtest::haveProgram("oggdec")) GTEST_SKIP() << "needs the lame and oggdec programs";
    wav("song.wav");
    const std::string mp3 = dir.file("tune.mp3");
    ASSERT_TRUE(wdtest::runCommand("lame --quiet '" + dir.file("song.wav") + "' '" + mp3 + "' && echo ok") == "ok\n");
    ASSERT_TRUE(wdtest::writeFile(dir.file("notes.txt"), "a list of songs\n"));
    add({mp3, dir.file("notes.txt"), dir.file("song.wav")});
    EXPECT_EQ(run(wd::kExportOggVorbis),
              (std::vector<UINT>{NotifyImportDone, NotifySaveDone, NotifyUnsupportedFile, NotifyImportDone, NotifySaveDone,
                                 NotifyBatchDone}));
    EXPECT_EQ(outputs(), (std::vector<std::string>{"song.ogg", "tune.ogg"}));
    for (const char* name : {"song.ogg", "tune.ogg"}) {
        auto decoded = wdtest::runCommand("oggdec -Q -o - '" + dir.file(std::string("out/") + name) + "' | wc -c");
        EXPECT_GT(std::stol(decoded), 44100 * 2 * 2 / 2) << name << ": half a second of stereo";
    }
}

TEST_F(Batch, AnEmptyListEndsAtOnce) { EXPECT_EQ(run(wd::kExportWave), (std::vector<UINT>{NotifyBatchDone})); }

TEST_F(Batch, OutputsAreNamedAfterTheInputsWithoutTakingAnInputsOrAnEarlierOutputsName) {
    // a.b.wav gives a.b.mp3; an input of the same name in another folder, and an input
    // that already has the output's name, get numbered names instead of being overwritten.
    fs::create_directories(dir.file("other"));
    add({wav("a.b.wav"), wav("other/a.b.wav"), wav("out/c.wav"), wav("c.wav")});
    const std::string before = wdtest::readFile(dir.file("out/c.wav"));
    run(wd::kExportWave);
    EXPECT_EQ(outputs(), (std::vector<std::string>{"a.b (2).wav", "a.b.wav", "c (2).wav", "c (3).wav", "c.wav"}));
    EXPECT_EQ(wdtest::readFile(dir.file("out/c.wav")), before) << "an input is never overwritten";
}

TEST_F(Batch, EntriesAreDeletedByTheirExactPathAndListedFilesMustExist) {
    add({wav("x.wav"), wav("y.wav"), wav("z.wav")});
    EXPECT_EQ(WDXAddFiles(dir.file("missing.wav").c_str()), 1) << "1 whatever the converter does";
    EXPECT_EQ(WDXAddFiles(nullptr), 1);
    EXPECT_EQ(WDXDeleteFiles(dir.file("Y.wav").c_str()), 1);
    ASSERT_EQ(wd::BatchConverter::instance()->files().size(), 3u) << "letter case matters; missing files are not listed";
    WDXDeleteFiles(dir.file("y.wav").c_str());
    const auto& files = wd::BatchConverter::instance()->files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[1].path, dir.file("z.wav"));
    EXPECT_EQ(files[1].flag, 0);
}

TEST_F(Batch, WithoutAConverterEveryExportSaysSo) {
    WDXUninitBatchConvert();
    EXPECT_EQ(WDXAddFiles(dir.file("x.wav").c_str()), 0);
    EXPECT_EQ(WDXBeginConvert(), 0);
    EXPECT_EQ(WDXCancelConvert(), 0);
    EXPECT_EQ(WDXSetOutputType(1), 0);
    EXPECT_EQ(WDXSetProgHWND(progress), 0);
    EXPECT_EQ(WDXDeleteFiles("x"), 0);
    EXPECT_EQ(WDXSetOutputDir("x"), 0);
}

TEST_F(Batch, FilesThatCannotBeWrittenAreSkippedAndTheRunGoesOn) {
    // No type: nothing is read; a rate the Vorbis encoder refuses: read, then not written.
    add({wav("fine.wav"), wav("fast.wav", 0.1, 384000)});
    EXPECT_EQ(run(0), (std::vector<UINT>{NotifySaveFailed, NotifySaveFailed, NotifyBatchDone}));
    EXPECT_EQ(host.count(progress, NotifyImportProgress), 0u);
    EXPECT_EQ(run(wd::kExportOggVorbis),
              (std::vector<UINT>{NotifyImportDone, NotifySaveDone, NotifyImportDone, NotifySaveFailed, NotifyBatchDone}));
    EXPECT_EQ(outputs(), (std::vector<std::string>{"fine.ogg"}));
}

TEST_F(Batch, CancelStopsTheChainAndKeepsNoHalfWrittenFile) {
    add({wav("long.wav", 20.0), wav("next.wav")});
    WDXSetOutputType(wd::kExportOggVorbis);
    host.clearLog();
    ASSERT_EQ(WDXBeginConvert(), 1);
    ASSERT_TRUE(host.waitForMessage(progress, NotifySaveProgress, std::chrono::seconds(30)));
    EXPECT_EQ(WDXBeginConvert(), 1) << "refused while running: the run goes on";
    EXPECT_EQ(WDXCancelConvert(), 1);
    host.pumpFor(std::chrono::milliseconds(300));
    EXPECT_EQ(host.count(progress, NotifySaveDone) + host.count(progress, NotifySaveFailed), 0u);
    EXPECT_EQ(host.count(progress, NotifyBatchDone), 0u);
    EXPECT_EQ(host.count(progress, NotifyImportDone), 1u) << "the next file was not started";
    EXPECT_TRUE(outputs().empty());
    EXPECT_EQ(wd::TrackList::instance().count(), 0);
    // A new run starts over at the first file.
    EXPECT_EQ(run(wd::kExportWave).back(), static_cast<UINT>(NotifyBatchDone));
    EXPECT_EQ(outputs(), (std::vector<std::string>{"long.wav", "next.wav"}));
}

}  // namespace
