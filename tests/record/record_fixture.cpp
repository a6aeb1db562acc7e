#include "record_fixture.h"

#include <cmath>
#include <numbers>

#include "audio/recorder.h"
#include "model/track.h"
#include "model/track_list.h"
#include "platform/audio/audio_backend.h"
#include "services/settings.h"
#include "ui/tab_window.h"
#include "wavedeck.h"

namespace recordtest {

namespace {

std::vector<UINT>& logged() {
    static auto* messages = new std::vector<UINT>;
    return *messages;
}

WNDPROC& recordProcedure() {
    static WNDPROC procedure = nullptr;
    return procedure;
}

/** Logs the library's messages to the record window, then lets it handle them. */
LRESULT CALLBACK loggingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) logged().push_back(message);
    return CallWindowProcA(recordProcedure(), window, message, wParam, lParam);
}

}  // namespace

std::vector<int> toneValues(int bits, int rate, size_t frames) {
    std::vector<int> values(frames);
    double phase = 0.0;
    const double step = kToneHz / rate;
    for (int& value : values) {
        const double x = kToneAmplitude * std::sin(2.0 * std::numbers::pi * phase);
        value = bits == 8 ? 128 + static_cast<int>(std::lround(x * 127.0)) : static_cast<int>(std::lround(x * 32767.0));
        phase += step;
        phase -= std::floor(phase);
    }
    return values;
}

float fromPcm(int value, int bits) {
    const int v = bits == 8 ? value - 128 : value;
    const double negative = bits == 8 ? 128.0 : 32768.0;
    return static_cast<float>(v < 0 ? v / negative : v / (negative - 1.0));
}

void RecordTest::SetUp() {
    backend = dynamic_cast<wd::NullAudioBackend*>(&wd::AudioBackend::instance());
    ASSERT_NE(backend, nullptr) << "the recording tests need WAVEDECK_AUDIO=null";
    backend->setDevices(1, 1, 2);
    backend->setSpeed(kRecordingSpeed);
    backend->setOpenFails(false);
    backend->setInputSignal(wd::NullAudioBackend::InputSignal::Tone, kToneHz, kToneAmplitude);
    backend->setCapture(0, true);
    temp = std::make_unique<wdtest::TempDir>();
    previousTemp = wd::Settings::instance().tempFolder();
    wd::Settings::instance().setTempFolder(temp->path().c_str());
    host = std::make_unique<wdtest::TestHost>(900, 700);
    notified = host->addChild(host->frame(), 890, 690, 1, 1);
    WDXRegisterMainWnd(notified);
    main = WDXCreateTrackMainWnd(host->frame(), 0, 0, 605, 377);
    record = WDXCreateRecordWnd(host->frame(), 0, 400, kRecordWidth, kRecordHeight);
    ASSERT_TRUE(IsWindow(main));
    ASSERT_TRUE(IsWindow(record));
    recordProcedure() = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(record, GWLP_WNDPROC));
    SetWindowLongPtrA(record, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&loggingProcedure));
    host->pump();
    logged().clear();
}

void RecordTest::TearDown() {
    WDXCancelRecord();
    WDXExitProgram();
    wd::TrackList& list = wd::TrackList::instance();
    while (list.count() > 0) list.removeTrack(list.trackAt(0));
    wd::TabWindow& tabs = wd::TabWindow::instance();
    while (!tabs.tabs().empty()) tabs.removeTab(0);
    host.reset();
    backend->setOpenFails(false);
    wd::Settings::instance().setTempFolder(previousTemp.c_str());
}

bool RecordTest::begin(int channels, int rate, int bits) {
    WDXSetRecordParam(channels, rate, bits);
    return WDXBeginRecord() == 0;
}

bool RecordTest::recordAtLeast(int frames) {
    return host->pumpUntil([&] { return WDXGetRecordInfo(0) >= frames; }, 10000ms);
}

bool RecordTest::recordTake(int channels, int rate, int bits, int frames) {
    if (!begin(channels, rate, bits) || !recordAtLeast(frames)) return false;
    WDXStopRecord();
    host->pump();
    return !wd::Recorder::instance().isRecording();
}

std::vector<float> RecordTest::takeSamples(int channel) const {
    const wd::Track* take = wd::Recorder::instance().recordedTrack();
    if (!take || !take->channel(channel)) return {};
    const wd::Sequence& sequence = take->channel(channel)->sequence();
    std::vector<float> samples(static_cast<size_t>(sequence.length()));
    samples.resize(static_cast<size_t>(sequence.readSamples(samples.data(), 0, sequence.length())));
    return samples;
}

const std::vector<UINT>& RecordTest::recordMessages() const { return logged(); }

std::vector<int16_t> RecordTest::played() const {
    const std::vector<BYTE> bytes = backend->captured(0);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

}  // namespace recordtest
