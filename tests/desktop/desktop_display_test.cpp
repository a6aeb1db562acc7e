// What a desktop toolkit needs from the window system: a descriptor that wakes its main
// loop, one notification per change of a window's pixels, and the mouse wheel.
#include <gtest/gtest.h>
#include <poll.h>

#include <thread>

#include "support/test_host.h"

namespace {

using namespace wdtest;

constexpr UINT kWorkerNote = WM_USER + 7;
constexpr UINT kPixelsChanged = WM_USER + 8;

bool readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) == 1 && (p.revents & POLLIN);
}

TEST(WakeDescriptor, AWorkersPostWakesAPollAndTakingTheQueueEmptyQuietsIt) {
    TestHost host;
    const int fd = WDXGetWakeDescriptor();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(WDXGetWakeDescriptor(), fd);
    host.pump();
    EXPECT_FALSE(readable(fd, 0)) << "an empty queue leaves the descriptor quiet";

    std::thread worker([frame = host.frame()] {
        std::this_thread::sleep_for(50ms);
        PostMessageA(frame, kWorkerNote, 1, 2);
    });
    const auto start = std::chrono::steady_clock::now();
    const bool woke = readable(fd, 5000);
    const auto waited = std::chrono::steady_clock::now() - start;
    worker.join();
    ASSERT_TRUE(woke);
    EXPECT_GE(waited, 40ms) << "woken by the post, not before";
    host.pump();
    EXPECT_EQ(host.count(host.frame(), kWorkerNote), 1u);
    EXPECT_FALSE(readable(fd, 0));
}

TEST(WakeDescriptor, ATimerDueWakesThePoll) {
    TestHost host;
    const int fd = WDXGetWakeDescriptor();
    host.pump();
    ASSERT_FALSE(readable(fd, 0));
    SetTimer(host.frame(), 3, 40, nullptr);
    host.pump();  // takes the set-up wake-up; the timer is not due yet
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(readable(fd, 2000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    host.pump();
    EXPECT_EQ(host.count(host.frame(), WM_TIMER), 1u);
    KillTimer(host.frame(), 3);
    host.pump();
    EXPECT_FALSE(readable(fd, 100)) << "a killed timer wakes nobody";
}

// A watched top-level window with a child that paints a colour.
struct Watched {
    TestHost host;
    HWND notify = host.addWindow(nullptr, 0, 0, 0, 0, 0);
    HWND top = host.addWindow(nullptr, WS_OVERLAPPED | WS_VISIBLE, 700, 0, 200, 100);
    HWND child = host.addChild(top, 10, 10, 50, 50, 0, [](HWND w, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_PAINT) return std::nullopt;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        HBRUSH red = CreateSolidBrush(colorRef(255, 0, 0));
        RECT r{0, 0, 50, 50};
        FillRect(dc, &r, red);
        DeleteObject(red);
        EndPaint(w, &ps);
        return 0;
    });
    size_t changes() const { return host.count(notify, kPixelsChanged); }
};

TEST(PixelWatch, APaintRaisesExactlyOneNotificationAndNothingMoreUntilCaptured) {
    Watched w;
    ASSERT_EQ(WDXWatchWindowPixels(w.top, w.notify, kPixelsChanged), 1);
    w.host.capture(w.top);
    w.host.clearLog();

    InvalidateRect(w.child, nullptr, FALSE);
    w.host.pumpFor(100ms);
    ASSERT_EQ(w.changes(), 1u);
    EXPECT_EQ(w.host.messages(w.notify, kPixelsChanged)[0].wParam, reinterpret_cast<WPARAM>(w.top));
    EXPECT_EQ(w.host.count(w.child, WM_PAINT), 1u);

    // More paints before the host took the picture cost it no second redraw.
    InvalidateRect(w.child, nullptr, FALSE);
    w.host.pumpFor(50ms);
    EXPECT_EQ(w.changes(), 1u);

    Image image = w.host.capture(w.top);
    EXPECT_EQ(image.at(20, 20), rgbPixel(255, 0, 0));
    InvalidateRect(w.child, nullptr, FALSE);
    w.host.pumpFor(50ms);
    EXPECT_EQ(w.changes(), 2u);
}

TEST(PixelWatch, NothingIsNotifiedWhileNothingChanges) {
    Watched w;
    WDXWatchWindowPixels(w.top, w.notify, kPixelsChanged);
    w.host.capture(w.top);
    w.host.clearLog();
    w.host.pumpFor(300ms);
    EXPECT_EQ(w.changes(), 0u);
    EXPECT_EQ(w.host.count(w.child, WM_PAINT), 0u);
}

TEST(PixelWatch, ShowingHidingAndMovingAChildCountAsChangesAndUnwatchingStopsThem) {
    Watched w;
    WDXWatchWindowPixels(w.top, w.notify, kPixelsChanged);
    const std::vector<std::function<void()>> changes = {
        [&] { ShowWindow(w.child, SW_HIDE); },
        [&] { ShowWindow(w.child, SW_SHOW); },
        [&] { MoveWindow(w.child, 30, 30, 40, 40, FALSE); },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        w.host.capture(w.top);
        w.host.clearLog();
        changes[i]();
        w.host.pump();
        EXPECT_EQ(w.changes(), 1u) << "change " << i;
    }
    EXPECT_EQ(WDXWatchWindowPixels(w.top, nullptr, 0), 1);
    w.host.capture(w.top);
    w.host.clearLog();
    InvalidateRect(w.child, nullptr, FALSE);
    w.host.pumpFor(50ms);
    EXPECT_EQ(w.changes(), 0u);
    EXPECT_EQ(WDXWatchWindowPixels(reinterpret_cast<HWND>(0x7777), w.notify, kPixelsChanged), 0);
}

TEST(Wheel, ANotchScrollsAWindowsBarByATenthOfItsPageAsOneThumbMove) {
    TestHost host;
    HWND scrolled = host.addChild(host.frame(), 0, 0, 300, 100, WS_HSCROLL);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 1000, 100, 500, 0};
    SetScrollInfo(scrolled, SB_HORZ, &info, TRUE);
    host.pump();
    host.clearLog();
    POINT p{50, 50};
    ClientToScreen(scrolled, &p);
    ASSERT_EQ(WDXInjectMouseWheel(WM_MOUSEWHEEL, -2 * WHEEL_DELTA, p.x, p.y), 1);  // two notches towards the user
    host.pump();
    auto scrolls = host.messages(scrolled, WM_HSCROLL);
    ASSERT_EQ(scrolls.size(), 3u);
    EXPECT_EQ(lowWord(scrolls[0].wParam), static_cast<unsigned>(SB_THUMBTRACK));
    EXPECT_EQ(highWord(scrolls[0].wParam), 520u);
    EXPECT_EQ(lowWord(scrolls[2].wParam), static_cast<unsigned>(SB_ENDSCROLL));

    host.clearLog();
    WDXInjectMouseWheel(WM_MOUSEHWHEEL, -WHEEL_DELTA, p.x, p.y);  // a tilt to the left
    host.pump();
    ASSERT_FALSE(host.messages(scrolled, WM_HSCROLL).empty());
    EXPECT_EQ(highWord(host.messages(scrolled, WM_HSCROLL)[0].wParam), 490u);
    EXPECT_EQ(WDXInjectMouseWheel(WM_MOUSEMOVE, 1, p.x, p.y), 0);
}

TEST(Wheel, AWindowWithoutABarHandsTheWheelToItsParent) {
    TestHost host;
    HWND plain = host.addChild(host.frame(), 10, 10, 100, 100);
    host.pump();
    host.clearLog();
    POINT p{5, 5};
    ClientToScreen(plain, &p);
    WDXInjectMouseWheel(WM_MOUSEWHEEL, WHEEL_DELTA, p.x, p.y);
    host.pump();
    ASSERT_EQ(host.count(plain, WM_MOUSEWHEEL), 1u);
    auto passed = host.messages(host.frame(), WM_MOUSEWHEEL);
    ASSERT_EQ(passed.size(), 1u);
    EXPECT_EQ(static_cast<short>(highWord(passed[0].wParam)), WHEEL_DELTA);
    EXPECT_EQ(pointX(passed[0].lParam), p.x) << "the screen point travels with it";
}

}  // namespace
