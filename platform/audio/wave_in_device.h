// A wave-in handle: fills queued headers from an input stream.
#pragma once

#include <memory>

#include "platform/audio/audio_input_stream.h"
#include "platform/audio/wave_device.h"

namespace wd {

/** See winmm.h for the contract of each call; threads as in WaveDevice. */
class WaveInDevice final : public WaveDevice {
public:
    WaveInDevice(HWAVEIN handle, std::unique_ptr<AudioInputStream> stream, WAVECALLBACK callback, DWORD_PTR instance,
                 const WAVEFORMATEX& format);
    ~WaveInDevice() override;

    MMRESULT addBuffer(WAVEHDR* header, UINT size);
    MMRESULT startRecording() { return request(Request::Start); }
    MMRESULT stop() { return request(Request::Stop); }
    MMRESULT reset() { return request(Request::Reset); }

private:
    MMRESULT handle(Request request, std::unique_lock<std::mutex>& lock) override;
    bool work(std::unique_lock<std::mutex>& lock) override;
    void interruptStream() override { stream_->interrupt(); }
    void clearStreamInterrupt() override { stream_->clearInterrupt(); }
    /** @returns false when the stream would not stop (it goes on recording). */
    bool halt();

    std::unique_ptr<AudioInputStream> stream_;
    bool recording_ = false;
};

}  // namespace wd
