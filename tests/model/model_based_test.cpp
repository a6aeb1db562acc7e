// Thousands of random appends, splices, reads, saves, undos and redos on a track, each
// checked against a plain vector of floats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "edit/edit_engine.h"
#include "edit/in_place_edits.h"
#include "model/pseudo_random.h"
#include "model/undo_history.h"
#include "support/model_reference.h"
#include "support/sequence_samples.h"
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

// The seed and step count of a run: WAVEDECK_MODEL_SEED and WAVEDECK_MODEL_STEPS when set.
std::pair<unsigned, int> runParameters(int defaultSteps) {
    const unsigned seed = std::getenv("WAVEDECK_MODEL_SEED") ? static_cast<unsigned>(std::atoi(std::getenv("WAVEDECK_MODEL_SEED")))
                                                              : std::random_device{}();
    const int steps = std::getenv("WAVEDECK_MODEL_STEPS") ? std::atoi(std::getenv("WAVEDECK_MODEL_STEPS")) : defaultSteps;
    std::printf("model-based test: seed %u, %d steps (WAVEDECK_MODEL_SEED, WAVEDECK_MODEL_STEPS)\n", seed, steps);
    return {seed, steps};
}

TEST(ModelBased, RandomEditsUndosAndRedosMatchAPlainVectorAndLeaveNoBlockFileBehind) {
    wdtest::ModelTempFolder temp;
    const auto [seed, steps] = runParameters(kDefaultSteps);
    SCOPED_TRACE("seed " + std::to_string(seed));
    ModelBased model(seed);
    model.run(steps);
    if (HasFatalFailure()) return;
    model.undoAllAndCompare();
    if (HasFatalFailure()) return;
    model.closeEverything();
    EXPECT_EQ(temp.blockFileCount(), 0);
}

// ---------------------------------------------------------------------------- editing

// What a track must hold under the editing operations: every channel's samples,
// selection and selected flag.
struct EditState {
    wdtest::ChannelSamples channels;
    std::vector<int> starts, lengths;
    std::vector<bool> flags;
    bool operator==(const EditState&) const = default;
};

// Random cuts, copies, pastes, trims, deletes, silences, inserts of silence and white
// noise, selections and undo/redo of each on mono and stereo tracks, through the edit
// engine and the in-place edits, each step checked against plain vectors.
// WAVEDECK_MODEL_FAULT=1 plants a fault: after each paste a sample of the track changes
// behind the reference's back, as after a defective paste, and the run must fail.
class EditModel {
public:
    explicit EditModel(unsigned seed) : rng_(seed), fault_(std::getenv("WAVEDECK_MODEL_FAULT") != nullptr) {
        wd::EditEngine::instance().clearClipboard();
        restart();
    }
    ~EditModel() { close(); }

    void run(int steps) {
        for (step_ = 0; step_ < steps; ++step_) {
            randomStep();
            check();
            if (::testing::Test::HasFatalFailure()) return;
        }
        while (!undo_.empty()) {
            step(true);
            check();
            if (::testing::Test::HasFatalFailure()) return;
        }
    }

    void randomStep() {
        const unsigned op = rng_() % 100;
        if (trackLength() > 700000) restart();
        else if (op < 20) select();
        else if (op < 28) clip(true);
        else if (op < 36) clip(false);
        else if (op < 48) paste();
        else if (op < 53) inPlace("trim", wd::trimSelection(*track_), &EditModel::trim);
        else if (op < 59) inPlace("delete", wd::deleteSelection(*track_), &EditModel::remove);
        else if (op < 63) inPlace("silence", wd::silenceSelection(*track_), &EditModel::silence);
        else if (op < 70) insert();
        else if (op < 97) step(op < 85);
        else restart();
    }

    // The clipboard outlives its track, as in the editor: a new track gets its paste.
    void close(bool clipboardToo = true) {
        if (clipboardToo) wd::EditEngine::instance().clearClipboard();
        if (track_) wd::UndoHistory::instance().removeHistory(track_->id());
        track_.reset();
    }

private:
    static constexpr int kRate = 8000;

    int random(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<unsigned>(hi - lo + 1)); }
    std::vector<float> fresh(int n) {
        std::vector<float> v(static_cast<size_t>(n));
        for (float& x : v) x = static_cast<float>(random(-9000, 9000)) / 10000.0f;
        return v;
    }
    size_t channels() const { return model_.channels.size(); }
    int length(size_t c) const { return static_cast<int>(model_.channels[c].size()); }
    int trackLength() const { return std::max(length(0), length(channels() - 1)); }
    std::string where() const { return "step " + std::to_string(step_) + " (" + last_ + ")"; }
    // The range [s, s + n) of a channel cut at its end.
    std::pair<int, int> range(size_t c, int s, int n) const {
        const int from = std::min(s, length(c));
        return {from, static_cast<int>(std::clamp<int64_t>(int64_t{s} + n, from, length(c)))};
    }

    void restart() {
        close(false);
        track_ = std::make_unique<Track>();
        track_->setChannelCount(random(1, 2));
        track_->setId(++id_);
        track_->sampleRate = kRate;
        wd::UndoHistory::instance().addHistory(id_);
        model_ = EditState{};
        const int n = random(0, 300000);
        for (int c = 0; c < track_->channelCount(); ++c) {
            model_.channels.push_back(fresh(n));
            wdtest::fill(track_->channel(c)->sequence(), model_.channels.back());
        }
        model_.starts = model_.lengths = std::vector<int>(channels(), 0);
        model_.flags = std::vector<bool>(channels(), true);
        undo_.clear();
        redo_.clear();
        last_ = "new track";
    }

    // A selection (now and then one per channel) and selected flags.
    void select() {
        const int len = trackLength();
        const bool same = rng_() % 3 != 0;
        const int start = random(0, len + 50), count = random(0, len + 50);
        for (size_t c = 0; c < channels(); ++c) {
            wd::Channel& channel = *track_->channel(static_cast<int>(c));
            channel.selStart = model_.starts[c] = same ? start : random(0, len + 50);
            channel.selLength = model_.lengths[c] = same ? count : random(0, len + 50);
            channel.selectedFlag = model_.flags[c] = rng_() % 4 != 0;
        }
        last_ = "select " + std::to_string(start) + "+" + std::to_string(count) + (same ? "" : " per channel");
    }

    void save(bool clearRedo) {
        undo_.push_back(model_);
        if (clearRedo) redo_.clear();
    }

    void clip(bool cut) {
        last_ = cut ? "cut" : "copy";
        wd::EditEngine& engine = wd::EditEngine::instance();
        ASSERT_EQ(cut ? engine.cut(track_.get(), nullptr) : engine.copy(track_.get(), nullptr), 0) << where();
        engine.waitForWorker();
        if (cut) save(false);
        clip_ = {{}, {}};
        for (size_t c = 0; c < channels(); ++c) {
            auto& samples = model_.channels[c];
            const int s = model_.starts[c];
            int n = model_.lengths[c];
            if (model_.flags[c] && s < length(c) - 1 && n >= 1) {
                n = std::min(n, length(c) - s);
                clip_[c].assign(samples.begin() + s, samples.begin() + s + n);
            }
            if (!cut) continue;
            const auto [from, to] = range(c, s, n);
            samples.erase(samples.begin() + from, samples.begin() + to);
            model_.lengths[c] = 0;
        }
        ASSERT_EQ(engine.hasClipboard(), !clip_[0].empty() || !clip_[1].empty()) << where();
    }

    void paste() {
        const int kind = random(0, 2);
        last_ = "paste " + std::to_string(kind);
        wd::EditEngine& engine = wd::EditEngine::instance();
        ASSERT_EQ(engine.paste(track_.get(), nullptr, static_cast<wd::PasteMode>(kind)), 0) << where();
        engine.waitForWorker();
        if (!engine.hasClipboard()) return;
        save(true);
        model_.channels = wdtest::referencePaste(model_.channels, model_.starts, model_.flags, clip_, static_cast<wdtest::PasteKind>(kind));
        if (fault_) {
            // A defective paste: the first sample written comes out changed.
            wd::Sequence& s = track_->channel(0)->sequence();
            const float wrong = 0.123f;
            s.beginOverwrite(std::min(model_.starts[0], s.length() - 1));
            s.writeSplice(&wrong, 1);
            s.commitOverwrite();
        }
    }

    // An in-place edit that ran with its result; its reference follows when it did.
    void inPlace(const char* name, int result, void (EditModel::*reference)()) {
        last_ = name;
        if (result != 0) return;
        (this->*reference)();
        clampSelections();
    }

    void setCursor(int p) {
        model_.starts.assign(channels(), p);
        model_.lengths.assign(channels(), 0);
    }

    void trim() {
        save(false);
        for (size_t c = 0; c < channels(); ++c) {
            const auto [from, to] = range(c, model_.starts[0], model_.lengths[0]);
            model_.channels[c] = std::vector<float>(model_.channels[c].begin() + from, model_.channels[c].begin() + to);
        }
        setCursor(0);
    }

    // Deletes (or silences) channel 0's selection in channel c.
    void cutOut(size_t c, bool silence) {
        const auto [from, to] = range(c, model_.starts[0], model_.lengths[0]);
        auto& s = model_.channels[c];
        if (silence) std::fill(s.begin() + from, s.begin() + to, 0.0f);
        else s.erase(s.begin() + from, s.begin() + to);
    }

    void remove() {
        save(true);
        // In one channel of two a delete silences.
        const bool both = channels() == 1 || (model_.flags[0] && model_.flags[1]);
        for (size_t c = 0; c < channels(); ++c) {
            if (both || model_.flags[c]) cutOut(c, !both);
        }
        setCursor(model_.starts[0]);
    }

    void silence() {
        save(true);
        for (size_t c = 0; c < channels(); ++c) {
            if (channels() == 1 || model_.flags[c]) cutOut(c, true);
        }
    }

    // Silence, white noise from a known generator state, or a kind of noise there is not.
    void insert() {
        const int kinds[] = {-1, -1, 0, 0, 2};
        const int ms = random(0, 40), kind = kinds[rng_() % 5];
        const float amplitude = static_cast<float>(random(0, 100)) / 100.0f;
        last_ = "insert " + std::to_string(ms) + " ms of kind " + std::to_string(kind);
        wd::PseudoRandom::seed(static_cast<uint32_t>(step_));
        const int result = kind < 0 ? wd::insertSilence(*track_, ms) : wd::insertNoise(*track_, ms, amplitude, kind);
        ASSERT_EQ(result, ms < 1 ? -1 : 0) << where();
        if (result != 0) return;
        save(true);
        std::vector<float> inserted(static_cast<size_t>(std::floor(kRate * ms * 0.001 + 0.5)), 0.0f);
        uint32_t state = static_cast<uint32_t>(step_);
        for (size_t c = 0; c < channels() && kind <= 0; ++c) {
            for (float& x : inserted) {
                if (kind < 0) break;
                state = state * 214013u + 2531011u;
                x = (static_cast<float>((state >> 16) & 32767u) * 6.103702e-5f - 1.0f) * amplitude;
            }
            auto& samples = model_.channels[c];
            samples.insert(samples.begin() + std::min(model_.starts[0], length(c)), inserted.begin(), inserted.end());
        }
        setCursor(model_.starts[0]);
        clampSelections();
    }

    // The view's rule after an in-place edit: selections inside the track.
    void clampSelections() {
        const int bound = trackLength() > 0 ? trackLength() : 2048;
        for (size_t c = 0; c < channels(); ++c) {
            if (model_.starts[c] >= bound) model_.starts[c] = bound - 1;
            if (int64_t{model_.starts[c]} + model_.lengths[c] > bound) model_.lengths[c] = bound - model_.starts[c] - 1;
        }
    }

    void step(bool back) {
        last_ = back ? "undo" : "redo";
        auto& from = back ? undo_ : redo_;
        auto& to = back ? redo_ : undo_;
        wd::UndoHistory& history = wd::UndoHistory::instance();
        ASSERT_EQ(back ? history.undo(id_, *track_) : history.redo(id_, *track_), !from.empty()) << where();
        if (from.empty()) return;
        to.push_back(model_);
        model_ = from.back();
        from.pop_back();
    }

    void check() {
        EditState got;
        for (int c = 0; c < track_->channelCount(); ++c) {
            const wd::Channel& channel = *track_->channel(c);
            got.channels.push_back(wdtest::readAll(channel.sequence()));
            ASSERT_EQ(channel.sequence().length(), static_cast<int>(got.channels.back().size())) << where();
            got.starts.push_back(channel.selStart);
            got.lengths.push_back(channel.selLength);
            got.flags.push_back(channel.selectedFlag);
        }
        if (got == model_) return;
        for (size_t c = 0; c < channels() && c < got.channels.size(); ++c) {
            const auto& a = got.channels[c];
            const auto first = std::mismatch(a.begin(), a.end(), model_.channels[c].begin(), model_.channels[c].end()).first;
            ADD_FAILURE() << where() << ": channel " << c << " of " << a.size() << " samples differs from " << first - a.begin()
                          << " on; selection " << got.starts[c] << "+" << got.lengths[c];
        }
        FAIL() << where();
    }

    std::mt19937 rng_;
    const bool fault_;
    std::unique_ptr<Track> track_;
    uint32_t id_ = 1000000;
    EditState model_;
    wdtest::ChannelSamples clip_{{}, {}};
    std::vector<EditState> undo_, redo_;
    int step_ = 0;
    std::string last_;
};

TEST(ModelBased, RandomClipboardAndInPlaceEditsWithUndoMatchPlainVectorsAndLeaveNoBlockFileBehind) {
    wdtest::ModelTempFolder temp;
    const auto [seed, steps] = runParameters(kDefaultSteps / 5);
    SCOPED_TRACE("seed " + std::to_string(seed));
    EditModel(seed).run(steps);
    EXPECT_EQ(temp.blockFileCount(), 0);
}

}  // namespace
