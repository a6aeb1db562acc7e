// Helpers for tests on the null audio backend: access to it, PCM formats, and a
// recorder of wave callbacks that tests wait on with deadlines.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include "platform/audio/audio_backend.h"
#include "platform/audio/null_audio_backend.h"
#include "platform/audio/winmm.h"

namespace audiotest {

using namespace std::chrono_literals;

/** The process's backend, which CTest forces to null; fresh devices and settings. */
inline wd::NullAudioBackend& nullBackend() {
    auto* backend = dynamic_cast<wd::NullAudioBackend*>(&wd::AudioBackend::instance());
    if (!backend) {
        ADD_FAILURE() << "the tests need WAVEDECK_AUDIO=null";
        std::abort();
    }
    return *backend;
}

inline wd::NullAudioBackend& freshNullBackend(double speed = std::numeric_limits<double>::infinity()) {
    wd::NullAudioBackend& backend = nullBackend();
    backend.setDevices(1, 1, 2);
    backend.setSpeed(speed);
    backend.setOpenFails(false);
    backend.setInputSignal(wd::NullAudioBackend::InputSignal::Silence);
    backend.setCapture(0, true);
    return backend;
}

inline WAVEFORMATEX pcm(WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

/** What a wave callback saw, in order: (message, header), plus the bytes recorded. */
struct CallbackLog {
    struct Entry {
        UINT message;
        WAVEHDR* header;
        DWORD bytesRecorded;
        DWORD flags;
    };

    static void CALLBACK callback(void*, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
        auto* log = reinterpret_cast<CallbackLog*>(instance);
        auto* header = reinterpret_cast<WAVEHDR*>(param1);
        std::lock_guard lock(log->mutex);
        log->entries.push_back({message, header, header ? header->dwBytesRecorded : 0, header ? header->dwFlags : 0});
        log->cv.notify_all();
    }

    /** Waits (at most the deadline) until `count` messages of the number arrived. */
    bool waitFor(UINT message, size_t count, std::chrono::milliseconds deadline = 10000ms) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, deadline, [&] { return countLocked(message) >= count; });
    }
    size_t count(UINT message) {
        std::lock_guard lock(mutex);
        return countLocked(message);
    }
    std::vector<Entry> of(UINT message) {
        std::lock_guard lock(mutex);
        std::vector<Entry> found;
        for (const Entry& entry : entries) {
            if (entry.message == message) found.push_back(entry);
        }
        return found;
    }
    DWORD_PTR instance() { return reinterpret_cast<DWORD_PTR>(this); }
    static DWORD_PTR function() { return reinterpret_cast<DWORD_PTR>(&CallbackLog::callback); }

    std::mutex mutex;
    std::condition_variable cv;
    std::vector<Entry> entries;

private:
    size_t countLocked(UINT message) const {
        size_t n = 0;
        for (const Entry& entry : entries) n += entry.message == message ? 1 : 0;
        return n;
    }
};

/** A buffer with its header. */
struct Buffer {
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    explicit Buffer(size_t size) : data(size) {
        header.lpData = reinterpret_cast<LPSTR>(data.data());
        header.dwBufferLength = static_cast<DWORD>(size);
    }
    std::vector<BYTE> data;
    WAVEHDR header{};
};

}  // namespace audiotest
