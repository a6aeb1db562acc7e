// Thousands of random appends, splices, reads, saves, undos and redos on a track, each
// checked against a plain vector of floats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "model/undo_history.h"
#include "support/model_reference.h"
#include "support/temp_block_folder.h"

namespace {

using wd::Sequence;
using wd::Track;

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int kDefaultSteps = 400;
#else
constexpr int kDefaultSteps = 2000;
#endif

// What the track must hold: its samples and channel 0's selection.
struct State {
    std::vector<float> samples;
    int selStart = 0;
    int selLength = 0;
    bool operator==(const State&) const = default;
};

class ModelBased {
public:
    explicit ModelBased(unsigned seed) : rng_(seed) {
        track_ = std::make_unique<Track>();
        track_->setChannelCount(1);
        track_->setId(kId);
        history_.addHistory(kId);
    }

    void run(int steps) {
        for (step_ = 0; step_ < steps; ++step_) {
            const int len = static_cast<int>(model_.samples.size());
            if (len > 2500000) {
                shrink();
            } else {
                const unsigned op = rng_() % 100;
                if (op < 15) append();
                else if (op < 35) overwrite();
                else if (op < 52) insert();
                else if (op < 56) cancelledSplice();
                else if (op < 68) save();
                else if (op < 80) undo();
                else if (op < 88) redo();
                else if (op < 96) select();
                else if (op < 98) pruneHistory();
                else restartTrack();
            }
            check(step_ % 25 == 0);
            if (::testing::Test::HasFatalFailure()) return;
        }
        check(true);
    }

    void undoAllAndCompare() {
        while (!undo_.empty()) {
            undo();
            check(true);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }

    void closeEverything() {
        history_.removeHistory(kId);
        track_.reset();
    }

private:
    static constexpr uint32_t kId = 77;

    Sequence& seq() { return track_->channel(0)->sequence(); }
    int random(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<unsigned>(hi - lo + 1)); }
    // Mostly small counts, now and then more than a block.
    int count() { return rng_() % 10 == 0 ? random(0, 300000) : random(0, 30000); }
    std::vector<float> fresh(int n) {
        std::vector<float> v(static_cast<size_t>(n));
        for (float& x : v) x = static_cast<float>((next_++ & 0x7FFFFF) + 1);
        return v;
    }
    std::string where() const { return "step " + std::to_string(step_) + " (" + last_ + ")"; }

    // Writes data through the open splice in random pieces.
    void writePieces(const std::vector<float>& data) {
        for (size_t done = 0; done < data.size();) {
            const int piece = static_cast<int>(std::min<size_t>(data.size() - done, static_cast<size_t>(random(1, 300000))));
            ASSERT_EQ(seq().writeSplice(data.data() + done, piece), piece) << where();
            done += static_cast<size_t>(piece);
        }
    }

    void append() {
        auto data = fresh(count());
        last_ = "append " + std::to_string(data.size());
        for (size_t done = 0; done < data.size();) {
            const int piece = static_cast<int>(std::min<size_t>(data.size() - done, static_cast<size_t>(random(1, 262144))));
            ASSERT_EQ(seq().appendSamples(data.data() + done, piece), piece) << where();
            done += static_cast<size_t>(piece);
        }
        ASSERT_GE(seq().flushAppend(), 0) << where();
        model_.samples.insert(model_.samples.end(), data.begin(), data.end());
    }

    void overwrite() {
        const int len = static_cast<int>(model_.samples.size());
        const int at = random(0, len + 1000);
        auto data = fresh(count());
        last_ = "overwrite " + std::to_string(data.size()) + " at " + std::to_string(at);
        ASSERT_EQ(seq().beginOverwrite(at), 0) << where();
        writePieces(data);
        ASSERT_EQ(seq().commitOverwrite(), 0) << where();
        auto& s = model_.samples;
        if (static_cast<size_t>(at) + data.size() > s.size()) s.resize(static_cast<size_t>(at) + data.size(), 0.0f);
        std::copy(data.begin(), data.end(), s.begin() + at);
    }

    void insert() {
        const int len = static_cast<int>(model_.samples.size());
        const int at = random(0, len + 1000);
        auto data = fresh(count());
        last_ = "insert " + std::to_string(data.size()) + " at " + std::to_string(at);
        ASSERT_EQ(seq().beginInsert(at), 0) << where();
        writePieces(data);
        ASSERT_EQ(seq().commitInsert(), 0) << where();
        // At or past the end the samples are appended.
        model_.samples.insert(model_.samples.begin() + std::min(at, len), data.begin(), data.end());
    }

    void cancelledSplice() {
        const int at = random(0, static_cast<int>(model_.samples.size()) + 10);
        last_ = "cancelled splice at " + std::to_string(at);
        ASSERT_EQ(rng_() % 2 ? seq().beginInsert(at) : seq().beginOverwrite(at), 0) << where();
        writePieces(fresh(count()));
        seq().cancelSplice();
    }

    void save() {
        last_ = "save";
        ASSERT_TRUE(history_.saveState(kId, *track_));
        undo_.push_back(model_);
        if (rng_() % 4 != 0) {
            history_.history(kId)->clearRedo();
            redo_.clear();
        }
    }

    void undo() {
        last_ = "undo";
        const bool done = history_.undo(kId, *track_);
        ASSERT_EQ(done, !undo_.empty()) << where();
        if (!done) return;
        redo_.push_back(model_);
        model_ = undo_.back();
        undo_.pop_back();
    }

    void redo() {
        last_ = "redo";
        const bool done = history_.redo(kId, *track_);
        ASSERT_EQ(done, !redo_.empty()) << where();
        if (!done) return;
        undo_.push_back(model_);
        model_ = redo_.back();
        redo_.pop_back();
    }

    void select() {
        const int len = static_cast<int>(model_.samples.size());
        const int start = random(-5, len + 50);
        const int length = random(-5, len + 50);
        wd::Channel& c = *track_->channel(0);
        c.selStart = start;
        c.selLength = length;
        track_->zoomFactor = 1 << random(0, 6);
        last_ = "select " + std::to_string(start) + "+" + std::to_string(length);
        track_->refreshView();
        // The view's rule: inside the track (an empty one shows 2048 columns of one
        // sample), ending one sample before the end when it ran past it.
        const int bound = len > 0 ? len : 2048;
        int s = std::max(start, 0);
        int l = std::max(length, 0);
        if (s >= bound) s = bound - 1;
        if (static_cast<int64_t>(s) + l > bound) l = bound - s - 1;
        model_.selStart = s;
        model_.selLength = l;
    }

    void pruneHistory() {
        last_ = "history closed";
        ASSERT_TRUE(history_.removeHistory(kId));
        history_.addHistory(kId);
        undo_.clear();
        redo_.clear();
    }

    void restartTrack() {
        last_ = "track closed";
        pruneHistory();
        track_ = std::make_unique<Track>();
        track_->setChannelCount(1);
        track_->setId(kId);
        model_ = State{};
    }

    void shrink() {
        if (!undo_.empty()) {
            undo();
        } else {
            restartTrack();
        }
    }

    void check(bool full) {
        const auto& s = model_.samples;
        const int len = static_cast<int>(s.size());
        ASSERT_EQ(seq().length(), len) << where();
        ASSERT_EQ(track_->length(), len) << where();
        ASSERT_EQ(track_->channel(0)->selStart, model_.selStart) << where();
        ASSERT_EQ(track_->channel(0)->selLength, model_.selLength) << where();
        std::vector<float> out;
        auto readAndCompare = [&](int start, int n) {
            out.assign(static_cast<size_t>(std::max(n, 0)), -7.0f);
            const int got = seq().readSamples(out.data(), start, n);
            const int expected = start < 0 || start >= len || n < 1 ? 0 : std::min(n, len - start);
            ASSERT_EQ(got, expected) << where() << " read " << start << "+" << n;
            for (int i = 0; i < got; ++i) ASSERT_EQ(out[static_cast<size_t>(i)], s[static_cast<size_t>(start + i)]) << where() << " sample " << start + i;
        };
        if (full) {
            readAndCompare(0, len);
        } else {
            for (int k = 0; k < 3; ++k) readAndCompare(random(-10, len + 10), random(-2, 5000));
        }
        const int spp = std::vector<int>{1, 7, 255, 256, 1000, 65535, 65536, 200000}[rng_() % 8];
        const int start = random(-10, len + 10);
        const int columns = random(1, 700);
        std::vector<float> mins(static_cast<size_t>(columns)), maxs(static_cast<size_t>(columns)), rmins, rmaxs;
        std::vector<int> counts;
        for (const auto& b : seq().blockInfo()) counts.push_back(b.sampleCount);
        const int n = seq().readColumns(mins.data(), maxs.data(), columns, start, spp);
        ASSERT_EQ(n, wdtest::referenceColumns(s, counts, columns, start, spp, rmins, rmaxs)) << where() << " columns at " << start;
        for (int c = 0; c < n; ++c) {
            ASSERT_EQ(mins[static_cast<size_t>(c)], rmins[static_cast<size_t>(c)]) << where() << " column " << c;
            ASSERT_EQ(maxs[static_cast<size_t>(c)], rmaxs[static_cast<size_t>(c)]) << where() << " column " << c;
        }
    }

    std::mt19937 rng_;
    std::unique_ptr<Track> track_;
    wd::UndoHistory history_;
    State model_;
    std::vector<State> undo_;
    std::vector<State> redo_;
    uint32_t next_ = 0;
    int step_ = 0;
    std::string last_;
};

TEST(ModelBased, RandomEditsUndosAndRedosMatchAPlainVectorAndLeaveNoBlockFileBehind) {
    wdtest::ModelTempFolder temp;
    const unsigned seed = std::getenv("WAVEDECK_MODEL_SEED") ? static_cast<unsigned>(std::atoi(std::getenv("WAVEDECK_MODEL_SEED")))
                                                              : std::random_device{}();
    const int steps = std::getenv("WAVEDECK_MODEL_STEPS") ? std::atoi(std::getenv("WAVEDECK_MODEL_STEPS")) : kDefaultSteps;
    std::printf("model-based test: seed %u, %d steps (WAVEDECK_MODEL_SEED, WAVEDECK_MODEL_STEPS)\n", seed, steps);
    SCOPED_TRACE("seed " + std::to_string(seed));
    ModelBased model(seed);
    model.run(steps);
    if (HasFatalFailure()) return;
    model.undoAllAndCompare();
    if (HasFatalFailure()) return;
    model.closeEverything();
    EXPECT_EQ(temp.blockFileCount(), 0);
}

}  // namespace
