// The track view's drawing, probed pixel by pixel on the headless display: frame lines,
// waveform colours inside and outside the selection, cursor, time ruler, stretching, and
// that painting leaves no GDI object behind.
#include <gtest/gtest.h>

#include <limits>

#include "model/track.h"
#include "model/track_list.h"
#include "ui/ui_session.h"
#include "ui/track_window.h"
#include "wavedeck.h"

namespace {

using namespace wdtest;

constexpr uint32_t kBlack = rgb(0, 0, 0);
constexpr uint32_t kWhite = rgb(255, 255, 255);
constexpr uint32_t kWave = rgb(0, 255, 90);
constexpr uint32_t kWaveSelected = rgb(115, 193, 117);
constexpr uint32_t kWaveDeselected = rgb(180, 255, 180);
constexpr uint32_t kCursor = rgb(255, 0, 30);
constexpr uint32_t kMarker = rgb(179, 179, 179);
constexpr int kTop = 30;      // the track view's top inside the main window
constexpr int kSpc = 79;      // samples per column of one second at 44.1 kHz fitted to 565 columns

// A pixel of the track view's canvas inside a capture of the main window (1:1 layout).
uint32_t canvas(const Image& image, int x, int y) { return image.at(x, y + kTop); }

class TrackViewPaint : public ::testing::Test {
protected:
    UiSession session;
    void SetUp() override { ASSERT_NE(session.createMain(), nullptr); }
    wd::Track* openTrack(int channels) {
        wd::Track* t = session.makeTrack("/music/tone.wav", channels, 44100, sineSignal(441, 0.5));
        EXPECT_TRUE(session.open(t));
        return t;
    }
    Image select(wd::Track* t, int channel, int start, int length) {
        t->channel(channel)->selStart = start;
        t->channel(channel)->selLength = length;
        wd::TrackWindow::instance().invalidate();
        return session.capture(session.main());
    }
};

TEST_F(TrackViewPaint, ATrackTakenOverIsFittedToTheCanvas) {
    wd::Track* t = openTrack(1);
    EXPECT_EQ(t->samplesPerColumn, kSpc);
    EXPECT_EQ(t->fitSamplesPerColumn, kSpc);
    EXPECT_EQ(t->viewColumns, 565);
    EXPECT_EQ(t->channel(0)->columns().count(), 559);  // ceil(44100 / 79)
    RECT client{};
    GetClientRect(wd::TrackWindow::instance().window(), &client);
    EXPECT_EQ(client.right, 565);
    EXPECT_EQ(client.bottom, 330);
}

TEST_F(TrackViewPaint, MonoFrameLinesWaveformAndSelectionHaveTheirColours) {
    wd::Track* t = openTrack(1);
    const Image image = select(t, 0, 100 * kSpc, 100 * kSpc);  // columns 100 .. 199
    for (int y : {0, 8, 23, 330 - 45, 300}) EXPECT_EQ(canvas(image, 400, y), kWhite) << "frame line at y = " << y;
    EXPECT_EQ(canvas(image, 400, 4), kBlack);   // background between the top lines
    EXPECT_EQ(canvas(image, 400, 60), kBlack);  // above the waveform
    // The waveform (amplitude 0.5 of 131 rows around row 154) outside the selection...
    EXPECT_EQ(canvas(image, 400, 120), kWave);
    EXPECT_EQ(canvas(image, 400, 154), kWave);
    EXPECT_EQ(canvas(image, 400, 218), kWave);
    EXPECT_EQ(canvas(image, 400, 222), kBlack);
    // ... and inside it, on the white selection rectangle, under the selection bar.
    EXPECT_EQ(canvas(image, 150, 120), kWaveSelected);
    EXPECT_EQ(canvas(image, 150, 154), kWaveSelected);
    EXPECT_EQ(canvas(image, 150, 60), kWhite);
    EXPECT_EQ(canvas(image, 150, 4), kWaveSelected);
    EXPECT_EQ(canvas(image, 99, 60), kBlack);
    EXPECT_EQ(canvas(image, 100, 60), kWhite);
    EXPECT_EQ(canvas(image, 199, 60), kWhite);
    EXPECT_EQ(canvas(image, 200, 60), kBlack);
    EXPECT_EQ(canvas(image, 99, 4), kBlack);
    // The ruler marks the selection with a grey band below the line at h - 30.
    EXPECT_EQ(canvas(image, 150, 325), kMarker);
    EXPECT_EQ(canvas(image, 250, 325), kBlack);
    // Columns past the end of the track (559 and on) show only the centre line.
    EXPECT_EQ(canvas(image, 562, 154), kWave);
    EXPECT_EQ(canvas(image, 562, 120), kBlack);
}

// Each column of the waveform takes the selected colour exactly when it is selected: on
// both sides of each edge, off the centre line (drawn over the columns on its own).
TEST_F(TrackViewPaint, TheWaveformTakesTheSelectedColourOnTheSelectedColumnsOnly) {
    wd::Track* t = openTrack(1);
    const Image image = select(t, 0, 100 * kSpc, 100 * kSpc);  // columns 100 .. 199
    for (const int y : {120, 190}) {
        for (const auto& [x, colour] : {std::pair{99, kWave}, std::pair{100, kWaveSelected}, std::pair{199, kWaveSelected},
                                        std::pair{200, kWave}}) {
            EXPECT_EQ(canvas(image, x, y), colour) << "column " << x << ", row " << y;
        }
    }
}

TEST_F(TrackViewPaint, ACursorIsARedColumnWithATriangleOnTheRuler) {
    wd::Track* t = openTrack(1);
    const Image image = select(t, 0, 300 * kSpc, 0);
    EXPECT_EQ(canvas(image, 300, 9), kCursor);
    EXPECT_EQ(canvas(image, 300, 50), kCursor);
    EXPECT_EQ(canvas(image, 300, 298), kCursor);
    EXPECT_NE(canvas(image, 300, 299), kCursor);
    EXPECT_NE(canvas(image, 301, 50), kCursor);
    EXPECT_EQ(canvas(image, 300, 8), kWhite);
    // The triangle: its tip on the cursor column below the ruler line, 7 wide at the bottom.
    EXPECT_EQ(canvas(image, 300, 302), kMarker);
    EXPECT_EQ(canvas(image, 298, 328), kMarker);
    EXPECT_EQ(canvas(image, 302, 328), kMarker);
    EXPECT_EQ(canvas(image, 296, 305), kBlack);
}

TEST_F(TrackViewPaint, RulerTicksStandEveryFourteenColumnsWithLabelsEverySeventy) {
    wd::Track* t = openTrack(1);
    const Image image = select(t, 0, 0, 0);
    // Short ticks: rows h - 29 .. h - 25.
    EXPECT_EQ(canvas(image, 14, 301), kWhite);
    EXPECT_EQ(canvas(image, 14, 305), kWhite);
    EXPECT_EQ(canvas(image, 14, 306), kBlack);
    EXPECT_EQ(canvas(image, 15, 303), kBlack);
    // Long ticks at multiples of 70: rows h - 29 .. h - 21.
    EXPECT_EQ(canvas(image, 140, 309), kWhite);
    EXPECT_EQ(canvas(image, 140, 310), kBlack);
    // The label of column 140 (sample 11060: "00:00:250") is centred on its tick, top at h - 18.
    const RECT box = boundingBox(image, RECT{100, kTop + 311, 181, kTop + 330}, [](uint32_t p) {
        return (p >> 16 & 0xFF) > 128 && (p >> 8 & 0xFF) > 128;
    });
    ASSERT_GT(box.right, box.left);
    EXPECT_NEAR((box.left + box.right) / 2.0, 140, 2.0);
    EXPECT_GE(box.top - kTop, 312);
    EXPECT_LE(box.top - kTop, 315);
    EXPECT_LE(box.bottom - kTop, 330);
    EXPECT_GT(box.right - box.left, 25);  // nine characters of a 5-pixel wide font
}

TEST_F(TrackViewPaint, StereoBandsAndADeselectedChannel) {
    wd::Track* t = openTrack(2);
    t->channel(1)->selectedFlag = false;
    t->channel(1)->selStart = 100 * kSpc;
    t->channel(1)->selLength = 100 * kSpc;
    const Image image = select(t, 0, 100 * kSpc, 100 * kSpc);
    for (int y : {0, 8, 23, 137, 152, 156, 171, 285, 300}) EXPECT_EQ(canvas(image, 400, y), kWhite) << y;
    // Channel 0 (centre 80, half height 57): selection colours inside, white rectangle.
    EXPECT_EQ(canvas(image, 400, 80), kWave);
    EXPECT_EQ(canvas(image, 150, 80), kWaveSelected);
    EXPECT_EQ(canvas(image, 150, 30), kWhite);
    // Channel 1 (centre 228) is not selected: its own colour everywhere, no rectangle.
    EXPECT_EQ(canvas(image, 400, 228), kWaveDeselected);
    EXPECT_EQ(canvas(image, 150, 228), kWaveDeselected);
    EXPECT_EQ(canvas(image, 150, 270), kBlack);
    // The ruler shows channel 1's selection.
    EXPECT_EQ(canvas(image, 150, 325), kMarker);
}

TEST_F(TrackViewPaint, StereoCursorLinesStayInTheirBands) {
    wd::Track* t = openTrack(2);
    t->channel(1)->selStart = 200 * kSpc;
    t->channel(1)->selLength = 0;
    const Image image = select(t, 0, 200 * kSpc, 0);
    EXPECT_EQ(canvas(image, 200, 9), kCursor);
    EXPECT_EQ(canvas(image, 200, 151), kCursor);
    EXPECT_NE(canvas(image, 200, 152), kCursor);
    EXPECT_EQ(canvas(image, 200, 157), kCursor);
    EXPECT_EQ(canvas(image, 200, 299), kCursor);
    EXPECT_NE(canvas(image, 200, 300), kCursor);
}

TEST(TrackView, WithoutATrackTheCanvasIsBlackAndTheScrollBarDisabled) {
    UiSession session;
    HWND view = WCreateTrackWnd(session.frame(), 0, 0, 565, 330 + wdtest::scrollBarHeight());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(IsWindowVisible(view));
    char title[32] = {};
    GetWindowTextA(view, title, sizeof title);
    EXPECT_STREQ(title, "mywindow");
    const Image image = session.capture(view);
    EXPECT_EQ(countColour(image, RECT{0, 0, 565, 330}, kBlack), 565 * 330);
    EXPECT_FALSE(EnableScrollBar(view, SB_HORZ, ESB_DISABLE_BOTH));  // already disabled
    EXPECT_EQ(WDXZoomIn(), 0);
    EXPECT_EQ(WDXZoomOut(), 0);
    EXPECT_EQ(WDXZoomFit(), 0);
}

TEST(TrackView, AnotherClientSizeStretchesTheCanvas) {
    UiSession session(1200, 800);
    HWND view = WCreateTrackWnd(session.frame(), 0, 0, 1130, 660 + wdtest::scrollBarHeight());
    ASSERT_NE(view, nullptr);
    wd::Track* t = session.makeTrack("/music/tone.wav", 1, 44100, sineSignal(441, 0.5));
    wd::TrackList::instance().setCurrent(t);
    t->samplesPerColumn = t->fitSamplesPerColumn = kSpc;
    t->viewColumns = t->channel(0)->viewColumns = 565;
    t->channel(0)->updateColumns(4, 0, *t);
    t->channel(0)->selStart = 100 * kSpc;
    t->channel(0)->selLength = 0;
    wd::TrackWindow::instance().invalidate();
    const Image image = session.capture(view);
    // Canvas row 8 covers rows 16 and 17; the cursor column 100 covers columns 200 and 201.
    EXPECT_EQ(image.at(700, 16), kWhite);
    EXPECT_EQ(image.at(700, 17), kWhite);
    EXPECT_EQ(image.at(700, 15), kBlack);
    EXPECT_EQ(image.at(200, 100), kCursor);
    EXPECT_EQ(image.at(201, 100), kCursor);
    EXPECT_NE(image.at(202, 100), kCursor);
    DestroyWindow(view);
}

TEST_F(TrackViewPaint, AThousandPaintsLeaveTheGdiObjectCountUnchanged) {
    wd::Track* t = openTrack(2);
    t->channel(0)->selStart = 100 * kSpc;
    t->channel(0)->selLength = 50 * kSpc;
    HWND view = wd::TrackWindow::instance().window();
    session.host().pump();
    const std::optional<DWORD> before = wdtest::gdiObjects();
    if (!before) GTEST_SKIP() << "this system does not count GDI objects";
    for (int i = 0; i < 1000; ++i) {
        InvalidateRect(view, nullptr, TRUE);
        UpdateWindow(view);
    }
    EXPECT_EQ(wdtest::gdiObjects(), before);
    // The count does see a pen that a paint would forget.
    HPEN forgotten = CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(wdtest::gdiObjects(), *before + 1);
    DeleteObject(forgotten);
}

}  // namespace

namespace {

using namespace wdtest;

TEST(TrackViewDamagedData, ColumnsThatAreNotNumbersDrawAsSilence) {
    UiSession session;
    ASSERT_NE(session.createMain(), nullptr);
    wd::Track* t = session.makeTrack("/music/broken.wav", 1, 44100, [](int, int64_t i) {
        if (i % 3 == 0) return std::numeric_limits<float>::quiet_NaN();
        return i % 3 == 1 ? std::numeric_limits<float>::infinity() : 1e30f;
    });
    ASSERT_TRUE(session.open(t));
    t->channel(0)->selLength = 0;
    t->channel(0)->selStart = 200 * t->samplesPerColumn;
    wd::TrackWindow::instance().invalidate();
    const Image image = session.capture(session.main());
    // Everything drawn after the waveform still stands where it belongs.
    EXPECT_EQ(image.at(200, 30 + 50), rgb(255, 0, 30));
    EXPECT_EQ(image.at(400, 30 + 300), rgb(255, 255, 255));
    EXPECT_EQ(image.at(14, 30 + 303), rgb(255, 255, 255));
}

}  // namespace
