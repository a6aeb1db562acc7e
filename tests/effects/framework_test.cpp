// What every effect shares: the progress it reports, what it refuses, what it leaves alone,
// and when the exports let it run.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "effect_session.h"
#include "model/track.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wdtest::EffectBlock;
using wdtest::EffectSession;
using wdtest::tone;

TEST(EffectProgress, FollowsTheFullChunksAndEndsWithTheCommit) {
    struct Row {
        int length;
        std::vector<LPARAM> progress;
    };
    // Full chunks: ((n - 1025) >> 10) + 1, each reported as (i + 1) x 102400 / n; then
    // 1024 x full x 100 / n after the commit.
    // 100 full chunks cross the runs in which a worker posts them.
    Row many{102500, {}};
    for (int i = 0; i < 100; ++i) many.progress.push_back(static_cast<LPARAM>((i + 1) * 102400LL / many.length));
    many.progress.push_back(static_cast<LPARAM>(1024LL * 100 * 100 / many.length));
    for (const Row& row : {Row{1024, {0}}, Row{5000, {20, 40, 61, 81, 81}}, many}) {
        EffectSession session;
        wd::Track* track = session.open(1, row.length + 1000, tone);
        EffectSession::select(track, 100, row.length);
        const auto run = session.apply(4, nullptr);
        EXPECT_EQ(run.progress, row.progress) << row.length;
        EXPECT_EQ(run.doneWord, 1u);
    }
}

TEST(EffectIds, OutsideOneToTwentyFiveMakeNothingButStillNotifyTheHost) {
    EffectSession session;
    session.open(1, 6000, tone);
    for (int id : {0, 26, -1}) {
        session.host().clearLog();
        EXPECT_EQ(WDXDoEffect(session.host().frame(), id, 0), 0);
        session.host().pump();
        EXPECT_EQ(session.host().count(session.host().frame(), NotifySelectionChanged), 1u) << id;
        EXPECT_EQ(session.host().count(session.host().frame(), NotifyEffectDone), 0u) << id;
    }
}

TEST(EffectIds, WithoutACurrentTrackNothingRuns) {
    EffectSession session;
    EXPECT_EQ(WDXDoEffect(session.host().frame(), 1, 0), -1);
    EXPECT_EQ(WDXCanDoEffect(1), 0);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct Refused {
    const char* what;
    int id;
    EffectBlock block;
};

EffectBlock floats(float a, float b = 0) {
    return EffectBlock{{a, b, 0, 0}, {0, 0, 0, 0}};
}
EffectBlock ints(int32_t a, int32_t b = 0, int32_t c = 0, float f = 0) {
    return EffectBlock{{f, 0, 0, 0}, {a, b, c, 0}};
}

const Refused kRefused[] = {
    {"gain NaN", 1, floats(kNaN)},
    {"gain infinite", 1, floats(kInf)},
    {"target NaN", 2, floats(kNaN)},
    {"copies negative", 5, ints(-1)},
    {"echo delay negative", 6, ints(-20, 0, 0, 0.5f)},
    {"echo decay NaN", 6, ints(20, 0, 0, kNaN)},
    {"ratio zero", 10, ints(-12, 0, 200)},
    {"attack negative", 10, ints(-12, 20, -1)},
    {"depth 256", 11, ints(0, 256, 0)},
    {"feedback 150 %", 11, ints(0, 100, 150)},
    {"speed zero", 12, floats(0)},
    {"speed negative", 12, floats(-1.5f)},
    {"speed NaN", 12, floats(kNaN)},
    {"pitch -100 %", 13, floats(-100)},
    {"tempo -100 %", 14, floats(-100)},
    {"tempo infinite", 14, floats(kInf)},
    {"gain NaN", 15, floats(kNaN)},
    {"cutoff 0", 16, floats(0)},
    {"cutoff at half the rate", 16, floats(22050)},
    {"cutoff above half the rate", 17, floats(30000)},
    {"cutoff NaN", 19, floats(kNaN)},
    {"bandwidth 0", 18, floats(1000, 0)},
    {"centre negative", 21, floats(-5, 100)},
    {"rate 0", 22, ints(2, 0, 100, 0)},
    {"rate NaN", 22, ints(2, 0, 100, kNaN)},
    {"0 channels", 22, ints(0, 0, 100, 22050)},
    {"3 channels", 22, ints(3, 0, 100, 22050)},
    {"mixer on a mono track", 24, floats(1, 0)},
    {"ramp infinite", 25, floats(0, kInf)},
};

class RefusedParameters : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedParameters, EndTheEffectAsFailedWithTheTrackAndItsHistoryUnchanged) {
    const Refused& r = GetParam();
    EffectSession session;
    wd::Track* track = session.open(1, 6000, tone);
    EffectSession::select(track, 1000, 3000);
    const auto before = EffectSession::samples(track, 0);
    const auto run = session.apply(r.id, &r.block);
    ASSERT_TRUE(run.ended) << r.what;
    EXPECT_EQ(run.doneWord, 0u) << r.what;
    EXPECT_EQ(EffectSession::samples(track, 0), before) << r.what;
    EXPECT_EQ(WDXGetTrackInfo(1), 44100) << r.what;
    EXPECT_EQ(WDXCanUndo(), 0) << r.what;
}

INSTANTIATE_TEST_SUITE_P(Effects, RefusedParameters, ::testing::ValuesIn(kRefused));

TEST(EffectsWithNothingToDo, EndAsDoneWithoutAnUndoState) {
    struct Row {
        const char* what;
        int id;
        EffectBlock block;
        int selection;
    };
    const Row rows[] = {
        {"echo shorter than a sample", 6, ints(0, 0, 0, 0.5f), 3000},
        {"echo longer than the selection", 6, ints(1000, 0, 0, 0.5f), 3000},
        {"no copies", 5, ints(0), 3000},
        {"amplify a cursor", 1, floats(2), 0},
        {"tempo of a cursor", 14, floats(50), 0},
        {"conversion to the same format", 22, ints(1, 0, 100, 44100), 3000},
    };
    for (const Row& row : rows) {
        EffectSession session;
        wd::Track* track = session.open(1, 6000, tone);
        EffectSession::select(track, 1000, row.selection);
        const auto before = EffectSession::samples(track, 0);
        EXPECT_EQ(session.apply(row.id, &row.block).doneWord, 1u) << row.what;
        EXPECT_EQ(EffectSession::samples(track, 0), before) << row.what;
        EXPECT_EQ(WDXCanUndo(), 0) << row.what;
    }
}

TEST(Normalize, LeavesSilenceAsItIsAndTakesTheOffsetOfAConstant) {
    struct Row {
        float value, expected;
    };
    for (const Row row : {Row{0.0f, 0.0f}, Row{0.5f, 0.0f}}) {
        EffectSession session;
        wd::Track* track = session.open(1, 3000, [&](int, int) { return row.value; });
        EffectSession::select(track, 0, 3000);
        ASSERT_EQ(session.apply(2, nullptr).doneWord, 1u);
        for (float v : EffectSession::samples(track, 0)) ASSERT_EQ(v, row.expected) << row.value;
    }
}

TEST(CanDoEffect, AnswersByTheTrackAndItsSelection) {
    EffectSession session;
    wd::Track* mono = session.open(1, 6000, tone);
    EffectSession::select(mono, 100, 0);
    EXPECT_EQ(WDXCanDoEffect(1), 0) << "a cursor is no selection";
    EXPECT_EQ(WDXCanDoEffect(22), 1) << "format conversion needs no selection";
    EXPECT_EQ(WDXCanDoEffect(7), 0) << "one track cannot be mixed";
    EffectSession::select(mono, 100, 50);
    EXPECT_EQ(WDXCanDoEffect(1), 1);
    EXPECT_EQ(WDXCanDoEffect(24), 0) << "the channel mixer needs two channels";
    wd::Track* stereo = session.open(2, 6000, tone);
    EffectSession::select(stereo, 100, 50, false, true);
    EXPECT_EQ(WDXCanDoEffect(1), 1) << "channel 1 alone will do";
    EXPECT_EQ(WDXCanDoEffect(24), 1);
    EXPECT_EQ(WDXCanDoEffect(7), 1);
    EffectSession::select(stereo, 5999, 1);
    EXPECT_EQ(WDXCanDoEffect(1), 0) << "a selection must start before the last sample";
}

}  // namespace
