// A wave-out handle: plays queued headers through an output stream.
#pragma once

#include <memory>

#include "platform/audio/audio_output_stream.h"
#include "platform/audio/wave_device.h"

namespace wd {

/** See winmm.h for the contract of each call; threads as in WaveDevice. */
class WaveOutDevice final : public WaveDevice {
public:
    WaveOutDevice(HWAVEOUT handle, std::unique_ptr<AudioOutputStream> stream, WAVECALLBACK callback,
                  DWORD_PTR instance, WORD blockAlign);
    ~WaveOutDevice() override;

    MMRESULT write(WAVEHDR* header, UINT size) { return queueHeader(header, size); }
    MMRESULT pause() { return request(Request::Pause); }
    MMRESULT restart() { return request(Request::Restart); }
    MMRESULT reset() { return request(Request::Reset); }

private:
    void handle(Request request, std::unique_lock<std::mutex>& lock) override;
    bool work(std::unique_lock<std::mutex>& lock) override;
    void interruptStream() override { stream_->interrupt(); }
    void clearStreamInterrupt() override { stream_->clearInterrupt(); }

    std::unique_ptr<AudioOutputStream> stream_;
    bool paused_ = false;
};

}  // namespace wd
