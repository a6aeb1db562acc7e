// The process-wide window system: window classes, windows with their parent/child tree,
// per-thread message queues, sending and posting, painting, timers, mouse capture,
// scroll bars and the routing of injected mouse input.
//
// Threads: one lock guards all state; window procedures are always called without it,
// on the window's own thread. A message sent to a window of another thread waits in
// that thread's queue until the thread takes messages (GetMessageA/PeekMessageA, or a
// SendMessageA of its own that is waiting), exactly as on Windows.
#pragma once

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/window/message_queue.h"
#include "platform/window/window.h"

namespace wd::window {

/** A window and its visible children as the display composes them. */
struct WindowNode {
    HWND window = nullptr;
    std::shared_ptr<gdi::Surface> surface;  // the window's backing store (window size)
    gdi::PixelRect rect;                     // in the parent's client coordinates
    gdi::PixelRect client;                   // client area within the window
    std::vector<WindowNode> children;        // visible ones, bottom first
};

class WindowSystem {
public:
    static WindowSystem& instance();

    // ---- classes ----
    ATOM registerClass(const WNDCLASSA& windowClass);
    bool unregisterClass(LPCSTR name, HINSTANCE instance);

    // ---- windows ----
    HWND createWindow(LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width, int height, HWND parent,
                      HMENU menu, HINSTANCE instance, LPVOID param, DWORD exStyle);
    bool destroyWindow(HWND window);
    bool isWindow(HWND window);
    bool isVisible(HWND window);
    bool isEnabled(HWND window);
    bool showWindow(HWND window, int command);
    bool moveWindow(HWND window, int x, int y, int width, int height, bool repaint);
    bool enableWindow(HWND window, bool enable);
    HWND parentOf(HWND window);
    bool clientRect(HWND window, RECT* rect);
    bool screenRect(HWND window, RECT* rect);
    /** Screen position of the client area's top-left corner. */
    bool clientOrigin(HWND window, POINT* origin);
    std::optional<std::string> storedText(HWND window);
    bool setStoredText(HWND window, const std::string& text);
    intptr_t getLong(HWND window, int index);
    intptr_t setLong(HWND window, int index, intptr_t value);
    int windowCount();

    // ---- messages ----
    bool post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    /** count posts of message with wParam and each lParam in turn, queued together with
     * one wake-up of the receiving thread. false, nothing posted, when post() would
     * fail. */
    bool postRun(HWND window, UINT message, WPARAM wParam, const LPARAM* lParams, size_t count);
    LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    /** 1: a message in msg; 0: WM_QUIT in msg; -1: nothing (only when not waiting). */
    int nextMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove, bool wait);
    LRESULT dispatch(const MSG& msg);
    void postQuit(int code);
    /** QS_* bits of what the calling thread's queue holds. */
    UINT queueStatus();
    /** The calling thread's wake descriptor (see WDXGetWakeDescriptor); -1 when the
     * system refuses one. */
    int wakeDescriptor();
    LRESULT defaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // ---- painting ----
    bool invalidate(HWND window, const RECT* rect, bool erase);
    bool validate(HWND window, const RECT* rect);
    bool updateRect(HWND window, RECT* rect);
    bool updateWindow(HWND window);
    HDC beginPaint(HWND window, PAINTSTRUCT* paint);
    bool endPaint(HWND window, const PAINTSTRUCT* paint);
    HDC getDC(HWND window);
    bool releaseDC(HWND window, HDC dc);

    // ---- timers and capture ----
    UINT_PTR setTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc);
    bool killTimer(HWND window, UINT_PTR id);
    HWND setCapture(HWND window);
    bool releaseCapture();
    HWND capture();

    // ---- scroll bars ----
    std::optional<int> setScrollInfo(HWND window, const SCROLLINFO& info, bool redraw);
    bool getScrollInfo(HWND window, SCROLLINFO* info);
    std::optional<bool> enableScrollBar(HWND window, UINT arrows);

    // ---- display support ----
    /** Queues a mouse event at a screen point; routed when a thread takes it. */
    bool injectMouse(UINT message, int screenX, int screenY);
    /** Queues a wheel turn (WM_MOUSEWHEEL or WM_MOUSEHWHEEL, delta in WHEEL_DELTA units). */
    bool injectWheel(UINT message, int delta, int screenX, int screenY);
    /** After any change of the composed pixels of window, one message goes to notify
     * (wParam the window); the next only after tree() took the window again. A null
     * notify ends the watch. */
    bool watchPixels(HWND window, HWND notify, UINT message);
    /** The window with its visible children, for composing; nothing for a dead window.
     * Taking it re-arms the window's pixel watch. */
    std::optional<WindowNode> tree(HWND window);

private:
    struct WindowClass {
        std::string name;
        ATOM atom = 0;
        WNDCLASSA info{};
        int windows = 0;
    };
    struct RawMouse {
        UINT message = 0;
        POINT point{0, 0};
        DWORD time = 0;
        int wheelDelta = 0;
    };
    struct Change {  // what a geometry or scroll-bar change must tell the window afterwards
        bool sized = false;
        bool moved = false;
        int clientWidth = 0;
        int clientHeight = 0;
        int x = 0;
        int y = 0;
    };

    WindowSystem() = default;
    Window* find(HWND window);
    WindowClass* findClass(LPCSTR name);
    MessageQueue& ownQueue();
    static MessageQueue* queueIfAny();
    /** At the end of a queue's thread: releases its waiting senders and drops what it
     * holds. */
    void threadEnded(MessageQueue& q);
    friend struct QueueReleaser;
    bool visibleChain(const Window& w);
    /** Wakes whoever waits for the queue: a thread in GetMessageA and a main loop
     * polling its wake descriptor. */
    void wakeQueue(MessageQueue& q);
    /** The queue was found empty: the wake descriptor becomes quiet until the next
     * wake-up or the earliest timer. */
    void quietQueue(MessageQueue& q);
    /** The composed pixels of w and its ancestors changed (w visible): tells their
     * watchers. */
    void pixelsChangedLocked(const Window& w);
    /** The wheel: scrolls a window's own bar, else goes to the parent. */
    LRESULT wheel(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    POINT windowScreenOrigin(const Window& w);
    void invalidateLocked(Window& w, const gdi::PixelRect& rect, bool erase);
    void drawNonClient(Window& w);
    Change resizeLocked(Window& w, int x, int y, int width, int height, bool repaint);
    void announce(HWND window, const Change& change);
    LRESULT callProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool takeSent(MessageQueue& q, std::unique_lock<std::mutex>& lock);
    bool routeOne(MessageQueue& q);
    HWND windowAt(POINT screen, bool* inClient, int* scrollX, int* scrollWidth);
    MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void collectSubtree(HWND window, std::vector<HWND>& out);
    void finishWindow(HWND window);
    void buildNode(const Window& w, WindowNode& node);

    std::mutex mutex_;
    std::unordered_map<uintptr_t, std::unique_ptr<Window>> windows_;
    std::vector<HWND> topLevels_;  // creation order: later ones lie on top
    std::map<std::string, WindowClass> classes_;  // by lower-case name
    std::vector<MessageQueue*> queues_;
    std::deque<RawMouse> rawInput_;
    uintptr_t nextHandle_ = 0x10002;
    ATOM nextAtom_ = 0xC000;
    UINT_PTR nextThreadTimer_ = 0x7FFF0000;
    HWND capture_ = nullptr;
    // The window whose scroll-bar thumb is being dragged (it takes the pointer until the
    // button is released), and the bar's place on the screen.
    HWND scrollDrag_ = nullptr;
    int scrollDragLeft_ = 0;
    int scrollDragWidth_ = 0;
    DWORD buttons_ = 0;
    POINT cursor_{0, 0};
};

/** Milliseconds since the window system first needed the time. */
DWORD tickCount();
void setLastError(DWORD error);
DWORD lastError();

}  // namespace wd::window
