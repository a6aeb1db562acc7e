// A wave-out handle: plays queued headers through an output stream.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "platform/audio/audio_output_stream.h"
#include "platform/audio/wave_device.h"

namespace wd {

/**
 * See winmm.h for the contract of each call; threads as in WaveDevice. A header comes
 * back done once its last byte has been heard, not when the stream took it, so a caller
 * that closes the device on the last header's return loses nothing of it.
 */
class WaveOutDevice final : public WaveDevice {
public:
    WaveOutDevice(HWAVEOUT handle, std::unique_ptr<AudioOutputStream> stream, WAVECALLBACK callback,
                  DWORD_PTR instance, const WAVEFORMATEX& format);
    ~WaveOutDevice() override;

    MMRESULT write(WAVEHDR* header, UINT size) { return queueHeader(header, size); }
    MMRESULT pause() { return request(Request::Pause); }
    MMRESULT restart() { return request(Request::Restart); }
    MMRESULT reset() { return request(Request::Reset); }

private:
    MMRESULT handle(Request request, std::unique_lock<std::mutex>& lock) override;
    bool work(std::unique_lock<std::mutex>& lock) override;
    void interruptStream() override { stream_->interrupt(); }
    void clearStreamInterrupt() override { stream_->clearInterrupt(); }
    /** Returns, oldest first, the written headers whose last byte has been heard.
     * @returns whether one came back. */
    bool finishHeard(std::unique_lock<std::mutex>& lock);
    /** Returns every queued header (a reset, a failure). */
    void finishQueued(std::unique_lock<std::mutex>& lock);

    std::unique_ptr<AudioOutputStream> stream_;
    /** Whole frames of 20 ms: the most handed to the stream at once. */
    size_t bytesPerSlice_;
    bool paused_ = false;
    /** Bytes handed to the stream since the device was opened. */
    uint64_t written_ = 0;
    /** The first `ends_.size()` queued headers are wholly with the stream; each entry is
     * the value of written_ after that header's last byte. progress_ counts the bytes of
     * the next header handed over so far. */
    std::deque<uint64_t> ends_;
};

}  // namespace wd
