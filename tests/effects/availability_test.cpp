// When an effect may start, and the host's menu availability built on the same state tests.
#include <gtest/gtest.h>

#include "effect_session.h"
#include "model/busy_tracks.h"
#include "model/track.h"
#include "model/track_list.h"
#include "services/settings.h"
#include "support/temp_dir.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wdtest::EffectSession;
using wdtest::tone;

TEST(EffectStart, IsRefusedWhileAnotherWorkerHoldsTheTrackOrThePlayerPlaysIt) {
    EffectSession session;
    wd::Track* track = session.open(1, 5 * 44100, tone);
    EffectSession::select(track, 0, 1000);
    const auto before = EffectSession::samples(track, 0);
    {
        const wd::TrackClaim other = wd::TrackClaim::tryClaim(*track);
        EXPECT_EQ(WDXDoEffect(session.host().frame(), 4, 0), -1);
        wd::Track* second = session.open(1, 3000, tone);
        EXPECT_EQ(WDXDoEffect(session.host().frame(), 7, 0), -1) << "a mix reads every track";
        wd::TrackList::instance().setCurrent(track);
        wd::TrackList::instance().removeTrack(second);
    }
    ASSERT_EQ(WDXPlayTrack(0), 0);
    EXPECT_EQ(WDXCanDoEffect(4), 0);
    EXPECT_EQ(WDXDoEffect(session.host().frame(), 4, 0), -1);
    WDXStopTrack();
    session.host().pump();
    EXPECT_EQ(EffectSession::samples(track, 0), before);
    EXPECT_EQ(WDXCanUndo(), 0);
}

TEST(EffectStart, WithoutAMainWindowTheEffectRunsAndCleansUpAfterItself) {
    wdtest::TestHost host;
    wdtest::TempDir dir;
    const std::string previous = wd::Settings::instance().tempFolder();
    wd::Settings::instance().setTempFolder(dir.path().c_str());
    wd::Track* track = wd::TrackList::instance().addTrack("bare");
    track->setChannelCount(1);
    const std::vector<float> ones(3000, 0.25f);
    track->channel(0)->sequence().appendSamples(ones.data(), 3000);
    track->channel(0)->sequence().flushAppend();
    EffectSession::select(track, 0, 3000);
    wd::TrackList::instance().setCurrent(track);
    ASSERT_EQ(WDXDoEffect(host.frame(), 4, 0), 0);
    ASSERT_TRUE(host.waitForMessage(host.frame(), NotifyEffectDone));
    EXPECT_EQ(EffectSession::samples(track, 0), std::vector<float>(3000, -0.25f));
    wd::TrackList::instance().removeTrack(track);  // waits for the worker's claim
    wd::Settings::instance().setTempFolder(previous.c_str());
}

enum State { NoTrack, Selection, Cursor, Playing, TwoTracks, TwoTracksPlaying, AfterEffect };

struct Row {
    State state;
    int group, item, expected;
};

// The Part's state tests, one row per answer.
const Row kRows[] = {
    {NoTrack, 0, 1, 0},
    {NoTrack, 10, 1, 0},
    {NoTrack, 1, 1, 1},
    {NoTrack, 1, 5, 1},
    {NoTrack, 1, 2, 0},
    {NoTrack, 1, 3, 0},
    {NoTrack, 1, 4, 0},
    {NoTrack, 4, 6, 1},
    {NoTrack, 4, 1, 0},
    {NoTrack, 6, 42, 1},
    {NoTrack, 8, 0, 1},
    {NoTrack, 7, 1, 1},
    {NoTrack, 7, 3, 1},
    {NoTrack, 7, 4, 0},
    {NoTrack, 2, 7, 0},
    {NoTrack, 2, 15, 0},
    {NoTrack, 3, 1, 0},
    {NoTrack, 5, 1, 0},
    {NoTrack, 9, 1, 0},
    {NoTrack, 1, 6, 0},
    {Selection, 1, 2, 1},
    {Selection, 1, 3, 1},
    {Selection, 1, 4, 1},
    {Selection, 2, 1, 0},
    {Selection, 2, 2, 0},
    {Selection, 2, 3, 1},
    {Selection, 2, 14, 1},
    {Selection, 2, 5, 0},
    {Selection, 2, 7, 1},
    {Selection, 2, 15, 0},
    {Selection, 2, 17, 1},
    {Selection, 2, 18, 1},
    {Selection, 2, 19, 0},
    {Selection, 3, 99, 1},
    {Selection, 4, 1, 1},
    {Selection, 4, 10, 1},
    {Selection, 4, 11, 0},
    {Selection, 5, 1, 1},
    {Selection, 5, 14, 0},
    {Selection, 5, 15, 1},
    {Selection, 5, 16, 1},
    {Selection, 9, 7, 1},
    {Selection, 9, 8, 1},
    {Cursor, 2, 3, 0},
    {Cursor, 2, 17, 1},
    {Cursor, 2, 18, 0},
    {Cursor, 5, 1, 0},
    {Cursor, 5, 16, 0},
    {Cursor, 9, 1, 0},
    {Cursor, 1, 4, 0},
    {Cursor, 3, 1, 1},
    {Playing, 2, 3, 0},
    {Playing, 2, 7, 0},
    {Playing, 2, 17, 0},
    {Playing, 1, 3, 1},
    {Playing, 1, 2, 0},
    {Playing, 4, 1, 1},
    {Playing, 4, 5, 1},
    {Playing, 4, 7, 0},
    {Playing, 3, 1, 0},
    {Playing, 5, 1, 0},
    {Playing, 9, 1, 0},
    {Playing, 6, 1, 1},
    {TwoTracks, 2, 15, 1},
    {TwoTracksPlaying, 2, 15, 0},
    {AfterEffect, 2, 1, 1},
    {AfterEffect, 2, 2, 0},
};

TEST(CanOperate, AnswersEveryGroupByThePlayerTheTracksAndTheOtherQueries) {
    for (State state : {NoTrack, Selection, Cursor, Playing, TwoTracks, TwoTracksPlaying, AfterEffect}) {
        EffectSession session;
        if (state != NoTrack) {
            wd::Track* track = session.open(1, 44100, tone);
            EffectSession::select(track, 100, state == Cursor ? 0 : 500);
        }
        if (state == TwoTracks || state == TwoTracksPlaying) session.open(2, 44100, tone);
        if (state == AfterEffect) session.apply(4, nullptr);
        if (state == Playing || state == TwoTracksPlaying) {
            ASSERT_EQ(WDXPlayTrack(0), 0);
        }
        for (const Row& row : kRows) {
            if (row.state != state) continue;
            EXPECT_EQ(WDXCanOperate(row.group, row.item), row.expected)
                << "state " << state << ", group " << row.group << ", item " << row.item;
        }
        WDXStopTrack();
        session.host().pump();
    }
}

}  // namespace
