// The main window's answer to an effect that ended: the effect goes, the view follows the
// track's new length, and the host hears of the change.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "effects/effect.h"
#include "model/track.h"
#include "ui/ui_session.h"
#include "wavedeck_messages.h"

namespace {

using namespace wdtest;

std::atomic<int> gDestroyed{0};

class CountedEffect : public wd::Effect {
public:
    ~CountedEffect() override { ++gDestroyed; }

private:
    Plan plan() override { return Plan::Nothing; }
    bool process() override { return true; }
};

TEST(EffectFinished, TheEffectIsDeletedTheViewRefreshedAndTheHostTold) {
    UiSession session;
    session.createMain();
    wd::Track* track = session.makeTrack("fx", 1, 44100, sineSignal(440, 0.5));
    ASSERT_TRUE(session.open(track));
    const int fitBefore = track->fitSamplesPerColumn;
    // The effect doubled the track (as a repeat would) before reporting.
    std::vector<float> more(44100, 0.25f);
    ASSERT_EQ(track->channel(0)->sequence().appendSamples(more.data(), 44100), 44100);
    ASSERT_GE(track->channel(0)->sequence().flushAppend(), 0);
    session.host().clearLog();
    gDestroyed = 0;
    ASSERT_TRUE((new CountedEffect)->run(track));
    ASSERT_TRUE(session.host().waitForMessage(session.notified(), NotifyTrackChanged));
    EXPECT_EQ(gDestroyed, 1);
    EXPECT_EQ(track->fitSamplesPerColumn, (88200 + 564) / 565) << "refreshView ran on the longer track";
    EXPECT_NE(track->fitSamplesPerColumn, fitBefore);
    auto notes = session.notifications();
    auto selection = std::find(notes.begin(), notes.end(), static_cast<UINT>(NotifySelectionChanged));
    auto changed = std::find(notes.begin(), notes.end(), static_cast<UINT>(NotifyTrackChanged));
    ASSERT_NE(selection, notes.end());
    EXPECT_LT(selection, changed) << "1151 comes before 1154";
}

TEST(EffectFinished, AnEffectWhoseTrackWasClosedIsStillDeleted) {
    UiSession session;
    session.createMain();
    gDestroyed = 0;
    PostMessageA(session.main(), MsgEffectFinished, reinterpret_cast<WPARAM>(&gDestroyed),
                 reinterpret_cast<LPARAM>(new CountedEffect));
    ASSERT_TRUE(session.host().waitForMessage(session.notified(), NotifyTrackChanged));
    EXPECT_EQ(gDestroyed, 1);
}

}  // namespace
