#include "platform/audio/wave_out_device.h"

#include <algorithm>

namespace wd {

WaveOutDevice::WaveOutDevice(HWAVEOUT handle, std::unique_ptr<AudioOutputStream> stream, WAVECALLBACK callback,
                             DWORD_PTR instance, const WAVEFORMATEX& format)
    : WaveDevice(handle, callback, instance, format.nBlockAlign, WOM_OPEN, WOM_CLOSE, WOM_DONE),
      stream_(std::move(stream)),
      bytesPerSlice_(std::max<size_t>(format.nAvgBytesPerSec / 50 / format.nBlockAlign, 1) * format.nBlockAlign) {}

WaveOutDevice::~WaveOutDevice() = default;

MMRESULT WaveOutDevice::handle(Request request, std::unique_lock<std::mutex>& lock) {
    switch (request) {
        case Request::Pause:
            paused_ = true;
            stream_->setPaused(true);
            break;
        case Request::Restart:
            paused_ = false;
            stream_->setPaused(false);
            break;
        case Request::Reset:
            stream_->discard();
            finishQueued(lock);
            break;
        default:
            break;
    }
    return MMSYSERR_NOERROR;
}

void WaveOutDevice::finishQueued(std::unique_lock<std::mutex>& lock) {
    ends_.clear();
    finishAll(lock, 0);
}

bool WaveOutDevice::finishHeard(std::unique_lock<std::mutex>& lock) {
    if (ends_.empty()) return false;
    lock.unlock();
    const uint64_t unheard = stream_->unheard();
    lock.lock();
    const uint64_t heard = written_ - std::min<uint64_t>(unheard, written_);
    std::vector<WAVEHDR*> done;
    // Only this thread takes headers off the queue, so the written ones are still first.
    while (!ends_.empty() && ends_.front() <= heard) {
        ends_.pop_front();
        done.push_back(queue_.front());
        queue_.pop_front();
    }
    finish(done, lock);
    return !done.empty();
}

bool WaveOutDevice::work(std::unique_lock<std::mutex>& lock) {
    if (!failed_ && stream_->failed()) {
        // The server went away: everything queued comes back, later writes are refused.
        failed_ = true;
        finishQueued(lock);
        return true;
    }
    if (paused_ || failed_ || queue_.empty()) return false;
    if (finishHeard(lock)) return true;
    if (ends_.size() < queue_.size()) {
        // At most a slice at a time, so headers heard meanwhile come back in good time.
        WAVEHDR* header = queue_[ends_.size()];
        const BYTE* data = reinterpret_cast<const BYTE*>(header->lpData) + progress_;
        const size_t size = std::min<size_t>(header->dwBufferLength - progress_, bytesPerSlice_);
        lock.unlock();
        const size_t taken = stream_->write(data, size);
        lock.lock();
        progress_ += static_cast<DWORD>(taken);
        written_ += taken;
        if (progress_ >= header->dwBufferLength) {
            progress_ = 0;
            ends_.push_back(written_);
        }
        return true;
    }
    // Everything queued is with the stream: wait until it has all been heard.
    lock.unlock();
    const bool heard = stream_->drain();
    lock.lock();
    if (heard && !ends_.empty()) {
        std::vector<WAVEHDR*> done(queue_.begin(), queue_.begin() + static_cast<long>(ends_.size()));
        queue_.erase(queue_.begin(), queue_.begin() + static_cast<long>(ends_.size()));
        ends_.clear();
        finish(done, lock);
    }
    return true;
}

}  // namespace wd
