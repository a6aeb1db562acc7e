// Against a real PulseAudio server: sound played into the null sink comes back from its
// monitor intact, and mixer changes made on the server reach the callback window. Every
// test skips, saying why, when no such server answers.
#include <gtest/gtest.h>

#include <atomic>
#include <random>

#include "pulse_fixture.h"
#include "support/test_host.h"

namespace {

using namespace pulsetest;

void CALLBACK countDone(void*, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    if (message == WOM_DONE) ++*reinterpret_cast<std::atomic<int>*>(instance);
}

TEST(PulseRoundTrip, SoundPlayedIntoTheNullSinkComesBackFromItsMonitorIntactWithItsTail) {
    REQUIRE_TEST_SERVER(sink, monitor);
    WAVEFORMATEX format = cdFormat();

    // One second of noise (seed logged) at half scale, different in each channel.
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-16000, 16000);
    std::vector<int16_t> played(44100 * 2);
    for (int16_t& sample : played) sample = static_cast<int16_t>(noise(random));
    SCOPED_TRACE("noise seed " + std::to_string(seed));

    MonitorRecording recording(monitor, 2);
    ASSERT_TRUE(recording.start());
    // A header comes back done only once it has been heard: the last one, closed at once
    // after its return, is heard whole.
    HWAVEOUT out = nullptr;
    std::atomic<int> done{0};
    ASSERT_EQ(waveOutOpen(&out, static_cast<UINT>(sink), &format, reinterpret_cast<DWORD_PTR>(&countDone),
                          reinterpret_cast<DWORD_PTR>(&done), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    WAVEHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(played.data());
    header.dwBufferLength = static_cast<DWORD>(played.size() * 2);
    ASSERT_EQ(waveOutPrepareHeader(out, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out, &header, sizeof header), MMSYSERR_NOERROR);
    wdtest::TestHost host;
    EXPECT_TRUE(host.pumpUntil([&] { return done > 0; }, 20000ms));
    ASSERT_EQ(waveOutReset(out), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    const std::vector<int16_t> capture = recording.stop();

    expectPlayedWhole(played, capture);
}

TEST(PulseMixer, TheMasterVolumeOfTheSinkIsReadAndSetAndItsChangesReachTheWindow) {
    REQUIRE_TEST_SERVER(sink, monitor);
    wdtest::TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    HMIXER mixer = nullptr;
    ASSERT_EQ(mixerOpen(&mixer, static_cast<UINT>(sink), reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    auto* object = reinterpret_cast<HMIXEROBJ>(mixer);
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    ASSERT_EQ(mixerGetLineInfoA(object, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE),
              MMSYSERR_NOERROR);
    EXPECT_STREQ(line.Target.szPname, "CI_Null_Sink");
    MIXERCONTROLA control{};
    MIXERLINECONTROLSA controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    ASSERT_EQ(mixerGetLineControlsA(object, &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE),
              MMSYSERR_NOERROR);

    auto access = [&](MIXERCONTROLDETAILS_UNSIGNED* values, bool set) {
        MIXERCONTROLDETAILS details{};
        details.cbStruct = sizeof details;
        details.dwControlID = control.dwControlID;
        details.cChannels = 2;
        details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
        details.paDetails = values;
        return set ? mixerSetControlDetails(object, &details, MIXER_OBJECTF_HMIXER)
                   : mixerGetControlDetailsA(object, &details, MIXER_OBJECTF_HMIXER);
    };
    MIXERCONTROLDETAILS_UNSIGNED before[2] = {};
    ASSERT_EQ(access(before, false), MMSYSERR_NOERROR);
    host.pump();
    host.clearLog();

    // The server keeps volumes on a cubic scale of 65536 steps; near half volume one
    // step is about 2 of our units, so a value read back is within 2 of the one set.
    MIXERCONTROLDETAILS_UNSIGNED wanted[2] = {{32768}, {16384}};
    ASSERT_EQ(access(wanted, true), MMSYSERR_NOERROR);
    MIXERCONTROLDETAILS_UNSIGNED read[2] = {};
    ASSERT_EQ(access(read, false), MMSYSERR_NOERROR);
    EXPECT_NEAR(static_cast<double>(read[0].dwValue), 32768, 2);
    EXPECT_NEAR(static_cast<double>(read[1].dwValue), 16384, 2);
    EXPECT_TRUE(host.waitForMessage(window, MM_MIXM_CONTROL_CHANGE, 5000ms));
    auto changes = host.messages(window, MM_MIXM_CONTROL_CHANGE);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes[0].wParam, reinterpret_cast<WPARAM>(mixer));
    EXPECT_EQ(static_cast<DWORD>(changes[0].lParam), control.dwControlID);

    ASSERT_EQ(access(before, true), MMSYSERR_NOERROR);
    ASSERT_EQ(mixerClose(mixer), MMSYSERR_NOERROR);
}

TEST(PulseMixer, ASourceWithoutPortsIsItsOwnRecordingLine) {
    REQUIRE_TEST_SERVER(sink, monitor);
    std::vector<wd::RecordLineInfo> lines;
    ASSERT_TRUE(pulsetest::pulseBackend()->recordLines(static_cast<unsigned>(monitor), lines));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].name, "Monitor of CI_Null_Sink");
    int current = -1;
    ASSERT_TRUE(pulsetest::pulseBackend()->recordLine(static_cast<unsigned>(monitor), current));
    EXPECT_EQ(current, 0);
    EXPECT_TRUE(pulsetest::pulseBackend()->setRecordLine(static_cast<unsigned>(monitor), 0));
    EXPECT_FALSE(pulsetest::pulseBackend()->setRecordLine(static_cast<unsigned>(monitor), 1));
}

}  // namespace
