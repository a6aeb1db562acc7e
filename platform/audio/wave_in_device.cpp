#include "platform/audio/wave_in_device.h"

namespace wd {

WaveInDevice::WaveInDevice(HWAVEIN handle, std::unique_ptr<AudioInputStream> stream, WAVECALLBACK callback,
                           DWORD_PTR instance, const WAVEFORMATEX& format)
    : WaveDevice(handle, callback, instance, format.nBlockAlign, WIM_OPEN, WIM_CLOSE, WIM_DATA),
      stream_(std::move(stream)) {}

WaveInDevice::~WaveInDevice() = default;

MMRESULT WaveInDevice::addBuffer(WAVEHDR* header, UINT size) {
    if (header && size >= sizeof(WAVEHDR) && !(header->dwFlags & WHDR_INQUEUE)) header->dwBytesRecorded = 0;
    return queueHeader(header, size);
}

bool WaveInDevice::halt() {
    if (!recording_) return true;
    if (!stream_->stop()) return false;
    recording_ = false;
    return true;
}

MMRESULT WaveInDevice::handle(Request request, std::unique_lock<std::mutex>& lock) {
    switch (request) {
        case Request::Start:
            if (!recording_ && !failed_) {
                if (!stream_->start()) return MMSYSERR_ERROR;
                recording_ = true;
            }
            break;
        case Request::Stop:
            if (!halt()) return MMSYSERR_ERROR;
            // The buffer being filled comes back with what it holds; empty ones stay.
            if (!queue_.empty() && progress_ > 0) {
                WAVEHDR* header = queue_.front();
                queue_.pop_front();
                header->dwBytesRecorded = progress_;
                progress_ = 0;
                finish({header}, lock);
            }
            break;
        case Request::Reset:
            if (!halt()) return MMSYSERR_ERROR;
            finishAll(lock, progress_);
            break;
        default:
            break;
    }
    return MMSYSERR_NOERROR;
}

bool WaveInDevice::work(std::unique_lock<std::mutex>& lock) {
    if (!failed_ && stream_->failed()) {
        failed_ = true;
        recording_ = false;
        finishAll(lock, progress_);
        return true;
    }
    if (!recording_ || failed_ || queue_.empty()) return false;
    WAVEHDR* header = queue_.front();
    BYTE* data = reinterpret_cast<BYTE*>(header->lpData) + progress_;
    size_t room = header->dwBufferLength - progress_;
    lock.unlock();
    size_t got = stream_->read(data, room);
    lock.lock();
    progress_ += static_cast<DWORD>(got);
    if (progress_ >= header->dwBufferLength) {
        queue_.pop_front();
        header->dwBytesRecorded = progress_;
        progress_ = 0;
        finish({header}, lock);
    }
    return true;
}

}  // namespace wd
