// Stopping a running effect through the exports, as a host's Cancel button would.
#include <gtest/gtest.h>

#include "effect_session.h"
#include "model/track.h"
#include "model/track_list.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wdtest::EffectBlock;
using wdtest::EffectSession;

constexpr int kRate = 44100;
constexpr int kFrames = 120 * kRate;  // two minutes: long enough to be stopped midway

struct Stopped {
    const char* what;
    int id;
    EffectBlock block;
};

const Stopped kStopped[] = {
    {"amplify", 1, {{2, 0, 0, 0}, {0, 0, 0, 0}}},
    {"change speed", 12, {{1.5f, 0, 0, 0}, {0, 0, 0, 0}}},
    {"convert format", 22, {{88200, 0, 0, 0}, {2, 0, 50, 50}}},
    {"copy to a new track", 23, {}},
};

TEST(EffectStop, LeavesTheTrackAndItsHistoryAsTheyWere) {
    for (const Stopped& row : kStopped) {
        EffectSession session;
        wdtest::TestHost& host = session.host();
        wd::Track* track = session.open(2, kFrames, [](int c, int i) { return wdtest::testSignal(300 + 200 * c, 0.3, i); });
        // An undone edit leaves a redo state, which the stopped effect must keep too.
        EffectSession::select(track, 0, 1000);
        ASSERT_EQ(session.apply(4, nullptr).doneWord, 1u);
        ASSERT_EQ(WDXUndo(), 0);
        EffectSession::select(track, 0, kFrames);
        const auto left = EffectSession::samples(track, 0);
        const auto right = EffectSession::samples(track, 1);

        host.clearLog();
        // Cancelled as soon as it starts: a fast effect on a busy machine may otherwise end
        // before the first progress message is even handled.
        ASSERT_EQ(WDXDoEffect(host.frame(), row.id, reinterpret_cast<LPARAM>(&row.block)), 0) << row.what;
        EXPECT_EQ(WDXCancelEffect(), 0) << row.what;
        ASSERT_TRUE(host.waitForMessage(host.frame(), NotifyEffectDone, std::chrono::milliseconds(5000))) << row.what;
        host.waitForMessage(host.frame(), NotifyTrackChanged);

        EXPECT_EQ(host.messages(host.frame(), NotifyEffectDone).front().wParam, 0u) << row.what;
        // It stopped between chunks, before the end: fewer reports than the chunks of both
        // channels (how far it got before the Cancel arrived depends on the machine).
        EXPECT_LT(host.count(host.frame(), NotifyEffectProgress), static_cast<size_t>(2 * kFrames / 1024)) << row.what;
        EXPECT_EQ(wd::TrackList::instance().count(), 1) << row.what;
        EXPECT_EQ(WDXGetTrackInfo(0), 2) << row.what;
        EXPECT_EQ(WDXGetTrackInfo(1), kRate) << row.what;
        EXPECT_TRUE(EffectSession::samples(track, 0) == left) << row.what;
        EXPECT_TRUE(EffectSession::samples(track, 1) == right) << row.what;
        EXPECT_EQ(WDXCanUndo(), 0) << row.what;
        EXPECT_EQ(WDXCanRedo(), 1) << row.what;
        EXPECT_EQ(WDXCancelEffect(), -1) << row.what;
    }
}

}  // namespace
