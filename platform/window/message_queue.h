// The message queue of one thread: posted messages, messages sent from other threads,
// routed mouse input, the quit request and the timers. Plain data guarded by the window
// system's lock; a queue is made on first use by its thread and never freed, so a
// pointer to it stays valid for the process's life. When its thread ends the queue is
// marked ended and emptied, and whoever waits on it is released.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

#include "wavedeck_win.h"

namespace wd::window {

using Clock = std::chrono::steady_clock;

/** A message sent from another thread, waiting to be handled by the queue's thread. */
struct SentMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    /** Woken when done: the sender's own queue (so it can handle messages sent to it
     * while it waits) or, for a thread without a queue, ownWake. */
    std::condition_variable* wake = nullptr;
    std::condition_variable ownWake;
};

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;  // ms
    TIMERPROC proc = nullptr;
    Clock::time_point due;
};

struct MessageQueue {
    std::thread::id owner;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::deque<MSG> input;  // mouse messages already routed to this thread's windows
    bool quit = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    std::vector<HWND> windows;  // live windows of this thread, creation order
    std::condition_variable wake;
    /** Threads blocked on `wake`: a post notifies only when someone waits, so a busy
     * owner is not woken (and its lock not fought over) once per message. */
    int waiters = 0;
    /** The descriptor a toolkit's main loop polls (an epoll set of wakeEvent and
     * wakeTimer), made on the thread's first WDXGetWakeDescriptor; -1 until then.
     * wakeEvent counts wake-ups since the queue was last found empty; wakeTimer is armed
     * for the earliest timer. Never closed: the queue lives as long as the process. */
    int wakeDescriptor = -1;
    int wakeEvent = -1;
    int wakeTimer = -1;
    /** The thread has ended: nothing it owns will be handled any more, so sends to its
     * windows return 0 at once and posts to them are dropped. */
    bool ended = false;
};

}  // namespace wd::window
