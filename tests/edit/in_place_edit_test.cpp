// The selection moves and the in-place edits through the exports: their numbers, messages
// and refusals (the samples they leave: the model-based test).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "edit_session.h"
#include "model/track.h"
#include "model/undo_history.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wd::Track;
using wdtest::ramp;

std::pair<int, int> selection(const Track& t) { return {t.channel(0)->selStart, t.channel(0)->selLength}; }

TEST(SelectionMoves, TheCursorStopsAtTheEdgesAndSelectionsReachTheCursorOrTheEnd) {
    wdtest::EditSession session;
    Track* t = session.open({ramp(100000, 0.0f), ramp(100000, 0.0f)});
    const int spp = t->samplesPerColumn;
    wdtest::select(*t, 99990, 0);
    WDXSelForward();
    EXPECT_EQ(selection(*t), std::make_pair(99999, 0));
    wdtest::select(*t, spp - 1, 0);
    WDXSelBackward();
    EXPECT_EQ(selection(*t), std::make_pair(0, 0));
    WDXSelForward();
    EXPECT_EQ(WDXSelectEnd(), 0);
    EXPECT_EQ(t->channel(1)->selLength, 100000 - spp);
    WDXSelForward();
    EXPECT_EQ(WDXSelectStart(), 0);
    EXPECT_EQ(selection(*t), std::make_pair(0, 2 * spp));
    EXPECT_EQ(WDXSelectAll(), 0);
    EXPECT_EQ(selection(*t), std::make_pair(0, 100000));
    WDXSelStart();
    EXPECT_EQ(WDXSelectStart(), 0);  // at 0: unchanged
    EXPECT_EQ(selection(*t), std::make_pair(0, 0));
    // The end shows the last 565 columns.
    t->zoomFactor = 4;
    t->samplesPerColumn = 50;
    WDXSelEnd();
    EXPECT_EQ(selection(*t), std::make_pair(100000, 0));
    EXPECT_EQ(t->channel(0)->columns().firstSample, t->viewStart);
    EXPECT_EQ(t->viewStart, 100000 - 565 * 50);
    EXPECT_EQ(WDXSelectEnd(), -1);
    EXPECT_EQ(WDXCanUndo(), 0);
    EXPECT_TRUE(session.notifications().empty());
}

TEST(InPlaceEdits, TheirNumbersMessagesAndRefusals) {
    wdtest::EditSession session;
    Track* t = session.open({ramp(1000, 0.0f), ramp(1000, 0.0f)});
    const auto undoSteps = [&] { return wd::UndoHistory::instance().history(t->id())->undoCount(); };
    wdtest::select(*t, 100, 100, {true, false});
    ASSERT_EQ(WDXTrimSelection(), 0);  // samples 100 to 199, in every channel
    EXPECT_EQ(t->channel(1)->sequence().length(), 100);
    EXPECT_EQ(selection(*t), std::make_pair(0, 0));
    EXPECT_EQ(session.notifications(), (std::vector<UINT>{NotifySelectionChanged, NotifyTrackChanged}));
    session.host().clearLog();
    wdtest::select(*t, 10, 20, {false, true});
    ASSERT_EQ(WDXSilenceSelection(), 0);
    EXPECT_TRUE(session.notifications().empty());
    EXPECT_EQ(selection(*t), std::make_pair(10, 20));
    ASSERT_EQ(WDXDeleteSelection(), 0);  // one channel of two: silenced, the length stays
    EXPECT_EQ(t->channel(1)->sequence().length(), 100);
    EXPECT_EQ(WDXDeleteSelection(), -1);
    EXPECT_EQ(WDXTrimSelection(), -1);
    t->sampleRate = 44100;
    ASSERT_EQ(WDXInsertSilence(1000), 0);
    EXPECT_EQ(t->channel(1)->sequence().length(), 100 + 44100);
    ASSERT_EQ(WDXInsertNoise(1, std::bit_cast<DWORD>(0.5f), 0), 0);  // 44.1 samples: 44
    ASSERT_EQ(WDXInsertNoise(1, std::bit_cast<DWORD>(0.5f), 7), 0);  // no such noise: nothing
    EXPECT_EQ(t->length(), 100 + 44100 + 44);
    const wdtest::Channels got = wdtest::samples(*t);
    EXPECT_FALSE(std::equal(got[0].begin() + 10, got[0].begin() + 54, got[1].begin() + 10)) << "each channel its own noise";
    EXPECT_EQ(undoSteps(), 6);
    EXPECT_EQ(WDXInsertSilence(0), -1);
    EXPECT_EQ(WDXInsertSilence(INT32_MAX), -1);
    EXPECT_EQ(WDXInsertNoise(10, std::bit_cast<DWORD>(std::nanf("")), 0), -1);
    EXPECT_EQ(undoSteps(), 6);
}

TEST(InPlaceEdits, AFailedInsertLeavesNoStateNoMessageAndNoChange) {
    wdtest::EditSession session;
    // Channel 1 is a sample short of the longest a channel may be: channel 0 takes the
    // second of silence, channel 1 cannot.
    Track* t = session.open({ramp(1000, 0.0f), {}});
    ASSERT_EQ(t->channel(1)->sequence().insertSilence(0, INT32_MAX - 1), 0);
    wdtest::select(*t, 500, 0);
    session.notifications();
    session.host().clearLog();
    EXPECT_EQ(WDXInsertSilence(1000), -1);
    EXPECT_EQ(t->channel(0)->sequence().length(), 1000);
    EXPECT_EQ(t->channel(1)->sequence().length(), INT32_MAX - 1);
    EXPECT_EQ(WDXCanUndo(), 0);
    EXPECT_TRUE(session.notifications().empty());
}

}  // namespace
