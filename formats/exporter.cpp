#include "formats/exporter.h"

#include <algorithm>
#include <system_error>

#include "model/journal.h"
#include "services/library_windows.h"
#include "wavedeck_messages.h"

namespace wd {

Exporter::~Exporter() { Cancel(); }

bool Exporter::SetTrack(Track* t) {
    if (!t) return false;
    track = t;
    return true;
}

bool Exporter::SetProgressWindow(HWND window) {
    if (!IsWindow(window)) return false;
    progressWindow = window;
    return true;
}

HWND Exporter::finalWindow() const {
    return batchMode ? batchWindow : LibraryWindows::instance().window(LibraryWindows::Which::Main);
}

HWND Exporter::mainWindow() { return LibraryWindows::instance().window(LibraryWindows::Which::Main); }

void Exporter::setFailure(FileProblem reason) {
    int none = static_cast<int>(FileProblem::None);
    failure_.compare_exchange_strong(none, static_cast<int>(reason));
}

void Exporter::releaseTrack() {
    snapshot_.reset();
    for (auto& samples : ahead_) samples = {};
    aheadFrom_ = 0;
}

void Exporter::reportFailure(bool selection, FileProblem reason) {
    releaseTrack();
    setFailure(reason);
    PostMessageA(progressWindow, NotifySaveFailed, 0, 0);
    PostMessageA(selection ? mainWindow() : finalWindow(), MsgSaveFailed, 0, 0);
}

void Exporter::reportEnd(bool selection, bool failed, bool wasCancelled, bool progressFirst) {
    releaseTrack();
    if (failed) {
        reportFailure(selection);
        return;
    }
    HWND endWindow = selection ? mainWindow() : finalWindow();
    if (wasCancelled) {
        PostMessageA(endWindow, MsgSaveCancelled, 0, 0);
        return;
    }
    // The saved file and the edits before it survive a power cut together.
    Journal::instance().flush();
    if (progressFirst) PostMessageA(progressWindow, NotifySaveDone, 0, 0);
    PostMessageA(endWindow, MsgSaveComplete, 0, 0);
    if (!progressFirst) PostMessageA(progressWindow, NotifySaveDone, 0, 0);
}

bool Exporter::SaveAll() { return start(1); }
bool Exporter::SaveSelection() { return start(2); }

bool Exporter::start(int newMode) {
    // A save still running for this object is finished first: the worker must not be
    // replaced under itself.
    Cancel();
    if (!track) {
        reportFailure(newMode == 2);
        return false;
    }
    releaseTrack();
    snapshot_ = std::make_unique<Track>();
    snapshot_->assignFrom(track);
    failure_ = static_cast<int>(FileProblem::None);
    mode = newMode;
    cancelled = false;
    try {
        thread_ = std::thread([this, newMode] {
            if (newMode == 1) {
                runWholeTrack();
            } else {
                runSelection();
            }
        });
    } catch (const std::system_error&) {
        cancelled = true;
        mode = 0;
        reportFailure(newMode == 2);
        return false;
    }
    return true;
}

bool Exporter::Cancel() {
    // A running worker notices the flag between blocks; one that has ended is joined.
    cancelled = true;
    joinWorker();
    return true;
}

void Exporter::joinWorker() {
    if (thread_.joinable()) thread_.join();
    mode = 0;
}

ExportRange Exporter::selectionRange(const Track& t) {
    ExportRange r;
    const Channel* c0 = t.channel(0);
    const Channel* c1 = t.channel(1);
    bool stereo = t.channelCount() == 2 && c0 && c1;
    r.sourceChannel = (stereo && !c0->selectedFlag) ? 1 : 0;
    const Channel* source = t.channel(r.sourceChannel);
    if (!source) return {};
    int length = t.length();
    r.start = std::clamp(source->selStart, 0, length);
    r.count = std::max(0, source->selLength);
    if (static_cast<int64_t>(r.start) + r.count > length) r.count = length - r.start;
    r.channels = (stereo && c0->selectedFlag && c1->selectedFlag) ? 2 : 1;
    return r;
}

ExportRange Exporter::wholeTrackRange(const Track& t) {
    ExportRange r;
    r.count = t.length();
    r.channels = t.channelCount() > 1 ? 2 : 1;
    return r;
}

void Exporter::readBlock(const ExportRange& range, int done, int count, float* first, float* second) {
    constexpr int kAhead = 65536;
    const bool cached = done >= aheadFrom_ && done + count <= aheadFrom_ + static_cast<int>(ahead_[0].size());
    if (!cached) {
        const Track& t = snapshot();
        const int n = std::max(count, std::min(kAhead, range.count - done));
        const Channel* sources[2] = {t.channel(range.channels == 2 ? 0 : range.sourceChannel),
                                     range.channels == 2 ? t.channel(1) : nullptr};
        for (int c = 0; c < 2; ++c) {
            ahead_[c].assign(static_cast<size_t>(n), 0.0f);
            if (sources[c]) sources[c]->sequence().readSamples(ahead_[c].data(), range.start + done, n);
        }
        aheadFrom_ = done;
    }
    const auto at = static_cast<size_t>(done - aheadFrom_);
    std::copy_n(ahead_[0].begin() + static_cast<long>(at), count, first);
    if (second) std::copy_n(ahead_[1].begin() + static_cast<long>(at), count, second);
    if (done + count >= range.count) {
        for (auto& samples : ahead_) samples = {};  // the last block: nothing more to read
    }
}

}  // namespace wd
