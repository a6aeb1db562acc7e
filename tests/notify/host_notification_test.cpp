// Host notifications: the registered windows, the broadcast rule, the time texts, and the
// undo, redo and track-information exports as a host sees them.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "services/host_windows.h"
#include "services/sel_view_windows.h"
#include "services/library_windows.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "support/test_host.h"
#include "support/temp_dir.h"
#include "services/settings.h"
#include "services/time_window_text.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using wd::HostWindows;
using wd::Track;
using wd::TrackList;

std::vector<UINT> notifications(const wdtest::TestHost& host, HWND window) {
    std::vector<UINT> out;
    for (const auto& m : host.messages(window)) {
        if (m.message >= WM_USER) out.push_back(m.message);
    }
    return out;
}

std::string textOf(HWND window) {
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A current track of one channel with samples, made and removed around each test.
class CurrentTrack : public ::testing::Test {
protected:
    void SetUp() override {
        previousFolder_ = wd::Settings::instance().tempFolder();
        wd::Settings::instance().setTempFolder(dir_.path().c_str());
        track_ = TrackList::instance().addTrack("/music/staircase.wav");
        track_->setChannelCount(1);
        std::vector<float> data(88200);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<float>(i);
        track_->channel(0)->sequence().appendSamples(data.data(), 88200);
        track_->channel(0)->sequence().flushAppend();
        TrackList::instance().setCurrent(track_);
        wd::UndoHistory::instance().addHistory(track_->id());
    }
    void TearDown() override {
        wd::UndoHistory::instance().removeHistory(track_->id());
        TrackList::instance().removeTrack(track_);
        wd::Settings::instance().setTempFolder(previousFolder_.c_str());
    }
    wdtest::TempDir dir_;
    std::string previousFolder_;
    Track* track_ = nullptr;
};

TEST(HostWindows, AWindowRegisteredTwiceReceivesEachBroadcastOnceAndInvalidHandlesAreIgnored) {
    wdtest::TestHost host;
    HWND a = host.addChild(host.frame(), 0, 0, 10, 10);
    HWND b = host.addChild(host.frame(), 10, 0, 10, 10);
    HostWindows list;
    EXPECT_TRUE(list.add(a));
    EXPECT_FALSE(list.add(a));
    EXPECT_TRUE(list.add(b));
    EXPECT_FALSE(list.add(nullptr));
    EXPECT_FALSE(list.add(reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ(list.windows(), (std::vector<HWND>{a, b}));
    EXPECT_EQ(list.first(), a);
    list.broadcast(NotifyWaveOutDeviceChanged, 3, 4);
    host.pump();
    ASSERT_EQ(host.count(a, NotifyWaveOutDeviceChanged), 1u);
    EXPECT_EQ(host.count(b, NotifyWaveOutDeviceChanged), 1u);
    EXPECT_EQ(host.messages(a, NotifyWaveOutDeviceChanged)[0].wParam, 3u);
    EXPECT_EQ(host.messages(a, NotifyWaveOutDeviceChanged)[0].lParam, 4);
}

TEST(HostWindows, WithNothingRegisteredABroadcastPostsNothingAndADestroyedWindowLosesIt) {
    wdtest::TestHost host;
    HWND a = host.addChild(host.frame(), 0, 0, 10, 10);
    HostWindows list;
    list.broadcast(NotifyTrackChanged);
    EXPECT_EQ(list.first(), nullptr);
    list.add(a);
    DestroyWindow(a);
    list.broadcast(NotifyTrackChanged);
    host.pump();
    EXPECT_EQ(host.count(a, NotifyTrackChanged), 0u);
}

TEST(HostWindows, TheRecordNotifyWindowIsKeptAsGivenWithoutAValidityTest) {
    HWND bogus = reinterpret_cast<HWND>(0x4321);
    WDXRegNotifyRecHWND(bogus);
    EXPECT_EQ(HostWindows::instance().recordNotifyWindow(), bogus);
    WDXRegNotifyRecHWND(nullptr);
    EXPECT_EQ(HostWindows::instance().recordNotifyWindow(), nullptr);
}

TEST(HostWindows, RegistrationThroughTheExportUsesTheProcessList) {
    wdtest::TestHost host;
    HWND a = host.addChild(host.frame(), 0, 0, 10, 10);
    EXPECT_EQ(WDXRegisterMainWnd(a), 0);
    EXPECT_EQ(WDXRegisterMainWnd(a), 0);
    EXPECT_EQ(WDXRegisterMainWnd(nullptr), 0);
    const auto windows = HostWindows::instance().windows();
    EXPECT_EQ(std::count(windows.begin(), windows.end(), a), 1);
}

TEST(TrackExports, WithoutACurrentTrackUndoFailsAndPostsNothing) {
    wdtest::TestHost host;
    HWND a = host.addChild(host.frame(), 0, 0, 10, 10);
    WDXRegisterMainWnd(a);
    ASSERT_EQ(TrackList::instance().current(), nullptr);
    EXPECT_EQ(WDXUndo(), -1);
    EXPECT_EQ(WDXRedo(), -1);
    EXPECT_EQ(WDXCanUndo(), 0);
    EXPECT_EQ(WDXCanRedo(), 0);
    EXPECT_EQ(WDXGetTrackInfo(0), -1);
    host.pump();
    EXPECT_TRUE(notifications(host, a).empty());
}

TEST_F(CurrentTrack, TrackInformationIsTheChannelCountRateAndLengthAndNothingElse) {
    track_->sampleRate = 22050;
    EXPECT_EQ(WDXGetTrackInfo(0), 1);
    EXPECT_EQ(WDXGetTrackInfo(1), 22050);
    EXPECT_EQ(WDXGetTrackInfo(2), 88200);
    EXPECT_EQ(WDXGetTrackInfo(3), -1);
    EXPECT_EQ(WDXGetTrackInfo(-1), -1);
}

TEST_F(CurrentTrack, UndoWithNothingToUndoStillPostsSelectionChangedThenTrackChanged) {
    wdtest::TestHost host;
    HWND a = host.addChild(host.frame(), 0, 0, 10, 10);
    WDXRegisterMainWnd(a);
    EXPECT_EQ(WDXCanUndo(), 0);
    EXPECT_EQ(WDXUndo(), 0);
    EXPECT_EQ(WDXRedo(), 0);
    host.pump();
    EXPECT_EQ(notifications(host, a), (std::vector<UINT>{1151, 1154, 1151, 1154}));
}

TEST_F(CurrentTrack, UndoAndRedoRestoreTheTrackAndReportTheSelectionAndViewTimes) {
    wdtest::TestHost host;
    HWND h[6];
    for (int i = 0; i < 6; ++i) h[i] = host.addChild(host.frame(), 10 * i, 0, 10, 10);
    WDXRegSelViewHWND(h[0], h[1], h[2], h[3], h[4], h[5]);
    HWND trackView = host.addChild(host.frame(), 0, 20, 100, 50);
    HWND ruler = host.addChild(host.frame(), 100, 20, 20, 50);
    wd::LibraryWindows::instance().setWindow(wd::LibraryWindows::Which::Track, trackView);
    wd::LibraryWindows::instance().setWindow(wd::LibraryWindows::Which::Ruler, ruler);
    host.pump();
    host.clearLog();

    wd::UndoHistory::instance().saveState(track_->id(), *track_);
    EXPECT_EQ(WDXCanUndo(), 1);
    EXPECT_EQ(WDXCanRedo(), 0);
    // An edit: a selection of one second from 0.5 s, and a longer track.
    track_->channel(0)->selStart = 22050;
    track_->channel(0)->selLength = 44100;
    std::vector<float> more(44100, 0.5f);
    track_->channel(0)->sequence().appendSamples(more.data(), 44100);
    track_->channel(0)->sequence().flushAppend();
    track_->samplesPerColumn = 100;
    track_->viewColumns = 441;

    EXPECT_EQ(WDXUndo(), 0);
    EXPECT_EQ(WDXGetTrackInfo(2), 88200);
    EXPECT_EQ(track_->channel(0)->selStart, 0);
    EXPECT_EQ(WDXCanUndo(), 0);
    EXPECT_EQ(WDXCanRedo(), 1);
    // The restored view: 2048 samples per column over 585 columns, from 0.
    EXPECT_EQ(textOf(h[0]), "00:00.000");
    EXPECT_EQ(textOf(h[1]), "00:00.000");
    EXPECT_EQ(textOf(h[2]), "00:00.000");
    EXPECT_EQ(textOf(h[3]), "00:00:000");
    EXPECT_EQ(textOf(h[4]), "00:27:167");
    EXPECT_EQ(textOf(h[5]), "00:27:167");

    EXPECT_EQ(WDXRedo(), 0);
    EXPECT_EQ(WDXGetTrackInfo(2), 132300);
    EXPECT_EQ(textOf(h[0]), "00:00.500");
    EXPECT_EQ(textOf(h[1]), "00:01:500");
    EXPECT_EQ(textOf(h[2]), "00:01:000");
    EXPECT_EQ(textOf(h[4]), "00:01:000");
    EXPECT_EQ(wd::TimeWindowText::instance().text(), "00:00.500");
    host.pump();
    EXPECT_GE(host.count(trackView, WM_PAINT), 1u);
    EXPECT_GE(host.count(ruler, WM_PAINT), 1u);
    wd::LibraryWindows::instance().setWindow(wd::LibraryWindows::Which::Track, nullptr);
    wd::LibraryWindows::instance().setWindow(wd::LibraryWindows::Which::Ruler, nullptr);
    WDXRegSelViewHWND(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(CurrentTrack, NullTimeWindowsReceiveNothingAndTheTimeWindowTextAlwaysFollows) {
    wdtest::TestHost host;
    HWND end = host.addChild(host.frame(), 0, 0, 10, 10);
    WDXRegSelViewHWND(nullptr, end, nullptr, nullptr, nullptr, nullptr);
    track_->reportSelectionTimes(44100, 0);
    EXPECT_EQ(textOf(end), "00:01.000");
    EXPECT_EQ(wd::TimeWindowText::instance().text(), "00:01.000");
    track_->reportSelectionTimes(88200, -1);
    EXPECT_EQ(textOf(end), "00:01.000");
    EXPECT_EQ(wd::TimeWindowText::instance().text(), "00:02.000");
    WDXRegSelViewHWND(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(CurrentTrack, TimeTextsReportedOnAWorkerReachTheWindowsThroughTheirThread) {
    wdtest::TestHost host;
    HWND start = host.addChild(host.frame(), 0, 0, 10, 10);
    WDXRegSelViewHWND(start, nullptr, nullptr, nullptr, nullptr, nullptr);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        track_->reportSelectionTimes(4410, 0);
        done = true;
    });
    // SendMessageA from the worker waits until this thread handles the message.
    EXPECT_TRUE(host.pumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(textOf(start), "00:00.100");
    WDXRegSelViewHWND(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace
