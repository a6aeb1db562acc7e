#include "audio/recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/player.h"
#include "audio/wave_devices.h"
#include "model/sample_converter.h"
#include "model/track_list.h"
#include "services/library_windows.h"
#include "wavedeck_messages.h"
#include "wavedeck_win.h"

namespace wd {

Recorder& Recorder::instance() {
    static auto* recorder = new Recorder;
    return *recorder;
}

void Recorder::setFormat(int channels, int samplesPerSecond, int bitsPerSample) {
    format_ = WAVEFORMATEX{};
    format_.wFormatTag = WAVE_FORMAT_PCM;
    format_.nChannels = static_cast<WORD>(channels);
    format_.nSamplesPerSec = static_cast<DWORD>(samplesPerSecond);
    format_.wBitsPerSample = static_cast<WORD>(bitsPerSample);
    format_.nBlockAlign = static_cast<WORD>(bitsPerSample * channels / 8);
    format_.nAvgBytesPerSec = format_.nBlockAlign * format_.nSamplesPerSec;
}

RecordOverview* Recorder::overview(int channel) const {
    return channel == 0 || channel == 1 ? overviews_[static_cast<size_t>(channel)].get() : nullptr;
}

bool Recorder::begin() {
    // A device that would not stop still writes into the take: it cannot go.
    if (recording_.load() && !stop()) return false;
    dropTake();
    ended_.store(false);
    levelPosted_.store(false);
    recordedSamples_.store(0);
    lastPeak_.store(0);
    // A format the device refuses leaves no take behind.
    const auto device = static_cast<UINT>(WaveDevices::instance().waveIn());
    if (waveInOpen(nullptr, device, &format_, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR) return false;

    takeFormat_ = format_;
    char name[32];
    std::snprintf(name, sizeof name, "Untitle%d", takeCounter_);
    Track* track = TrackList::instance().addTrack(name, TrackList::Building::Yes);
    const int channels = takeFormat_.nChannels;
    track->setChannelCount(channels);
    track->sampleRate = static_cast<int>(takeFormat_.nSamplesPerSec);
    for (int c = 0; c < channels; ++c) track->channel(c)->viewRecord.sampleRate = track->sampleRate;
    track_ = track;
    for (int c = 0; c < channels; ++c) overviews_[static_cast<size_t>(c)] = std::make_unique<RecordOverview>();
    if (RecordDisplay* display = display_) display->setOverviews(overviews_[0].get(), overviews_[1].get());

    for (PlayBuffer& buffer : buffers_) buffer.allocate(kBufferBytes);
    converted_.assign(kBufferBytes, 0.0f);
    for (std::vector<float>& half : split_) half.assign(kBufferBytes / 2, 0.0f);
    if (waveInOpen(&device_, device, &takeFormat_, reinterpret_cast<DWORD_PTR>(&waveCallback),
                   reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        device_ = nullptr;
        dropTake();
        return false;
    }
    current_ = kBufferCount - 1;
    for (int i = 0; i < kBufferCount; ++i) queue(device_);
    recording_.store(true);
    // Levels wait for MsgRecordStarted, which waits for the device to run.
    levelPosted_.store(true);
    if (waveInStart(device_) != MMSYSERR_NOERROR) {
        if (halt()) dropTake();
        return false;
    }
    post(MsgRecordStarted);
    // What was stored meanwhile (or an end of the take) is shown now.
    levelPosted_.store(false);
    if ((recordedSamples_.load() > 0 || ended_.load()) && !levelPosted_.exchange(true) && !post(MsgRecordLevel)) {
        levelPosted_.store(false);
    }
    return true;
}

bool Recorder::stop() {
    if (!recording_.load() || !halt()) return false;
    post(MsgRecordStopped);
    return true;
}

bool Recorder::halt() {
    stopping_.store(true);
    // The reset returns the buffers still queued through the callback, which stores what
    // they hold; after the close no callback runs.
    if (waveInReset(device_) != MMSYSERR_NOERROR || waveInClose(device_) != MMSYSERR_NOERROR) {
        stopping_.store(false);
        return false;
    }
    device_ = nullptr;
    recording_.store(false);
    stopping_.store(false);
    ended_.store(false);
    for (int c = 0; c < takeFormat_.nChannels && track_; ++c) {
        if (Channel* channel = track_->channel(c)) channel->sequence().flushAppend();
    }
    for (auto& overview : overviews_) {
        if (overview) overview->finish();
    }
    return true;
}

bool Recorder::keep() {
    if (recording_.load()) return false;
    if (RecordDisplay* display = display_) display->setOverviews(nullptr, nullptr);
    for (auto& overview : overviews_) overview.reset();
    if (track_) {
        // The main window takes it over like a track read from a file.
        PostMessageA(LibraryWindows::instance().window(LibraryWindows::Which::Main), MsgImportComplete, 0,
                     reinterpret_cast<LPARAM>(track_));
        track_ = nullptr;
    }
    ++takeCounter_;
    return true;
}

bool Recorder::discard() {
    if (recording_.load()) return false;
    dropTake();
    return true;
}

void Recorder::dropTake() {
    if (RecordDisplay* display = display_) display->setOverviews(nullptr, nullptr);
    if (track_) {
        // The player reads the take it plays back: it stops before the track goes.
        Player::instance().stopPlayingTrack(track_);
        TrackList::instance().removeTrack(track_);
        track_ = nullptr;
    }
    for (auto& overview : overviews_) overview.reset();
}

bool Recorder::post(UINT message) const {
    RecordDisplay* display = display_;
    return display && PostMessageA(display->window(), message, 0, 0);
}

void CALLBACK Recorder::waveCallback(void* handle, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    auto* recorder = reinterpret_cast<Recorder*>(instance);
    if (message != WIM_DATA || !recorder || !handle) return;
    recorder->bufferDone(static_cast<HWAVEIN>(handle), reinterpret_cast<WAVEHDR*>(param1));
}

void Recorder::bufferDone(HWAVEIN device, WAVEHDR* header) {
    if (!header || !(header->dwFlags & WHDR_DONE)) return;
    header->dwFlags = 0;
    if (waveInUnprepareHeader(device, header, sizeof *header) != MMSYSERR_NOERROR) return;
    const DWORD bytes = header->dwBytesRecorded;
    const bool full = bytes >= header->dwBufferLength;
    if (ended_.load()) return;
    // Only a stop returns a buffer before it is full; otherwise the device went away.
    bool ended = !full && !stopping_.load();
    if (bytes > 0 && !store(reinterpret_cast<const BYTE*>(header->lpData), static_cast<int>(bytes))) ended = true;
    if (ended) ended_.store(true);
    if ((bytes > 0 || ended) && !levelPosted_.exchange(true) && !post(MsgRecordLevel)) levelPosted_.store(false);
    if (full && !ended) queue(device);
}

bool Recorder::store(const BYTE* data, int bytes) {
    const int channels = takeFormat_.nChannels;
    int samples = 0;
    if (takeFormat_.wBitsPerSample == 8) {
        samples = bytes;
        SampleConverter::pcm8ToFloat(data, samples, converted_.data());
    } else if (takeFormat_.wBitsPerSample == 16) {
        samples = bytes / 2;
        SampleConverter::pcm16ToFloat(reinterpret_cast<const int16_t*>(data), samples * 2, converted_.data());
    } else {
        return true;  // no other depth is ever opened
    }
    const int frames = samples / channels;
    float peak = 0.0f;
    for (int i = 0; i < frames * channels; ++i) peak = std::max(peak, std::abs(converted_[static_cast<size_t>(i)]));
    try {
        for (int c = 0; c < channels; ++c) {
            const float* samplesOfChannel = converted_.data();
            if (channels == 2) {
                std::vector<float>& half = split_[static_cast<size_t>(c)];
                for (int i = 0; i < frames; ++i) half[static_cast<size_t>(i)] = converted_[static_cast<size_t>(2 * i + c)];
                samplesOfChannel = half.data();
            }
            if (track_->channel(c)->sequence().appendSamples(samplesOfChannel, frames) != frames) return false;
            overviews_[static_cast<size_t>(c)]->feed(samplesOfChannel, frames);
        }
    } catch (...) {
        return false;  // no memory for the staging buffer
    }
    recordedSamples_.fetch_add(frames);
    lastPeak_.store(static_cast<int>(std::min(peak, 1.0f) * 32767.0f));
    return true;
}

bool Recorder::queue(HWAVEIN device) {
    current_ = (current_ + 1) % kBufferCount;
    PlayBuffer& buffer = buffers_[static_cast<size_t>(current_)];
    WAVEHDR& header = buffer.header();
    if (!header.lpData) header.lpData = reinterpret_cast<LPSTR>(buffer.samples());
    header.dwBufferLength = static_cast<DWORD>(buffer.capacity());
    header.dwBytesRecorded = 0;
    header.dwUser = reinterpret_cast<DWORD_PTR>(this);
    return waveInPrepareHeader(device, &header, sizeof header) == MMSYSERR_NOERROR &&
           waveInAddBuffer(device, &header, sizeof header) == MMSYSERR_NOERROR;
}

}  // namespace wd
