// What the recording tests share: the null input device playing a known tone, a host
// frame with the library's main window and record window (whose messages are logged on
// their way in), and the take read back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/recorder.h"
#include "model/track.h"
#include "model/track_list.h"
#include "platform/audio/audio_backend.h"
#include "platform/audio/null_audio_backend.h"
#include "services/settings.h"
#include "support/library_reset.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "ui/tab_window.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace recordtest {

using namespace std::chrono_literals;

/** Devices run this many times real time: fast, yet slow enough for the record window,
 * which redraws on every level message, to keep up in a sanitizer build. */
constexpr double kRecordingSpeed = 50.0;
constexpr double kToneHz = 440.0;
constexpr double kToneAmplitude = 0.5;
/** The record window's size in the frame. */
constexpr int kRecordWidth = 300;
constexpr int kRecordHeight = 120;

/** The library's messages to the record window, in order. */
inline std::vector<UINT>& recordMessages() {
    static auto* messages = new std::vector<UINT>;
    return *messages;
}

inline WNDPROC& recordProcedure() {
    static WNDPROC procedure = nullptr;
    return procedure;
}

inline LRESULT CALLBACK loggingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) recordMessages().push_back(message);
    return CallWindowProcA(recordProcedure(), window, message, wParam, lParam);
}

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend = dynamic_cast<wd::NullAudioBackend*>(&wd::AudioBackend::instance());
        ASSERT_NE(backend, nullptr) << "the recording tests need WAVEDECK_AUDIO=null";
        backend->setDevices(1, 1, 2);
        backend->setSpeed(kRecordingSpeed);
        backend->setInputSignal(wd::NullAudioBackend::InputSignal::Tone, kToneHz, kToneAmplitude);
        previousTemp = wd::Settings::instance().tempFolder();
        wd::Settings::instance().setTempFolder(temp.path().c_str());
        notified = host.addChild(host.frame(), 890, 690, 1, 1);
        WDXRegisterMainWnd(notified);
        ASSERT_TRUE(IsWindow(WDXCreateTrackMainWnd(host.frame(), 0, 0, 605, 377)));
        record = WDXCreateRecordWnd(host.frame(), 0, 400, kRecordWidth, kRecordHeight);
        ASSERT_TRUE(IsWindow(record));
        recordProcedure() = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(record, GWLP_WNDPROC));
        SetWindowLongPtrA(record, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&loggingProcedure));
        host.pump();
        recordMessages().clear();
    }
    void TearDown() override {
        wdtest::closeEveryTrack();
        host.pump();
        wd::Settings::instance().setTempFolder(previousTemp.c_str());
    }

    /** Sets the format and begins a take; false when WDXBeginRecord refused. */
    bool begin(int channels, int rate, int bits) {
        WDXSetRecordParam(channels, rate, bits);
        return WDXBeginRecord() == 0;
    }
    bool recordAtLeast(int frames) {
        return host.pumpUntil([&] { return WDXGetRecordInfo(0) >= frames; }, 10000ms);
    }
    /** Begins a take, records at least `frames` frames per channel and stops. */
    bool recordTake(int channels, int rate, int bits, int frames) {
        if (!begin(channels, rate, bits) || !recordAtLeast(frames)) return false;
        WDXStopRecord();
        host.pump();
        return !wd::Recorder::instance().isRecording();
    }
    static std::vector<float> takeSamples(int channel) {
        const wd::Sequence& sequence = wd::Recorder::instance().recordedTrack()->channel(channel)->sequence();
        std::vector<float> samples(static_cast<size_t>(sequence.length()));
        sequence.readSamples(samples.data(), 0, sequence.length());
        return samples;
    }
    /** What the null output device played since its capture began, as 16-bit samples. */
    std::vector<int16_t> played() const {
        const std::vector<BYTE> bytes = backend->captured(0);
        std::vector<int16_t> samples(bytes.size() / 2);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        return samples;
    }

    wd::NullAudioBackend* backend = nullptr;
    wdtest::TempDir temp;
    std::string previousTemp;
    wdtest::TestHost host{900, 700};
    HWND notified = nullptr;
    HWND record = nullptr;
};

}  // namespace recordtest
