#include "effects/copy_to_new_track.h"

#include <atomic>
#include <cstdio>
#include <vector>

#include "effects/windowed_reader.h"
#include "model/track_list.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace wd {
namespace {

// The number of the next copy's name: 1 to 999, then 1 again.
int nextCopyNumber() {
    static std::atomic<int> last{0};
    int previous = last.load();
    int next = 0;
    do {
        next = previous >= 999 ? 1 : previous + 1;
    } while (!last.compare_exchange_weak(previous, next));
    return next;
}

}  // namespace

Effect::Plan CopyToNewTrack::plan() {
    const Channel* first = track_->channel(0);
    return first && selectionSize(*first) > 0 ? Plan::Work : Plan::Nothing;
}

bool CopyToNewTrack::process() {
    const Channel& first = *track_->channel(0);
    const Channel* second = track_->channelCount() == 2 ? track_->channel(1) : nullptr;
    const int start = first.selStart;
    const int count = selectionSize(first);
    const Channel* from[2] = {&first, second};
    int channels = 2;
    if (!second || !first.selectedFlag || !second->selectedFlag) {
        channels = 1;
        if (!first.selectedFlag && second) from[0] = second;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Selection_%03d", nextCopyNumber());
    TrackList& list = TrackList::instance();
    Track* copy = list.addTrack(name);
    copy->setChannelCount(channels);
    copy->sampleRate = track_->sampleRate;
    std::vector<float> buffer(kChunk);
    bool ok = true;
    for (int c = 0; c < channels && ok; ++c) {
        Channel& to = *copy->channel(c);
        WindowedReader reader(from[c]->sequence());
        to.viewRecord.sampleRate = track_->sampleRate;
        for (int copied = 0; ok && copied < count;) {
            const int want = std::min(kChunk, count - copied);
            const int got = reader.read(buffer.data(), start + copied, want);
            ok = got == 0 || to.sequence().appendSamples(buffer.data(), got) == got;
            copied += got;
            notifyProgress(static_cast<int64_t>(copied) * 100 / count);
            ok = ok && !stopRequested();
            if (got < want) break;
        }
        ok = ok && to.sequence().flushAppend() >= 0;
    }
    if (!ok) {
        list.removeTrack(copy);
        return false;
    }
    copy_ = copy;
    return true;
}

void CopyToNewTrack::postEnd(HWND mainWindow) {
    // A stop that came after the last chunk still leaves no copy behind.
    if (copy_ && stopped()) {
        TrackList::instance().removeTrack(copy_);
        copy_ = nullptr;
    }
    if (copy_) PostMessageA(mainWindow, MsgImportComplete, 0, reinterpret_cast<LPARAM>(copy_));
    PostMessageA(mainWindow, MsgEffectFinished, 0, reinterpret_cast<LPARAM>(this));
}

}  // namespace wd
