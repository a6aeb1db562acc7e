// The selection moves and the in-place edits through the exports.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "edit_session.h"
#include "model/time_text.h"
#include "model/track.h"
#include "model/undo_history.h"
#include "support/sequence_samples.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wd::Track;
using wdtest::Channels;
using wdtest::EditSession;

std::vector<float> ramp(int n) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<float>(i + 1) / 65536.0f;
    return v;
}

std::pair<int, int> selection(const Track& t) { return {t.channel(0)->selStart, t.channel(0)->selLength}; }

TEST(SelectionMoves, TheCursorStopsAtTheEdgesAndSelectionsReachTheCursorOrTheEnd) {
    EditSession session;
    Track* t = session.open({ramp(100000), ramp(100000)});
    const int spp = t->samplesPerColumn;
    ASSERT_GT(spp, 1);
    EditSession::select(*t, 99990, 0);
    WDXSelForward();
    EXPECT_EQ(selection(*t), std::make_pair(99999, 0));
    EditSession::select(*t, spp - 1, 0);
    WDXSelBackward();
    EXPECT_EQ(selection(*t), std::make_pair(0, 0));
    WDXSelForward();
    EXPECT_EQ(selection(*t), std::make_pair(spp, 0));
    EXPECT_EQ(WDXSelectEnd(), 0);
    EXPECT_EQ(selection(*t), std::make_pair(spp, 100000 - spp));
    EXPECT_EQ(t->channel(1)->selLength, 100000 - spp);
    WDXSelForward();
    EXPECT_EQ(WDXSelectStart(), 0);
    EXPECT_EQ(selection(*t), std::make_pair(0, 2 * spp));
    EXPECT_EQ(WDXSelectAll(), 0);
    EXPECT_EQ(selection(*t), std::make_pair(0, 100000));
    WDXSelStart();
    EXPECT_EQ(WDXSelectStart(), 0);  // at 0: unchanged
    EXPECT_EQ(selection(*t), std::make_pair(0, 0));
    WDXSelEnd();
    EXPECT_EQ(selection(*t), std::make_pair(100000, 0));
    EXPECT_EQ(WDXSelectEnd(), -1);
    EXPECT_EQ(selection(*t), std::make_pair(100000, 0));
    // No undo state, no message.
    EXPECT_EQ(WDXCanUndo(), 0);
    EXPECT_TRUE(session.notifications().empty());
}

TEST(SelectionMoves, TheEndShowsTheLastColumnsAndTheStartTheFirst) {
    EditSession session;
    Track* t = session.open({ramp(100000)});
    t->zoomFactor = 4;
    t->samplesPerColumn = 50;
    WDXSelEnd();
    // The view ends on the column that holds the last sample: 2000 columns of 50.
    EXPECT_EQ(t->viewStart, 100000 - 565 * 50);
    EXPECT_EQ(t->channel(0)->columns().firstSample, t->viewStart);
    WDXSelStart();
    EXPECT_EQ(t->viewStart, 0);
    EXPECT_EQ(t->channel(0)->columns().firstSample, 0);
}

TEST(InPlaceEdits, TrimKeepsTheSelectionInEveryChannelAndLeavesRedoAlone) {
    EditSession session;
    const Channels before = {ramp(1000), ramp(1000)};
    Track* t = session.open(before);
    EditSession::select(*t, 100, 100, {true, false});
    ASSERT_EQ(WDXTrimSelection(), 0);
    EXPECT_EQ(EditSession::samples(*t), (Channels(2, std::vector<float>(before[0].begin() + 100, before[0].begin() + 200))));
    EXPECT_EQ(selection(*t), std::make_pair(0, 0));
    EXPECT_EQ(session.notifications(), (std::vector<UINT>{NotifySelectionChanged, NotifyTrackChanged}));
    ASSERT_EQ(WDXUndo(), 0);
    EXPECT_EQ(EditSession::samples(*t), before);
    EditSession::select(*t, 0, 500);
    ASSERT_EQ(WDXTrimSelection(), 0);
    EXPECT_EQ(WDXCanRedo(), 1);
    EditSession::select(*t, 0, 0);
    EXPECT_EQ(WDXTrimSelection(), -1);
}

TEST(InPlaceEdits, DeleteRemovesFromBothChannelsOrSilencesTheOneSelected) {
    const struct {
        std::vector<bool> flags;
        bool removes;
        int silencedChannel;
    } cases[] = {{{true, true}, true, -1}, {{false, true}, false, 1}, {{true, false}, false, 0}};
    for (const auto& c : cases) {
        EditSession session;
        const Channels before = {ramp(3000), ramp(3000)};
        Track* t = session.open(before);
        EditSession::select(*t, 1000, 500, c.flags);
        ASSERT_EQ(WDXDeleteSelection(), 0);
        Channels expected = before;
        for (int i = 0; i < 2; ++i) {
            auto& s = expected[static_cast<size_t>(i)];
            if (c.removes) s.erase(s.begin() + 1000, s.begin() + 1500);
            if (i == c.silencedChannel) std::fill(s.begin() + 1000, s.begin() + 1500, 0.0f);
        }
        EXPECT_EQ(EditSession::samples(*t), expected);
        EXPECT_EQ(selection(*t), std::make_pair(1000, 0));
    }
}

TEST(InPlaceEdits, SilenceKeepsTheSelectionAndTellsTheHostNothing) {
    EditSession session;
    Track* t = session.open({ramp(3000)});
    EditSession::select(*t, 10, 20);
    ASSERT_EQ(WDXSilenceSelection(), 0);
    auto expected = ramp(3000);
    std::fill(expected.begin() + 10, expected.begin() + 30, 0.0f);
    EXPECT_EQ(EditSession::samples(*t), Channels{expected});
    EXPECT_EQ(selection(*t), std::make_pair(10, 20));
    EXPECT_TRUE(session.notifications().empty());
    EditSession::select(*t, 10, 0);
    EXPECT_EQ(WDXSilenceSelection(), -1);
    EXPECT_EQ(WDXDeleteSelection(), -1);
}

TEST(InPlaceEdits, InsertsPutTheRoundedMillisecondsAtTheCursorOfEveryChannel) {
    EditSession session;
    Track* t = session.open({ramp(5000), ramp(5000)}, 44100);
    EditSession::select(*t, 5000, 0);
    ASSERT_EQ(WDXInsertSilence(1000), 0);
    EXPECT_EQ(t->channel(1)->sequence().length(), 5000 + 44100);
    EXPECT_EQ(selection(*t), std::make_pair(5000, 0));
    const auto amplitude = std::bit_cast<DWORD>(0.5f);
    ASSERT_EQ(WDXInsertNoise(1, amplitude, 0), 0);  // 44.1 samples: 44
    ASSERT_EQ(WDXInsertNoise(1, amplitude, 1), 0);
    ASSERT_EQ(WDXInsertNoise(1, amplitude, 7), 0);  // unknown kind: nothing, but an undo step
    EXPECT_EQ(t->length(), 5000 + 44100 + 88);
    const Channels got = EditSession::samples(*t);
    // The pink noise (inserted last, at the cursor) starts from the second in each channel;
    // the white noise after it goes on from the generator: each channel its own.
    auto piece = [&](int c, int from) { return std::vector<float>(got[c].begin() + from, got[c].begin() + from + 44); };
    EXPECT_EQ(piece(0, 5000), piece(1, 5000));
    EXPECT_NE(piece(0, 5044), piece(1, 5044));
    for (int i = 5000; i < 5088; ++i) ASSERT_LE(std::fabs(got[0][static_cast<size_t>(i)]), 0.5f);
    EXPECT_EQ(wd::UndoHistory::instance().history(t->id())->undoCount(), 4);
    // Refused without a change or an undo step.
    EXPECT_EQ(WDXInsertSilence(0), -1);
    EXPECT_EQ(WDXInsertNoise(10, std::bit_cast<DWORD>(std::nanf("")), 0), -1);
    EXPECT_EQ(WDXInsertSilence(INT32_MAX), -1);
    EXPECT_EQ(wd::UndoHistory::instance().history(t->id())->undoCount(), 4);
}

}  // namespace
