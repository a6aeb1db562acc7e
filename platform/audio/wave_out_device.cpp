#include "platform/audio/wave_out_device.h"

namespace wd {

WaveOutDevice::WaveOutDevice(HWAVEOUT handle, std::unique_ptr<AudioOutputStream> stream, WAVECALLBACK callback,
                             DWORD_PTR instance, WORD blockAlign)
    : WaveDevice(handle, callback, instance, blockAlign, WOM_OPEN, WOM_CLOSE, WOM_DONE), stream_(std::move(stream)) {}

WaveOutDevice::~WaveOutDevice() = default;

void WaveOutDevice::handle(Request request, std::unique_lock<std::mutex>& lock) {
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
            finishAll(lock, 0);
            break;
        default:
            break;
    }
}

bool WaveOutDevice::work(std::unique_lock<std::mutex>& lock) {
    if (!failed_ && stream_->failed()) {
        // The server went away: everything queued comes back, later writes are refused.
        failed_ = true;
        finishAll(lock, 0);
        return true;
    }
    if (paused_ || failed_ || queue_.empty()) return false;
    WAVEHDR* header = queue_.front();
    const BYTE* data = reinterpret_cast<const BYTE*>(header->lpData) + progress_;
    size_t remaining = header->dwBufferLength - progress_;
    lock.unlock();
    size_t taken = stream_->write(data, remaining);
    lock.lock();
    // Only this thread takes headers off the queue, so the header is still first.
    progress_ += static_cast<DWORD>(taken);
    if (progress_ >= header->dwBufferLength) {
        queue_.pop_front();
        progress_ = 0;
        finish({header}, lock);
    }
    return true;
}

}  // namespace wd
