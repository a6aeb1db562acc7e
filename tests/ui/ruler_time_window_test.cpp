// The amplitude scale beside the track view and the large time display, probed on the
// headless display: rows of the scale per band, labels placed by bounding box, the time
// window's frame and centred text.
#include <gtest/gtest.h>

#include "model/track.h"
#include "model/track_list.h"
#include "ui/ui_session.h"
#include "ui/ruler_window.h"
#include "services/time_window_text.h"
#include "wavedeck.h"

namespace {

using namespace wdtest;

constexpr uint32_t kGrey = rgb(179, 179, 179);
constexpr uint32_t kWhite = rgb(255, 255, 255);
constexpr uint32_t kBlack = rgb(0, 0, 0);
constexpr int kLeft = 565;  // the ruler's x in the main window
constexpr int kTop = 30;

bool whitish(uint32_t p) { return (p >> 16 & 0xFF) > 220 && (p >> 8 & 0xFF) > 220 && (p & 0xFF) > 220; }

// The vertical centre of the label text drawn around `row` of the ruler (x 6 and on).
double labelCentre(const Image& image, int row) {
    const RECT box = boundingBox(image, RECT{kLeft + 7, kTop + row - 12, kLeft + 40, kTop + row + 12}, whitish);
    return box.bottom > box.top ? (box.top + box.bottom) / 2.0 - kTop : -1000.0;
}

class Scale : public ::testing::Test {
protected:
    UiSession session;
    void SetUp() override { ASSERT_NE(session.createMain(), nullptr); }
};

TEST_F(Scale, AMonoTrackShowsOneScaleFromRow23To285) {
    ASSERT_TRUE(session.open(session.makeTrack("/a/mono.wav", 1, 44100, sineSignal(100, 0.3))));
    const Image image = session.capture(session.main());
    EXPECT_EQ(image.at(kLeft + 20, kTop + 100), kGrey);
    EXPECT_EQ(image.at(kLeft, kTop + 100), kWhite);  // the left edge line
    for (int row : {23, 154, 285}) {
        EXPECT_EQ(image.at(kLeft + 1, kTop + row), kWhite) << row;
        EXPECT_EQ(image.at(kLeft + 5, kTop + row), kWhite) << row;
        EXPECT_NEAR(labelCentre(image, row), row, 3.0) << row;
    }
    // Small ticks (x 1 .. 2) every tenth of a half band: rows 23 + 131 k / 10.
    EXPECT_EQ(image.at(kLeft + 2, kTop + 23 + 131 * 3 / 10), kWhite);
    EXPECT_EQ(image.at(kLeft + 3, kTop + 23 + 131 * 3 / 10), kGrey);
    EXPECT_EQ(image.at(kLeft + 2, kTop + 154 + 131 * 7 / 10), kWhite);
    // No second scale.
    EXPECT_EQ(labelCentre(image, 185), -1000.0);
}

TEST_F(Scale, AStereoTrackShowsTwoScales) {
    ASSERT_TRUE(session.open(session.makeTrack("/a/stereo.wav", 2, 44100, sineSignal(100, 0.3))));
    const Image image = session.capture(session.main());
    // Channel 0: 23 .. 137 (middle 80); channel 1: 171 .. 285 (middle 228).
    for (int row : {23, 80, 137, 171, 228, 285}) {
        EXPECT_EQ(image.at(kLeft + 3, kTop + row), kWhite) << row;
        EXPECT_NEAR(labelCentre(image, row), row, 3.0) << row;
    }
}

TEST_F(Scale, WithoutATrackTheRulerIsHiddenAndDrawsNothing) {
    HWND ruler = wd::RulerWindow::instance().window();
    ASSERT_NE(ruler, nullptr);
    EXPECT_FALSE(IsWindowVisible(ruler));
    char title[32] = {};
    GetWindowTextA(ruler, title, sizeof title);
    EXPECT_STREQ(title, "wdmarkname");
}

TEST(TimeDisplay, ShowsTheTextCentredInAGreyFramedBox) {
    UiSession session;
    EXPECT_EQ(WDXCreateTimeWnd(nullptr, 0, 0, 200, 50), nullptr);
    wd::TimeWindowText::instance().setText("00:00.000");
    HWND time = WDXCreateTimeWnd(session.frame(), 10, 400, 200, 50);
    ASSERT_NE(time, nullptr);
    EXPECT_TRUE(IsWindowVisible(time));
    char title[32] = {};
    GetWindowTextA(time, title, sizeof title);
    EXPECT_STREQ(title, "wdtimewindow");
    const Image image = session.capture(time);
    EXPECT_EQ(image.at(8, 8), kGrey);
    // The 2-pixel black frame: left at x 1..2, bottom at rows 47..48, right at 197..198, top at 1..2.
    for (int x : {1, 2}) EXPECT_EQ(image.at(x, 25), kBlack) << x;
    for (int y : {47, 48}) EXPECT_EQ(image.at(100, y), kBlack) << y;
    for (int x : {197, 198}) EXPECT_EQ(image.at(x, 25), kBlack) << x;
    for (int y : {1, 2}) EXPECT_EQ(image.at(100, y), kBlack) << y;
    EXPECT_EQ(image.at(100, 0), kGrey);
    const RECT box = boundingBox(image, RECT{3, 3, 197, 47}, whitish);
    ASSERT_GT(box.right, box.left);
    EXPECT_NEAR((box.left + box.right) / 2.0, 100, 3.0);
    EXPECT_NEAR((box.top + box.bottom) / 2.0, 25, 4.0);
    EXPECT_GT(box.right - box.left, 100);  // nine characters of a 15-pixel wide font

    // A new text repaints the window by itself.
    wd::TimeWindowText::instance().setText("1");
    const Image after = session.capture(time);
    const RECT one = boundingBox(after, RECT{3, 3, 197, 47}, whitish);
    EXPECT_LT(one.right - one.left, 30);
    EXPECT_NEAR((one.left + one.right) / 2.0, 100, 4.0);
    wd::TimeWindowText::instance().setText("00:00.000");

    const std::optional<DWORD> before = wdtest::gdiObjects();
    if (!before) GTEST_SKIP() << "this system does not count GDI objects";
    for (int i = 0; i < 1000; ++i) {
        InvalidateRect(time, nullptr, TRUE);
        UpdateWindow(time);
    }
    EXPECT_EQ(wdtest::gdiObjects(), before);
    DestroyWindow(time);
}

}  // namespace
