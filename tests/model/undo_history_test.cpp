// Undo history: saved states share blocks; undo and redo restore samples and selections.
#include <gtest/gtest.h>

#include <vector>

#include "model/undo_history.h"
#include "support/model_reference.h"
#include "support/temp_block_folder.h"

namespace {

using wd::Track;
using wd::UndoHistory;
using wdtest::staircase;

std::vector<float> samplesOf(const Track& t, int channel = 0) {
    const auto& s = t.channel(channel)->sequence();
    std::vector<float> out(static_cast<size_t>(s.length()));
    out.resize(static_cast<size_t>(s.readSamples(out.data(), 0, s.length())));
    return out;
}

// An edit as the edit exports make one: overwrite `count` samples at `at` with a marker.
void edit(Track& t, int at, int count, float marker) {
    std::vector<float> patch(static_cast<size_t>(count), marker);
    auto& s = t.channel(0)->sequence();
    ASSERT_EQ(s.beginOverwrite(at), 0);
    ASSERT_EQ(s.writeSplice(patch.data(), count), count);
    ASSERT_EQ(s.commitOverwrite(), 0);
    t.channel(0)->selStart = at;
    t.channel(0)->selLength = count;
}

class Undo : public ::testing::Test {
protected:
    void SetUp() override {
        track.setChannelCount(1);
        auto data = staircase(300000);
        ASSERT_EQ(track.channel(0)->sequence().appendSamples(data.data(), 262144), 262144);
        ASSERT_EQ(track.channel(0)->sequence().appendSamples(data.data() + 262144, 300000 - 262144), 300000 - 262144);
        ASSERT_GE(track.channel(0)->sequence().flushAppend(), 0);
        track.setId(5);
        history.addHistory(5);
    }
    wdtest::ModelTempFolder temp;
    UndoHistory history;
    Track track;
};

TEST_F(Undo, ThreeUndosRestoreTheSamplesAndSelectionFromBeforeTheFirstEditAndThreeRedosTheEditedResult) {
    const auto original = samplesOf(track);
    std::vector<std::vector<float>> states{original};
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(history.saveState(5, track));
        history.history(5)->clearRedo();
        edit(track, 1000 + 100000 * k, 5000, -1.0f - static_cast<float>(k));
        states.push_back(samplesOf(track));
    }
    const auto edited = samplesOf(track);
    for (int k = 2; k >= 0; --k) {
        ASSERT_TRUE(history.undo(5, track));
        EXPECT_EQ(samplesOf(track), states[static_cast<size_t>(k)]);
    }
    EXPECT_EQ(samplesOf(track), original);
    EXPECT_EQ(track.channel(0)->selStart, 0);
    EXPECT_EQ(track.channel(0)->selLength, 0);
    EXPECT_FALSE(history.history(5)->canUndo());
    EXPECT_FALSE(history.undo(5, track));
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(history.redo(5, track));
    EXPECT_EQ(samplesOf(track), edited);
    EXPECT_EQ(track.channel(0)->selStart, 201000);
    EXPECT_EQ(track.channel(0)->selLength, 5000);
    EXPECT_FALSE(history.redo(5, track));
}

TEST_F(Undo, AnEditThatClearsTheRedoListEndsRedoWhileOneThatDoesNotKeepsIt) {
    history.saveState(5, track);
    edit(track, 10, 10, -1.0f);
    ASSERT_TRUE(history.undo(5, track));
    ASSERT_TRUE(history.history(5)->canRedo());
    // Cut and trim save without clearing: redo stays possible.
    history.saveState(5, track);
    EXPECT_TRUE(history.history(5)->canRedo());
    // Every other edit clears it right after saving.
    history.history(5)->saveState(track);
    history.history(5)->clearRedo();
    EXPECT_FALSE(history.history(5)->canRedo());
    EXPECT_EQ(history.history(5)->undoCount(), 2);
}

TEST_F(Undo, ANeverEditedTrackCannotUndoAndUnknownIdsHaveNoHistory) {
    EXPECT_FALSE(history.history(5)->canUndo());
    EXPECT_FALSE(history.history(5)->canRedo());
    EXPECT_EQ(history.history(6), nullptr);
    EXPECT_FALSE(history.saveState(6, track));
    EXPECT_FALSE(history.undo(6, track));
    EXPECT_FALSE(history.redo(6, track));
    EXPECT_FALSE(history.removeHistory(6));
}

TEST_F(Undo, StatesShareBlocksAndClosingTheHistoryDeletesTheFilesOnlyStatesHeld) {
    EXPECT_EQ(temp.blockFileCount(), 2);
    history.saveState(5, track);
    EXPECT_EQ(temp.blockFileCount(), 2);  // a state costs no block
    edit(track, 10, 10, -1.0f);           // replaces block 0
    EXPECT_EQ(temp.blockFileCount(), 3);
    EXPECT_TRUE(history.removeHistory(5));
    EXPECT_EQ(temp.blockFileCount(), 2);
    EXPECT_EQ(history.history(5), nullptr);
}

TEST_F(Undo, UndoRestoresAChannelCountAndLengthThatAnEditChanged) {
    history.saveState(5, track);
    const int before = track.length();
    track.setChannelCount(2);
    auto data = staircase(10);
    track.channel(1)->sequence().appendSamples(data.data(), 10);
    track.channel(1)->sequence().flushAppend();
    ASSERT_TRUE(history.undo(5, track));
    EXPECT_EQ(track.channelCount(), 1);
    EXPECT_EQ(track.channel(1), nullptr);
    EXPECT_EQ(track.length(), before);
    ASSERT_TRUE(history.redo(5, track));
    EXPECT_EQ(track.channelCount(), 2);
    EXPECT_EQ(samplesOf(track, 1), data);
    EXPECT_EQ(track.length(), 10);
}

}  // namespace
