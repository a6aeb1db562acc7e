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
    std::vector<int> starts;
    std::vector<int> lengths;
    std::vector<bool> flags;
    bool operator==(const EditState&) const = default;
};

/**
 * Random cuts, copies, the three pastes, trims, deletes, silences, inserts of silence and
 * noise, selections and undo/redo of each, through the edit engine and the in-place
 * edits, on mono and stereo tracks, each step checked against plain vectors.
 *
 * WAVEDECK_MODEL_FAULT=1 plants a fault: after each paste one sample of the track is
 * changed behind the reference's back, as a defective paste would, and the run must fail.
 */
class EditModel {
public:
    explicit EditModel(unsigned seed) : rng_(seed), fault_(std::getenv("WAVEDECK_MODEL_FAULT") != nullptr) { restart(); }
    ~EditModel() { close(); }

    void run(int steps) {
        for (step_ = 0; step_ < steps; ++step_) {
            const unsigned op = rng_() % 100;
            if (model_.channels[0].size() > 700000) restart();
            else if (op < 6) append();
            else if (op < 22) select();
            else if (op < 30) clip(true);
            else if (op < 38) clip(false);
            else if (op < 50) paste();
            else if (op < 55) inPlace("trim", wd::trimSelection(*track_), &EditModel::trim);
            else if (op < 61) inPlace("delete", wd::deleteSelection(*track_), &EditModel::remove);
            else if (op < 65) inPlace("silence", wd::silenceSelection(*track_), &EditModel::silence);
            else if (op < 72) insert();
            else if (op < 82) step(true);
            else if (op < 90) step(false);
            else if (op < 97) reflag();
            else restart();
            check();
            if (::testing::Test::HasFatalFailure()) return;
        }
        while (!undo_.empty()) {
            step(true);
            check();
            if (::testing::Test::HasFatalFailure()) return;
        }
    }

    void close() {
        wd::EditEngine::instance().clearClipboard();
        if (track_) wd::UndoHistory::instance().removeHistory(track_->id());
        track_.reset();
    }

private:
    using Reference = void (EditModel::*)();
    static constexpr int kRate = 8000;

    int random(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<unsigned>(hi - lo + 1)); }
    std::vector<float> fresh(int n) {
        std::vector<float> v(static_cast<size_t>(n));
        for (float& x : v) x = static_cast<float>(random(-9000, 9000)) / 10000.0f;
        return v;
    }
    int length(size_t c) const { return static_cast<int>(model_.channels[c].size()); }
    int trackLength() const {
        int n = 0;
        for (size_t c = 0; c < model_.channels.size(); ++c) n = std::max(n, length(c));
        return n;
    }
    std::string where() const { return "step " + std::to_string(step_) + " (" + last_ + ")"; }

    void restart() {
        close();
        const int channels = random(1, 2);
        track_ = std::make_unique<Track>();
        track_->setChannelCount(channels);
        track_->setId(++id_);
        track_->sampleRate = kRate;
        wd::UndoHistory::instance().addHistory(id_);
        model_ = EditState{};
        const int n = random(0, 300000);
        for (int c = 0; c < channels; ++c) {
            model_.channels.push_back(fresh(n));
            wdtest::fill(track_->channel(c)->sequence(), model_.channels.back());
            model_.starts.push_back(0);
            model_.lengths.push_back(0);
            model_.flags.push_back(true);
        }
        undo_.clear();
        redo_.clear();
        clip_ = {{}, {}};
        last_ = "new track of " + std::to_string(channels) + " channels";
    }

    void append() {
        const size_t c = static_cast<size_t>(random(0, static_cast<int>(model_.channels.size()) - 1));
        auto data = fresh(random(1, 50000));
        last_ = "append " + std::to_string(data.size()) + " to channel " + std::to_string(c);
        wdtest::fill(track_->channel(static_cast<int>(c))->sequence(), data);
        model_.channels[c].insert(model_.channels[c].end(), data.begin(), data.end());
    }

    void select() {
        const int len = trackLength();
        const bool same = rng_() % 3 != 0;
        const int start = random(0, len + 50);
        const int count = random(0, len + 50);
        for (size_t c = 0; c < model_.channels.size(); ++c) {
            model_.starts[c] = same ? start : random(0, len + 50);
            model_.lengths[c] = same ? count : random(0, len + 50);
            track_->channel(static_cast<int>(c))->selStart = model_.starts[c];
            track_->channel(static_cast<int>(c))->selLength = model_.lengths[c];
        }
        last_ = "select " + std::to_string(start) + "+" + std::to_string(count) + (same ? "" : " per channel");
    }

    void reflag() {
        for (size_t c = 0; c < model_.channels.size(); ++c) {
            model_.flags[c] = rng_() % 3 != 0;
            track_->channel(static_cast<int>(c))->selectedFlag = model_.flags[c];
        }
        last_ = "flags";
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
        for (size_t c = 0; c < model_.channels.size(); ++c) {
            auto& samples = model_.channels[c];
            const int s = model_.starts[c];
            int n = model_.lengths[c];
            const int len = length(c);
            if (model_.flags[c] && s < len - 1 && n >= 1) {
                n = std::min(n, len - s);
                clip_[c].assign(samples.begin() + s, samples.begin() + s + n);
            }
            if (cut && n > 0 && s < len) samples.erase(samples.begin() + s, samples.begin() + std::min(s + n, len));
            if (cut) model_.lengths[c] = 0;
        }
        ASSERT_EQ(engine.hasClipboard(), !clip_[0].empty() || !clip_[1].empty()) << where();
        for (int c = 0; c < 2; ++c) {
            const wd::Channel* got = engine.clipChannel(c);
            ASSERT_EQ(got ? wdtest::readAll(got->sequence()) : std::vector<float>{}, clip_[static_cast<size_t>(c)]) << where();
        }
    }

    void paste() {
        const auto kind = static_cast<wdtest::PasteKind>(random(0, 2));
        const wd::PasteMode mode[] = {wd::PasteMode::Overwrite, wd::PasteMode::Mix, wd::PasteMode::Insert};
        last_ = "paste " + std::to_string(static_cast<int>(kind));
        wd::EditEngine& engine = wd::EditEngine::instance();
        ASSERT_EQ(engine.paste(track_.get(), nullptr, mode[static_cast<int>(kind)]), 0) << where();
        engine.waitForWorker();
        if (!engine.hasClipboard()) return;
        save(true);
        model_.channels = wdtest::referencePaste(model_.channels, model_.starts, model_.flags, clip_, kind);
        if (fault_) {
            // A defective paste: the first sample written comes out changed.
            wd::Sequence& s = track_->channel(0)->sequence();
            const float wrong = 0.123f;
            s.beginOverwrite(std::min(model_.starts[0], s.length() - 1));
            s.writeSplice(&wrong, 1);
            s.commitOverwrite();
        }
    }

    // An in-place edit that ran with its result; its reference runs when it did.
    void inPlace(const char* name, int result, Reference reference) {
        last_ = name;
        if (result != 0) return;
        (this->*reference)();
        clampSelections();
    }

    bool hasSelection() const {
        if (model_.flags[0] && model_.lengths[0] > 0) return true;
        return model_.channels.size() == 2 && model_.flags[1] && model_.lengths[1] >= 1;
    }

    // The range [s, s + n) of a channel cut at its end; empty when s is past it.
    std::pair<int, int> range(size_t c, int s, int n) const { return {std::min(s, length(c)), std::min<int64_t>(int64_t{s} + n, length(c))}; }

    void setCursor(int p) {
        std::fill(model_.starts.begin(), model_.starts.end(), p);
        std::fill(model_.lengths.begin(), model_.lengths.end(), 0);
    }

    void trim() {
        save(false);
        for (size_t c = 0; c < model_.channels.size(); ++c) {
            const auto [from, to] = range(c, model_.starts[0], model_.lengths[0]);
            model_.channels[c] = std::vector<float>(model_.channels[c].begin() + from, model_.channels[c].begin() + std::max(from, to));
        }
        setCursor(0);
    }

    void silenceIn(size_t c) {
        const auto [from, to] = range(c, model_.starts[0], model_.lengths[0]);
        std::fill(model_.channels[c].begin() + from, model_.channels[c].begin() + std::max(from, to), 0.0f);
    }

    void remove() {
        save(true);
        const bool both = model_.channels.size() == 1 || (model_.flags[0] && model_.flags[1]);
        for (size_t c = 0; c < model_.channels.size(); ++c) {
            if (!both) {
                if (model_.flags[c]) silenceIn(c);
                continue;
            }
            const auto [from, to] = range(c, model_.starts[0], model_.lengths[0]);
            model_.channels[c].erase(model_.channels[c].begin() + from, model_.channels[c].begin() + std::max(from, to));
        }
        setCursor(model_.starts[0]);
    }

    void silence() {
        save(true);
        for (size_t c = 0; c < model_.channels.size(); ++c) {
            if (model_.channels.size() == 1 || model_.flags[c]) silenceIn(c);
        }
    }

    void insert() {
        const int ms = random(0, 40);
        const int kind = random(-1, 2);  // -1 silence, 0 white, 1 pink, 2 no such noise
        const float amplitude = static_cast<float>(random(0, 100)) / 100.0f;
        last_ = "insert " + std::to_string(ms) + " ms of kind " + std::to_string(kind);
        wd::PseudoRandom::seed(static_cast<uint32_t>(step_));
        const int result = kind < 0 ? wd::insertSilence(*track_, ms) : wd::insertNoise(*track_, ms, amplitude, kind);
        ASSERT_EQ(result, ms < 1 ? -1 : 0) << where();
        if (result != 0) return;
        save(true);
        const auto count = static_cast<size_t>(std::floor(kRate * ms * 0.001 + 0.5));
        const int p = model_.starts[0];
        uint32_t state = static_cast<uint32_t>(step_);
        for (size_t c = 0; c < model_.channels.size(); ++c) {
            auto& samples = model_.channels[c];
            const auto at = samples.begin() + std::min(p, length(c));
            std::vector<float> inserted(count, 0.0f);
            if (kind == 0) {
                for (float& x : inserted) {
                    state = state * 214013u + 2531011u;
                    x = (static_cast<float>((state >> 16) & 32767u) * 6.103702e-5f - 1.0f) * amplitude;
                }
            } else if (kind == 1) {
                // Seeded by the clock: taken from the track once checked to be in range.
                const int from = static_cast<int>(at - samples.begin());
                track_->channel(static_cast<int>(c))->sequence().readSamples(inserted.data(), from, static_cast<int>(count));
                for (float x : inserted) ASSERT_LE(std::fabs(x), amplitude) << where();
            }
            if (kind != 2) samples.insert(at, inserted.begin(), inserted.end());
        }
        setCursor(p);
        clampSelections();
    }

    // The view's rule after an in-place edit: selections inside the track.
    void clampSelections() {
        const int len = trackLength();
        const int bound = len > 0 ? len : 2048;
        for (size_t c = 0; c < model_.channels.size(); ++c) {
            int& s = model_.starts[c];
            int& l = model_.lengths[c];
            if (s >= bound) s = bound - 1;
            if (int64_t{s} + l > bound) l = bound - s - 1;
        }
    }

    void step(bool back) {
        last_ = back ? "undo" : "redo";
        auto& from = back ? undo_ : redo_;
        auto& to = back ? redo_ : undo_;
        const bool done = back ? wd::UndoHistory::instance().undo(id_, *track_) : wd::UndoHistory::instance().redo(id_, *track_);
        ASSERT_EQ(done, !from.empty()) << where();
        if (!done) return;
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
        ASSERT_TRUE(got == model_) << where() << ": " << difference(got);
    }

    std::string difference(const EditState& got) const {
        std::string out;
        for (size_t c = 0; c < got.channels.size() && c < model_.channels.size(); ++c) {
            const auto& a = got.channels[c];
            const auto& b = model_.channels[c];
            const auto first = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
            if (first.first != a.end() || first.second != b.end()) {
                out += "channel " + std::to_string(c) + " holds " + std::to_string(a.size()) + " samples, expected " +
                       std::to_string(b.size()) + ", first difference at " + std::to_string(first.first - a.begin()) + "; ";
            }
            out += "selection " + std::to_string(got.starts[c]) + "+" + std::to_string(got.lengths[c]) + " expected " +
                   std::to_string(model_.starts[c]) + "+" + std::to_string(model_.lengths[c]) + "; ";
        }
        return out;
    }

    std::mt19937 rng_;
    const bool fault_;
    std::unique_ptr<Track> track_;
    uint32_t id_ = 1000000;
    EditState model_;
    wdtest::ChannelSamples clip_;
    std::vector<EditState> undo_;
    std::vector<EditState> redo_;
    int step_ = 0;
    std::string last_;
};

TEST(ModelBased, RandomClipboardAndInPlaceEditsWithUndoMatchPlainVectorsAndLeaveNoBlockFileBehind) {
    wdtest::ModelTempFolder temp;
    const auto [seed, steps] = runParameters(kDefaultSteps / 5);
    SCOPED_TRACE("seed " + std::to_string(seed));
    {
        EditModel model(seed);
        model.run(steps);
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(temp.blockFileCount(), 0);
}

}  // namespace
