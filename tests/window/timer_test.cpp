// Timers: WM_TIMER at the period, counted over a span; killing; timer procedures.
#include <gtest/gtest.h>

#include <atomic>

#include "support/test_host.h"

namespace {

using namespace wdtest;

std::atomic<int> gProcCalls{0};
void CALLBACK countingProc(HWND, UINT, UINT_PTR, DWORD) { ++gProcCalls; }

TEST(Timers, AHundredMillisecondTimerFiresAboutTenTimesASecond) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    ASSERT_EQ(SetTimer(window, 0, 100, nullptr), 1u);
    host.pumpFor(1050ms);
    const size_t fired = host.count(window, WM_TIMER);
    // Never more than the period allows; fewer only when the machine is very busy.
    EXPECT_LE(fired, 10u);
    EXPECT_GE(fired, 7u);
    for (const auto& m : host.messages(window, WM_TIMER)) EXPECT_EQ(m.wParam, 0u);
}

TEST(Timers, ALatePumpGetsOneTimerMessageNotABurst) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    SetTimer(window, 7, 20, nullptr);
    std::this_thread::sleep_for(300ms);  // fifteen periods pass without pumping
    host.pump();
    EXPECT_EQ(host.count(window, WM_TIMER), 1u);
}

TEST(Timers, KillTimerStopsItAndSettingAgainRestartsIt) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    SetTimer(window, 3, 30, nullptr);
    ASSERT_TRUE(host.waitForMessage(window, WM_TIMER));
    EXPECT_TRUE(KillTimer(window, 3));
    EXPECT_FALSE(KillTimer(window, 3));
    host.clearLog();
    host.pumpFor(150ms);
    EXPECT_EQ(host.count(window, WM_TIMER), 0u);
    SetTimer(window, 3, 30, nullptr);
    EXPECT_TRUE(host.waitForMessage(window, WM_TIMER));
}

TEST(Timers, ATimerProcedureIsCalledInsteadOfTheWindowProcedure) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    gProcCalls = 0;
    SetTimer(window, 1, 20, countingProc);
    ASSERT_TRUE(host.pumpUntil([] { return gProcCalls >= 2; }));
    EXPECT_EQ(host.count(window, WM_TIMER), 0u);
    KillTimer(window, 1);
    // A posted WM_TIMER naming a procedure no timer has is not followed.
    gProcCalls = 0;
    PostMessageA(window, WM_TIMER, 1, reinterpret_cast<LPARAM>(&countingProc));
    host.pump();
    EXPECT_EQ(gProcCalls.load(), 0);
}

TEST(Timers, TimersDieWithTheirWindow) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    SetTimer(window, 1, 10, nullptr);
    DestroyWindow(window);
    host.pumpFor(60ms);
    EXPECT_EQ(host.count(window, WM_TIMER), 0u);
}

}  // namespace
