// The record window, looked at and clicked: its lines and bands, following the end while
// recording, the cursor a click sets, and its scroll bar for long takes.
#include <gtest/gtest.h>

#include <limits>

#include "audio/player.h"
#include "audio/recorder.h"
#include "model/track.h"
#include "record_fixture.h"
#include "ui/record_window.h"
#include "wavedeck.h"

namespace recordtest {
namespace {

using wdtest::rgbPixel;

constexpr uint32_t kBlack = rgbPixel(0, 0, 0);
constexpr uint32_t kGreen = rgbPixel(0, 255, 90);
constexpr uint32_t kWhite = rgbPixel(255, 255, 255);
constexpr uint32_t kRed = rgbPixel(255, 0, 30);
/** The client area: the window less its scroll bar. */
constexpr int kClientWidth = kRecordWidth;
constexpr int kClientHeight = kRecordHeight - WD_SCROLLBAR_SIZE;

/** Rows of column x from `top` to `bottom` (inclusive) that have the colour. */
int rowsOf(const wdtest::Image& image, int x, int top, int bottom, uint32_t colour) {
    int n = 0;
    for (int y = top; y <= bottom; ++y) n += image.at(x, y) == colour ? 1 : 0;
    return n;
}

TEST_F(RecordTest, WithoutATakeOnlyTheCentreAndSeparatorLinesShowAndTheArrowsAreDisabled) {
    struct Case {
        int channels;
        std::vector<std::pair<int, uint32_t>> rows;
    };
    // One band centred at h / 2; two bands of q = (h - 5) / 4 centred at q and 3q + 5 with
    // white lines at (h - 5) / 2 and 4 below it.
    for (const Case& c : {Case{1, {{51, kGreen}}}, Case{2, {{24, kGreen}, {49, kWhite}, {53, kWhite}, {77, kGreen}}}}) {
        SCOPED_TRACE(std::to_string(c.channels) + " channel(s)");
        WDXSetRecordParam(c.channels, 22050, 16);
        InvalidateRect(record, nullptr, TRUE);
        const wdtest::Image image = host->capture(record);
        ASSERT_EQ(image.height, kRecordHeight);
        host->capturePng(record, "record_window_empty_" + std::to_string(c.channels));
        size_t wrong = 0;
        for (int y = 0; y < kClientHeight; ++y) {
            uint32_t expected = kBlack;
            for (const auto& [row, colour] : c.rows) expected = row == y ? colour : expected;
            for (int x = 0; x < kClientWidth; ++x) wrong += image.at(x, y) != expected ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0u);
        EXPECT_FALSE(EnableScrollBar(record, SB_HORZ, ESB_DISABLE_BOTH)) << "the arrows were enabled";
    }
}

TEST_F(RecordTest, WhileRecordingTheNewestPairsStayAtTheRightEdge) {
    ASSERT_TRUE(begin(1, 22050, 16));
    ASSERT_TRUE(recordAtLeast(2 * kClientWidth * 1000));
    WDXStopRecord();
    host->pump();
    // The window followed the end on every level message, the last one after the last
    // buffer; only the pair of the samples left over at the stop came after it.
    const wd::RecordOverview& overview = *wd::Recorder::instance().overview(0);
    const int count = overview.pairCount();
    EXPECT_GE(overview.viewOffset(), count - kClientWidth - 1);
    EXPECT_LE(overview.viewOffset(), count - kClientWidth);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(record, SB_HORZ, &info);
    EXPECT_EQ(info.nMax, count);
    EXPECT_EQ(info.nPage, static_cast<UINT>(kClientWidth));
    EXPECT_EQ(info.nPos, overview.viewOffset());

    // The tone at half scale: every column a line from 51 + 25.5 up to 51 - 25.5, the
    // upper end excluded, over the centre line.
    const wdtest::Image image = host->capture(record);
    host->capturePng(record, "record_window_following");
    for (int x : {0, kClientWidth / 2, kClientWidth - 10}) {
        SCOPED_TRACE("column " + std::to_string(x));
        EXPECT_EQ(rowsOf(image, x, 27, 75, kGreen), 49);
        EXPECT_EQ(rowsOf(image, x, 0, 24, kBlack), 25);
        EXPECT_EQ(rowsOf(image, x, 78, kClientHeight - 1, kBlack), kClientHeight - 78);
    }
}

TEST_F(RecordTest, AClickSetsTheCursorAndTheTakesSelectionStartAndRestartsAPlayBackThere) {
    backend->setSpeed(20.0);
    ASSERT_TRUE(recordTake(1, 22050, 16, 150000));
    const wd::RecordOverview& overview = *wd::Recorder::instance().overview(0);
    wd::Track& take = *wd::Recorder::instance().recordedTrack();
    const int count = overview.pairCount();
    ASSERT_LT(count, kClientWidth) << "the take must fit the window";
    ASSERT_EQ(overview.viewOffset(), 0);
    struct Case {
        int x;
        int cursor;
        int selStart;
    };
    // Beyond the last column the cursor stays on the last pair, or one past it exactly at
    // the pair count; the selection start never passes the take's end.
    for (const Case& c : {Case{40, 40, 40000}, Case{count, count, take.length()},
                          Case{count + 20, count - 1, (count - 1) * 1000}}) {
        SCOPED_TRACE("click at " + std::to_string(c.x));
        host->click(record, c.x, 50);
        EXPECT_EQ(overview.cursor(), c.cursor);
        EXPECT_EQ(take.channel(0)->selStart, c.selStart);
        const wdtest::Image image = host->capture(record);
        if (c.cursor < kClientWidth) {
            EXPECT_EQ(rowsOf(image, c.cursor, 0, kClientHeight - 1, kRed), kClientHeight);
        }
    }
    host->click(record, 40, 50);
    host->capturePng(record, "record_window_cursor");

    // Played back from the cursor; a click during the play back plays from the new place.
    const std::vector<float> samples = takeSamples(0);
    auto playedFrom = [&](int start) {
        const std::vector<int16_t> out = played();
        size_t wrong = 0;
        for (size_t i = 0; i < 5000; ++i) {
            wrong += i >= out.size() || out[i] != static_cast<int16_t>(samples[start + i] * 32767.5) ? 1 : 0;
        }
        return wrong == 0;
    };
    backend->setCapture(0, true);
    ASSERT_EQ(WDXPlayRecord(), 0);
    ASSERT_TRUE(host->pumpUntil([] { return !wd::Player::instance().isPlaying(); }));
    EXPECT_TRUE(playedFrom(40000));
    backend->setSpeed(1.0);
    ASSERT_EQ(WDXPlayRecord(), 0);
    WDXPauseTrack();
    backend->setCapture(0, true);
    host->click(record, 60, 50);
    EXPECT_TRUE(wd::Player::instance().isPlaying());
    EXPECT_TRUE(wd::Player::instance().playingRecording());
    backend->setSpeed(std::numeric_limits<double>::infinity());
    ASSERT_TRUE(host->pumpUntil([] { return !wd::Player::instance().isPlaying(); }));
    EXPECT_TRUE(playedFrom(60000));
}

/** Drags the scroll bar's thumb from the left end to past the bar's right end. */
void dragThumbToTheRightEnd(wdtest::TestHost& host, HWND window) {
    const int y = kClientHeight + WD_SCROLLBAR_SIZE / 2;
    host.mouse(WM_LBUTTONDOWN, window, WD_SCROLLBAR_SIZE + 4, y);  // the thumb, at least 8 wide
    host.mouse(WM_MOUSEMOVE, window, 10 * kClientWidth, y);
    host.mouse(WM_LBUTTONUP, window, 10 * kClientWidth, y);
    host.pump();
}

TEST_F(RecordTest, TakesOfMoreThan65536PairsScrollOverARangeOf65536WithAProportionalPage) {
    struct Case {
        int pairs;
        int maximum;
        UINT page;
        int offsetAfterOneStep;
    };
    // 100,000 pairs: page 300 * 65536 / 100000 + 0.5 = 197.1; one position is 1.53 pairs.
    for (const Case& c : {Case{1000, 1000, 300, 1}, Case{100000, 65536, 197, 2}}) {
        SCOPED_TRACE(std::to_string(c.pairs) + " pairs");
        WDXSetRecordParam(1, 22050, 16);
        wd::RecordOverview overview;
        for (int k = 0; k < c.pairs; ++k) overview.appendPair(-0.25f, 0.25f);
        wd::RecordWindow& window = wd::RecordWindow::instance();
        window.setOverviews(&overview, nullptr);
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(record, SB_HORZ, &info);
        EXPECT_EQ(info.nMax, c.maximum);
        EXPECT_EQ(info.nPage, c.page);
        EXPECT_EQ(info.nPos, 0);
        SendMessageA(record, WM_HSCROLL, SB_LINERIGHT, 0);
        EXPECT_EQ(GetScrollPos(record, SB_HORZ), 1);
        EXPECT_EQ(overview.viewOffset(), c.offsetAfterOneStep);
        SendMessageA(record, WM_HSCROLL, SB_THUMBPOSITION, 0);  // changes nothing
        EXPECT_EQ(overview.viewOffset(), c.offsetAfterOneStep);
        // The thumb at the right end shows the last pairs, whose position does not fit
        // the message's 16 bits.
        dragThumbToTheRightEnd(*host, record);
        EXPECT_EQ(GetScrollPos(record, SB_HORZ), c.maximum - static_cast<int>(c.page) + 1);
        EXPECT_EQ(overview.viewOffset(), c.pairs - kClientWidth);
        window.setOverviews(nullptr, nullptr);
    }
}

}  // namespace
}  // namespace recordtest
