// What a host finds when an effect's end reaches it: the result in place, and the
// notifications in their order.
#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "effect_session.h"
#include "effects/effect.h"
#include "model/track.h"
#include "model/track_list.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wdtest::EffectBlock;
using wdtest::EffectSession;
using wdtest::tone;

TEST(EffectEnd, AHostStartingTheNextEffectAtTheEndFindsTheConvertedTrack) {
    EffectSession session;
    wdtest::TestHost& host = session.host();
    wd::Track* track = session.open(1, 44100, tone);
    EffectSession::select(track, 0, 44100);
    const EffectBlock toStereo{{22050, 0, 0, 0}, {2, 0, 100, 50}};
    const EffectBlock doubled{{2, 0, 0, 0}, {0, 0, 0, 0}};
    struct Seen {
        int channels, rate, started;
    };
    std::vector<Seen> seen;
    host.setHandler(host.frame(), [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == NotifyEffectDone && seen.empty()) {
            seen.push_back({WDXGetTrackInfo(0), WDXGetTrackInfo(1),
                            WDXDoEffect(host.frame(), 1, reinterpret_cast<LPARAM>(&doubled))});
        }
        return std::nullopt;
    });
    ASSERT_EQ(WDXDoEffect(host.frame(), 22, reinterpret_cast<LPARAM>(&toStereo)), 0);
    ASSERT_TRUE(host.waitForMessage(host.frame(), NotifyEffectDone, std::chrono::milliseconds(20000), 2));
    host.pumpFor(std::chrono::milliseconds(100));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].channels, 2);
    EXPECT_EQ(seen[0].rate, 22050);
    EXPECT_EQ(seen[0].started, 0);
    ASSERT_EQ(track->channelCount(), 2);
    EXPECT_EQ(track->sampleRate, 22050);
    // The amplify ran on the converted channels: the right one holds half the left (weights
    // 100 and 50 %), both doubled.
    const auto left = EffectSession::samples(track, 0), right = EffectSession::samples(track, 1);
    ASSERT_EQ(left.size(), 22050u);
    ASSERT_EQ(right.size(), 22050u);
    for (size_t i = 0; i < left.size(); i += 997) EXPECT_NEAR(right[i], left[i] / 2, 1e-6f) << i;
    // Undo steps back to the converted track, then to the original.
    ASSERT_EQ(WDXUndo(), 0);
    EXPECT_EQ(WDXGetTrackInfo(0), 2);
    ASSERT_EQ(WDXUndo(), 0);
    EXPECT_EQ(WDXGetTrackInfo(0), 1);
    EXPECT_EQ(WDXGetTrackInfo(1), 44100);
}

TEST(EffectEnd, ACopyToANewTrackTellsTheHostOfTheNewTrackFirstAndTheSelectionLast) {
    EffectSession session;
    wdtest::TestHost& host = session.host();
    wd::Track* track = session.open(2, 8000, tone);
    EffectSession::select(track, 1000, 3000);
    host.clearLog();
    ASSERT_EQ(WDXDoEffect(host.frame(), 23, 0), 0);
    ASSERT_TRUE(host.waitForMessage(host.frame(), NotifyEffectDone, std::chrono::milliseconds(20000)));
    host.pumpFor(std::chrono::milliseconds(100));
    std::vector<UINT> notes;
    for (const auto& m : host.messages(host.frame())) {
        if (m.message == NotifySelectionChanged || m.message == NotifyTrackChanged) notes.push_back(m.message);
    }
    // 1151 as the effect starts; then the new track's 1154 and 1151.
    const std::vector<UINT> expected{NotifySelectionChanged, NotifyTrackChanged, NotifySelectionChanged};
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(wd::TrackList::instance().count(), 2);
    EXPECT_NE(wd::TrackList::instance().current(), track);
}

TEST(EffectSelection, IsTheOneStandingWhenTheEffectStarted) {
    EffectSession session;
    wdtest::TestHost& host = session.host();
    const int rate = 44100, frames = 90 * rate, selected = 60 * rate;
    wd::Track* track = session.open(2, frames, tone);
    EffectSession::select(track, 0, selected);
    const auto before = EffectSession::samples(track, 1);
    const EffectBlock doubled{{2, 0, 0, 0}, {0, 0, 0, 0}};
    ASSERT_EQ(WDXDoEffect(host.frame(), 1, reinterpret_cast<LPARAM>(&doubled)), 0);
    ASSERT_TRUE(host.waitForMessage(host.frame(), NotifyEffectProgress));
    WDXSelectAll();  // while channel 0 is still being rewritten
    ASSERT_TRUE(host.waitForMessage(host.frame(), NotifyEffectDone, std::chrono::milliseconds(20000)));
    const auto after = EffectSession::samples(track, 1);
    ASSERT_EQ(after.size(), before.size());
    for (int i : {0, selected / 2, selected - 1}) EXPECT_EQ(after[i], 2 * before[i]) << i;
    for (int i : {selected, frames - 1}) EXPECT_EQ(after[i], before[i]) << i;
}

// Runs out of memory halfway through its splice.
class ThrowingEffect : public wd::Effect {
    Plan plan() override { return Plan::Work; }
    bool process() override {
        track_->channel(0)->sequence().beginOverwrite(0);
        throw std::bad_alloc();
    }
};

TEST(EffectSplice, AnEffectThatThrowsLeavesNoSpliceOpen) {
    EffectSession session;
    wdtest::TestHost& host = session.host();
    wd::Track* track = session.open(1, 4000, tone);
    auto* effect = new ThrowingEffect;
    effect->setProgressWindow(host.frame());
    ASSERT_TRUE(effect->run(track));
    ASSERT_TRUE(host.waitForMessage(host.frame(), NotifyEffectDone));
    EXPECT_EQ(host.messages(host.frame(), NotifyEffectDone).front().wParam, 0u);
    EXPECT_FALSE(track->channel(0)->sequence().spliceOpen());
    EffectSession::select(track, 0, 4000);
    EXPECT_EQ(session.apply(4, nullptr).doneWord, 1u) << "the channel takes the next effect";
}

}  // namespace
