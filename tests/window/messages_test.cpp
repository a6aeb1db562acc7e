// Posting, sending and receiving messages, across threads too.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/messages/post_run.h"
#include "support/test_host.h"

namespace {

using namespace wdtest;

constexpr UINT kTestMessage = WM_USER + 100;

TEST(Messages, PostedMessagesArriveInTheOrderPosted) {
    TestHost host;
    HWND child = host.addChild(host.frame(), 0, 0, 10, 10);
    for (UINT i = 0; i < 50; ++i) ASSERT_TRUE(PostMessageA(child, kTestMessage, i, static_cast<LPARAM>(i) * 3));
    host.pump();
    auto received = host.messages(child, kTestMessage);
    ASSERT_EQ(received.size(), 50u);
    for (UINT i = 0; i < 50; ++i) {
        EXPECT_EQ(received[i].wParam, i);
        EXPECT_EQ(received[i].lParam, static_cast<LPARAM>(i) * 3);
    }
}

TEST(Messages, PostsFromOneWorkerArriveInOrderAndInterleaveWithOthers) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    constexpr int kEach = 300;
    auto worker = [window](UINT message) {
        for (int i = 0; i < kEach; ++i) PostMessageA(window, message, static_cast<WPARAM>(i), 0);
    };
    std::thread a(worker, kTestMessage), b(worker, kTestMessage + 1);
    ASSERT_TRUE(host.pumpUntil([&] { return host.count(window, kTestMessage) + host.count(window, kTestMessage + 1) == 2 * kEach; }));
    a.join();
    b.join();
    for (UINT message : {kTestMessage, kTestMessage + 1}) {
        auto received = host.messages(window, message);
        ASSERT_EQ(received.size(), static_cast<size_t>(kEach));
        for (int i = 0; i < kEach; ++i) EXPECT_EQ(received[static_cast<size_t>(i)].wParam, static_cast<WPARAM>(i));
    }
}

TEST(Messages, ARunOfPostsArrivesInOrderBetweenTheSinglePostsAroundIt) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    const std::vector<LPARAM> run{5, 6, 7, 8};
    std::thread worker([&] {
        PostMessageA(window, kTestMessage, 1, 4);
        wd::postMessageRun(window, kTestMessage, 2, run.data(), run.size());
        PostMessageA(window, kTestMessage, 3, 9);
    });
    ASSERT_TRUE(host.pumpUntil([&] { return host.count(window, kTestMessage) == 6; }));
    worker.join();
    auto received = host.messages(window, kTestMessage);
    for (size_t i = 0; i < received.size(); ++i) EXPECT_EQ(received[i].lParam, static_cast<LPARAM>(i + 4));
    EXPECT_EQ(received[3].wParam, 2u);
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(wd::postMessageRun(window, kTestMessage, 2, run.data(), run.size()));
}

TEST(Messages, SentMessagesAreHandledBeforePostedOnes) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    std::atomic<bool> sent{false};
    std::thread worker([&] {
        PostMessageA(window, kTestMessage, 1, 0);  // posted first...
        SendMessageA(window, kTestMessage, 2, 0);  // ...sent second, still handled first
        sent = true;
    });
    // Wait without pumping until the sent message is queued.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(GetQueueStatus(QS_SENDMESSAGE | QS_POSTMESSAGE) & QS_POSTMESSAGE);
    ASSERT_TRUE(host.pumpUntil([&] { return sent.load(); }));
    worker.join();
    auto received = host.messages(window, kTestMessage);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].wParam, 2u);
    EXPECT_EQ(received[1].wParam, 1u);
}

TEST(Messages, ACrossThreadSendCompletesWhileTheOwnerPumps) {
    TestHost host;
    const std::thread::id uiThread = std::this_thread::get_id();
    std::atomic<bool> handledOnUiThread{false};
    HWND timeText = host.addChild(host.frame(), 0, 0, 100, 20, 0, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_SETTEXT) handledOnUiThread = std::this_thread::get_id() == uiThread;
        return std::nullopt;
    });
    std::atomic<bool> done{false};
    std::atomic<LRESULT> result{0};
    std::thread worker([&] {
        result = SendMessageA(timeText, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("00:01.000"));
        done = true;
    });
    ASSERT_TRUE(host.pumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result.load(), TRUE);
    EXPECT_TRUE(handledOnUiThread.load());
    char text[32] = {};
    EXPECT_EQ(GetWindowTextA(timeText, text, sizeof text), 9);
    EXPECT_STREQ(text, "00:01.000");
}

TEST(Messages, TwoThreadsSendingToEachOtherDoNotLockUp) {
    TestHost host;
    HWND uiWindow = host.addChild(host.frame(), 0, 0, 10, 10);
    std::atomic<HWND> workerWindow{nullptr};
    std::atomic<bool> stop{false}, done{false};
    std::atomic<LRESULT> answer{0};
    host.setHandler(uiWindow, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        // While the worker waits for this send, ask the worker something back.
        if (message == kTestMessage) return SendMessageA(workerWindow.load(), kTestMessage + 1, 0, 0) + 1;
        return std::nullopt;
    });
    std::thread worker([&] {
        WNDCLASSA c{};
        c.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT { return m == kTestMessage + 1 ? 41 : DefWindowProcA(w, m, wp, lp); };
        c.lpszClassName = "worker_window";
        RegisterClassA(&c);
        HWND mine = CreateWindowExA(0, "worker_window", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        workerWindow = mine;
        answer = SendMessageA(uiWindow, kTestMessage, 0, 0);
        done = true;
        MSG msg;
        while (!stop) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            std::this_thread::sleep_for(1ms);
        }
        DestroyWindow(mine);
    });
    ASSERT_TRUE(host.pumpUntil([&] { return done.load(); }));
    stop = true;
    worker.join();
    EXPECT_EQ(answer.load(), 42);
}

TEST(Messages, PostingFromAWorkerToADestroyedWindowLosesTheMessage) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    std::atomic<bool> destroyed{false}, finished{false};
    std::atomic<int> refusedAfterDestroy{0};
    std::thread worker([&] {
        // Keeps posting through the destruction; posts after it must fail quietly.
        const auto end = std::chrono::steady_clock::now() + 10s;
        for (int i = 0; refusedAfterDestroy < 100 && std::chrono::steady_clock::now() < end; ++i) {
            const bool wasDestroyed = destroyed.load();
            if (!PostMessageA(window, kTestMessage, static_cast<WPARAM>(i), 0) && wasDestroyed) ++refusedAfterDestroy;
            if (i % 64 == 0) std::this_thread::yield();
        }
        finished = true;
    });
    host.pumpFor(20ms);
    ASSERT_TRUE(DestroyWindow(window));
    destroyed = true;
    ASSERT_TRUE(host.pumpUntil([&] { return finished.load(); }));
    worker.join();
    const size_t before = host.count(window, kTestMessage);
    host.pump();
    EXPECT_EQ(host.count(window, kTestMessage), before);  // nothing reaches the dead window
    EXPECT_EQ(refusedAfterDestroy.load(), 100);
    EXPECT_FALSE(PostMessageA(window, kTestMessage, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SendMessageA(window, kTestMessage, 0, 0), 0);
}

TEST(Messages, APostToNullGoesToTheThreadAndReachesNoWindow) {
    TestHost host;
    ASSERT_TRUE(PostMessageA(nullptr, kTestMessage, 7, 0));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, kTestMessage);
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    std::atomic<BOOL> fromWorker{TRUE};
    std::thread([&] { fromWorker = PostMessageA(nullptr, kTestMessage, 0, 0); }).join();
    EXPECT_FALSE(fromWorker.load());  // a thread without a queue has nowhere to keep it
}

TEST(Messages, SendingToAWindowDestroyedWhileTheSenderWaitsReturnsZero) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    std::atomic<bool> done{false};
    std::atomic<LRESULT> result{-1};
    std::thread worker([&] {
        result = SendMessageA(window, kTestMessage, 0, 0);
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    DestroyWindow(window);  // the waiting send is answered with 0
    worker.join();
    EXPECT_TRUE(done.load());
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(host.count(window, kTestMessage), 0u);
}

TEST(Messages, HandlesAreNeverReused) {
    TestHost host;
    std::set<HWND> seen;
    for (int i = 0; i < 200; ++i) {
        HWND w = host.addChild(host.frame(), 0, 0, 5, 5);
        ASSERT_TRUE(seen.insert(w).second);
        DestroyWindow(w);
        EXPECT_FALSE(IsWindow(w));
    }
}

TEST(Messages, DestroyWindowTellsTheWindowThenItsChildrenAndForgetsThemAll) {
    TestHost host;
    HWND parent = host.addChild(host.frame(), 0, 0, 100, 100);
    HWND a = host.addChild(parent, 0, 0, 10, 10);
    HWND b = host.addChild(parent, 20, 0, 10, 10);
    HWND a1 = host.addChild(a, 0, 0, 5, 5);
    std::atomic<BOOL> stillWindowDuringDestroy{FALSE};
    host.setHandler(a1, [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_DESTROY) stillWindowDuringDestroy = IsWindow(w);
        return std::nullopt;
    });
    host.clearLog();
    ASSERT_TRUE(DestroyWindow(parent));
    std::vector<std::pair<HWND, UINT>> order;
    for (const auto& m : host.log()) {
        if (m.message == WM_DESTROY || m.message == WM_NCDESTROY) order.emplace_back(m.window, m.message);
    }
    const std::vector<std::pair<HWND, UINT>> expected = {
        {parent, WM_DESTROY}, {a, WM_DESTROY}, {a1, WM_DESTROY}, {b, WM_DESTROY},
        {b, WM_NCDESTROY},    {a1, WM_NCDESTROY}, {a, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(stillWindowDuringDestroy.load());
    for (HWND w : {parent, a, b, a1}) EXPECT_FALSE(IsWindow(w));
}

TEST(Messages, DestroyWindowFromAnotherThreadIsRefused) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    std::atomic<BOOL> result{TRUE};
    std::thread([&] { result = DestroyWindow(window); }).join();
    EXPECT_FALSE(result.load());
    EXPECT_TRUE(IsWindow(window));
}

TEST(Messages, PostQuitMessageEndsGetMessageAfterThePostedMessages) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    PostQuitMessage(3);
    PostMessageA(window, kTestMessage, 0, 0);
    MSG msg{};
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, kTestMessage);
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(Messages, FiltersSelectByWindowAndRange) {
    TestHost host;
    HWND a = host.addChild(host.frame(), 0, 0, 10, 10);
    HWND b = host.addChild(host.frame(), 0, 0, 10, 10);
    host.pump();
    PostMessageA(a, kTestMessage, 1, 0);
    PostMessageA(b, kTestMessage + 5, 2, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, kTestMessage + 1, kTestMessage + 10, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, b);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, kTestMessage, kTestMessage + 10, PM_REMOVE));
}

TEST(Messages, DefWindowProcKeepsTheTextAndCloseDestroys) {
    TestHost host;
    HWND window = host.addChild(host.frame(), 0, 0, 10, 10);
    EXPECT_TRUE(SetWindowTextA(window, "mywindow"));
    EXPECT_EQ(GetWindowTextLengthA(window), 8);
    char small[4];
    EXPECT_EQ(GetWindowTextA(window, small, sizeof small), 3);
    EXPECT_STREQ(small, "myw");
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
