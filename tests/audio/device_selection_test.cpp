// Device selection and the mixer exports on the null device, driven as a host drives them:
// the library's own main window and ruler receive the mixer changes and pass them on to
// the host's registered windows.
#include <gtest/gtest.h>

#include <cstring>

#include "null_device.h"
#include "support/test_host.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using namespace audiotest;

/** The host of the whole program: the first window registered with WDXRegisterMainWnd
 * hears every output mixer change, so it must outlive every test. Never destroyed. */
struct HostFrame {
    wdtest::TestHost host;
    HWND first = nullptr;
    HWND second = nullptr;
    HWND recordNotify = nullptr;
    HWND main = nullptr;

    static HostFrame& instance() {
        static HostFrame* frame = new HostFrame;
        return *frame;
    }

private:
    HostFrame() {
        first = host.addChild(host.frame(), 600, 0, 10, 10);
        second = host.addChild(host.frame(), 610, 0, 10, 10);
        recordNotify = host.addChild(host.frame(), 620, 0, 10, 10);
        WDXRegisterMainWnd(first);
        WDXRegisterMainWnd(second);
        WDXRegNotifyRecHWND(recordNotify);
        main = WDXCreateTrackMainWnd(host.frame(), 0, 0, 400, 300);
    }
};

class DeviceSelection : public ::testing::Test {
protected:
    void SetUp() override {
        backend = &freshNullBackend();
        backend->setDevices(2, 2);
        ASSERT_TRUE(IsWindow(frame.main));
        // Every test starts on devices 0, with the mixers opened there again.
        WDXSetWaveInDevice(1);
        WDXSetWaveInDevice(0);
        WDXSetWaveOutDevice(1);
        WDXSetWaveOutDevice(0);
        host.pump();
        host.clearLog();
    }

    /** The output mixer changes the first host window heard of, after pumping a while. */
    size_t outputChanges() {
        host.pumpFor(50ms);
        return host.count(frame.first, NotifyMixerChanged);
    }

    HostFrame& frame = HostFrame::instance();
    wdtest::TestHost& host = frame.host;
    wd::NullAudioBackend* backend = nullptr;
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

TEST_F(DeviceSelection, SettingTheChosenDevicesAgainPostsNothing) {
    EXPECT_EQ(WDXSetWaveOutDevice(0), 1);
    EXPECT_EQ(WDXSetWaveInDevice(0), 1);
    host.pumpFor(20ms);
    for (HWND window : {frame.first, frame.second, frame.recordNotify}) {
        EXPECT_EQ(host.count(window, NotifyWaveOutDeviceChanged), 0u);
        EXPECT_EQ(host.count(window, NotifyWaveInDeviceChanged), 0u);
    }
}

TEST_F(DeviceSelection, OutputMixerChangesReachTheFirstHostWindowBeforeAndAfterEveryDeviceChange) {
    // Four controls on four handles of one mixer: each change reaches the host four times.
    ASSERT_TRUE(backend->setOutputMute(0, wd::OutputLine::Wave, true));
    EXPECT_EQ(outputChanges(), 4u);

    EXPECT_EQ(WDXSetWaveOutDevice(1), 1);
    EXPECT_EQ(WDXGetWaveOutDevice(), 1);
    host.pump();
    EXPECT_EQ(host.count(frame.first, NotifyWaveOutDeviceChanged), 1u);
    EXPECT_EQ(host.count(frame.second, NotifyWaveOutDeviceChanged), 1u);
    EXPECT_EQ(host.count(frame.recordNotify, NotifyWaveOutDeviceChanged), 0u);
    ASSERT_TRUE(backend->setOutputMute(1, wd::OutputLine::Master, true));
    EXPECT_EQ(outputChanges(), 8u);
    // The volume exports now act on device 1.
    WDXSetVolVol(0, 100, 200);
    wd::ChannelVolume volume;
    ASSERT_TRUE(backend->outputVolume(1, wd::OutputLine::Master, volume));
    EXPECT_EQ(volume.value[0], 100u);
    EXPECT_EQ(volume.value[1], 200u);
    ASSERT_TRUE(backend->outputVolume(0, wd::OutputLine::Master, volume));
    EXPECT_EQ(volume.value[0], 65535u);

    // The mapper follows the default device, 0.
    host.pump();
    host.clearLog();
    EXPECT_EQ(WDXSetWaveOutDevice(-1), 1);
    ASSERT_TRUE(backend->setOutputMute(0, wd::OutputLine::Wave, false));
    EXPECT_EQ(outputChanges(), 4u);
    EXPECT_EQ(host.count(frame.first, NotifyWaveOutDeviceChanged), 1u);
}

TEST_F(DeviceSelection, ANewInputIsAnnouncedToTheRecordNotifyWindowWhichHearsItsLineChanges) {
    ASSERT_EQ(WDXSetRecCurLine(2), 1);
    host.pump();
    host.clearLog();
    EXPECT_EQ(WDXSetWaveInDevice(1), 1);
    EXPECT_EQ(WDXGetWaveInDevice(), 1);
    host.pump();
    EXPECT_EQ(host.count(frame.recordNotify, NotifyWaveInDeviceChanged), 1u);
    EXPECT_EQ(host.count(frame.first, NotifyWaveInDeviceChanged), 0u);
    EXPECT_EQ(WDXGetRecLineCount(), 3);
    EXPECT_EQ(WDXGetRecCurLine(), 0);  // device 1 still has its first line
    ASSERT_TRUE(backend->setRecordLine(1, 1));
    EXPECT_TRUE(host.waitForMessage(frame.recordNotify, NotifyRecordMixerChanged));
    ASSERT_TRUE(backend->setRecordLine(0, 1));  // the device no longer chosen is not heard
    host.pumpFor(50ms);
    EXPECT_EQ(host.count(frame.recordNotify, NotifyRecordMixerChanged), 1u);
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
    WDXSetWaveOutDevice(-1);  // opened again: the line now has one channel
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
