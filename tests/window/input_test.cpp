// Injected mouse input: routing to the window under the point, capture, disabled and
// hidden windows, and clicks on scroll bars.
#include <gtest/gtest.h>

#include "support/test_host.h"

namespace {

using namespace wdtest;


TEST(Input, AClickGoesToTheDeepestWindowUnderThePointInClientCoordinates) {
    TestHost host;
    HWND parent = host.addChild(host.frame(), 50, 40, 300, 200);
    HWND left = host.addChild(parent, 10, 10, 100, 100);
    HWND right = host.addChild(parent, 150, 10, 100, 100);
    host.pump();
    host.clearLog();
    host.click(right, 25, 35);
    auto downs = host.messages(right, WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(pointX(downs[0].lParam), 25);
    EXPECT_EQ(pointY(downs[0].lParam), 35);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
    auto ups = host.messages(right, WM_LBUTTONUP);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].wParam, 0u);
    EXPECT_EQ(host.count(left, WM_LBUTTONDOWN), 0u);
    EXPECT_EQ(host.count(parent, WM_LBUTTONDOWN), 0u);
    // Between the children the parent gets it.
    host.click(parent, 130, 50);
    EXPECT_EQ(host.count(parent, WM_LBUTTONDOWN), 1u);
    // Right button release, as the track window's context menu needs.
    host.mouse(WM_RBUTTONUP, left, 1, 2);
    host.pump();
    ASSERT_EQ(host.count(left, WM_RBUTTONUP), 1u);
    EXPECT_EQ(pointX(host.messages(left, WM_RBUTTONUP)[0].lParam), 1);
}

TEST(Input, TheCapturingWindowGetsEveryMouseMessageWherever) {
    TestHost host;
    HWND a = host.addChild(host.frame(), 100, 100, 100, 100);
    HWND b = host.addChild(host.frame(), 300, 100, 100, 100);
    host.setHandler(a, [](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_LBUTTONDOWN) SetCapture(w);
        if (message == WM_LBUTTONUP) ReleaseCapture();
        return std::nullopt;
    });
    host.pump();
    // Queued together: the capture taken while handling the press routes the rest.
    host.mouse(WM_LBUTTONDOWN, a, 50, 50);
    host.mouse(WM_MOUSEMOVE, a, -30, 20);   // left of a, over the frame
    host.mouse(WM_MOUSEMOVE, a, 250, 50);   // over b
    host.mouse(WM_LBUTTONUP, a, 250, 50);
    host.mouse(WM_MOUSEMOVE, a, 250, 50);   // capture released: b's
    host.pump();
    auto moves = host.messages(a, WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(pointX(moves[0].lParam), -30);
    EXPECT_EQ(pointX(moves[1].lParam), 250);
    EXPECT_EQ(moves[1].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(host.count(a, WM_LBUTTONUP), 1u);
    EXPECT_EQ(host.count(b, WM_MOUSEMOVE), 1u);
    EXPECT_EQ(pointX(host.messages(b, WM_MOUSEMOVE)[0].lParam), 50);
    EXPECT_EQ(host.count(a, WM_CAPTURECHANGED), 1u);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(Input, SetCaptureTellsThePreviousHolder) {
    TestHost host;
    HWND a = host.addChild(host.frame(), 0, 0, 10, 10);
    HWND b = host.addChild(host.frame(), 20, 0, 10, 10);
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(SetCapture(b), a);
    auto changed = host.messages(a, WM_CAPTURECHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(changed[0].lParam), b);
    DestroyWindow(b);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(Input, DisabledAndHiddenWindowsTakeNoMouseInput) {
    TestHost host;
    HWND parent = host.addChild(host.frame(), 0, 0, 300, 300);
    HWND child = host.addChild(parent, 10, 10, 50, 50);
    host.pump();
    EnableWindow(child, FALSE);
    host.click(child, 5, 5);
    EXPECT_EQ(host.count(child, WM_LBUTTONDOWN), 0u);
    auto parentDowns = host.messages(parent, WM_LBUTTONDOWN);
    ASSERT_EQ(parentDowns.size(), 1u);  // a disabled child passes the point on
    EXPECT_EQ(pointX(parentDowns[0].lParam), 15);
    EnableWindow(child, TRUE);
    ShowWindow(child, SW_HIDE);
    host.click(parent, 15, 15);
    EXPECT_EQ(host.count(child, WM_LBUTTONDOWN), 0u);
    EXPECT_EQ(host.count(parent, WM_LBUTTONDOWN), 2u);
}

TEST(Input, InputForAnotherThreadsWindowIsDeliveredThere) {
    TestHost host;
    std::atomic<HWND> workerWindow{nullptr};
    std::atomic<bool> stop{false};
    std::atomic<int> clicks{0};
    std::thread worker([&] {
        WNDCLASSA c{};
        c.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_LBUTTONDOWN) SetWindowLongPtrA(w, GWLP_USERDATA, GetWindowLongPtrA(w, GWLP_USERDATA) + 1);
            return DefWindowProcA(w, m, wp, lp);
        };
        c.lpszClassName = "input_worker";
        RegisterClassA(&c);
        HWND mine = CreateWindowExA(0, "input_worker", "", WS_VISIBLE, 700, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
        workerWindow = mine;
        MSG msg;
        while (!stop) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            clicks = static_cast<int>(GetWindowLongPtrA(mine, GWLP_USERDATA));
            std::this_thread::sleep_for(1ms);
        }
        DestroyWindow(mine);
    });
    ASSERT_TRUE(host.pumpUntil([&] { return workerWindow.load() != nullptr; }));
    WDXInjectMouse(WM_LBUTTONDOWN, 710, 10);
    WDXInjectMouse(WM_LBUTTONUP, 710, 10);
    EXPECT_TRUE(host.pumpUntil([&] { return clicks.load() == 1; }));
    stop = true;
    worker.join();
    EXPECT_EQ(host.count(host.frame(), WM_LBUTTONDOWN), 0u);
}

TEST(Input, OnlyMouseMessagesCanBeInjected) {
    EXPECT_EQ(WDXInjectMouse(WM_PAINT, 0, 0), 0);
    EXPECT_EQ(WDXInjectMouse(WM_MOUSEMOVE, 0, 0), 1);
    EXPECT_STREQ(WDXGetDisplayName(), "headless");
}

}  // namespace
