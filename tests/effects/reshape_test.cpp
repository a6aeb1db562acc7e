// The effects that change a selection's length, the track's format, or work across tracks:
// measured by what a listener would notice (length, pitch, level) and by plain loops.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "effect_session.h"
#include "model/block_factory.h"
#include "model/block_folder.h"
#include "model/track.h"
#include "model/track_list.h"
#include "services/settings.h"
#include "support/signal.h"
#include "wavedeck.h"

namespace {

using wdtest::EffectBlock;
using wdtest::EffectSession;

constexpr int kRate = 44100;

std::vector<float> slice(const std::vector<float>& v, int start, int count) {
    return std::vector<float>(v.begin() + start, v.begin() + start + count);
}

float sine(double frequency, int frame) {
    return wdtest::testSignal(frequency, 0.5, frame);
}

TEST(Repeat, InsertsTheCopiesAfterTheSelectionOnBothChannelsAndKeepsTheSelection) {
    struct Row {
        int start, length, copies;
    };
    for (const Row row : {Row{2000, 1500, 2}, Row{8500, 1500, 1}}) {  // the second reaches the end
        EffectSession session;
        wd::Track* track = session.open(2, 10000, [](int c, int i) { return sine(c ? 300 : 500, i); });
        EffectSession::select(track, row.start, row.length, true, false);
        const auto left = EffectSession::samples(track, 0), right = EffectSession::samples(track, 1);
        EffectBlock block;
        block.i[0] = row.copies;
        ASSERT_EQ(session.apply(5, &block).doneWord, 1u);
        for (int c = 0; c < 2; ++c) {
            const auto& before = c ? right : left;
            auto expected = slice(before, 0, row.start + row.length);
            for (int k = 0; k < row.copies; ++k) {
                const auto copy = slice(before, row.start, row.length);
                expected.insert(expected.end(), copy.begin(), copy.end());
            }
            expected.insert(expected.end(), before.begin() + row.start + row.length, before.end());
            EXPECT_EQ(EffectSession::samples(track, c), expected) << "channel " << c << " from " << row.start;
        }
        EXPECT_EQ(track->channel(0)->selStart, row.start);
        EXPECT_EQ(track->channel(0)->selLength, row.length);
        ASSERT_EQ(WDXUndo(), 0);
        EXPECT_EQ(EffectSession::samples(track, 1), right);
    }
}

TEST(ChangeSpeed, ReplacesTheSelectionByFTimesAsManySamplesAtAPitchFTimesLower) {
    EffectSession session;
    wd::Track* track = session.open(1, 3000, [](int, int i) { return sine(441, i); });
    EffectSession::select(track, 1000, 1000);
    EffectBlock block;
    block.f[0] = 2.0f;
    ASSERT_EQ(session.apply(12, &block).doneWord, 1u);
    EXPECT_EQ(track->length(), 4000);
    EXPECT_EQ(track->channel(0)->selLength, 2000);

    wd::Track* longer = session.open(1, kRate, [](int, int i) { return sine(882, i); });
    EffectSession::select(longer, 0, kRate);
    block.f[0] = 1.5f;
    ASSERT_EQ(session.apply(12, &block).doneWord, 1u);
    const auto out = EffectSession::samples(longer, 0);
    ASSERT_EQ(out.size(), static_cast<size_t>(kRate * 3 / 2));
    EXPECT_NEAR(wdtest::dominantFrequency(slice(out, 25000, 16384), kRate), 588, 1);
}

// n = 44105 at f = 1.1 rounds n' up by half a sample: a ratio of n' / n instead of the
// rates' 48510 / 44100 would drift a 10 kHz tone by about half a radian mid-selection.
TEST(ChangeSpeed, ResamplesAtTheRatioOfTheRates) {
    EffectSession session;
    const auto tone = [](int, int i) { return static_cast<float>(0.5 * std::sin(2 * M_PI * 10000.0 * i / kRate)); };
    wd::Track* track = session.open(1, 50000, tone);
    EffectSession::select(track, 2000, 44105);
    EffectBlock block;
    block.f[0] = 1.1f;
    ASSERT_EQ(session.apply(12, &block).doneWord, 1u);
    ASSERT_EQ(track->channel(0)->selLength, 48516);
    const auto out = EffectSession::samples(track, 0);
    for (int j = 48516 / 4; j < 48516 * 3 / 4; ++j) {
        const double source = 2000 + j * (44100.0 / 48510.0);
        ASSERT_NEAR(out[static_cast<size_t>(2000 + j)], 0.5 * std::sin(2 * M_PI * 10000.0 * source / kRate), 1e-3) << j;
    }
}

// A block that cannot be read in channel 1's selection: no silence in its place, no change
// to either channel.
TEST(ChangeSpeed, AnUnreadableBlockFailsTheEffectAndLeavesTheTrackAlone) {
    EffectSession session;
    const int frames = wd::Sequence::kMaxBlockSamples + 100000;
    const uint32_t firstFile = wd::BlockFactory::instance().nextFileNumber();
    wd::Track* track = session.open(2, frames, [](int c, int i) { return sine(c ? 200 : 300, i); });
    const auto left = EffectSession::samples(track, 0);
    std::vector<std::vector<wd::Sequence::BlockInfo>> blocks;
    for (int c = 0; c < 2; ++c) blocks.push_back(track->channel(c)->sequence().blockInfo());
    // Each channel has a full block and a partial one: files firstFile + 0 to 3 in order.
    const std::string lost = wd::BlockFolder::instance().folderFor(wd::Settings::instance().tempFolder()) + "/" +
                             std::to_string(firstFile + 3) + ".temp";
    ASSERT_TRUE(std::filesystem::remove(lost)) << lost;
    EffectSession::select(track, 200000, 100000);
    EffectBlock block;
    block.f[0] = 1.5f;
    EXPECT_EQ(session.apply(12, &block).doneWord, 0u);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(track->channel(c)->sequence().length(), frames) << c;
        EXPECT_EQ(track->channel(c)->selLength, 100000) << c;
        const auto after = track->channel(c)->sequence().blockInfo();
        ASSERT_EQ(after.size(), blocks[c].size()) << c;
        for (size_t b = 0; b < after.size(); ++b) EXPECT_EQ(after[b].serial, blocks[c][b].serial) << c << " " << b;
    }
    EXPECT_EQ(EffectSession::samples(track, 0), left);
}

// A channel a little short of the longest sequence (silent blocks cost no disk): a slower
// tempo would pass it, a lower pitch keeps the length and must run.
TEST(ChangePitchAndTempo, OnlyTheTempoIsHeldToTheLongestSequence) {
    struct Row {
        int id;
        unsigned done;
    };
    for (const Row row : {Row{13, 1}, Row{14, 0}}) {
        EffectSession session;
        wd::Track* track = session.open(1, 3000, [](int, int i) { return sine(440, i); });
        const int length = static_cast<int>(wd::Sequence::kMaxLength) - 10000;
        ASSERT_EQ(track->channel(0)->sequence().insertSilence(3000, length - 3000), 0);
        EffectSession::select(track, 0, 2000);
        EffectBlock block;
        block.f[0] = -95.0f;
        EXPECT_EQ(session.apply(row.id, &block).doneWord, row.done) << row.id;
        EXPECT_EQ(track->channel(0)->sequence().length(), length) << row.id;
    }
}

// SoundTouch's flush pads the output to the length the ratios ask for; its overlap-add
// keeps the pitch of a tempo change as long as the channels agree on where to splice (an
// octave apart here), and its resampler sets the pitch ratio.
TEST(ChangePitchAndTempo, MeetTheRequestedPercentages) {
    struct Row {
        int id;
        float percent;
        double lengthRatio, frequencyRatio;
    };
    const Row rows[] = {{13, 100, 1, 2}, {13, -25, 1, 0.75}, {14, 100, 0.5, 1}, {14, -20, 1.25, 1}};
    for (const Row& row : rows) {
        EffectSession session;
        const int n = kRate;
        wd::Track* track = session.open(2, n + 5000, [](int c, int i) { return sine(c ? 220 : 440, i); });
        EffectSession::select(track, 5000, n, true, false);  // the flags do not matter
        EffectBlock block;
        block.f[0] = row.percent;
        ASSERT_EQ(session.apply(row.id, &block).doneWord, 1u);
        const int written = track->length() - 5000;
        EXPECT_NEAR(written, n * row.lengthRatio, 2) << row.id << " " << row.percent;
        EXPECT_EQ(track->channel(0)->selLength, row.id == 14 ? written : n) << "a tempo change selects what it wrote";
        for (int c = 0; c < 2; ++c) {
            const auto out = slice(EffectSession::samples(track, c), 5000 + written / 2 - 8192, 16384);
            const double want = (c ? 220 : 440) * row.frequencyRatio;
            EXPECT_NEAR(wdtest::dominantFrequency(out, kRate), want, want * 0.005) << row.id << " channel " << c;
        }
    }
}

TEST(ConvertFormat, RebuildsTheTrackInTheNewFormat) {
    EffectSession session;
    wd::Track* mono = session.open(1, 10000, [](int, int i) { return sine(441, i); });
    const auto source = EffectSession::samples(mono, 0);
    EffectBlock toStereo;
    toStereo.f[0] = kRate;
    toStereo.i[0] = 2, toStereo.i[1] = 0, toStereo.i[2] = 100, toStereo.i[3] = 50;
    ASSERT_EQ(session.apply(22, &toStereo).doneWord, 1u);
    ASSERT_EQ(WDXGetTrackInfo(0), 2);
    const auto left = EffectSession::samples(mono, 0), right = EffectSession::samples(mono, 1);
    EXPECT_EQ(left, source);
    for (size_t i = 0; i < right.size(); ++i) ASSERT_FLOAT_EQ(right[i], source[i] * 0.5f) << i;

    EffectBlock keepRight = toStereo;
    keepRight.i[0] = 1, keepRight.i[1] = 1;
    ASSERT_EQ(session.apply(22, &keepRight).doneWord, 1u);
    EXPECT_EQ(WDXGetTrackInfo(0), 1);
    EXPECT_EQ(EffectSession::samples(mono, 0), right);

    EffectBlock halfRate = keepRight;
    halfRate.f[0] = 22050;
    ASSERT_EQ(session.apply(22, &halfRate).doneWord, 1u);
    EXPECT_EQ(WDXGetTrackInfo(1), 22050);
    EXPECT_NEAR(WDXGetTrackInfo(2), 5000, 2);
    EXPECT_NEAR(wdtest::dominantFrequency(slice(EffectSession::samples(mono, 0), 500, 4000), 22050), 441, 1);

    for (int step = 0; step < 3; ++step) ASSERT_EQ(WDXUndo(), 0);
    EXPECT_EQ(WDXGetTrackInfo(0), 1);
    EXPECT_EQ(WDXGetTrackInfo(1), kRate);
    EXPECT_EQ(EffectSession::samples(mono, 0), source);
}

TEST(MixTracks, SumsEveryOpenTrackIntoAMonoCurrentTrackAtHalfLevelPerBus) {
    EffectSession session;
    wd::Track* stereo = session.open(2, 6000, [](int c, int i) { return sine(c ? 200 : 300, i); });
    wd::Track* other = session.open(1, 9000, [](int, int i) { return sine(700, i); });
    wd::Track* current = session.open(1, 4000, [](int, int i) { return sine(500, i); });
    const auto l = EffectSession::samples(stereo, 0), r = EffectSession::samples(stereo, 1);
    const auto m = EffectSession::samples(other, 0), t = EffectSession::samples(current, 0);
    EffectSession::select(current, 0, 0);
    EXPECT_EQ(WDXCanDoEffect(7), 1) << "allowed with several tracks whatever the selection";
    ASSERT_EQ(session.apply(7, nullptr).doneWord, 1u);
    const auto mix = EffectSession::samples(current, 0);
    ASSERT_EQ(mix.size(), 9000u) << "the current track grows to the longest";
    for (size_t i = 0; i < mix.size(); ++i) {
        const double expected = (i < 6000 ? 0.5 * l[i] + 0.5 * r[i] : 0) + m[i] + (i < 4000 ? t[i] : 0);
        ASSERT_NEAR(mix[i], expected, 1e-6) << i;
    }
}


// A track whose channels differ in length gives buses that end apart: the ended one adds
// silence while the other runs on, whatever the current track's channel count.
TEST(MixTracks, AnEndedBusAddsSilenceAndTheMixRunsToTheLongerBus) {
    for (const int channels : {1, 2}) {
        EffectSession session;
        wd::Track* uneven = session.open(2, 9000, [](int c, int i) { return sine(c ? 200 : 300, i); });
        ASSERT_EQ(uneven->channel(1)->sequence().deleteRange(2500, 6500), 0);
        wd::Track* current = session.open(channels, 4000, [](int c, int i) { return sine(c ? 400 : 500, i); });
        const auto l = EffectSession::samples(uneven, 0), r = EffectSession::samples(uneven, 1);
        std::vector<std::vector<float>> own;
        for (int c = 0; c < channels; ++c) own.push_back(EffectSession::samples(current, c));
        ASSERT_EQ(session.apply(7, nullptr).doneWord, 1u);
        auto at = [](const std::vector<float>& v, size_t i) { return i < v.size() ? double(v[i]) : 0.0; };
        for (int c = 0; c < channels; ++c) {
            const auto mix = EffectSession::samples(current, c);
            ASSERT_EQ(mix.size(), 9000u) << channels << " channels, channel " << c;
            for (size_t i = 0; i < mix.size(); ++i) {
                const double others = channels == 2 ? at(c ? r : l, i) : 0.5 * at(l, i) + 0.5 * at(r, i);
                ASSERT_NEAR(mix[i], others + at(own[c], i), 1e-6) << channels << " channels, channel " << c << " at " << i;
            }
        }
    }
}
TEST(CopyToNewTrack, MakesANewCurrentTrackOfTheSelectionAndLeavesTheSourceAlone) {
    EffectSession session;
    wd::Track* source = session.open(2, 8000, [](int c, int i) { return sine(c ? 200 : 300, i); });
    const auto left = EffectSession::samples(source, 0), right = EffectSession::samples(source, 1);
    struct Row {
        bool first, second;
        int channels;
        const std::vector<float>* copied;
    };
    for (const Row row : {Row{true, true, 2, &left}, Row{false, true, 1, &right}}) {
        ASSERT_EQ(wd::TrackList::instance().setCurrent(source), 0);
        EffectSession::select(source, 1500, 3000, row.first, row.second);
        ASSERT_EQ(session.apply(23, nullptr).doneWord, 1u);
        session.host().pumpUntil([&] { return wd::TrackList::instance().current() != source; });
        const wd::Track* copy = wd::TrackList::instance().current();
        ASSERT_NE(copy, source);
        EXPECT_EQ(copy->name().rfind("Selection_", 0), 0u) << copy->name();
        ASSERT_EQ(copy->channelCount(), row.channels);
        EXPECT_EQ(EffectSession::samples(copy, 0), slice(*row.copied, 1500, 3000));
        EXPECT_EQ(EffectSession::samples(source, 0), left);
    }
    ASSERT_EQ(wd::TrackList::instance().setCurrent(source), 0);
    EXPECT_EQ(WDXCanUndo(), 0) << "no undo state for the source";
}

TEST(ChannelMixer, MixesBothChannelsOverChannelZerosSelectionWhateverTheFlags) {
    EffectSession session;
    wd::Track* track = session.open(2, 6000, [](int c, int i) { return sine(c ? 200 : 300, i); });
    EffectSession::select(track, 1000, 4000, false, false);
    const auto l = EffectSession::samples(track, 0), r = EffectSession::samples(track, 1);
    EffectBlock block;
    block.f[0] = 0.5f, block.f[1] = 0.5f, block.f[2] = 1.0f, block.f[3] = -1.0f;
    ASSERT_EQ(session.apply(24, &block).doneWord, 1u);
    const auto nl = EffectSession::samples(track, 0), nr = EffectSession::samples(track, 1);
    for (size_t i = 0; i < nl.size(); ++i) {
        const bool inside = i >= 1000 && i < 5000;
        ASSERT_NEAR(nl[i], inside ? 0.5 * l[i] + 0.5 * r[i] : l[i], 1e-7) << i;
        ASSERT_NEAR(nr[i], inside ? l[i] - r[i] : r[i], 1e-7) << i;
    }
}

}  // namespace
