// Windows whose thread has ended: nothing waits for them and nothing is queued for them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "wavedeck_win.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kClass = "ThreadEndTestClass";

LRESULT CALLBACK answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1) return 42;
    return DefWindowProcA(window, message, wParam, lParam);
}

class ThreadEnd : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = answer;
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);
    }
};

TEST_F(ThreadEnd, SendsAndPostsToAWindowOfAnEndedThreadFailAtOnce) {
    HWND window = nullptr;
    std::thread owner([&] {
        window = CreateWindowExA(0, kClass, "orphan", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        // Ends without destroying its window or pumping again.
    });
    owner.join();
    ASSERT_TRUE(window);
    auto sent = std::async(std::launch::async, [&] { return SendMessageA(window, WM_USER + 1, 0, 0); });
    ASSERT_EQ(sent.wait_for(5s), std::future_status::ready) << "a send to an ended thread must not wait";
    EXPECT_EQ(sent.get(), 0);
    EXPECT_FALSE(PostMessageA(window, WM_USER + 1, 0, 0));
}

TEST_F(ThreadEnd, ASenderWaitingWhenTheOwnerEndsIsReleased) {
    HWND window = nullptr;
    std::atomic<bool> created{false};
    std::thread owner([&] {
        window = CreateWindowExA(0, kClass, "leaving", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        created = true;
        // Wait until a send is queued for this thread, then end without answering it.
        auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
    });
    while (!created) std::this_thread::sleep_for(1ms);
    auto sent = std::async(std::launch::async, [&] { return SendMessageA(window, WM_USER + 1, 0, 0); });
    owner.join();
    ASSERT_EQ(sent.wait_for(5s), std::future_status::ready) << "the waiting sender must be released";
    EXPECT_EQ(sent.get(), 0);
}

TEST_F(ThreadEnd, AWindowOfALiveThreadStillAnswersAcrossThreads) {
    HWND window = CreateWindowExA(0, kClass, "here", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    auto sent = std::async(std::launch::async, [&] { return SendMessageA(window, WM_USER + 1, 0, 0); });
    MSG msg;
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (sent.wait_for(0s) != std::future_status::ready && std::chrono::steady_clock::now() < deadline) {
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(sent.wait_for(0s), std::future_status::ready);
    EXPECT_EQ(sent.get(), 42);
    DestroyWindow(window);
}

}  // namespace
