// The record window, looked at and clicked: its lines and bands, following the end while
// recording, the cursor a click sets, and its scroll bar for long takes.
#include <gtest/gtest.h>

#include <limits>

#include "audio/player.h"
#include "record_fixture.h"
#include "ui/record_window.h"

namespace recordtest {
namespace {

using wdtest::rgbPixel;

constexpr uint32_t kGreen = rgbPixel(0, 255, 90);
constexpr uint32_t kWhite = rgbPixel(255, 255, 255);
constexpr uint32_t kRed = rgbPixel(255, 0, 30);
/** The client area is the window less its scroll bar: 300 x 103. */
constexpr int kWidth = kRecordWidth;
const int kHeight = kRecordHeight - wdtest::scrollBarHeight();

/** How many rows of column x from top to bottom (inclusive) have the colour. */
int rowsOf(const wdtest::Image& image, int x, int top, int bottom, uint32_t colour) {
    int n = 0;
    for (int y = top; y <= bottom; ++y) n += image.at(x, y) == colour ? 1 : 0;
    return n;
}

TEST_F(RecordTest, WithoutATakeOnlyTheCentreAndSeparatorLinesShowAndTheArrowsAreDisabled) {
    // One band centred at h / 2; two of q = (h - 5) / 4 centred at q and 3q + 5, with white
    // lines at (h - 5) / 2 and 4 below.
    using Rows = std::vector<std::pair<int, uint32_t>>;
    for (const auto& [channels, rows] : {std::pair{1, Rows{{51, kGreen}}},
                                         std::pair{2, Rows{{24, kGreen}, {49, kWhite}, {53, kWhite}, {77, kGreen}}}}) {
        WDXSetRecordParam(channels, 22050, 16);
        InvalidateRect(record, nullptr, TRUE);
        const wdtest::Image image = host.capture(record);
        host.capturePicture(record, "record_window_empty_" + std::to_string(channels));
        size_t wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            uint32_t expected = 0;
            for (const auto& [row, colour] : rows) expected = row == y ? colour : expected;
            for (int x = 0; x < kWidth; ++x) wrong += image.at(x, y) != expected ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0u) << channels << " channel(s)";
        EXPECT_FALSE(EnableScrollBar(record, SB_HORZ, ESB_DISABLE_BOTH)) << "the arrows were enabled";
    }
}

TEST_F(RecordTest, WhileRecordingTheNewestPairsStayAtTheRightEdge) {
    ASSERT_TRUE(recordTake(1, 22050, 16, 2 * kWidth * 1000));
    // The window followed the end on every level message, the last after the last buffer:
    // only the pair of the samples left at the stop came after it.
    const wd::RecordOverview& overview = *wd::Recorder::instance().overview(0);
    const int count = overview.pairCount();
    EXPECT_GE(overview.viewOffset(), count - kWidth - 1);
    EXPECT_LE(overview.viewOffset(), count - kWidth);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(record, SB_HORZ, &info);
    EXPECT_EQ(info.nMax, count);
    EXPECT_EQ(info.nPage, static_cast<UINT>(kWidth));
    EXPECT_EQ(info.nPos, overview.viewOffset());
    // The tone at half scale: each column a line from 51 + 25.5 to 51 - 25.5 (excluded).
    const wdtest::Image image = host.capture(record);
    host.capturePicture(record, "record_window_following");
    for (int x : {0, kWidth / 2, kWidth - 10}) {
        EXPECT_EQ(rowsOf(image, x, 27, 75, kGreen), 49) << "column " << x;
        EXPECT_EQ(rowsOf(image, x, 0, 24, 0) + rowsOf(image, x, 78, kHeight - 1, 0), 25 + kHeight - 78);
    }
}

TEST_F(RecordTest, AClickSetsTheCursorAndTheTakesSelectionStartAndRestartsAPlayBackThere) {
    backend->setSpeed(20.0);
    ASSERT_TRUE(recordTake(1, 22050, 16, 150000));
    const wd::RecordOverview& overview = *wd::Recorder::instance().overview(0);
    wd::Track& take = *wd::Recorder::instance().recordedTrack();
    const int count = overview.pairCount();
    ASSERT_LT(count, kWidth) << "the take must fit the window";
    // Beyond the last column the cursor stays on the last pair, or one past it exactly at
    // the pair count; the selection start never passes the take's end.
    for (const auto& [x, cursor, start] : {std::tuple{40, 40, 40000}, std::tuple{count, count, take.length()},
                                           std::tuple{count + 20, count - 1, (count - 1) * 1000}}) {
        host.click(record, x, 50);
        EXPECT_EQ(overview.cursor(), cursor) << "click at " << x;
        EXPECT_EQ(take.channel(0)->selStart, start) << "click at " << x;
        EXPECT_EQ(rowsOf(host.capture(record), cursor, 0, kHeight - 1, kRed), kHeight);
    }
    host.click(record, 40, 50);
    host.capturePicture(record, "record_window_cursor");

    // Played back from the cursor; a click during the play back plays from the new place.
    const std::vector<float> samples = takeSamples(0);
    auto playedFrom = [&](size_t start) {
        const std::vector<int16_t> out = played();
        for (size_t i = 0; i < 5000; ++i) {
            if (i >= out.size() || out[i] != static_cast<int16_t>(samples[start + i] * 32767.5)) return false;
        }
        return true;
    };
    backend->setCapture(0, true);
    ASSERT_EQ(WDXPlayRecord(), 0);
    ASSERT_TRUE(host.pumpUntil([] { return !wd::Player::instance().isPlaying(); }));
    EXPECT_TRUE(playedFrom(40000));
    backend->setSpeed(1.0);
    ASSERT_EQ(WDXPlayRecord(), 0);
    WDXPauseTrack();
    backend->setCapture(0, true);
    host.click(record, 60, 50);
    EXPECT_TRUE(wd::Player::instance().playingRecording());
    backend->setSpeed(std::numeric_limits<double>::infinity());
    ASSERT_TRUE(host.pumpUntil([] { return !wd::Player::instance().isPlaying(); }));
    EXPECT_TRUE(playedFrom(60000));
}

TEST_F(RecordTest, TakesOfMoreThan65536PairsScrollOverARangeOf65536WithAProportionalPage) {
    // 100,000 pairs: page 300 * 65536 / 100000 + 0.5 = 197.1; one position is 1.53 pairs.
    for (const auto& [pairs, range, page, afterOneStep] : {std::tuple{1000, 1000, 300, 1}, std::tuple{100000, 65536, 197, 2}}) {
        SCOPED_TRACE(std::to_string(pairs) + " pairs");
        WDXSetRecordParam(1, 22050, 16);
        wd::RecordOverview overview;
        for (int k = 0; k < pairs; ++k) overview.appendPair(-0.25f, 0.25f);
        wd::RecordWindow::instance().setOverviews(&overview, nullptr);
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(record, SB_HORZ, &info);
        EXPECT_EQ(info.nMax, range);
        EXPECT_EQ(info.nPage, static_cast<UINT>(page));
        EXPECT_EQ(info.nPos, 0);
        SendMessageA(record, WM_HSCROLL, SB_LINERIGHT, 0);
        EXPECT_EQ(overview.viewOffset(), afterOneStep);
        SendMessageA(record, WM_HSCROLL, SB_THUMBPOSITION, 0);  // changes nothing
        EXPECT_EQ(overview.viewOffset(), afterOneStep);
        // The thumb dragged to the right end, a position the message's 16 bits cannot
        // hold, shows the last pairs.
        const int y = kHeight + wdtest::scrollBarHeight() / 2;
        host.mouse(WM_LBUTTONDOWN, record, wdtest::scrollBarHeight() + 4, y);
        host.mouse(WM_MOUSEMOVE, record, 10 * kWidth, y);
        host.mouse(WM_LBUTTONUP, record, 10 * kWidth, y);
        host.pump();
        EXPECT_EQ(GetScrollPos(record, SB_HORZ), range - page + 1);
        EXPECT_EQ(overview.viewOffset(), pairs - kWidth);
        wd::RecordWindow::instance().setOverviews(nullptr, nullptr);
    }
}

}  // namespace
}  // namespace recordtest
