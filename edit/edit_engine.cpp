#include "edit/edit_engine.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "edit/paste_source.h"
#include "model/undo_history.h"
#include "services/library_windows.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace wd {
namespace {

constexpr int kChunk = PasteSource::kChunk;

void postProgress(HWND window, int64_t percent) {
    PostMessageA(window, NotifyEditProgress, 0, static_cast<LPARAM>(percent));
}

// Calls work(offset, count) for n samples in pieces of kChunk (the last piece holding the
// rest) and reports the progress after each.
template <typename Work>
void forEachPiece(int n, HWND progressWindow, Work work) {
    for (int offset = 0; offset < n;) {
        const int count = std::min(kChunk, n - offset);
        work(offset, count);
        offset += count;
        postProgress(progressWindow, PasteSource::percentAfter(offset, count, n));
    }
}

Channel* otherChannel(const Track& track) { return track.channelCount() == 2 ? track.channel(1) : nullptr; }

}  // namespace

// What a cut or copy does to one channel of the track.
struct EditEngine::ClipJob {
    struct Part {
        bool copied = false;
        int start = 0;
        int count = 0;  // the selection; cut to the channel's end when copied
    };
    Track* track = nullptr;
    TrackClaim claim;
    HWND progressWindow = nullptr;
    bool cut = false;
    int sampleRate = 0;
    Part parts[2];
};

// Where a paste writes and what.
struct EditEngine::PasteJob {
    struct Target {
        int channel = 0;
        int position = 0;
    };
    Track* track = nullptr;
    TrackClaim claim;
    HWND progressWindow = nullptr;
    PasteMode mode = PasteMode::Overwrite;
    int targetCount = 0;
    Target targets[2];
    const Channel* left = nullptr;   // the mono source, or the clipboard's first channel
    const Channel* right = nullptr;  // the clipboard's second channel, or null for a mono clipboard
    int clipRate = 0;
    int trackRate = 0;
};

EditEngine& EditEngine::instance() {
    static EditEngine* engine = new EditEngine;
    return *engine;
}

bool EditEngine::setTarget(Track* track) {
    if (!track) return false;
    targetTrack_ = track;
    return true;
}

bool EditEngine::canCutOrCopy() const {
    if (!targetTrack_) return false;
    auto qualifies = [](const Channel* c) {
        return c && c->selectedFlag && c->selStart < c->sequence().length() - 1 && c->selLength >= 1;
    };
    return qualifies(targetTrack_->channel(0)) || qualifies(otherChannel(*targetTrack_));
}

const Channel* EditEngine::clipChannel(int i) const { return i == 0 || i == 1 ? clip_[i].get() : nullptr; }

template <typename Job>
bool EditEngine::startWorker(Job job, void (EditEngine::*run)(Job&)) {
    waitForWorker();
    running_ = true;
    try {
        worker_ = std::thread([this, run, job = std::move(job)]() mutable { (this->*run)(job); });
    } catch (...) {
        running_ = false;
        return false;
    }
    return true;
}

void EditEngine::waitForWorker() {
    if (worker_.joinable()) worker_.join();
}

void EditEngine::clearClipboard() {
    waitForWorker();
    for (auto& c : clip_) c.reset();
    clipChannelCount_ = 0;
    hasClipboard_ = false;
    targetTrack_ = nullptr;
}

void EditEngine::finish(TrackClaim& claim, uint32_t trackId, bool trackChanged, HWND progressWindow) {
    claim.release();
    running_ = false;
    if (trackChanged) {
        PostMessageA(LibraryWindows::instance().window(LibraryWindows::Which::Main), MsgEditFinished,
                     static_cast<WPARAM>(trackId), 0);
    }
    PostMessageA(progressWindow, NotifyEditDone, 0, 0);
}

// ---------------------------------------------------------------- cut and copy

int EditEngine::cut(Track* track, HWND progressWindow) { return startClip(track, progressWindow, true); }

int EditEngine::copy(Track* track, HWND progressWindow) { return startClip(track, progressWindow, false); }

int EditEngine::startClip(Track* track, HWND progressWindow, bool cut) {
    if (!track || running_) return -1;
    TrackClaim claim = TrackClaim::tryClaim(*track);
    if (!claim) return -1;
    if (cut) UndoHistory::instance().saveState(track->id(), *track);
    ClipJob job;
    job.cut = cut;
    job.claim = std::move(claim);
    job.track = track;
    job.progressWindow = progressWindow;
    job.sampleRate = track->sampleRate;
    setTarget(track);
    clipSampleRate_ = track->sampleRate;
    for (int i = 0; i < track->channelCount(); ++i) {
        Channel& c = *track->channel(i);
        ClipJob::Part& part = job.parts[i];
        const int length = c.sequence().length();
        part.start = c.selStart;
        part.count = c.selLength;
        part.copied = c.selectedFlag && c.selStart >= 0 && c.selStart < length - 1 && c.selLength >= 1;
        if (part.copied) part.count = static_cast<int>(std::min<int64_t>(part.count, length - part.start));
        // The selection goes with the samples; the worker does not read it.
        if (cut) c.selLength = 0;
    }
    return startWorker(std::move(job), &EditEngine::runClip) ? 0 : -1;
}

void EditEngine::runClip(ClipJob& job) {
    try {
        for (auto& c : clip_) c.reset();
        hasClipboard_ = false;
        clipChannelCount_ = 0;
        clipSampleRate_ = job.sampleRate;
        auto buffer = std::make_unique<float[]>(kChunk);
        for (int i = 0; i < job.track->channelCount(); ++i) {
            Sequence& source = job.track->channel(i)->sequence();
            const ClipJob::Part& part = job.parts[i];
            bool unread = false;
            if (part.copied) {
                auto clip = std::make_unique<Channel>();
                Sequence& target = clip->sequence();
                const uint32_t readFailures = BlockFile::readFailuresOnThisThread();
                // Block write failures are not reported: the copy goes on.
                forEachPiece(part.count, job.progressWindow, [&](int offset, int count) {
                    std::fill_n(buffer.get(), count, 0.0f);
                    source.readSamples(buffer.get(), part.start + offset, count);
                    target.appendSamples(buffer.get(), count);
                });
                target.flushAppend();
                // Samples that could not be read (their file changed) are neither put on
                // the clipboard as silence nor cut.
                unread = BlockFile::readFailuresOnThisThread() != readFailures;
                if (!unread) clip_[i] = std::move(clip);
            }
            if (job.cut && part.count > 0 && !unread) source.deleteRange(part.start, part.count);
        }
        clipChannelCount_ = (clip_[0] ? 1 : 0) + (clip_[1] ? 1 : 0);
        hasClipboard_ = clipChannelCount_ > 0;
    } catch (...) {
        // Out of memory: the clipboard keeps what was finished; the end is still reported.
    }
    finish(job.claim, job.track->id(), job.cut, job.progressWindow);
}

// ---------------------------------------------------------------- paste

EditEngine::PasteJob EditEngine::planPaste(Track& track, PasteMode mode) const {
    PasteJob job;
    job.mode = mode;
    job.track = &track;
    job.trackRate = track.sampleRate;
    job.clipRate = clipSampleRate_;
    const Channel& c0 = *track.channel(0);
    const Channel* c1 = otherChannel(track);
    const int start0 = std::max(c0.selStart, 0);
    using Target = PasteJob::Target;
    if (c1 && (mode == PasteMode::Insert || (c0.selectedFlag && c1->selectedFlag))) {
        // Both channels; paste keeps each channel's own start, the others use channel 0's.
        const int start1 = mode == PasteMode::Overwrite ? std::max(c1->selStart, 0) : start0;
        job.targets[0] = Target{0, start0};
        job.targets[1] = Target{1, start1};
        job.targetCount = 2;
    } else if (c1 && c1->selectedFlag) {
        job.targets[0] = Target{1, std::max(c1->selStart, 0)};
        job.targetCount = 1;
    } else {
        job.targets[0] = Target{0, start0};
        job.targetCount = 1;
    }
    if (clipChannelCount_ == 2) {
        job.left = clip_[0].get();
        job.right = clip_[1].get();
    } else {
        job.left = clip_[0] ? clip_[0].get() : clip_[1].get();
    }
    return job;
}

int EditEngine::paste(Track* track, HWND progressWindow, PasteMode mode) {
    if (!track || running_) return -1;
    TrackClaim claim = TrackClaim::tryClaim(*track);
    if (!claim) return -1;
    setTarget(track);
    if (!hasClipboard_) {
        // Nothing to write: no undo state, but the host still hears the end.
        PostMessageA(progressWindow, NotifyEditDone, 0, 0);
        return 0;
    }
    if (TrackHistory* history = UndoHistory::instance().history(track->id())) {
        history->saveState(*track);
        history->clearRedo();
    }
    PasteJob job = planPaste(*track, mode);
    job.claim = std::move(claim);
    job.progressWindow = progressWindow;
    return startWorker(std::move(job), &EditEngine::runPaste) ? 0 : -1;
}

void EditEngine::runPaste(PasteJob& job) {
    Sequence* targets[2] = {};
    try {
        // Gone before the claim is: the track may be closed once it is released.
        SpliceGuard guard;
        for (int t = 0; t < job.targetCount; ++t) {
            Sequence& s = job.track->channel(job.targets[t].channel)->sequence();
            const int position = job.targets[t].position;
            guard.watch(s);
            const int opened = job.mode == PasteMode::Insert ? s.beginInsert(position) : s.beginOverwrite(position);
            if (opened == 0) targets[t] = &s;
        }
        writePaste(job, targets);
        for (Sequence*& s : targets) {
            if (s) job.mode == PasteMode::Insert ? s->commitInsert() : s->commitOverwrite();
            s = nullptr;
        }
        // Both channels of a stereo track keep one length: the shorter one ends in silence.
        if (job.track->channelCount() == 2) {
            Sequence& a = job.track->channel(0)->sequence();
            Sequence& b = job.track->channel(1)->sequence();
            Sequence& shorter = a.length() < b.length() ? a : b;
            const int missing = std::abs(a.length() - b.length());
            if (missing > 0) shorter.insertSilence(shorter.length(), missing);
        }
    } catch (...) {
        // Out of memory: the guard takes the splices back, the track stays as it was; the
        // end is still reported.
    }
    finish(job.claim, job.track->id(), true, job.progressWindow);
}

void EditEngine::writePaste(const PasteJob& job, Sequence* (&targets)[2]) {
    float left[kChunk];
    float right[kChunk];
    float out[kChunk];
    float under[kChunk];
    PasteSource source(job.left, job.right, job.clipRate, job.trackRate);
    int64_t written = 0;
    while (source.more()) {
        const int count = source.next(left, right);
        for (int t = 0; t < job.targetCount; ++t) {
            if (!targets[t]) continue;
            // A stereo clipboard goes channel to channel into two channels and as the mean
            // of its channels into one.
            if (!job.right || job.targetCount == 2) {
                std::copy_n(t == 1 && job.right ? right : left, count, out);
            } else {
                for (int i = 0; i < count; ++i) out[i] = (left[i] + right[i]) * 0.5f;
            }
            if (job.mode == PasteMode::Mix) {
                // The splice writes new blocks only: this reads the track as it was.
                std::fill_n(under, count, 0.0f);
                targets[t]->readSamples(under, static_cast<int>(std::min<int64_t>(job.targets[t].position + written, INT32_MAX)), count);
                for (int i = 0; i < count; ++i) out[i] = std::clamp(out[i] + under[i], -1.0f, 1.0f);
            }
            // A failed write cancels that channel's splice: it stays as it was.
            if (targets[t]->writeSplice(out, count) < 0) targets[t] = nullptr;
        }
        written += count;
        postProgress(job.progressWindow, source.percentAfter(written, count));
    }
}

}  // namespace wd
