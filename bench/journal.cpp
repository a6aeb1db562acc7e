// What the journal costs an edit of a 60-minute stereo track: bytes written and time per
// operation (an in-place edit, an undo, a redo) as the history grows, and the time of a
// flush to disk.
//
//   bench_journal [work folder] [operations]
//
// The journal's cost depends on the number of blocks and states, not on the samples: the
// track's 1,212 blocks all refer to one written block (a block list's journal line is the
// same whichever file it names), so the bench writes 1 MiB instead of 1.27 GB.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/work_folder.h"
#include "model/block_factory.h"
#include "model/journal.h"
#include "model/track_list.h"
#include "model/undo_history.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int64_t kFrames = int64_t{60} * 60 * kRate;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

wd::Track* makeHour() {
    wd::Track* track = wd::TrackList::instance().addTrack("/music/an-hour.wav");
    track->setChannelCount(2);
    track->sampleRate = kRate;
    std::vector<float> samples(wd::BlockFile::kMaxSamples, 0.25f);
    wd::BlockFile* block = wd::BlockFactory::instance().create(wd::BlockFile::Kind::Disk);
    if (!block || block->write(samples.data(), wd::BlockFile::kCapacityBytes) <= 0) return nullptr;
    for (int c = 0; c < 2; ++c) {
        for (int64_t done = 0; done + wd::BlockFile::kMaxSamples <= kFrames; done += wd::BlockFile::kMaxSamples) {
            block->addRef();
            track->channel(c)->sequence().appendBlock(block);
        }
    }
    block->release();
    wd::UndoHistory::instance().addHistory(track->id());
    return track;
}

void select(wd::Track& track, int start, int length) {
    for (int c = 0; c < 2; ++c) {
        track.channel(c)->selStart = start;
        track.channel(c)->selLength = length;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string work = argc > 1 ? argv[1] : "bench-journal-work";
    const int operations = argc > 2 ? std::max(3, std::atoi(argv[2])) : 300;
    if (!wdbench::useWorkFolder(work, argv)) return 1;
    wd::Track* track = makeHour();
    if (!track) {
        std::fprintf(stderr, "cannot write a block in %s\n", work.c_str());
        return 1;
    }
    wd::Journal& journal = wd::Journal::instance();
    auto timed = [&](std::vector<double>& times, std::vector<double>& bytes) {
        const uint64_t before = journal.bytesWritten();
        const auto t = Clock::now();
        journal.record(*track);
        times.push_back(msSince(t));
        bytes.push_back(static_cast<double>(journal.bytesWritten() - before));
    };
    std::vector<double> first, firstBytes;
    timed(first, firstBytes);
    const int blocks = static_cast<int>(2 * track->channel(0)->sequence().blockInfo().size());
    std::printf("60-minute stereo track, %d blocks: first record %.2f ms, %.0f bytes\n", blocks, first[0], firstBytes[0]);
    std::vector<double> editMs, editBytes, undoMs, undoBytes, redoMs, redoBytes;
    unsigned seed = 7;
    for (int op = 0; op < operations; ++op) {
        seed = seed * 1103515245u + 12345u;
        const int start = static_cast<int>(seed % static_cast<unsigned>(kFrames - kRate));
        // Silences a tenth of a second as the in-place edit does, its undo state first;
        // edits grow the history, an undo and a redo follow every fifth.
        select(*track, start, kRate / 10);
        wd::TrackHistory* history = wd::UndoHistory::instance().history(track->id());
        history->saveState(*track);
        history->clearRedo();
        for (int c = 0; c < 2; ++c) track->channel(c)->sequence().silenceRange(start, kRate / 10);
        timed(editMs, editBytes);
        if (op % 5 == 4) {
            wd::UndoHistory::instance().undo(track->id(), *track);
            timed(undoMs, undoBytes);
            wd::UndoHistory::instance().redo(track->id(), *track);
            timed(redoMs, redoBytes);
        }
    }
    const auto t = Clock::now();
    journal.flush();
    const double flushMs = msSince(t);
    std::printf("after %d edits (history of %d states), per operation, median:\n", operations, operations);
    std::printf("  edit  %.3f ms, %.0f bytes\n", median(editMs), median(editBytes));
    std::printf("  undo  %.3f ms, %.0f bytes\n", median(undoMs), median(undoBytes));
    std::printf("  redo  %.3f ms, %.0f bytes\n", median(redoMs), median(redoBytes));
    std::printf("  last edit %.3f ms, %.0f bytes\n", editMs.back(), editBytes.back());
    std::printf("flush (sync of the file system holding the folder): %.1f ms\n", flushMs);
    return 0;
}
