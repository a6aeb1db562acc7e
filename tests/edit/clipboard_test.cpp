// Cut, copy and the three pastes through the exports, against references written from
// the rules: which channels, where, what, in which pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "edit/edit_engine.h"
#include "edit_session.h"
#include "model/busy_tracks.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "support/model_reference.h"
#include "support/sequence_samples.h"
#include "support/signal.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wd::Track;
using wdtest::Channels;
using wdtest::EditSession;

// Distinct small values, so that sums never clip unless a case wants them to.
std::vector<float> ramp(int n, float first, float step = 1e-4f) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = first + step * static_cast<float>(i);
    return v;
}

// Copies the channels (all selected) to the clipboard from a track of their own.
void takeClipboard(EditSession& session, const Channels& clip, int rate = 44100) {
    Track* source = session.open(clip, rate);
    EditSession::select(*source, 0, static_cast<int>(std::max(clip[0].size(), clip.back().size())));
    ASSERT_EQ(session.run(WDXCopy), 0);
}

TEST(Clipboard, CopyWorksInPiecesOf1024AndReportsThePercentBeforeTheLastPiece) {
    const struct {
        int n;
        std::vector<long> progress;
    } cases[] = {{1024, {0}}, {1025, {99, 99}}, {3000, {34, 68, 68}}};
    for (const auto& c : cases) {
        EditSession session;
        const auto source = ramp(c.n + 10, 0.0f);
        Track* t = session.open({source});
        EditSession::select(*t, 5, c.n);
        ASSERT_EQ(session.run(WDXCopy), 0);
        EXPECT_EQ(session.progress(), c.progress) << c.n;
        const wd::EditEngine& engine = wd::EditEngine::instance();
        ASSERT_EQ(engine.clipChannelCount(), 1);
        EXPECT_EQ(wdtest::readAll(engine.clipChannel(0)->sequence()), std::vector<float>(source.begin() + 5, source.end() - 5));
    }
}

TEST(Clipboard, CopyTakesTheSelectedChannelsCutToTheEnd) {
    EditSession session;
    const auto second = ramp(3000, 0.5f);
    Track* t = session.open({ramp(3000, 0.0f), second});
    EditSession::select(*t, 2000, 5000, {false, true});
    EXPECT_EQ(WDXCanCutOrCopy(), 1);
    ASSERT_EQ(session.run(WDXCopy), 0);
    const wd::EditEngine& engine = wd::EditEngine::instance();
    EXPECT_EQ(WDXCanPaste(), 1);
    EXPECT_EQ(engine.clipChannelCount(), 1);
    EXPECT_EQ(engine.clipChannel(0), nullptr);
    EXPECT_EQ(wdtest::readAll(engine.clipChannel(1)->sequence()), std::vector<float>(second.begin() + 2000, second.end()));
    // A selection starting at the last sample gives nothing to copy.
    EditSession::select(*t, 2999, 1, {true, true});
    EXPECT_EQ(WDXCanCutOrCopy(), 0);
    ASSERT_EQ(session.run(WDXCopy), 0);
    EXPECT_EQ(WDXCanPaste(), 0);
}

TEST(Clipboard, CutRemovesEveryChannelsSelectionAndUndoBringsItBack) {
    EditSession session;
    const Channels before = {ramp(5000, 0.0f), ramp(5000, -0.5f)};
    Track* t = session.open(before);
    EditSession::select(*t, 1000, 500, {true, false});
    ASSERT_EQ(session.run(WDXCut), 0);
    EXPECT_EQ(wd::EditEngine::instance().clipChannelCount(), 1);
    Channels after = before;
    for (auto& c : after) c.erase(c.begin() + 1000, c.begin() + 1500);
    EXPECT_EQ(EditSession::samples(*t), after);
    EXPECT_EQ(t->channel(0)->selLength, 0);
    EXPECT_EQ(t->channel(1)->selLength, 0);
    ASSERT_EQ(WDXUndo(), 0);
    EXPECT_EQ(EditSession::samples(*t), before);
    EXPECT_EQ(t->channel(0)->selLength, 500);
}

TEST(Clipboard, EveryPasteWritesTheClipboardWhereTheRulesSay) {
    using M = wdtest::PasteKind;
    const Channels mono = {ramp(3000, 0.1f)};
    const Channels stereo = {ramp(3000, 0.1f), ramp(2500, -0.3f)};
    const Channels loud = {std::vector<float>(1500, 0.9f), std::vector<float>(1500, -0.9f)};
    const struct {
        const char* name;
        Channels track;
        std::vector<int> starts;
        std::vector<bool> flags;
        Channels clip;
        M mode;
    } cases[] = {
        {"mono into mono", {ramp(5000, 0.0f)}, {100}, {true}, {ramp(1500, 0.2f)}, M::Overwrite},
        {"stereo into mono: the mean", {ramp(5000, 0.0f)}, {4000}, {true}, stereo, M::Overwrite},
        {"stereo into stereo, each channel at its start", {ramp(5000, 0.0f), ramp(5000, 0.4f)}, {100, 300}, {true, true}, stereo, M::Overwrite},
        {"only channel 1: the other is padded", {ramp(5000, 0.0f), ramp(5000, 0.4f)}, {4500, 4000}, {false, true}, mono, M::Overwrite},
        {"at the very end: appended", {ramp(5000, 0.0f)}, {5000}, {true}, mono, M::Overwrite},
        {"mix of both channels at channel 0's start", {ramp(5000, 0.0f), ramp(5000, 0.4f)}, {100, 700}, {true, true}, stereo, M::Mix},
        {"mix clips at full scale", loud, {0, 0}, {true, true}, {std::vector<float>(2000, 0.3f), std::vector<float>(2000, -0.3f)}, M::Mix},
        {"mix past the end", {ramp(5000, 0.0f)}, {4000}, {true}, mono, M::Mix},
        {"insert into both channels, none selected", {ramp(5000, 0.0f), ramp(5000, 0.4f)}, {1234, 9}, {false, false}, stereo, M::Insert},
        {"insert at the very end", {ramp(5000, 0.0f)}, {5000}, {true}, mono, M::Insert},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EditSession session;
        takeClipboard(session, c.clip);
        Track* t = session.open(c.track);
        for (int i = 0; i < t->channelCount(); ++i) {
            t->channel(i)->selStart = c.starts[static_cast<size_t>(i)];
            t->channel(i)->selectedFlag = c.flags[static_cast<size_t>(i)];
        }
        const auto start = [&](HWND progress) { return WDXPaste(progress); };
        const auto mix = [&](HWND progress) { return WDXPasteMix(progress); };
        const auto insert = [&](HWND progress) { return WDXPasteInsert(progress); };
        ASSERT_EQ(c.mode == M::Overwrite ? session.run(start) : c.mode == M::Mix ? session.run(mix) : session.run(insert), 0);
        EXPECT_EQ(EditSession::samples(*t), wdtest::referencePaste(c.track, c.starts, c.flags, c.clip, c.mode));
        ASSERT_EQ(WDXUndo(), 0);
        EXPECT_EQ(EditSession::samples(*t), c.track);
    }
}

TEST(Clipboard, A22050HzClipboardComesOutTwiceAsLongAtTheSamePitch) {
    EditSession session;
    const int n = 22050;
    takeClipboard(session, {wdtest::sine(1, 22050, n, {441.0}, 0.5), wdtest::sine(1, 22050, n, {882.0}, 0.5)}, 22050);
    Track* t = session.open({std::vector<float>(1000, 0.0f), std::vector<float>(1000, 0.0f)});
    EditSession::select(*t, 1000, 0);
    ASSERT_EQ(session.run(WDXPasteInsert), 0);
    const Channels got = EditSession::samples(*t);
    for (int c = 0; c < 2; ++c) {
        ASSERT_NEAR(static_cast<double>(got[static_cast<size_t>(c)].size()), 1000.0 + 2 * n, 2.0);
        const std::vector<float> pasted(got[static_cast<size_t>(c)].begin() + 1000, got[static_cast<size_t>(c)].end());
        EXPECT_NEAR(wdtest::dominantFrequency(pasted, 44100), c == 0 ? 441.0 : 882.0, 0.5);
        EXPECT_NEAR(wdtest::rms(std::vector<float>(pasted.end() - 2000, pasted.end() - 100)), 0.5 / std::sqrt(2.0), 0.02);
    }
    // Percent of the expected 44,100 samples after each step of 1024.
    const auto progress = session.progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 1024 * 100 / (2 * n));
    EXPECT_NEAR(progress.back(), 100, 1);
}

TEST(Clipboard, APasteOfAnEmptyClipboardWritesNothingSavesNothingAndStillEnds) {
    EditSession session;
    WDXExitProgram();  // frees a clipboard left by earlier tests
    Track* t = session.open({ramp(100, 0.0f)});
    ASSERT_EQ(WDXCanPaste(), 0);
    ASSERT_EQ(session.run(WDXPaste), 0);
    EXPECT_TRUE(session.progress().empty());
    EXPECT_EQ(WDXCanUndo(), 0);
    EXPECT_EQ(EditSession::samples(*t), Channels{ramp(100, 0.0f)});
}

TEST(Clipboard, WorkOnATrackIsRefusedWhileAWorkerOrThePlayerHoldsIt) {
    EditSession session;
    Track* t = session.open({ramp(50000, 0.0f), ramp(50000, 0.0f)});
    EditSession::select(*t, 10, 20000);
    const HWND progress = session.host().addChild(session.host().frame(), 5, 5, 1, 1);
    {
        const wd::TrackClaim worker = wd::TrackClaim::tryClaim(*t);
        ASSERT_TRUE(worker);
        EXPECT_EQ(WDXCut(progress), -1);
        EXPECT_EQ(WDXCopy(progress), -1);
        EXPECT_EQ(WDXPaste(progress), -1);
        EXPECT_EQ(WDXTrimSelection(), -1);
        EXPECT_EQ(WDXDeleteSelection(), -1);
        EXPECT_EQ(WDXSilenceSelection(), -1);
        EXPECT_EQ(WDXInsertSilence(10), -1);
        EXPECT_EQ(WDXUndo(), -1);
        EXPECT_EQ(WDXRedo(), -1);
    }
    ASSERT_EQ(WDXPlayTrack(0), 0);
    EXPECT_EQ(WDXCut(progress), -1);
    EXPECT_EQ(WDXUndo(), -1);
    EXPECT_EQ(WDXInsertSilence(10), -1);
    WDXStopTrack();
    EXPECT_EQ(wd::UndoHistory::instance().history(t->id())->undoCount(), 0);
    EXPECT_EQ(EditSession::samples(*t), (Channels{ramp(50000, 0.0f), ramp(50000, 0.0f)}));
}

TEST(Clipboard, UndoAndClosingDuringAPasteWaitForTheWorkerOrAreRefused) {
    EditSession session;
    takeClipboard(session, {wdtest::sine(1, 8000, 8000 * 4, {300.0}, 0.5)}, 8000);
    Track* t = session.open({ramp(1000, 0.0f)});
    const uint32_t id = t->id();
    const HWND progress = session.host().addChild(session.host().frame(), 5, 5, 1, 1);
    ASSERT_EQ(WDXPasteInsert(progress), 0);
    // The resampling worker runs for a while: the track is held from the export on.
    EXPECT_EQ(WDXUndo(), -1);
    EXPECT_EQ(WDXPasteMix(progress), -1);
    WDXCloseCurTrack();
    EXPECT_EQ(wd::TrackList::instance().findById(id), nullptr);
    EXPECT_FALSE(wd::BusyTracks::instance().isBusy(id));
    EXPECT_TRUE(session.host().waitForMessage(progress, NotifyEditDone));
}

}  // namespace
