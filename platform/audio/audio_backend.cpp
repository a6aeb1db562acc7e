#include "platform/audio/audio_backend.h"

#include <cstdlib>
#include <cstring>

#include "platform/audio/null_audio_backend.h"
#include "platform/audio/pulse_audio_backend.h"

namespace wd {
namespace {

AudioBackend* chooseBackend() {
    const char* forced = std::getenv("WAVEDECK_AUDIO");
    if (forced && std::strcmp(forced, "null") == 0) return new NullAudioBackend;
    // Forced pulse stays pulse without a server: it then offers no devices, and connects
    // when a server appears.
    if (forced && std::strcmp(forced, "pulse") == 0) return new PulseAudioBackend;
    auto* pulse = new PulseAudioBackend;
    if (pulse->connected()) return pulse;
    delete pulse;
    return new NullAudioBackend;
}

}  // namespace

AudioBackend& AudioBackend::instance() {
    static AudioBackend* backend = chooseBackend();
    return *backend;
}

void AudioBackend::setMixerListener(std::function<void(const MixerChange&)> listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

void AudioBackend::notifyMixer(const MixerChange& change) {
    std::function<void(const MixerChange&)> listener;
    {
        std::lock_guard lock(listenerMutex_);
        listener = listener_;
    }
    if (listener) listener(change);
}

}  // namespace wd
