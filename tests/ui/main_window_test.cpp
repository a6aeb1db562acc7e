// The main window: its picture without a track, the take-over of a new track through
// MsgImportComplete, tab selection and closing, layout, the exports that close tracks,
// and the screenshot of an editing session for the documentation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "services/host_windows.h"
#include "model/track.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "platform/audio/winmm.h"
#include "ui/ui_session.h"
#include "ui/main_window.h"
#include "ui/ruler_window.h"
#include "ui/tab_window.h"
#include "services/time_window_text.h"
#include "ui/track_window.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace {

using namespace wdtest;
using wd::TrackList;

HWND tabWindow() { return wd::TabWindow::instance().window(); }
HWND trackWindow() { return wd::TrackWindow::instance().window(); }
HWND rulerWindow() { return wd::RulerWindow::instance().window(); }

class Main : public ::testing::Test {
protected:
    UiSession session;
    void SetUp() override { ASSERT_NE(session.createMain(), nullptr); }
};

TEST_F(Main, WithoutATrackItShowsThePictureStretchedOverTheWindow) {
    char title[32] = {};
    GetWindowTextA(session.main(), title, sizeof title);
    EXPECT_STREQ(title, "mainwindow_aa");
    EXPECT_TRUE(IsWindowVisible(session.main()));
    for (HWND child : {tabWindow(), trackWindow(), rulerWindow()}) {
        EXPECT_TRUE(IsWindow(child));
        EXPECT_FALSE(IsWindowVisible(child));
    }
    const Image picture = bitmapResource(wd::MainWindow::kPictureBitmap);
    ASSERT_EQ(picture.width, 582);
    const Image image = session.capture(session.main());
    // Nearest neighbour: window column i shows picture column (2 i + 1) * 582 / (2 * 605).
    int checked = 0;
    for (int y = 0; y < kMainHeight; y += 23) {
        for (int x = 0; x < kMainWidth; x += 31) {
            const int sx = (2 * x + 1) * 582 / (2 * kMainWidth);
            const int sy = (2 * y + 1) * 341 / (2 * kMainHeight);
            EXPECT_EQ(image.at(x, y), picture.at(sx, sy)) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 200);
}

TEST_F(Main, AtExactlyThePictureSizeItIsCopiedOneToOne) {
    MoveWindow(session.main(), 0, 0, 582, 341, TRUE);
    const Image image = session.capture(session.main());
    const Image picture = bitmapResource(wd::MainWindow::kPictureBitmap);
    EXPECT_EQ(image.pixels, picture.pixels);
}

TEST_F(Main, TakingOverANewTrackMakesItsTabViewAndHistory) {
    wd::Track* t = session.makeTrack("/home/ana/music/Morning Take.wav", 2, 88200, sineSignal(220, 0.6));
    ASSERT_TRUE(session.open(t));
    session.host().pump();
    ASSERT_EQ(wd::TabWindow::instance().tabs().size(), 1u);
    EXPECT_EQ(wd::TabWindow::instance().tabs()[0].name, "Morning Take");
    EXPECT_EQ(wd::TabWindow::instance().tabs()[0].trackId, t->id());
    EXPECT_NE(wd::UndoHistory::instance().history(t->id()), nullptr);
    EXPECT_EQ(t->zoomFactor, 1);
    EXPECT_EQ(t->viewStart, 0);
    EXPECT_EQ(t->samplesPerColumn, (88200 + 564) / 565);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(t->channel(c)->viewColumns, 565);
        EXPECT_EQ(t->channel(c)->viewHeight, 330);
        EXPECT_EQ(t->channel(c)->viewRecord.fitSamplesPerColumn, t->samplesPerColumn);
    }
    for (HWND child : {tabWindow(), trackWindow(), rulerWindow()}) EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(session.notifications(), (std::vector<UINT>{NotifyTrackChanged, NotifySelectionChanged}));
    EXPECT_EQ(wd::TimeWindowText::instance().text(), "00:00.000");

    // A message without a track only tells the host about the selection.
    session.host().clearLog();
    PostMessageA(session.main(), MsgImportComplete, 0, 0);
    session.host().pumpFor(30ms);
    EXPECT_EQ(session.notifications(), std::vector<UINT>{NotifySelectionChanged});
    EXPECT_EQ(wd::TabWindow::instance().tabs().size(), 1u);
}

TEST_F(Main, ATrackRemovedBeforeItsMessageArrivesIsNotTakenOver) {
    wd::Track* t = session.makeTrack("/x/gone.wav", 1, 1000, sineSignal(100, 0.1));
    PostMessageA(session.main(), MsgImportComplete, 0, reinterpret_cast<LPARAM>(t));
    TrackList::instance().removeTrack(t);
    session.host().pumpFor(30ms);
    EXPECT_TRUE(wd::TabWindow::instance().tabs().empty());
    EXPECT_EQ(TrackList::instance().current(), nullptr);
}

TEST_F(Main, ClickingATabMakesItsTrackCurrent) {
    wd::Track* a = session.makeTrack("/m/a.wav", 1, 44100, sineSignal(100, 0.5));
    wd::Track* b = session.makeTrack("/m/b.wav", 2, 22050, sineSignal(300, 0.5));
    ASSERT_TRUE(session.open(a));
    ASSERT_TRUE(session.open(b));
    session.host().clearLog();
    session.host().click(tabWindow(), 3, 12);  // the first tab, a
    EXPECT_TRUE(session.host().pumpUntil([&] { return TrackList::instance().current() == a; }, 2000ms));
    session.host().pump();
    EXPECT_EQ(session.notifications(), (std::vector<UINT>{NotifySelectionChanged, NotifyTrackChanged}));
    EXPECT_EQ(wd::TabWindow::instance().selectedIndex(), 0);
}

TEST_F(Main, ClosingTheLastTrackHidesTheChildrenAndShowsThePicture) {
    wd::Track* a = session.makeTrack("/m/a.wav", 1, 44100, sineSignal(100, 0.5));
    wd::Track* b = session.makeTrack("/m/b.wav", 1, 44100, sineSignal(100, 0.5));
    ASSERT_TRUE(session.open(a));
    ASSERT_TRUE(session.open(b));
    const uint32_t idB = b->id();
    session.host().clearLog();
    EXPECT_EQ(WDXCloseCurTrack(), 0);  // b
    session.host().pump();
    EXPECT_EQ(TrackList::instance().findById(idB), nullptr);
    EXPECT_EQ(wd::UndoHistory::instance().history(idB), nullptr);
    EXPECT_EQ(TrackList::instance().current(), a);
    ASSERT_EQ(wd::TabWindow::instance().tabs().size(), 1u);
    EXPECT_TRUE(IsWindowVisible(trackWindow()));
    EXPECT_EQ(session.notifications(), (std::vector<UINT>{NotifySelectionChanged, NotifyTrackChanged}));

    // The close button of the strip closes the other one.
    const int w = kMainWidth;
    session.host().mouse(WM_MOUSEMOVE, tabWindow(), w - 12, 10);
    session.host().click(tabWindow(), w - 12, 10);
    EXPECT_TRUE(session.host().pumpUntil([&] { return TrackList::instance().count() == 0; }, 2000ms));
    for (HWND child : {tabWindow(), trackWindow(), rulerWindow()}) EXPECT_FALSE(IsWindowVisible(child));
    const Image image = session.capture(session.main());
    const Image picture = bitmapResource(wd::MainWindow::kPictureBitmap);
    EXPECT_EQ(image.at(kMainWidth / 2, kMainHeight / 2),
              picture.at((kMainWidth + 1) * 582 / (2 * kMainWidth), (kMainHeight + 1) * 341 / (2 * kMainHeight)));
    EXPECT_EQ(WDXCloseCurTrack(), 0);  // nothing left: nothing happens
}

TEST_F(Main, ExitClosesEveryTrack) {
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(session.open(session.makeTrack("/m/t.wav", 1, 4410, sineSignal(100, 0.5))));
    WDXExitProgram();
    EXPECT_EQ(TrackList::instance().count(), 0);
    EXPECT_TRUE(wd::TabWindow::instance().tabs().empty());
}

TEST_F(Main, ResizingLaysOutTheChildren) {
    ASSERT_TRUE(session.open(session.makeTrack("/m/t.wav", 1, 4410, sineSignal(100, 0.5))));
    MoveWindow(session.main(), 0, 0, 800, 500, TRUE);
    session.host().pump();
    RECT r{};
    GetWindowRect(trackWindow(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 760);
    EXPECT_EQ(r.bottom - r.top, 470);
    GetWindowRect(tabWindow(), &r);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 30);
    GetWindowRect(rulerWindow(), &r);
    EXPECT_EQ(r.left, 760);
    EXPECT_EQ(r.right - r.left, 40);
    EXPECT_EQ(r.bottom - r.top, 470);
    // The scale follows the view's new height (client 453 of 470 rows, r = 453 / 330).
    const Image image = session.capture(session.main());
    EXPECT_EQ(image.at(762, 30 + static_cast<int>(285 * (453.0f / 330))), rgb(255, 255, 255));
}

TEST_F(Main, AMixerChangeIsPassedToTheFirstHostWindow) {
    if (wd::HostWindows::instance().first() != session.notified()) GTEST_SKIP() << "another host window came first";
    PostMessageA(session.main(), MM_MIXM_CONTROL_CHANGE, 0x1234, 7);
    ASSERT_TRUE(session.host().waitForMessage(session.notified(), NotifyMixerChanged, 2000ms));
    EXPECT_EQ(session.host().messages(session.notified(), NotifyMixerChanged)[0].wParam, 0x1234u);
    EXPECT_EQ(session.host().messages(session.notified(), NotifyMixerChanged)[0].lParam, 7);
}

TEST_F(Main, AThousandPaintsOfEveryWindowLeaveTheGdiObjectCountUnchanged) {
    wd::Track* t = session.makeTrack("/m/t.wav", 2, 44100, sineSignal(100, 0.5));
    ASSERT_TRUE(session.open(t));
    t->channel(0)->selLength = 20000;
    session.host().pump();
    const std::optional<DWORD> before = wdtest::gdiObjects();
    if (!before) GTEST_SKIP() << "this system does not count GDI objects";
    for (int i = 0; i < 1000; ++i) {
        for (HWND w : {tabWindow(), trackWindow(), rulerWindow()}) {
            InvalidateRect(w, nullptr, TRUE);
            UpdateWindow(w);
        }
    }
    EXPECT_EQ(wdtest::gdiObjects(), before);
    WDXExitProgram();
    session.host().pump();
    const std::optional<DWORD> pictureBefore = wdtest::gdiObjects();
    for (int i = 0; i < 1000; ++i) {
        InvalidateRect(session.main(), nullptr, TRUE);
        UpdateWindow(session.main());
    }
    EXPECT_EQ(wdtest::gdiObjects(), pictureBefore);
    std::printf("GDI objects: %lu before and after 3000 paints of the track view, ruler and tabs, %lu around 1000 "
                "paints of the picture\n", static_cast<unsigned long>(*before), static_cast<unsigned long>(*pictureBefore));
}

// An editing session as a user sees it: two stereo tracks open, the second one current
// with a selection. Written to test-output/main-window.png for the documentation.
TEST(MainWindowScreenshot, TwoStereoTracksWithASelection) {
    UiSession session(900, 516);
    ASSERT_NE(session.createMain(900, 460), nullptr);
    HWND time = WDXCreateTimeWnd(session.frame(), 0, 460, 900, 56);
    ASSERT_NE(time, nullptr);
    auto speech = [](int channel, int64_t i) {
        const double t = static_cast<double>(i) / 44100;
        const double syllables = std::pow(std::max(0.0, std::sin(2 * M_PI * 1.7 * t)), 2.0);
        const double phrase = 0.5 + 0.5 * std::sin(2 * M_PI * 0.21 * t + 1.0);
        const double tone = std::sin(2 * M_PI * 180 * t) * 0.6 + std::sin(2 * M_PI * 523 * t + channel) * 0.3 +
                            std::sin(2 * M_PI * 1210 * t) * 0.1;
        return static_cast<float>(0.85 * syllables * phrase * tone * (channel ? 0.8 : 1.0));
    };
    auto music = [](int channel, int64_t i) {
        const double t = static_cast<double>(i) / 44100;
        const double beat = std::exp(-8.0 * std::fmod(t, 0.5));
        const double swell = 0.35 + 0.3 * std::sin(2 * M_PI * 0.05 * t + channel);
        return static_cast<float>(std::clamp(
            swell * std::sin(2 * M_PI * 110 * t) + 0.45 * beat * std::sin(2 * M_PI * 60 * t) + 0.05 * std::sin(i * 0.7),
            -1.0, 1.0));
    };
    ASSERT_TRUE(session.open(session.makeTrack("/home/ana/Music/Bassline demo.wav", 2, 44100 * 30, music)));
    wd::Track* talk = session.makeTrack("/home/ana/Recordings/Interview take 1.wav", 2, 44100 * 24, speech);
    ASSERT_TRUE(session.open(talk));
    for (int c = 0; c < 2; ++c) {
        talk->channel(c)->selStart = 44100 * 9;
        talk->channel(c)->selLength = 44100 * 5;
    }
    talk->reportSelectionTimes(44100 * 9, 44100 * 5);
    wd::TrackWindow::instance().invalidate();
    const std::string path = session.host().capturePicture(session.frame(), "main-window");
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::exists(path));
    DestroyWindow(time);
}

}  // namespace
