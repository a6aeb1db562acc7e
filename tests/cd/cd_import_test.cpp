// Opening audio-CD tracks through the exports, from disc images the tests make: a
// CUE/BIN pair whose samples are known, in a folder that stands for the drive.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "model/sample_converter.h"
#include "model/track.h"
#include "model/track_list.h"
#include "platform/cdrom/cd_disc.h"
#include "support/file_fixture.h"
#include "support/signal.h"
#include "support/sound_files.h"
#include "wavedeck.h"
#include "wavedeck_cd.h"
#include "wavedeck_messages.h"

namespace {

using namespace std::chrono_literals;
using wd::Track;
using wd::TrackList;
using wd::cdrom::CdDisc;
using wd::cdrom::DiscToc;

constexpr int kFramesPerSector = 588;

struct ImageTrack {
    int sectors;
    bool audio = true;
};

class CdImport : public wdtest::FileFixture {
protected:
    void TearDown() override {
        wd::cdrom::setDiscOpener({});
        FileFixture::TearDown();
    }

    /** Writes disc.bin and disc.cue; the BIN holds binSectors (all the tracks' by default).
     * Returns the CUE's path; samples_ gets the BIN's 16-bit values. */
    std::string makeImage(const std::vector<ImageTrack>& tracks, int binSectors = -1) {
        int total = 0;
        std::string cue = "FILE \"disc.bin\" BINARY\n";
        for (size_t i = 0; i < tracks.size(); ++i) {
            char line[128];
            std::snprintf(line, sizeof line, "  TRACK %02zu %s\n    INDEX 01 %02d:%02d:%02d\n", i + 1,
                          tracks[i].audio ? "AUDIO" : "MODE1/2352", total / 75 / 60, total / 75 % 60, total % 75);
            cue += line;
            total += tracks[i].sectors;
        }
        samples_ = wdtest::testPattern(static_cast<size_t>(binSectors < 0 ? total : binSectors) * kFramesPerSector * 2, 17);
        EXPECT_TRUE(wdtest::writeFile(dir.file("disc.bin"), std::string(reinterpret_cast<const char*>(samples_.data()),
                                                                         samples_.size() * 2)));
        EXPECT_TRUE(wdtest::writeFile(dir.file("disc.cue"), cue));
        return dir.file("disc.cue");
    }

    /** Makes the drive folder for the image; returns the number of track files. */
    int makeDrive(const std::string& image) { return WDXMakeCdTrackFolder(image.c_str(), drive().c_str()); }
    std::string drive() const { return dir.file("drive"); }
    std::string trackFile(int n) const {
        char name[32];
        std::snprintf(name, sizeof name, "/Track%02d.cda", n);
        return drive() + name;
    }

    /** The samples of one channel from sector first for sectors sectors, as floats. */
    std::vector<float> expected(int channel, int first, int sectors) const {
        std::vector<float> out;
        for (int f = first * kFramesPerSector; f < (first + sectors) * kFramesPerSector; ++f) {
            float v = 0;
            wd::SampleConverter::pcm16ToFloat(&samples_[static_cast<size_t>(f) * 2 + static_cast<size_t>(channel)], 2, &v);
            out.push_back(v);
        }
        return out;
    }

    std::vector<int16_t> samples_;
};

TEST_F(CdImport, TracksOfAnImageImportBitForBitFromFirstSectorToTheNext) {
    ASSERT_EQ(makeDrive(makeImage({{100}, {50}})), 2);
    struct Case {
        int track;
        int first;
        int sectors;
        std::vector<LPARAM> percents;
    };
    const Case cases[] = {{1, 0, 100, {13, 26, 39, 52, 65, 78, 91, 100}}, {2, 100, 50, {26, 52, 78, 100}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.track);
        Track* track = open(trackFile(c.track));
        ASSERT_TRUE(track);
        EXPECT_EQ(track->name(), trackFile(c.track));
        EXPECT_EQ(track->channelCount(), 2);
        EXPECT_EQ(track->sampleRate, 44100);
        ASSERT_EQ(track->length(), c.sectors * kFramesPerSector);
        for (int ch = 0; ch < 2; ++ch) EXPECT_EQ(samplesOf(*track, ch), expected(ch, c.first, c.sectors)) << ch;
        EXPECT_EQ(progress(NotifyImportProgress), c.percents);
        EXPECT_EQ(host.messages(progressWindow, NotifyImportProgress).front().wParam, 100u);
    }
}

TEST_F(CdImport, ATrackNumberTheDiscDoesNotHaveFailsWithoutTouchingTheTrackList) {
    ASSERT_EQ(makeDrive(makeImage({{30}, {30}})), 2);
    const std::string record = wdtest::readFile(trackFile(1));
    for (int number : {0, 3, 0x0101}) {
        SCOPED_TRACE(number);
        std::string other = record;
        other[22] = static_cast<char>(number & 0xFF);
        other[23] = static_cast<char>(number >> 8);
        const std::string path = dir.file("drive/Other.cda");
        ASSERT_TRUE(wdtest::writeFile(path, other));
        EXPECT_EQ(open(path), nullptr);
        EXPECT_EQ(host.count(main, MsgImportFailed), 1u);
        EXPECT_EQ(host.count(progressWindow, NotifyImportFailed), 1u);
        EXPECT_EQ(TrackList::instance().count(), tracksBefore);
    }
}

TEST_F(CdImport, FilesThatAreNotTrackRecordsOrDrivesThatAreNotDrivesFail) {
    ASSERT_EQ(makeDrive(makeImage({{30}})), 1);
    std::string record = wdtest::readFile(trackFile(1));
    std::string noRiff = record;
    noRiff.replace(0, 4, "JUNK");
    std::vector<std::pair<std::string, std::string>> files = {
        {"drive/text.cda", "Track 1 of my favourite record, no really\n"},
        {"drive/short.cda", record.substr(0, 43)},
        {"drive/junk.cda", noRiff},
        {"elsewhere/Track01.cda", record},  // a folder that names no disc
    };
    std::filesystem::create_directories(dir.file("elsewhere"));
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(wdtest::writeFile(dir.file(name), content));
        wdtest::keepForFuzzing(dir.file(name), "cd-");
        EXPECT_EQ(open(dir.file(name)), nullptr);
        EXPECT_EQ(host.count(main, MsgImportFailed), 1u);
        EXPECT_EQ(TrackList::instance().count(), tracksBefore);
    }
}

TEST_F(CdImport, ADataTrackGetsNoTrackFileAndDoesNotOpen) {
    ASSERT_EQ(makeDrive(makeImage({{40, false}, {30}})), 1);
    EXPECT_FALSE(std::filesystem::exists(trackFile(1)));
    ASSERT_TRUE(open(trackFile(2)));
    std::string data = wdtest::readFile(trackFile(2));
    data[22] = 1;
    ASSERT_TRUE(wdtest::writeFile(trackFile(1), data));
    EXPECT_EQ(open(trackFile(1)), nullptr) << "its bytes would play as noise";
}

TEST_F(CdImport, AnImageWhoseBinIsShorterThanItsCueClaimsEndsWhereTheDataEnds) {
    // The CUE puts track 2 at sector 150; the BIN ends at sector 120.
    ASSERT_EQ(makeDrive(makeImage({{150}, {150}}, 120)), 1);
    Track* track = open(trackFile(1));
    ASSERT_TRUE(track);
    EXPECT_EQ(samplesOf(*track, 1), expected(1, 0, 120));
    EXPECT_EQ(progress(NotifyImportProgress).back(), 100);
}

// A disc whose reads fail from a chosen read on, once or for good (taken out).
class FaultyDisc : public CdDisc {
public:
    FaultyDisc(std::unique_ptr<CdDisc> disc, int failingRead, bool removed, std::chrono::milliseconds readTime)
        : disc_(std::move(disc)), failingRead_(failingRead), removed_(removed), readTime_(readTime) {}
    bool readToc(DiscToc& toc) override { return disc_->readToc(toc); }
    bool readAudio(int32_t start, uint32_t count, uint8_t* buffer) override {
        std::this_thread::sleep_for(readTime_);
        const int read = reads_++;
        if (read == failingRead_ || (removed_ && read > failingRead_)) return false;
        return disc_->readAudio(start, count, buffer);
    }
    bool present() override { return !removed_ || reads_ <= failingRead_; }

private:
    std::unique_ptr<CdDisc> disc_;
    int failingRead_;
    bool removed_;
    std::chrono::milliseconds readTime_;
    int reads_ = 0;
};

void useFaultyDiscs(int failingRead, bool removed, std::chrono::milliseconds readTime = 0ms) {
    wd::cdrom::setDiscOpener([=](const std::string& source) {
        return std::make_unique<FaultyDisc>(wd::cdrom::openCdioDisc(source), failingRead, removed, readTime);
    });
}

TEST_F(CdImport, AnUnreadableBlockIsSkippedAndTheImportStillEnds) {
    ASSERT_EQ(makeDrive(makeImage({{100}})), 1);
    useFaultyDiscs(2, false);
    Track* track = open(trackFile(1));
    ASSERT_TRUE(track);
    ASSERT_EQ(track->length(), (100 - 13) * kFramesPerSector);
    auto want = expected(0, 0, 26);
    const auto rest = expected(0, 39, 61);
    want.insert(want.end(), rest.begin(), rest.end());
    EXPECT_EQ(samplesOf(*track, 0), want);
    EXPECT_EQ(progress(NotifyImportProgress), (std::vector<LPARAM>{13, 26, 39, 52, 65, 78, 87}));
}

TEST_F(CdImport, ADiscTakenOutMidwayFailsTheImport) {
    ASSERT_EQ(makeDrive(makeImage({{100}})), 1);
    useFaultyDiscs(3, true);
    EXPECT_EQ(open(trackFile(1)), nullptr);
    EXPECT_EQ(host.count(main, MsgImportFailed), 1u);
    EXPECT_EQ(host.count(progressWindow, NotifyImportFailed), 1u);
    EXPECT_EQ(TrackList::instance().count(), tracksBefore);
}

TEST_F(CdImport, CancellingRemovesTheTrackAndReportsOnce) {
    ASSERT_EQ(makeDrive(makeImage({{200}})), 1);
    useFaultyDiscs(-1, false, 30ms);  // a slow drive: no read fails
    host.clearLog();
    ASSERT_EQ(WDXOpenTrackFile(progressWindow, trackFile(1).c_str()), 0);
    ASSERT_TRUE(host.waitForMessage(progressWindow, NotifyImportProgress));
    EXPECT_EQ(WDXCancelOpenFile(), 0);
    host.pumpFor(100ms);
    EXPECT_EQ(host.count(main, MsgImportCancelled), 1u);
    EXPECT_EQ(host.count(main, MsgImportComplete) + host.count(main, MsgImportFailed), 0u);
    EXPECT_EQ(host.count(progressWindow, NotifyImportDone), 0u);
    EXPECT_EQ(TrackList::instance().count(), tracksBefore);
}

TEST_F(CdImport, TheHostMakesADriveFolderAndOpensItsTracks) {
    if (!std::filesystem::exists(WAVEDECK_PROGRAM)) GTEST_SKIP() << "the command-line host is not built here";
    const std::string image = makeImage({{75}, {40}});
    const std::string program = WAVEDECK_PROGRAM;
    int code = -1;
    const std::string made = wdtest::runCommand(program + " cd-tracks '" + image + "' '" + drive() + "' 2>&1", &code);
    ASSERT_EQ(code, 0) << made;
    EXPECT_NE(made.find("2 audio tracks"), std::string::npos) << made;
    const std::string info = wdtest::runCommand(program + " info '" + trackFile(2) + "' 2>/dev/null", &code);
    EXPECT_EQ(code, 0);
    EXPECT_NE(info.find("length:      " + std::to_string(40 * kFramesPerSector) + " samples"), std::string::npos) << info;
    wdtest::runCommand(program + " cd-tracks '" + dir.file("none.cue") + "' '" + drive() + "' 2>&1", &code);
    EXPECT_EQ(code, 1) << "no such image";
}

}  // namespace
