#include "effects/mix_tracks.h"

#include <algorithm>
#include <vector>

#include "model/track_list.h"

namespace wd {

bool MixTracks::run(Track* track) {
    TrackList& list = TrackList::instance();
    if (!track || list.count() < 2) return false;
    // Every track is read: none may be changed or closed meanwhile.
    for (int i = 0; i < list.count(); ++i) {
        const Track* x = list.trackAt(i);
        if (x && !claim(*x)) return false;
    }
    const bool stereo = track->channelCount() == 2;
    const float gain = stereo ? 1.0f : 0.5f;
    left_ = std::make_unique<MixBus>(track->sampleRate);
    right_ = std::make_unique<MixBus>(track->sampleRate);
    for (int i = 0; i < list.count(); ++i) {
        const Track* x = list.trackAt(i);
        if (!x || !x->channel(0)) continue;
        const bool xStereo = x->channelCount() == 2 && x->channel(1);
        left_->addSource(x->channel(0), x->sampleRate, gain);
        right_->addSource(xStereo ? x->channel(1) : x->channel(0), x->sampleRate, gain);
    }
    track_ = track;
    return startWorker();
}

bool MixTracks::process() {
    const bool stereo = track_->channelCount() == 2 && track_->channel(1);
    Sequence& first = track_->channel(0)->sequence();
    Sequence* second = stereo ? &track_->channel(1)->sequence() : nullptr;
    auto abandon = [&] {
        first.cancelSplice();
        if (second) second->cancelSplice();
        return false;
    };
    if (first.beginOverwrite(0) != 0 || (second && second->beginOverwrite(0) != 0)) return abandon();
    const int64_t longer = std::max(left_->length(), right_->length());
    std::vector<float> l(kChunk), r(kChunk);
    int64_t written = 0;
    // A bus that has ended reads nothing; the loop ends once both have.
    for (bool leftRuns = true, rightRuns = true; leftRuns || rightRuns;) {
        if (stopRequested()) return abandon();
        const int nl = leftRuns ? left_->read(l.data(), kChunk) : 0;
        const int nr = rightRuns ? right_->read(r.data(), kChunk) : 0;
        leftRuns = nl == kChunk;
        rightRuns = nr == kChunk;
        int n = nl;
        if (stereo) {
            if (nr > 0 && second->writeSplice(r.data(), nr) != nr) return abandon();
        } else {
            n = std::max(nl, nr);
            for (size_t i = 0; i < static_cast<size_t>(n); ++i) l[i] += r[i];
        }
        if (n > 0 && first.writeSplice(l.data(), n) != n) return abandon();
        written += n;
        if (longer > 0) notifyProgress(static_cast<int64_t>(static_cast<double>(written) / longer * 100 + 0.5));
    }
    if (first.commitOverwrite() != 0) return abandon();
    return !second || second->commitOverwrite() == 0;
}

}  // namespace wd
