// The mixer calls on the null device: lines, controls, values and change messages.
#include <gtest/gtest.h>

#include "null_device.h"
#include "support/test_host.h"

namespace {

using namespace audiotest;

class Mixer : public ::testing::Test {
protected:
    void SetUp() override {
        backend = &freshNullBackend();
        ASSERT_EQ(mixerOpen(&mixer, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    }
    void TearDown() override { mixerClose(mixer); }
    HMIXEROBJ object() const { return reinterpret_cast<HMIXEROBJ>(mixer); }
    MIXERLINEA lineOfType(DWORD type) {
        MIXERLINEA line{};
        line.cbStruct = sizeof line;
        line.dwComponentType = type;
        EXPECT_EQ(mixerGetLineInfoA(object(), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE),
                  MMSYSERR_NOERROR);
        return line;
    }
    MIXERCONTROLA control(DWORD lineId, DWORD type) {
        MIXERCONTROLA control{};
        MIXERLINECONTROLSA controls{};
        controls.cbStruct = sizeof controls;
        controls.dwLineID = lineId;
        controls.dwControlType = type;
        controls.cControls = 1;
        controls.cbmxctrl = sizeof control;
        controls.pamxctrl = &control;
        EXPECT_EQ(mixerGetLineControlsA(object(), &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE),
                  MMSYSERR_NOERROR);
        return control;
    }
    MMRESULT details(DWORD id, DWORD channels, DWORD items, void* values, DWORD size, bool set,
                     DWORD query = MIXER_GETCONTROLDETAILSF_VALUE) {
        MIXERCONTROLDETAILS d{};
        d.cbStruct = sizeof d;
        d.dwControlID = id;
        d.cChannels = channels;
        d.cMultipleItems = items;
        d.cbDetails = size;
        d.paDetails = values;
        return set ? mixerSetControlDetails(object(), &d, MIXER_OBJECTF_HMIXER)
                   : mixerGetControlDetailsA(object(), &d, MIXER_OBJECTF_HMIXER | query);
    }

    wd::NullAudioBackend* backend = nullptr;
    HMIXER mixer = nullptr;
};

TEST_F(Mixer, HasOneMixerPerDeviceNumberWithTheSpeakersAndRecordingDestinations) {
    backend->setDevices(2, 1);
    EXPECT_EQ(mixerGetNumDevs(), 2u);
    MIXERCAPSA caps{};
    ASSERT_EQ(mixerGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Null Output 1");
    EXPECT_EQ(caps.cDestinations, 2u);
    ASSERT_EQ(mixerGetDevCapsA(1, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_EQ(caps.cDestinations, 1u);  // output 2 has no input beside it
    EXPECT_EQ(mixerGetDevCapsA(2, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
}

TEST_F(Mixer, TheSpeakersCarryMasterControlsAndAWaveSourceWithItsOwn) {
    MIXERLINEA speakers = lineOfType(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    EXPECT_EQ(speakers.cChannels, 2u);
    EXPECT_EQ(speakers.cConnections, 1u);
    EXPECT_EQ(speakers.cControls, 2u);
    EXPECT_EQ(speakers.Target.dwType, MIXERLINE_TARGETTYPE_WAVEOUT);
    MIXERLINEA wave{};
    wave.cbStruct = sizeof wave;
    wave.dwDestination = speakers.dwDestination;
    wave.dwSource = 0;
    ASSERT_EQ(mixerGetLineInfoA(object(), &wave, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_EQ(wave.dwComponentType, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    EXPECT_TRUE(wave.fdwLine & MIXERLINE_LINEF_SOURCE);

    MIXERCONTROLA volume = control(speakers.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME);
    EXPECT_EQ(volume.Bounds.dwMinimum, 0u);
    EXPECT_EQ(volume.Bounds.dwMaximum, 65535u);
    MIXERCONTROLDETAILS_UNSIGNED values[2] = {{1000}, {60000}};
    ASSERT_EQ(details(volume.dwControlID, 2, 0, values, sizeof values[0], true), MMSYSERR_NOERROR);
    wd::ChannelVolume stored;
    ASSERT_TRUE(backend->outputVolume(0, wd::OutputLine::Master, stored));
    EXPECT_EQ(stored.value[0], 1000u);
    EXPECT_EQ(stored.value[1], 60000u);
    MIXERCONTROLDETAILS_UNSIGNED read[2] = {};
    ASSERT_EQ(details(volume.dwControlID, 2, 0, read, sizeof read[0], false), MMSYSERR_NOERROR);
    EXPECT_EQ(read[0].dwValue, 1000u);
    EXPECT_EQ(read[1].dwValue, 60000u);
    // One channel asked: the louder one, as a uniform value.
    ASSERT_EQ(details(volume.dwControlID, 1, 0, read, sizeof read[0], false), MMSYSERR_NOERROR);
    EXPECT_EQ(read[0].dwValue, 60000u);

    MIXERCONTROLA mute = control(wave.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE);
    MIXERCONTROLDETAILS_BOOLEAN on{1};
    ASSERT_EQ(details(mute.dwControlID, 1, 0, &on, sizeof on, true), MMSYSERR_NOERROR);
    bool muted = false;
    ASSERT_TRUE(backend->outputMute(0, wd::OutputLine::Wave, muted));
    EXPECT_TRUE(muted);
    ASSERT_TRUE(backend->outputMute(0, wd::OutputLine::Master, muted));
    EXPECT_FALSE(muted);
}

TEST_F(Mixer, TheRecordingDestinationSelectsOneOfThreeLinesThroughAMux) {
    MIXERLINEA recording = lineOfType(MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    EXPECT_EQ(recording.cConnections, 3u);
    MIXERCONTROLA mux = control(recording.dwLineID, MIXERCONTROL_CONTROLTYPE_MUX);
    ASSERT_EQ(mux.cMultipleItems, 3u);
    MIXERCONTROLDETAILS_LISTTEXTA texts[3] = {};
    ASSERT_EQ(details(mux.dwControlID, 1, 3, texts, sizeof texts[0], false, MIXER_GETCONTROLDETAILSF_LISTTEXT),
              MMSYSERR_NOERROR);
    EXPECT_STREQ(texts[0].szName, "Microphone");
    EXPECT_STREQ(texts[1].szName, "Line In");
    EXPECT_STREQ(texts[2].szName, "CD Audio");
    EXPECT_EQ(texts[2].dwParam2, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC);

    MIXERCONTROLDETAILS_BOOLEAN select[3] = {{0}, {0}, {1}};
    ASSERT_EQ(details(mux.dwControlID, 1, 3, select, sizeof select[0], true), MMSYSERR_NOERROR);
    MIXERCONTROLDETAILS_BOOLEAN read[3] = {};
    ASSERT_EQ(details(mux.dwControlID, 1, 3, read, sizeof read[0], false), MMSYSERR_NOERROR);
    EXPECT_EQ(read[0].fValue, 0);
    EXPECT_EQ(read[2].fValue, 1);
    MIXERCONTROLDETAILS_BOOLEAN two[3] = {{1}, {0}, {1}};
    EXPECT_EQ(details(mux.dwControlID, 1, 3, two, sizeof two[0], true), MIXERR_INVALVALUE);

    // Each line has a one-channel volume, found through the item's line ID.
    MIXERCONTROLA lineVolume = control(texts[1].dwParam1, MIXERCONTROL_CONTROLTYPE_VOLUME);
    MIXERCONTROLDETAILS_UNSIGNED value{12345};
    ASSERT_EQ(details(lineVolume.dwControlID, 1, 0, &value, sizeof value, true), MMSYSERR_NOERROR);
    DWORD stored = 0;
    ASSERT_TRUE(backend->recordLineVolume(0, 1, stored));
    EXPECT_EQ(stored, 12345u);
}

TEST_F(Mixer, RefusesBadHandlesLinesAndControls) {
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    EXPECT_EQ(mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(0x99), &line, MIXER_OBJECTF_HMIXER |
                                                                              MIXER_GETLINEINFOF_COMPONENTTYPE),
              MMSYSERR_INVALHANDLE);
    line.dwLineID = 0x7777;
    EXPECT_EQ(mixerGetLineInfoA(object(), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_LINEID), MIXERR_INVALLINE);
    MIXERCONTROLDETAILS_UNSIGNED value{};
    EXPECT_EQ(details(0x7777, 1, 0, &value, sizeof value, false), MIXERR_INVALCONTROL);
    HMIXER bad = nullptr;
    EXPECT_EQ(mixerOpen(&bad, 5, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(mixerClose(reinterpret_cast<HMIXER>(0x99)), MMSYSERR_INVALHANDLE);
}

TEST_F(Mixer, PostsAControlChangeToTheCallbackWindowOfEveryHandleOfThatMixer) {
    wdtest::TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    HMIXER watching = nullptr;
    ASSERT_EQ(mixerOpen(&watching, 0, reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    MIXERLINEA speakers = lineOfType(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    MIXERCONTROLA mute = control(speakers.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE);

    // A change made elsewhere (here directly in the backend) reaches the window.
    ASSERT_TRUE(backend->setOutputMute(0, wd::OutputLine::Master, true));
    ASSERT_TRUE(host.waitForMessage(window, MM_MIXM_CONTROL_CHANGE));
    auto changes = host.messages(window, MM_MIXM_CONTROL_CHANGE);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].wParam, reinterpret_cast<WPARAM>(watching));
    EXPECT_EQ(static_cast<DWORD>(changes[0].lParam), mute.dwControlID);
    ASSERT_EQ(mixerClose(watching), MMSYSERR_NOERROR);
}

}  // namespace
