// Device selection and the mixer exports on the null device.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/device_messages.h"
#include "audio/output_volume_mixer.h"
#include "audio/record_line_mixer.h"
#include "audio/wave_devices.h"
#include "null_device.h"
#include "support/test_host.h"
#include "wavedeck.h"

namespace {

using namespace audiotest;

/** The main window object's part: which windows hear about devices and mixers. */
struct FakeWindows : wd::DeviceWindows {
    HWND main = nullptr;
    HWND ruler = nullptr;
    HWND notify = nullptr;
    std::vector<HWND> hosts;
    HWND mainWindow() const override { return main; }
    HWND rulerWindow() const override { return ruler; }
    HWND recordNotifyWindow() const override { return notify; }
    std::vector<HWND> hostWindows() const override { return hosts; }
};

class DeviceSelection : public ::testing::Test {
protected:
    void SetUp() override {
        backend = &freshNullBackend();
        backend->setDevices(2, 2);
        main = host.addChild(host.frame(), 0, 0, 10, 10);
        ruler = host.addChild(host.frame(), 10, 0, 10, 10);
        notify = host.addChild(host.frame(), 20, 0, 10, 10);
        hostA = host.addChild(host.frame(), 30, 0, 10, 10);
        hostB = host.addChild(host.frame(), 40, 0, 10, 10);
        windows.main = main;
        windows.ruler = ruler;
        windows.notify = notify;
        windows.hosts = {hostA, hostB};
        wd::WaveDevices::instance().setWindows(&windows);
        // Every test starts on devices 0 with the mixers opened on them.
        WDXSetWaveInDevice(0);
        WDXSetWaveOutDevice(0);
        wd::OutputVolumeMixer::instance().open(main);
        wd::RecordLineMixer::instance().open(ruler);
        host.pump();
        host.clearLog();
    }
    void TearDown() override { wd::WaveDevices::instance().setWindows(nullptr); }

    wdtest::TestHost host;
    FakeWindows windows;
    wd::NullAudioBackend* backend = nullptr;
    HWND main = nullptr, ruler = nullptr, notify = nullptr, hostA = nullptr, hostB = nullptr;
};

TEST_F(DeviceSelection, CountsAndNamesTheDevices) {
    EXPECT_EQ(WDXGetWaveOutDeviceCount(), 2);
    EXPECT_EQ(WDXGetWaveInDeviceCount(), 2);
    char name[WD_MAX_TEXT];
    EXPECT_EQ(WDXGetWaveOutDeviceName(1, name), 1);
    EXPECT_STREQ(name, "Null Output 2");
    EXPECT_EQ(WDXGetWaveInDeviceName(0, name), 1);
    EXPECT_STREQ(name, "Null Input 1");
    EXPECT_EQ(WDXGetWaveInDeviceName(-1, name), 1);  // the mapper names the default device
    EXPECT_STREQ(name, "Null Input 1");
    // A name that cannot be read is an empty text, still with the result 1.
    std::strcpy(name, "old");
    EXPECT_EQ(WDXGetWaveOutDeviceName(9, name), 1);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(WDXGetWaveInDeviceName(0, nullptr), 0);
    EXPECT_EQ(WDXGetWaveOutDeviceName(0, nullptr), 0);
}

TEST_F(DeviceSelection, SettingTheChosenOutputAgainPostsNothing) {
    EXPECT_EQ(WDXGetWaveOutDevice(), 0);
    EXPECT_EQ(WDXSetWaveOutDevice(0), 1);
    host.pump();
    EXPECT_EQ(host.count(hostA, wd::kNotifyWaveOutDeviceChanged), 0u);
    EXPECT_EQ(host.count(hostB, wd::kNotifyWaveOutDeviceChanged), 0u);
}

TEST_F(DeviceSelection, ANewOutputIsAnnouncedToEveryHostAndItsMixerReportsToTheMainWindow) {
    EXPECT_EQ(WDXSetWaveOutDevice(1), 1);
    EXPECT_EQ(WDXGetWaveOutDevice(), 1);
    host.pump();
    EXPECT_EQ(host.count(hostA, wd::kNotifyWaveOutDeviceChanged), 1u);
    EXPECT_EQ(host.count(hostB, wd::kNotifyWaveOutDeviceChanged), 1u);
    EXPECT_EQ(host.count(notify, wd::kNotifyWaveOutDeviceChanged), 0u);
    // The volume exports now act on device 1.
    WDXSetVolVol(0, 100, 200);
    wd::ChannelVolume volume;
    ASSERT_TRUE(backend->outputVolume(1, wd::OutputLine::Master, volume));
    EXPECT_EQ(volume.value[0], 100u);
    EXPECT_EQ(volume.value[1], 200u);
    ASSERT_TRUE(backend->outputVolume(0, wd::OutputLine::Master, volume));
    EXPECT_EQ(volume.value[0], 65535u);
    // ... and its changes reach the main window (four controls, four handles: the one
    // that owns the changed control and the other three of the same mixer).
    ASSERT_TRUE(backend->setOutputMute(1, wd::OutputLine::Wave, true));
    ASSERT_TRUE(host.waitForMessage(main, MM_MIXM_CONTROL_CHANGE, 5000ms, 4));
}

TEST_F(DeviceSelection, ANewInputIsAnnouncedToTheRecordNotifyWindowAndRebuildsTheLines) {
    ASSERT_EQ(WDXSetRecCurLine(2), 1);
    EXPECT_EQ(WDXSetWaveInDevice(1), 1);
    EXPECT_EQ(WDXGetWaveInDevice(), 1);
    host.pump();
    EXPECT_EQ(host.count(notify, wd::kNotifyWaveInDeviceChanged), 1u);
    EXPECT_EQ(host.count(hostA, wd::kNotifyWaveInDeviceChanged), 0u);
    EXPECT_EQ(WDXGetRecLineCount(), 3);
    EXPECT_EQ(WDXGetRecCurLine(), 0);  // device 1 still has its first line
    ASSERT_TRUE(backend->setRecordLine(1, 1));
    ASSERT_TRUE(host.waitForMessage(ruler, MM_MIXM_CONTROL_CHANGE));
    EXPECT_EQ(WDXSetWaveInDevice(1), 1);
    host.pump();
    EXPECT_EQ(host.count(notify, wd::kNotifyWaveInDeviceChanged), 1u);
}

TEST_F(DeviceSelection, TheRecordingLineExportsReadAndSetTheCurrentLine) {
    ASSERT_EQ(WDXGetRecLineCount(), 3);
    char name[WD_MAX_TEXT];
    EXPECT_EQ(WDXGetRecLineName(1, name), 0);
    EXPECT_STREQ(name, "Line In");
    EXPECT_EQ(WDXGetRecCurLine(), 0);
    EXPECT_EQ(WDXSetRecCurLine(2), 1);
    int line = -1;
    ASSERT_TRUE(backend->recordLine(0, line));
    EXPECT_EQ(line, 2);
    EXPECT_EQ(WDXGetRecCurLine(), 2);
    EXPECT_EQ(WDXSetRecCurLine(3), 0);
    EXPECT_EQ(WDXSetRecCurLine(-1), 0);
    EXPECT_EQ(WDXGetRecLineMin(), 0);
    EXPECT_EQ(WDXGetRecLineMax(), 65535);
    EXPECT_EQ(WDXSetRecCurLineValue(4000), 1);
    EXPECT_EQ(WDXGetRecCurLineValue(), 4000);
    DWORD value = 0;
    ASSERT_TRUE(backend->recordLineVolume(0, 2, value));
    EXPECT_EQ(value, 4000u);
    // Values beyond the range are held at its ends.
    EXPECT_EQ(WDXSetRecCurLineValue(70000), 1);
    EXPECT_EQ(WDXGetRecCurLineValue(), 65535);
    // A change made elsewhere is read from the device.
    ASSERT_TRUE(backend->setRecordLine(0, 1));
    EXPECT_EQ(WDXGetRecCurLine(), 1);
}

TEST_F(DeviceSelection, WithoutRecordingLinesTheLineExportsGiveNothingAndDoNotFail) {
    EXPECT_EQ(WDXSetWaveInDevice(7), 1);  // no such device: no mixer, no lines
    EXPECT_EQ(WDXGetRecLineCount(), 0);
    EXPECT_EQ(WDXGetRecLineMin(), 0);
    EXPECT_EQ(WDXGetRecLineMax(), 0);
    EXPECT_EQ(WDXGetRecCurLine(), 0);
    EXPECT_EQ(WDXGetRecCurLineValue(), 0);
    EXPECT_EQ(WDXSetRecCurLineValue(5), 0);
    EXPECT_EQ(WDXSetRecCurLine(0), 0);
    char name[8] = "old";
    EXPECT_EQ(WDXGetRecLineName(0, name), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(WDXGetRecLineName(0, nullptr), 0);
}

TEST_F(DeviceSelection, TheVolumeExportsActOnMasterAndWave) {
    WDXSetVolVol(1, 30000, 20000);
    int left = 0, right = 0;
    WDXGetVolVol(1, &left, &right);
    EXPECT_EQ(left, 30000);
    EXPECT_EQ(right, 20000);
    WDXGetVolVol(0, &left, &right);
    EXPECT_EQ(left, 65535);
    EXPECT_EQ(WDXGetVolMute(0), 0);
    WDXSetVolMute(0, 5);
    EXPECT_EQ(WDXGetVolMute(0), 1);
    EXPECT_EQ(WDXGetVolMute(1), 0);
    EXPECT_EQ(WDXGetVolMute(2), 1);  // no such line: reads as muted
    int minimum = -5, maximum = -5;
    WDXGetVolMinMax(1, &minimum, &maximum);
    EXPECT_EQ(minimum, 0);
    EXPECT_EQ(maximum, 65535);
    left = right = 7;
    WDXGetVolVol(2, &left, &right);  // other lines leave the outputs alone
    EXPECT_EQ(left, 7);
    EXPECT_EQ(right, 7);
    WDXGetVolVol(0, nullptr, nullptr);
    WDXSetVolVol(0, -10, 99999);  // held at the range's ends
    WDXGetVolVol(0, &left, &right);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 65535);
}

TEST_F(DeviceSelection, AOneChannelMasterLineLeavesTheRightOutputAtMinusOne) {
    backend->setDevices(1, 1, 1);
    wd::OutputVolumeMixer::instance().open(main);
    int left = 0, right = 0;
    WDXGetVolVol(0, &left, &right);
    EXPECT_EQ(left, 65535);
    EXPECT_EQ(right, -1);
}

TEST_F(DeviceSelection, AVolumeThatCannotBeReadGivesMinusOneForBoth) {
    // The mixer of device 1 disappears under the open controls.
    EXPECT_EQ(WDXSetWaveOutDevice(1), 1);
    backend->setDevices(1, 1);
    int left = 0, right = 0;
    WDXGetVolVol(0, &left, &right);
    EXPECT_EQ(left, -1);
    EXPECT_EQ(right, -1);
    EXPECT_EQ(WDXGetVolMute(0), 1);
}

}  // namespace
