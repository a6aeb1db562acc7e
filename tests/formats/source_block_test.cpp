// Tracks that read uncompressed sound files in place: the same samples and summaries as a
// copy, whatever happens to the file's name, and a loud failure when its content changes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "edit/edit_engine.h"
#include "model/sequence.h"
#include "model/track.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "support/process_info.h"
#include "support/file_fixture.h"
#include "support/sound_files.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wd::BlockFile;
using wd::Track;

constexpr int kFrames = 2 * BlockFile::kMaxSamples + 1000;

// Interleaved noise from -1.25 to 1.25 (float files keep values past full scale).
std::vector<float> noise(size_t count, uint32_t seed) {
    std::vector<float> out(count);
    for (float& v : out) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<float>(static_cast<int32_t>(seed)) / 1717986918.0f;
    }
    return out;
}

// Writes the file, and returns what libsndfile reads back from it: the floats a copying
// open stores.
std::vector<float> writeAndReadBack(const std::string& path, int format, int channels, int frames) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = format;
    SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_TRUE(out) << sf_strerror(nullptr);
    if (!out) return {};
    sf_writef_float(out, noise(static_cast<size_t>(frames) * channels, static_cast<uint32_t>(format)).data(), frames);
    sf_close(out);
    SF_INFO back{};
    SNDFILE* in = sf_open(path.c_str(), SFM_READ, &back);
    // Block codings may pad the last block with frames of their own.
    std::vector<float> samples(static_cast<size_t>(back.frames) * channels);
    EXPECT_EQ(sf_readf_float(in, samples.data(), back.frames), back.frames);
    sf_close(in);
    return samples;
}

std::vector<float> channelOf(const std::vector<float>& interleaved, int channels, int c) {
    std::vector<float> out(interleaved.size() / static_cast<size_t>(channels));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = interleaved[i * static_cast<size_t>(channels) + static_cast<size_t>(c)];
    return out;
}

class SourceBlocks : public wdtest::FileFixture {
protected:
    // A stereo 16-bit WAV of kFrames frames, opened; its interleaved samples in pcm.
    Track* openStereo(const std::string& path) {
        pcm = wdtest::testPattern(static_cast<size_t>(kFrames) * 2, 11);
        EXPECT_TRUE(wdtest::writePcm16(path, SF_FORMAT_WAV, 2, 44100, pcm));
        Track* track = open(path);
        // As the library's main window does when it takes a track over.
        if (track) {
            wd::TrackList::instance().builtTrack(track->id());
            wd::UndoHistory::instance().addHistory(track->id());
        }
        return track;
    }
    void select(Track& track, int start, int count) {
        for (int c = 0; c < track.channelCount(); ++c) {
            track.channel(c)->selStart = start;
            track.channel(c)->selLength = count;
            track.channel(c)->selectedFlag = true;
        }
    }
    std::vector<int16_t> pcm;
};

TEST_F(SourceBlocks, UncompressedFilesReadInPlaceWithTheSamplesAndSummariesOfACopy) {
    const struct {
        int format;
        bool inPlace;
    } cases[] = {
        {SF_FORMAT_WAV | SF_FORMAT_PCM_U8, true},     {SF_FORMAT_WAV | SF_FORMAT_PCM_16, true},
        {SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, true},    {SF_FORMAT_AIFF | SF_FORMAT_PCM_24, true},
        {SF_FORMAT_W64 | SF_FORMAT_PCM_32, true},     {SF_FORMAT_RF64 | SF_FORMAT_FLOAT, true},
        {SF_FORMAT_WAV | SF_FORMAT_DOUBLE, true},     {SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, true},
        {SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, false}, {SF_FORMAT_WAV | SF_FORMAT_ULAW, false},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(std::string("f").append(std::to_string(c.format)).append(".wav"));
        const std::vector<float> expected = writeAndReadBack(path, c.format, 2, kFrames);
        const int frames = static_cast<int>(expected.size() / 2);
        Track* track = open(path);
        ASSERT_TRUE(track) << c.format;
        ASSERT_EQ(track->length(), frames) << c.format;
        for (int ch = 0; ch < 2; ++ch) {
            const wd::Sequence& got = track->channel(ch)->sequence();
            for (const auto& block : got.blockInfo()) {
                EXPECT_EQ(block.kind == BlockFile::Kind::Source, c.inPlace) << c.format;
            }
            const std::vector<float> want = channelOf(expected, 2, ch);
            const std::vector<float> samples = samplesOf(*track, ch);
            ASSERT_EQ(std::memcmp(samples.data(), want.data(), want.size() * sizeof(float)), 0)
                << c.format << " channel " << ch;
            wd::Sequence copy;
            ASSERT_EQ(copy.appendSamples(want.data(), BlockFile::kMaxSamples), BlockFile::kMaxSamples);
            ASSERT_EQ(copy.appendSamples(want.data() + BlockFile::kMaxSamples, frames - BlockFile::kMaxSamples),
                      frames - BlockFile::kMaxSamples);
            ASSERT_EQ(copy.flushAppend() > 0, true);
            for (int perColumn : {256, 1000, 65536, 100000}) {
                const int columns = frames / perColumn + 1;
                std::vector<float> mins(columns), maxs(columns), copyMins(columns), copyMaxs(columns);
                ASSERT_EQ(got.readColumns(mins.data(), maxs.data(), columns, 17, perColumn),
                          copy.readColumns(copyMins.data(), copyMaxs.data(), columns, 17, perColumn));
                EXPECT_EQ(mins, copyMins) << c.format << " per column " << perColumn;
                EXPECT_EQ(maxs, copyMaxs) << c.format << " per column " << perColumn;
            }
        }
        wd::TrackList::instance().removeTrack(track);
    }
}

TEST_F(SourceBlocks, RenamingDeletingOrReplacingTheFileChangesNothingForTheTrack) {
    const std::string path = dir.file("source.wav");
    const std::vector<std::function<void()>> whatTheUserDoes = {
        [&] { std::filesystem::rename(path, dir.file("moved.wav")); },
        [&] { std::filesystem::remove(path); },
        [&] {
            ASSERT_TRUE(wdtest::writePcm16(dir.file("new.wav"), SF_FORMAT_WAV, 1, 8000, wdtest::testPattern(100, 3)));
            // Windows refuses another program's rename over a file that is open: the
            // track keeps its samples either way.
            std::error_code refused;
            std::filesystem::rename(dir.file("new.wav"), path, refused);
        },
    };
    for (size_t i = 0; i < whatTheUserDoes.size(); ++i) {
        Track* track = openStereo(path);
        ASSERT_TRUE(track);
        whatTheUserDoes[i]();
        select(*track, 1000, BlockFile::kMaxSamples);
        ASSERT_EQ(WDXDeleteSelection(), 0) << i;
        EXPECT_EQ(track->length(), kFrames - BlockFile::kMaxSamples) << i;
        ASSERT_EQ(WDXUndo(), 0) << i;
        ASSERT_TRUE(save(dir.file("saved.wav"), 1)) << i;
        const auto saved = wdtest::readPcm16(dir.file("saved.wav"));
        ASSERT_EQ(saved.size(), pcm.size());
        for (size_t k = 0; k < pcm.size(); ++k) ASSERT_EQ(saved[k], pcm[k]) << "case " << i << " at " << k;
        wd::TrackList::instance().removeTrack(track);
        std::filesystem::remove(path);
    }
}

TEST_F(SourceBlocks, AFileRewrittenInPlaceIsReportedNeverRead) {
    const std::string path = dir.file("source.wav");
    Track* track = openStereo(path);
    ASSERT_TRUE(track);
    // Another program writes other samples over the data, same size.
    {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        const std::vector<char> zeros(4096, 0);
        file.seekp(1 << 20);
        ASSERT_TRUE(file.write(zeros.data(), static_cast<std::streamsize>(zeros.size())));
    }
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(60));

    std::vector<float> samples(1000);
    EXPECT_EQ(track->channel(0)->sequence().readSamples(samples.data(), BlockFile::kMaxSamples, 1000), 0);
    select(*track, 1000, 5000);
    EXPECT_NE(WDXDeleteSelection(), 0) << "an edit that needs the file's samples fails";
    EXPECT_EQ(track->length(), kFrames);
    host.clearLog();
    ASSERT_EQ(WDXCut(progressWindow), 0);
    ASSERT_TRUE(host.waitForMessage(progressWindow, NotifyEditDone, std::chrono::seconds(20)));
    wd::EditEngine::instance().waitForWorker();
    EXPECT_EQ(WDXCanPaste(), 0) << "no silence on the clipboard";
    EXPECT_EQ(track->length(), kFrames) << "nothing cut that could not be copied";
    EXPECT_FALSE(save(dir.file("saved.wav"), 1));
    EXPECT_EQ(WDXGetLastFailure(1), WD_FAILURE_SOURCE_CHANGED);
    EXPECT_FALSE(std::filesystem::exists(dir.file("saved.wav"))) << "no file holding silence for the unread samples";
}

TEST_F(SourceBlocks, AFileCutShortDuringTheOpenIsCopiedWithProgressThatNeverGoesBack) {
    const std::string path = dir.file("long.wav");
    constexpr int kLongFrames = 32 * BlockFile::kMaxSamples;
    constexpr std::uintmax_t kCutAt = 44 + 3 * BlockFile::kMaxSamples / 2 * 4;  // a block and a half of stereo 16-bit
    // Cut when the first progress arrives, while the pass still reads the later blocks;
    // tried again in the rare case that it was already through.
    bool copied = false;
    for (int attempt = 0; attempt < 5 && !copied; ++attempt) {
        ASSERT_TRUE(wdtest::writePcm16(path, SF_FORMAT_WAV, 2, 44100, wdtest::testPattern(size_t{2} * kLongFrames, 5)));
        std::error_code cut;
        bool tried = false;
        host.setHandler(progressWindow, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message == NotifyImportProgress && !tried) std::filesystem::resize_file(path, kCutAt, cut);
            tried = tried || message == NotifyImportProgress;
            return std::nullopt;
        });
        Track* track = open(path);
        host.setHandler(progressWindow, {});
        if (cut) GTEST_SKIP() << "this system does not cut a file another handle reads: " << cut.message();
        const std::vector<LPARAM> steps = progress(NotifyImportProgress);
        ASSERT_FALSE(steps.empty());
        for (size_t i = 1; i < steps.size(); ++i) ASSERT_GE(steps[i], steps[i - 1]) << "step " << i << " of " << steps.size();
        if (!track) continue;
        // Frames the pass read before the cut may lie past the new end: progress then stays
        // where it was rather than going back to the copy's end.
        EXPECT_GE(steps.back(), track->length());
        copied = track->channel(0)->sequence().blockInfo().front().kind != BlockFile::Kind::Source;
        if (copied) {
            EXPECT_EQ(track->length(), static_cast<int>((kCutAt - 44) / 4));
        }
        wd::TrackList::instance().removeTrack(track);
    }
    EXPECT_TRUE(copied) << "the open was never caught reading";
}

TEST_F(SourceBlocks, OneDescriptorPerFileHeldUntilTheLastHolderOfItsBlocksGoes) {
    const std::string path = dir.file("source.wav");
    Track* track = openStereo(path);
    ASSERT_TRUE(track);
    EXPECT_EQ(track->channel(0)->sequence().blockInfo().size(), 3u);
    if (!wdtest::descriptorsOn(path)) GTEST_SKIP() << "this system does not list the files a process holds open";
    EXPECT_EQ(wdtest::descriptorsOn(path), 1) << "six blocks, one descriptor";
    select(*track, 10, 10);
    ASSERT_EQ(WDXDeleteSelection(), 0);  // an undo state shares the blocks
    const uint32_t id = track->id();
    auto snapshot = std::make_unique<Track>();
    snapshot->assignFrom(track);
    wd::TrackList::instance().removeTrack(track);
    EXPECT_EQ(wdtest::descriptorsOn(path), 1) << "the undo state and a copy of the track still read the file";
    wd::UndoHistory::instance().removeHistory(id);
    EXPECT_EQ(wdtest::descriptorsOn(path), 1) << "a copy of the track still reads the file";
    snapshot.reset();
    EXPECT_EQ(wdtest::descriptorsOn(path), 0);
}

}  // namespace
