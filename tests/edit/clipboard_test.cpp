// Cut, copy and paste through the exports: pieces and progress, rates, the empty
// clipboard, refusals. (Which channels get what where: the model-based test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "edit/edit_engine.h"
#include "edit_session.h"
#include "model/busy_tracks.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "support/sequence_samples.h"
#include "support/signal.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wd::Track;
using wdtest::Channels;
using wdtest::EditSession;
using wdtest::ramp;

// Copies the channels (all selected) to the clipboard from a track of their own.
void takeClipboard(EditSession& session, const Channels& clip, int rate = 44100) {
    Track* source = session.open(clip, rate);
    wdtest::select(*source, 0, static_cast<int>(std::max(clip[0].size(), clip.back().size())));
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
        wdtest::select(*t, 5, c.n);
        ASSERT_EQ(session.run(WDXCopy), 0);
        EXPECT_EQ(session.progress(), c.progress) << c.n;
        const wd::EditEngine& engine = wd::EditEngine::instance();
        ASSERT_EQ(engine.clipChannelCount(), 1);
        EXPECT_EQ(wdtest::readAll(engine.clipChannel(0)->sequence()), std::vector<float>(source.begin() + 5, source.end() - 5));
    }
}

TEST(Clipboard, A22050HzClipboardComesOutTwiceAsLongAtTheSamePitch) {
    EditSession session;
    const int n = 22050;
    takeClipboard(session, {wdtest::sine(1, 22050, n, {441.0}, 0.5), wdtest::sine(1, 22050, n, {882.0}, 0.5)}, 22050);
    Track* t = session.open({std::vector<float>(1000, 0.0f), std::vector<float>(1000, 0.0f)});
    wdtest::select(*t, 1000, 0);
    ASSERT_EQ(session.run(WDXPasteInsert), 0);
    const Channels got = wdtest::samples(*t);
    for (int c = 0; c < 2; ++c) {
        ASSERT_NEAR(static_cast<double>(got[static_cast<size_t>(c)].size()), 1000.0 + 2 * n, 2.0);
        const std::vector<float> pasted(got[static_cast<size_t>(c)].begin() + 1000, got[static_cast<size_t>(c)].end());
        EXPECT_NEAR(wdtest::dominantFrequency(pasted, 44100), c == 0 ? 441.0 : 882.0, 0.5);
        EXPECT_NEAR(wdtest::rms(std::vector<float>(pasted.end() - 2000, pasted.end() - 100)), 0.5 / std::sqrt(2.0), 0.02);
    }
    // The main window refreshed the view before the end reached the host.
    EXPECT_EQ(t->fitSamplesPerColumn, (565 + 1000 + 2 * n - 1) / 565);
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
    EXPECT_EQ(wdtest::samples(*t), Channels{ramp(100, 0.0f)});
}

TEST(Clipboard, WorkOnATrackIsRefusedWhileAWorkerOrThePlayerHoldsIt) {
    EditSession session;
    Track* t = session.open({ramp(50000, 0.0f), ramp(50000, 0.0f)});
    wdtest::select(*t, 10, 20000);
    const HWND progress = session.host().addChild(session.host().frame(), 5, 5, 1, 1);
    {
        const wd::TrackClaim worker = wd::TrackClaim::tryClaim(*t);
        ASSERT_TRUE(worker);
        for (int result : {WDXCut(progress), WDXCopy(progress), WDXPaste(progress), WDXTrimSelection(), WDXDeleteSelection(),
                           WDXSilenceSelection(), WDXInsertSilence(10), WDXUndo(), WDXRedo()}) {
            EXPECT_EQ(result, -1);
        }
    }
    ASSERT_EQ(WDXPlayTrack(0), 0);
    for (int result : {WDXCut(progress), WDXUndo(), WDXInsertSilence(10)}) EXPECT_EQ(result, -1);
    WDXStopTrack();
    EXPECT_EQ(wd::UndoHistory::instance().history(t->id())->undoCount(), 0);
    EXPECT_EQ(wdtest::samples(*t), (Channels{ramp(50000, 0.0f), ramp(50000, 0.0f)}));
}

TEST(Clipboard, CopyRunsWhileThePlayerPlaysTheTrack) {
    EditSession session;
    Track* t = session.open({ramp(50000, 0.0f)});
    wdtest::select(*t, 10, 20000);
    ASSERT_EQ(WDXPlayTrack(0), 0);
    EXPECT_EQ(session.run(WDXCopy), 0);
    WDXStopTrack();
    ASSERT_EQ(wd::EditEngine::instance().clipChannelCount(), 1);
    EXPECT_EQ(wd::EditEngine::instance().clipChannel(0)->sequence().length(), 20000);
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
