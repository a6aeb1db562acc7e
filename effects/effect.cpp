#include "effects/effect.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <system_error>
#include <vector>

#include "effects/windowed_reader.h"
#include "model/track.h"
#include "model/undo_history.h"
#include "platform/messages/message_run.h"
#include "services/library_windows.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace wd {
namespace {

// Chunks whose progress messages go to the progress window together.
constexpr size_t kProgressRun = 64;

// The effects that can still be stopped, by the id of the track they work on (a track
// runs one effect at a time: it is claimed).
struct RunningEffects {
    std::mutex mutex;
    std::map<uint32_t, Effect*> byTrack;
};

RunningEffects& runningEffects() {
    static auto* running = new RunningEffects;
    return *running;
}

}  // namespace

Effect::Effect(int kind) : kind_(kind) {}

Effect::~Effect() {
    if (worker_.joinable()) worker_.join();
}

bool Effect::setParameters(const void*) {
    return true;
}

bool Effect::run(Track* track) {
    if (!track || !claim(*track)) return false;
    track_ = track;
    return startWorker();
}

bool Effect::claim(const Track& track) {
    TrackClaim claim = TrackClaim::tryClaim(track);
    if (!claim) return false;
    claims_.push_back(std::move(claim));
    return true;
}

std::string& Effect::getName(std::string& out) const {
    out = name_;
    return out;
}

HWND Effect::setProgressWindow(HWND window) {
    progressWindow_ = window;
    return window;
}

void Effect::complete(Track&) {}

float Effect::floatWord(const void* block, int index) {
    float value = 0;
    std::memcpy(&value, static_cast<const char*>(block) + 4 * index, sizeof value);
    return value;
}

int32_t Effect::intWord(const void* block, int index) {
    int32_t value = 0;
    std::memcpy(&value, static_cast<const char*>(block) + 4 * index, sizeof value);
    return value;
}

bool Effect::stopOn(uint32_t trackId) {
    RunningEffects& running = runningEffects();
    std::lock_guard lock(running.mutex);
    const auto found = running.byTrack.find(trackId);
    if (found == running.byTrack.end()) return false;
    found->second->stopRequested_ = true;
    return true;
}

bool Effect::leaveRunning() {
    RunningEffects& running = runningEffects();
    std::lock_guard lock(running.mutex);
    running.byTrack.erase(trackId_);
    return stopRequested_.load();
}

bool Effect::startWorker() {
    mainWindow_ = LibraryWindows::instance().window(LibraryWindows::Which::Main);
    if (!IsWindow(mainWindow_)) mainWindow_ = nullptr;
    trackId_ = track_->id();
    for (int i = 0; i < 2; ++i) {
        const Channel* c = i < track_->channelCount() ? track_->channel(i) : nullptr;
        selection_[i] = c ? Selection{c->selectedFlag, c->selStart, c->selLength} : Selection{};
    }
    {
        RunningEffects& running = runningEffects();
        std::lock_guard lock(running.mutex);
        running.byTrack[trackId_] = this;
    }
    // The worker waits for this lock, so the thread is in place (or detached) before it acts.
    std::lock_guard lock(starting_);
    try {
        worker_ = std::thread(&Effect::work, this);
    } catch (const std::system_error&) {
        leaveRunning();
        claims_.clear();
        return false;
    }
    // Without a main window nothing will hand the effect back: the worker deletes it.
    if (!mainWindow_) worker_.detach();
    return true;
}

void Effect::work() {
    { std::lock_guard lock(starting_); }
    bool done = false;
    TrackHistory* history = nullptr;
    switch (plan()) {
        case Plan::Refuse:
            break;
        case Plan::Nothing:
            done = true;
            break;
        case Plan::Work:
            history = changesTrack() ? UndoHistory::instance().history(track_->id()) : nullptr;
            if (history) history->saveState(*track_);
            done = runProcess();
            break;
    }
    // A stop asked for up to here wins even over finished work: the caller was told it would stop.
    stopped_ = leaveRunning();
    if (stopped_) {
        if (history) history->withdrawState(*track_);
        done = false;
    } else if (history) {
        history->clearRedo();
    }
    done_ = done;
    if (mainWindow_) {
        // The claims go with the effect, once the main window has put the result in place.
        for (const TrackClaim& claim : claims_) claim.settle();
        postEnd(mainWindow_);
    } else {
        claims_.clear();
        PostMessageA(progressWindow_, NotifyEffectDone, done ? 1 : 0, 100);
        delete this;
    }
}

bool Effect::runProcess() {
    // However process() leaves, no splice of the track stays open.
    SpliceGuard guard;
    try {
        for (int i = 0; i < track_->channelCount(); ++i) {
            if (Channel* c = track_->channel(i)) guard.watch(c->sequence());
        }
        return process();
    } catch (const std::exception&) {
        return false;  // out of memory, or a library that gave up
    }
}

void Effect::postEnd(HWND mainWindow) {
    PostMessageA(mainWindow, MsgEffectFinished, reinterpret_cast<WPARAM>(track_), reinterpret_cast<LPARAM>(this));
}

void Effect::notifyProgress(int64_t percent) const {
    PostMessageA(progressWindow_, NotifyEffectProgress, 0, static_cast<LPARAM>(percent));
}

int Effect::channelRate(int index) const {
    const Channel* c = track_->channel(index);
    return c && c->viewRecord.sampleRate > 0 ? c->viewRecord.sampleRate : track_->sampleRate;
}

bool Effect::selectedFlag(int index) const {
    return selection_[index].selected;
}

int Effect::selectionStart(int index) const {
    return selection_[index].start;
}

int Effect::selectionSize(int index) const {
    const Channel* c = index < track_->channelCount() ? track_->channel(index) : nullptr;
    if (!c) return 0;
    const Selection& s = selection_[index];
    const int64_t available = static_cast<int64_t>(c->sequence().length()) - s.start;
    if (s.start < 0 || available <= 0) return 0;
    return static_cast<int>(std::clamp<int64_t>(s.length, 0, available));
}

Channel* Effect::selectedChannel(int index) const {
    if (!selectedFlag(index) || selectionSize(index) == 0) return nullptr;
    return track_->channel(index);
}

bool Effect::carryOn(Sequence& sequence) const {
    if (!stopRequested()) return true;
    sequence.cancelSplice();
    return false;
}

bool Effect::readForSplice(WindowedReader& reader, Sequence& sequence, float* dst, int position, int n) {
    if (reader.read(dst, position, n) == n) return true;
    sequence.cancelSplice();
    return false;
}

bool Effect::overwriteSelection(Channel& channel, int start, int count, const ChunkFunction& process, Order order) {
    Sequence& sequence = channel.sequence();
    if (sequence.beginOverwrite(start) != 0) return false;
    WindowedReader reader(sequence);
    std::vector<float> buffer(kChunk);
    const int full = count > kChunk ? ((count - kChunk - 1) >> 10) + 1 : 0;
    // A chunk takes about a microsecond: its message is posted with those of the chunks
    // around it, not with a wake-up of the user-interface thread each.
    MessageRun progress(progressWindow_, NotifyEffectProgress, 0, kProgressRun);
    for (int i = 0, offset = 0; offset < count; ++i) {
        const int n = std::min(kChunk, count - offset);
        const int from = order == Order::Forward ? start + offset : start + count - offset - n;
        if (!carryOn(sequence) || !readForSplice(reader, sequence, buffer.data(), from, n)) return false;
        process(buffer.data(), n, offset);
        if (sequence.writeSplice(buffer.data(), n) != n) return false;
        offset += n;
        if (i < full) progress.add(static_cast<LPARAM>(static_cast<int64_t>(i + 1) * 102400 / count));
    }
    progress.flush();
    if (sequence.commitOverwrite() != 0) return false;
    notifyProgress(static_cast<int64_t>(full) * kChunk * 100 / count);
    return true;
}

bool Effect::overwriteSelectedChannels(const std::function<void(int index, int count)>& begin,
                                       const ChunkFunction& process, Order order) {
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        Channel* c = selectedChannel(i);
        if (!c) continue;
        const int count = selectionSize(i);
        begin(i, count);
        ok = overwriteSelection(*c, selectionStart(i), count, process, order) && ok;
    }
    return ok;
}

Effect::Plan Effect::planForSelection() const {
    return selectedChannel(0) || selectedChannel(1) ? Plan::Work : Plan::Nothing;
}

}  // namespace wd
