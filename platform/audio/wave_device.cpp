#include "platform/audio/wave_device.h"

namespace wd {

WaveDevice::WaveDevice(void* handle, WAVECALLBACK callback, DWORD_PTR instance, WORD blockAlign, UINT openMessage,
                       UINT closeMessage, UINT doneMessage)
    : handle_(handle),
      callback_(callback),
      instance_(instance),
      blockAlign_(blockAlign),
      openMessage_(openMessage),
      closeMessage_(closeMessage),
      doneMessage_(doneMessage) {}

WaveDevice::~WaveDevice() {
    // A device that was never closed (its opener failed half-way) still ends its thread.
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            queue_.clear();
        }
        close();
    }
}

void WaveDevice::start() {
    // The lock makes run() wait until driverId_ is set.
    std::lock_guard lock(mutex_);
    thread_ = std::thread([this] { run(); });
    driverId_ = thread_.get_id();
}

MMRESULT WaveDevice::prepare(WAVEHDR* header, UINT size) {
    if (!header || size < sizeof(WAVEHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::unprepare(WAVEHDR* header, UINT size) {
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::queueHeader(WAVEHDR* header, UINT size) {
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    if (failed_) return MMSYSERR_NODRIVER;
    if (closing_) return MMSYSERR_INVALHANDLE;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    header->lpNext = nullptr;
    queue_.push_back(header);
    cv_.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT WaveDevice::request(Request request) {
    std::unique_lock lock(mutex_);
    if (closing_) return MMSYSERR_INVALHANDLE;
    if (onDriverThread()) {
        if (request == Request::Close) return MMSYSERR_ERROR;
        return handle(request, lock);
    }
    if (request == Request::Close) {
        if (!queue_.empty()) return WAVERR_STILLPLAYING;
        // From here on every other call is refused, so exactly one caller joins.
        closing_ = true;
    }
    requests_.push_back(request);
    uint64_t ticket = ++requested_;
    interruptStream();
    cv_.notify_all();
    cv_.wait(lock, [&] { return handled_ >= ticket; });
    const auto refused = refusals_.find(ticket);
    if (refused == refusals_.end()) return MMSYSERR_NOERROR;
    const MMRESULT result = refused->second;
    refusals_.erase(refused);
    return result;
}

MMRESULT WaveDevice::close() {
    MMRESULT result = request(Request::Close);
    if (result != MMSYSERR_NOERROR) return result;
    thread_.join();
    return MMSYSERR_NOERROR;
}

void WaveDevice::finish(const std::vector<WAVEHDR*>& headers, std::unique_lock<std::mutex>& lock) {
    for (WAVEHDR* header : headers) header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    for (WAVEHDR* header : headers) send(doneMessage_, header, lock);
}

void WaveDevice::finishAll(std::unique_lock<std::mutex>& lock, DWORD firstBytes) {
    std::vector<WAVEHDR*> headers(queue_.begin(), queue_.end());
    queue_.clear();
    progress_ = 0;
    for (size_t i = 0; i < headers.size(); ++i) headers[i]->dwBytesRecorded = i == 0 ? firstBytes : 0;
    finish(headers, lock);
}

void WaveDevice::send(UINT message, WAVEHDR* header, std::unique_lock<std::mutex>& lock) {
    if (!callback_) return;
    lock.unlock();
    callback_(handle_, message, instance_, reinterpret_cast<DWORD_PTR>(header), 0);
    lock.lock();
}

void WaveDevice::run() {
    std::unique_lock lock(mutex_);
    send(openMessage_, nullptr, lock);
    for (;;) {
        clearStreamInterrupt();
        bool end = false;
        while (!requests_.empty()) {
            Request next = requests_.front();
            requests_.pop_front();
            if (next == Request::Close) {
                end = true;
            } else if (const MMRESULT result = handle(next, lock); result != MMSYSERR_NOERROR) {
                refusals_[handled_ + 1] = result;
            }
            ++handled_;
            cv_.notify_all();
        }
        if (end) break;
        if (!work(lock)) cv_.wait(lock);
    }
    send(closeMessage_, nullptr, lock);
}

}  // namespace wd
