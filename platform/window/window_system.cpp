#include "platform/window/window_system.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include "platform/gdi/gdi.h"

namespace wd::window {

namespace {

constexpr DWORD kAccessDenied = 5;
constexpr UINT kMinimumTimerPeriod = 10;  // ms, as USER_TIMER_MINIMUM
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr uint32_t kBorder = 0x646464;

thread_local DWORD tLastError = 0;
thread_local MessageQueue* tQueue = nullptr;

}  // namespace

// Marks the thread's queue ended when the thread exits (made with the queue).
struct QueueReleaser {
    ~QueueReleaser() {
        if (tQueue) WindowSystem::instance().threadEnded(*tQueue);
    }
};

namespace {

thread_local QueueReleaser tReleaser;

std::string lowerCase(const char* text) {
    std::string s(text ? text : "");
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

LPARAM packPoint(int x, int y) {
    return static_cast<LPARAM>(static_cast<DWORD>((static_cast<DWORD>(x) & 0xFFFFu) | (static_cast<DWORD>(y) & 0xFFFFu) << 16));
}

bool inFilter(const MSG& m, HWND filter, UINT low, UINT high) {
    if (filter && m.hwnd != filter) return false;
    if (low == 0 && high == 0) return true;
    return m.message >= low && m.message <= high;
}

bool messageInRange(UINT message, UINT low, UINT high) { return (low == 0 && high == 0) || (message >= low && message <= high); }

}  // namespace

DWORD tickCount() {
    static const Clock::time_point start = Clock::now();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}
void setLastError(DWORD error) { tLastError = error; }
DWORD lastError() { return tLastError; }

WindowSystem& WindowSystem::instance() {
    static WindowSystem* system = new WindowSystem;
    return *system;
}

// ---------------------------------------------------------------- helpers (lock held)

Window* WindowSystem::find(HWND window) {
    auto it = windows_.find(reinterpret_cast<uintptr_t>(window));
    return it == windows_.end() ? nullptr : it->second.get();
}

WindowSystem::WindowClass* WindowSystem::findClass(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
        const ATOM atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
        for (auto& [key, c] : classes_) {
            if (c.atom == atom) return &c;
        }
        return nullptr;
    }
    auto it = classes_.find(lowerCase(name));
    return it == classes_.end() ? nullptr : &it->second;
}

MessageQueue* WindowSystem::queueIfAny() { return tQueue; }

MessageQueue& WindowSystem::ownQueue() {
    if (!tQueue) {
        tQueue = new MessageQueue;
        tQueue->owner = std::this_thread::get_id();
        (void)&tReleaser;  // construct this thread's releaser, so it runs at thread exit
        queues_.push_back(tQueue);
    }
    return *tQueue;
}

bool WindowSystem::visibleChain(const Window& w) {
    for (const Window* p = &w; p; p = p->parent ? find(p->parent) : nullptr) {
        if (!p->visible) return false;
    }
    return true;
}

void WindowSystem::wakeQueue(MessageQueue& q) {
    if (q.waiters > 0) q.wake.notify_all();
    if (q.wakeEvent >= 0) {
        const uint64_t one = 1;
        // Fails only when the counter is full, and then the descriptor is readable anyway.
        [[maybe_unused]] const ssize_t written = ::write(q.wakeEvent, &one, sizeof one);
    }
}

void WindowSystem::quietQueue(MessageQueue& q) {
    if (q.wakeDescriptor < 0) return;
    uint64_t count = 0;
    while (::read(q.wakeEvent, &count, sizeof count) > 0) {
    }
    while (::read(q.wakeTimer, &count, sizeof count) > 0) {
    }
    itimerspec due{};  // all zero: disarmed
    const Clock::time_point* earliest = nullptr;
    for (const Timer& t : q.timers) {
        if (!earliest || t.due < *earliest) earliest = &t.due;
    }
    if (earliest) {
        // steady_clock is CLOCK_MONOTONIC; a due time already past fires at once.
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(earliest->time_since_epoch()).count();
        due.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
        due.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
        if (due.it_value.tv_sec == 0 && due.it_value.tv_nsec == 0) due.it_value.tv_nsec = 1;
    }
    ::timerfd_settime(q.wakeTimer, TFD_TIMER_ABSTIME, &due, nullptr);
}

int WindowSystem::wakeDescriptor() {
    std::lock_guard lock(mutex_);
    MessageQueue& q = ownQueue();
    if (q.wakeDescriptor >= 0) return q.wakeDescriptor;
    const int event = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    const int timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    const int set = ::epoll_create1(EPOLL_CLOEXEC);
    bool ok = event >= 0 && timer >= 0 && set >= 0;
    for (int fd : {event, timer}) {
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.fd = fd;
        ok = ok && ::epoll_ctl(set, EPOLL_CTL_ADD, fd, &e) == 0;
    }
    if (!ok) {
        for (int fd : {event, timer, set}) {
            if (fd >= 0) ::close(fd);
        }
        return -1;
    }
    q.wakeDescriptor = set;
    q.wakeEvent = event;
    q.wakeTimer = timer;
    // Whatever is already queued must be seen by the first poll.
    wakeQueue(q);
    return set;
}

void WindowSystem::pixelsChangedLocked(const Window& w) {
    if (!visibleChain(w)) return;
    for (Window* p = find(w.handle); p; p = p->parent ? find(p->parent) : nullptr) {
        if (!p->pixelNotify || p->pixelPending) continue;
        Window* notify = find(p->pixelNotify);
        if (!notify || notify->destroying || notify->queue->ended) continue;
        p->pixelPending = true;
        notify->queue->posted.push_back(makeMessage(p->pixelNotify, p->pixelMessage, reinterpret_cast<WPARAM>(p->handle), 0));
        wakeQueue(*notify->queue);
    }
}

POINT WindowSystem::windowScreenOrigin(const Window& w) {
    POINT origin{w.x, w.y};
    for (const Window* p = w.parent ? find(w.parent) : nullptr; p; p = p->parent ? find(p->parent) : nullptr) {
        const gdi::PixelRect client = p->clientInWindow();
        origin.x += p->x + client.left;
        origin.y += p->y + client.top;
    }
    return origin;
}

void WindowSystem::invalidateLocked(Window& w, const gdi::PixelRect& rect, bool erase) {
    const gdi::PixelRect client{0, 0, w.clientWidth(), w.clientHeight()};
    const gdi::PixelRect r = rect.intersect(client);
    if (r.empty()) return;
    w.update = w.update.unite(r);
    w.erase = w.erase || erase;
    wakeQueue(*w.queue);
}

void WindowSystem::drawNonClient(Window& w) {
    gdi::Surface& s = *w.surface;
    if (w.style & WS_BORDER) {
        s.fill({0, 0, w.width, 1}, kBorder);
        s.fill({0, w.height - 1, w.width, w.height}, kBorder);
        s.fill({0, 0, 1, w.height}, kBorder);
        s.fill({w.width - 1, 0, w.width, w.height}, kBorder);
    }
    w.scrollBar.draw(s, w.scrollBarInWindow());
    pixelsChangedLocked(w);
}

WindowSystem::Change WindowSystem::resizeLocked(Window& w, int x, int y, int width, int height, bool repaint) {
    Change change;
    const int oldClientWidth = w.clientWidth(), oldClientHeight = w.clientHeight();
    const bool sizeChanged = width != w.width || height != w.height;
    change.moved = x != w.x || y != w.y;
    w.x = x;
    w.y = y;
    w.width = std::max(width, 0);
    w.height = std::max(height, 0);
    w.surface->resize(w.width, w.height);
    drawNonClient(w);
    change.clientWidth = w.clientWidth();
    change.clientHeight = w.clientHeight();
    change.sized = change.clientWidth != oldClientWidth || change.clientHeight != oldClientHeight;
    const gdi::PixelRect client = w.clientInWindow();
    change.x = x + client.left;
    change.y = y + client.top;
    if (repaint || (sizeChanged && (w.classStyle & (CS_HREDRAW | CS_VREDRAW)))) {
        invalidateLocked(w, {0, 0, change.clientWidth, change.clientHeight}, true);
    } else if (change.sized) {
        // Newly exposed client pixels need painting even without the redraw styles.
        if (change.clientWidth > oldClientWidth) invalidateLocked(w, {oldClientWidth, 0, change.clientWidth, change.clientHeight}, true);
        if (change.clientHeight > oldClientHeight) invalidateLocked(w, {0, oldClientHeight, change.clientWidth, change.clientHeight}, true);
    }
    return change;
}

void WindowSystem::announce(HWND window, const Change& change) {
    if (change.sized) send(window, WM_SIZE, SIZE_RESTORED, packPoint(change.clientWidth, change.clientHeight));
    if (change.moved) send(window, WM_MOVE, 0, packPoint(change.x, change.y));
}

LRESULT WindowSystem::callProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = nullptr;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) return 0;
        proc = w->proc;
    }
    return proc ? proc(window, message, wParam, lParam) : 0;
}

MSG WindowSystem::makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = tickCount();
    m.pt = cursor_;
    return m;
}

// ---------------------------------------------------------------- classes

ATOM WindowSystem::registerClass(const WNDCLASSA& windowClass) {
    if (!windowClass.lpszClassName || IS_INTRESOURCE(windowClass.lpszClassName) || !*windowClass.lpszClassName) {
        setLastError(87);
        return 0;
    }
    std::lock_guard lock(mutex_);
    const std::string key = lowerCase(windowClass.lpszClassName);
    if (classes_.count(key)) {
        setLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass c;
    c.name = windowClass.lpszClassName;
    c.atom = nextAtom_ == 0xFFFF ? 0xFFFF : nextAtom_++;
    c.info = windowClass;
    c.info.lpszClassName = nullptr;  // the caller's text need not outlive the call
    c.info.lpszMenuName = nullptr;
    const ATOM atom = c.atom;
    classes_.emplace(key, std::move(c));
    return atom;
}

bool WindowSystem::unregisterClass(LPCSTR name, HINSTANCE instance) {
    std::lock_guard lock(mutex_);
    WindowClass* c = findClass(name);
    if (!c || c->info.hInstance != instance) {
        setLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return false;
    }
    if (c->windows > 0) {
        setLastError(ERROR_CLASS_HAS_WINDOWS);
        return false;
    }
    classes_.erase(lowerCase(c->name.c_str()));
    return true;
}

// ---------------------------------------------------------------- windows

HWND WindowSystem::createWindow(LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width, int height,
                                HWND parent, HMENU menu, HINSTANCE instance, LPVOID param, DWORD exStyle) {
    HWND handle = nullptr;
    Change change;
    {
        std::lock_guard lock(mutex_);
        WindowClass* c = findClass(className);
        if (!c) {
            setLastError(ERROR_CLASS_DOES_NOT_EXIST);
            return nullptr;
        }
        Window* parentWindow = parent ? find(parent) : nullptr;
        if ((parent && !parentWindow) || ((style & WS_CHILD) && !parentWindow)) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) {
            width = kDefaultWidth;
            height = kDefaultHeight;
        }
        auto w = std::make_unique<Window>();
        handle = reinterpret_cast<HWND>(nextHandle_);
        nextHandle_ += 2;
        w->handle = handle;
        w->className = c->name;
        w->classStyle = c->info.style;
        w->classBackground = c->info.hbrBackground;
        w->instance = instance;
        w->proc = c->info.lpfnWndProc;
        w->queue = &ownQueue();
        w->thread = std::this_thread::get_id();
        w->parent = parentWindow ? parent : nullptr;
        w->style = style;
        w->text = title ? title : "";
        w->visible = false;
        w->enabled = !(style & WS_DISABLED);
        if (style & WS_HSCROLL) w->scrollBar.create();
        w->surface = std::make_shared<gdi::Surface>(0, 0);
        c->windows++;
        if (parentWindow) {
            parentWindow->children.push_back(handle);
        } else {
            topLevels_.push_back(handle);
        }
        w->queue->windows.push_back(handle);
        Window& created = *w;
        windows_.emplace(reinterpret_cast<uintptr_t>(handle), std::move(w));
        change = resizeLocked(created, x, y, width, height, false);
        created.update = {};
        created.erase = false;
    }
    CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), title, className, exStyle};
    if (callProc(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        destroyWindow(handle);
        return nullptr;
    }
    change.sized = change.moved = true;
    announce(handle, change);
    if (style & WS_VISIBLE) showWindow(handle, SW_SHOW);
    return isWindow(handle) ? handle : nullptr;
}

void WindowSystem::collectSubtree(HWND window, std::vector<HWND>& out) {
    Window* w = find(window);
    if (!w) return;
    out.push_back(window);
    for (HWND child : w->children) collectSubtree(child, out);
}

void WindowSystem::finishWindow(HWND window) {
    // Lock held: forget the window and everything still addressed to it.
    Window* w = find(window);
    if (!w) return;
    if (scrollDrag_ == window) scrollDrag_ = nullptr;
    if (Window* p = w->parent ? find(w->parent) : nullptr) {
        std::erase(p->children, window);
        if (w->visible) pixelsChangedLocked(*p);
    }
    for (auto& [handle, other] : windows_) {
        if (other->pixelNotify == window) other->pixelNotify = nullptr;
    }
    std::erase(topLevels_, window);
    MessageQueue& q = *w->queue;
    std::erase(q.windows, window);
    std::erase_if(q.posted, [window](const MSG& m) { return m.hwnd == window; });
    std::erase_if(q.input, [window](const MSG& m) { return m.hwnd == window; });
    std::erase_if(q.timers, [window](const Timer& t) { return t.window == window; });
    for (auto it = q.sent.begin(); it != q.sent.end();) {
        if ((*it)->window == window) {
            (*it)->done = true;
            (*it)->wake->notify_all();
            it = q.sent.erase(it);
        } else {
            ++it;
        }
    }
    if (WindowClass* c = findClass(w->className.c_str())) c->windows--;
    if (capture_ == window) capture_ = nullptr;
    windows_.erase(reinterpret_cast<uintptr_t>(window));
}

bool WindowSystem::destroyWindow(HWND window) {
    std::vector<HWND> subtree;
    bool hadCapture = false;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w || w->destroying) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        if (w->thread != std::this_thread::get_id()) {
            setLastError(kAccessDenied);
            return false;
        }
        collectSubtree(window, subtree);
        for (HWND h : subtree) {
            find(h)->destroying = true;
            hadCapture = hadCapture || capture_ == h;
        }
    }
    if (hadCapture) releaseCapture();
    for (HWND h : subtree) callProc(h, WM_DESTROY, 0, 0);
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
        callProc(*it, WM_NCDESTROY, 0, 0);
        std::lock_guard lock(mutex_);
        finishWindow(*it);
    }
    return true;
}

bool WindowSystem::isWindow(HWND window) {
    std::lock_guard lock(mutex_);
    return find(window) != nullptr;
}

bool WindowSystem::isVisible(HWND window) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    return w && visibleChain(*w);
}

bool WindowSystem::isEnabled(HWND window) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    return w && w->enabled;
}

bool WindowSystem::showWindow(HWND window, int command) {
    const bool show = command != SW_HIDE;
    bool was = false;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        was = w->visible;
        if (was == show) return was;
        w->visible = show;
        if (show) invalidateLocked(*w, {0, 0, w->clientWidth(), w->clientHeight()}, true);
        if (Window* parent = w->parent ? find(w->parent) : nullptr) pixelsChangedLocked(*parent);
    }
    send(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    return was;
}

bool WindowSystem::moveWindow(HWND window, int x, int y, int width, int height, bool repaint) {
    Change change;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        change = resizeLocked(*w, x, y, width, height, repaint);
    }
    announce(window, change);
    return true;
}

bool WindowSystem::enableWindow(HWND window, bool enable) {
    bool wasDisabled = false;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        wasDisabled = !w->enabled;
        if (w->enabled == enable) return wasDisabled;
        w->enabled = enable;
    }
    send(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

HWND WindowSystem::parentOf(HWND window) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    return w ? w->parent : nullptr;
}

bool WindowSystem::clientRect(HWND window, RECT* rect) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w || !rect) return false;
    *rect = RECT{0, 0, w->clientWidth(), w->clientHeight()};
    return true;
}

bool WindowSystem::screenRect(HWND window, RECT* rect) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w || !rect) return false;
    const POINT o = windowScreenOrigin(*w);
    *rect = RECT{o.x, o.y, o.x + w->width, o.y + w->height};
    return true;
}

bool WindowSystem::clientOrigin(HWND window, POINT* origin) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w || !origin) return false;
    const POINT o = windowScreenOrigin(*w);
    const gdi::PixelRect client = w->clientInWindow();
    *origin = POINT{o.x + client.left, o.y + client.top};
    return true;
}

std::optional<std::string> WindowSystem::storedText(HWND window) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w) return std::nullopt;
    return w->text;
}

bool WindowSystem::setStoredText(HWND window, const std::string& text) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w) return false;
    w->text = text;
    return true;
}

intptr_t WindowSystem::getLong(HWND window, int index) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w) {
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
        case GWLP_WNDPROC: return reinterpret_cast<intptr_t>(w->proc);
        case GWLP_HINSTANCE: return reinterpret_cast<intptr_t>(w->instance);
        case GWL_STYLE: return static_cast<intptr_t>(w->currentStyle());
        case GWLP_USERDATA: return w->userData;
        default: setLastError(87); return 0;
    }
}

intptr_t WindowSystem::setLong(HWND window, int index, intptr_t value) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w) {
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
        case GWLP_WNDPROC: return reinterpret_cast<intptr_t>(std::exchange(w->proc, reinterpret_cast<WNDPROC>(value)));
        case GWLP_USERDATA: return std::exchange(w->userData, value);
        default: setLastError(87); return 0;
    }
}

int WindowSystem::windowCount() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(windows_.size());
}

// ---------------------------------------------------------------- messages

void WindowSystem::threadEnded(MessageQueue& q) {
    std::lock_guard lock(mutex_);
    q.ended = true;
    for (auto& s : q.sent) {
        s->result = 0;
        s->done = true;
        s->wake->notify_all();
    }
    q.sent.clear();
    q.posted.clear();
    q.input.clear();
    q.timers.clear();
}

bool WindowSystem::post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(mutex_);
    if (!window) {
        MessageQueue* q = queueIfAny();
        if (!q) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        q->posted.push_back(makeMessage(nullptr, message, wParam, lParam));
        return true;
    }
    Window* w = find(window);
    if (!w || w->destroying || w->queue->ended) {
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    w->queue->posted.push_back(makeMessage(window, message, wParam, lParam));
    wakeQueue(*w->queue);
    return true;
}

bool WindowSystem::postRun(HWND window, UINT message, WPARAM wParam, const LPARAM* lParams, size_t count) {
    std::lock_guard lock(mutex_);
    Window* w = window ? find(window) : nullptr;
    if (!w || w->destroying || w->queue->ended) {
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    for (size_t i = 0; i < count; ++i) w->queue->posted.push_back(makeMessage(window, message, wParam, lParams[i]));
    if (count > 0) wakeQueue(*w->queue);
    return true;
}

bool WindowSystem::takeSent(MessageQueue& q, std::unique_lock<std::mutex>& lock) {
    if (q.sent.empty()) return false;
    std::shared_ptr<SentMessage> s = q.sent.front();
    q.sent.pop_front();
    lock.unlock();
    const LRESULT result = callProc(s->window, s->message, s->wParam, s->lParam);
    lock.lock();
    s->result = result;
    s->done = true;
    s->wake->notify_all();
    return true;
}

LRESULT WindowSystem::send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::unique_lock lock(mutex_);
    Window* w = find(window);
    if (!w) {
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // Nobody is left to answer. (Checked first: a new thread may reuse the ended
    // thread's id.)
    if (w->queue->ended) return 0;
    if (w->thread == std::this_thread::get_id()) {
        lock.unlock();
        return callProc(window, message, wParam, lParam);
    }
    auto s = std::make_shared<SentMessage>();
    s->window = window;
    s->message = message;
    s->wParam = wParam;
    s->lParam = lParam;
    MessageQueue* mine = queueIfAny();
    s->wake = mine ? &mine->wake : &s->ownWake;
    w->queue->sent.push_back(s);
    wakeQueue(*w->queue);
    while (!s->done) {
        // A thread with windows keeps answering messages sent to it while it waits, so
        // two threads sending to each other never lock up.
        if (mine && takeSent(*mine, lock)) continue;
        if (mine) ++mine->waiters;
        s->wake->wait(lock);
        if (mine) --mine->waiters;
    }
    return s->result;
}

bool WindowSystem::routeOne(MessageQueue& q) {
    // Lock held. Routes the oldest raw event; true when it produced a message for q.
    if (rawInput_.empty()) return false;
    const RawMouse e = rawInput_.front();
    rawInput_.pop_front();
    cursor_ = e.point;
    switch (e.message) {
        case WM_LBUTTONDOWN: buttons_ |= MK_LBUTTON; break;
        case WM_LBUTTONUP: buttons_ &= ~static_cast<DWORD>(MK_LBUTTON); break;
        case WM_RBUTTONDOWN: buttons_ |= MK_RBUTTON; break;
        case WM_RBUTTONUP: buttons_ &= ~static_cast<DWORD>(MK_RBUTTON); break;
        default: break;
    }
    HWND target = nullptr;
    std::vector<MSG> messages;
    if (e.message == WM_MOUSEWHEEL || e.message == WM_MOUSEHWHEEL) {
        // To the capture, else to the window under the pointer (its bar included), with
        // the delta in the high word and the screen point, as Windows sends it.
        bool inClient = false;
        int scrollX = 0, scrollWidth = 0;
        target = capture_ && find(capture_) ? capture_ : windowAt(e.point, &inClient, &scrollX, &scrollWidth);
        Window* w = target ? find(target) : nullptr;
        if (!w) return false;
        w->queue->input.push_back(makeMessage(target, e.message, static_cast<WPARAM>(static_cast<WORD>(e.wheelDelta)) << 16 | buttons_,
                                              packPoint(e.point.x, e.point.y)));
        if (w->queue != &q) {
            wakeQueue(*w->queue);
            return false;
        }
        return true;
    }
    // A thumb being dragged follows the pointer and sends its tracking position; the
    // position travels in the high word, as it does on Windows (the window reads the full
    // value with GetScrollInfo).
    if (Window* d = scrollDrag_ ? find(scrollDrag_) : nullptr) {
        target = scrollDrag_;
        const int x = e.point.x - scrollDragLeft_;
        if (e.message == WM_MOUSEMOVE) {
            const int pos = d->scrollBar.track(x, scrollDragWidth_);
            messages.push_back(makeMessage(target, WM_HSCROLL, SB_THUMBTRACK | static_cast<WPARAM>(pos & 0xFFFF) << 16, 0));
        } else if (e.message == WM_LBUTTONUP) {
            const int pos = d->scrollBar.endTrack();
            scrollDrag_ = nullptr;
            messages.push_back(makeMessage(target, WM_HSCROLL, SB_THUMBPOSITION | static_cast<WPARAM>(pos & 0xFFFF) << 16, 0));
            messages.push_back(makeMessage(target, WM_HSCROLL, SB_ENDSCROLL, 0));
        }
    } else if (Window* c = capture_ ? find(capture_) : nullptr) {
        target = capture_;
        const POINT o = windowScreenOrigin(*c);
        const gdi::PixelRect client = c->clientInWindow();
        messages.push_back(makeMessage(target, e.message, buttons_,
                                       packPoint(e.point.x - o.x - client.left, e.point.y - o.y - client.top)));
    } else {
        bool inClient = false;
        int scrollX = 0, scrollWidth = 0;
        target = windowAt(e.point, &inClient, &scrollX, &scrollWidth);
        Window* w = target ? find(target) : nullptr;
        if (!w) return false;
        if (inClient) {
            const POINT o = windowScreenOrigin(*w);
            const gdi::PixelRect client = w->clientInWindow();
            messages.push_back(makeMessage(target, e.message, buttons_,
                                           packPoint(e.point.x - o.x - client.left, e.point.y - o.y - client.top)));
        } else if (e.message == WM_LBUTTONDOWN && scrollWidth > 0) {
            const int code = w->scrollBar.hitCode(scrollX, scrollWidth);
            if (code < 0) return false;
            if (code == SB_THUMBTRACK) {
                w->scrollBar.beginTrack(scrollX, scrollWidth);
                scrollDrag_ = target;
                scrollDragLeft_ = e.point.x - scrollX;
                scrollDragWidth_ = scrollWidth;
                return false;
            }
            messages.push_back(makeMessage(target, WM_HSCROLL, static_cast<WPARAM>(code), 0));
            messages.push_back(makeMessage(target, WM_HSCROLL, SB_ENDSCROLL, 0));
        }
    }
    Window* w = find(target);
    if (!w || messages.empty()) return false;
    for (auto& m : messages) w->queue->input.push_back(m);
    if (w->queue != &q) {
        wakeQueue(*w->queue);
        return false;
    }
    return true;
}

HWND WindowSystem::windowAt(POINT screen, bool* inClient, int* scrollX, int* scrollWidth) {
    // Lock held. The deepest visible window under the point; a disabled child passes the
    // point to its parent, a disabled top-level window takes nothing.
    *inClient = false;
    *scrollWidth = 0;
    for (auto it = topLevels_.rbegin(); it != topLevels_.rend(); ++it) {
        Window* w = find(*it);
        if (!w || !w->visible) continue;
        int px = screen.x - w->x, py = screen.y - w->y;  // in window coordinates
        if (!gdi::PixelRect{0, 0, w->width, w->height}.contains(px, py)) continue;
        if (!w->enabled) return nullptr;
        while (true) {
            const gdi::PixelRect client = w->clientInWindow();
            if (!client.contains(px, py)) {
                const gdi::PixelRect bar = w->scrollBarInWindow();
                if (bar.contains(px, py)) {
                    *scrollX = px - bar.left;
                    *scrollWidth = bar.width();
                }
                return w->handle;
            }
            const int cx = px - client.left, cy = py - client.top;
            Window* hit = nullptr;
            for (auto c = w->children.rbegin(); c != w->children.rend(); ++c) {
                Window* child = find(*c);
                if (child && child->visible && gdi::PixelRect{child->x, child->y, child->x + child->width, child->y + child->height}.contains(cx, cy)) {
                    hit = child;
                    break;
                }
            }
            if (!hit || !hit->enabled) {
                *inClient = true;
                return w->handle;
            }
            w = hit;
            px = cx - hit->x;
            py = cy - hit->y;
        }
    }
    return nullptr;
}

int WindowSystem::nextMessage(MSG* msg, HWND filter, UINT low, UINT high, bool remove, bool wait) {
    std::unique_lock lock(mutex_);
    MessageQueue& q = ownQueue();
    while (true) {
        if (takeSent(q, lock)) continue;
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if (inFilter(*it, filter, low, high)) {
                *msg = *it;
                if (remove) q.posted.erase(it);
                return 1;
            }
        }
        while (true) {
            auto it = std::find_if(q.input.begin(), q.input.end(), [&](const MSG& m) { return inFilter(m, filter, low, high); });
            if (it != q.input.end()) {
                *msg = *it;
                if (remove) q.input.erase(it);
                return 1;
            }
            if (rawInput_.empty()) break;
            routeOne(q);
        }
        if (q.quit) {
            *msg = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
            if (remove) q.quit = false;
            return 0;
        }
        if (messageInRange(WM_PAINT, low, high)) {
            for (HWND h : q.windows) {
                Window* w = find(h);
                if (w && !w->destroying && (!filter || filter == h) && !w->update.empty() && visibleChain(*w)) {
                    *msg = makeMessage(h, WM_PAINT, 0, 0);
                    return 1;
                }
            }
        }
        const Clock::time_point now = Clock::now();
        Timer* dueTimer = nullptr;
        std::optional<Clock::time_point> nextDue;
        for (Timer& t : q.timers) {
            if (filter && t.window != filter) continue;
            if (!messageInRange(WM_TIMER, low, high)) continue;
            if (t.due <= now && (!dueTimer || t.due < dueTimer->due)) dueTimer = &t;
            if (!nextDue || t.due < *nextDue) nextDue = t.due;
        }
        if (dueTimer) {
            *msg = makeMessage(dueTimer->window, WM_TIMER, dueTimer->id, reinterpret_cast<LPARAM>(dueTimer->proc));
            if (remove) {
                // At most one WM_TIMER is pending per timer: a late pump does not get a burst.
                dueTimer->due += std::chrono::milliseconds(dueTimer->period);
                if (dueTimer->due <= now) dueTimer->due = now + std::chrono::milliseconds(dueTimer->period);
            }
            return 1;
        }
        // Nothing for this thread: its wake descriptor goes quiet (a filtered look may
        // have passed over messages, which must keep it readable).
        if (!filter && low == 0 && high == 0) quietQueue(q);
        if (!wait) return -1;
        ++q.waiters;
        if (nextDue) {
            q.wake.wait_until(lock, *nextDue);
        } else {
            q.wake.wait(lock);
        }
        --q.waiters;
    }
}

LRESULT WindowSystem::dispatch(const MSG& msg) {
    if (msg.message == WM_TIMER && msg.lParam) {
        // Only a procedure that a live timer was set with is called: a posted WM_TIMER
        // cannot make this call an arbitrary address.
        TIMERPROC proc = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (MessageQueue* q = queueIfAny()) {
                for (const Timer& t : q->timers) {
                    if (t.window == msg.hwnd && t.id == msg.wParam && reinterpret_cast<LPARAM>(t.proc) == msg.lParam) proc = t.proc;
                }
            }
        }
        if (proc) proc(msg.hwnd, WM_TIMER, msg.wParam, tickCount());
        return 0;
    }
    if (!msg.hwnd) return 0;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(msg.hwnd);
        if (!w || w->thread != std::this_thread::get_id()) return 0;
    }
    return callProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

void WindowSystem::postQuit(int code) {
    std::lock_guard lock(mutex_);
    MessageQueue& q = ownQueue();
    q.quit = true;
    q.quitCode = code;
}

UINT WindowSystem::queueStatus() {
    std::lock_guard lock(mutex_);
    MessageQueue& q = ownQueue();
    UINT status = 0;
    if (!q.sent.empty()) status |= QS_SENDMESSAGE;
    if (!q.posted.empty() || q.quit) status |= QS_POSTMESSAGE;
    auto addInput = [&status](UINT message) { status |= message == WM_MOUSEMOVE ? QS_MOUSEMOVE : QS_MOUSEBUTTON; };
    for (const MSG& m : q.input) addInput(m.message);
    for (const RawMouse& e : rawInput_) addInput(e.message);
    const Clock::time_point now = Clock::now();
    for (const Timer& t : q.timers) {
        if (t.due <= now) status |= QS_TIMER;
    }
    for (HWND h : q.windows) {
        Window* w = find(h);
        if (w && !w->update.empty() && visibleChain(*w)) status |= QS_PAINT;
    }
    return status;
}

LRESULT WindowSystem::defaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE: destroyWindow(window); return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            if (beginPaint(window, &paint)) endPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND: {
            HBRUSH brush = nullptr;
            RECT client{};
            {
                std::lock_guard lock(mutex_);
                Window* w = find(window);
                if (!w) return 0;
                brush = w->classBackground;
                client = RECT{0, 0, w->clientWidth(), w->clientHeight()};
            }
            if (!brush || !FillRect(reinterpret_cast<HDC>(wParam), &client, brush)) return 0;
            return 1;
        }
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL: return wheel(window, message, wParam, lParam);
        case WM_SETTEXT: return setStoredText(window, lParam ? reinterpret_cast<const char*>(lParam) : "") ? TRUE : FALSE;
        case WM_GETTEXT: {
            auto text = storedText(window);
            char* buffer = reinterpret_cast<char*>(lParam);
            if (!text || !buffer || wParam == 0) return 0;
            const size_t n = std::min(text->size(), static_cast<size_t>(wParam) - 1);
            std::memcpy(buffer, text->data(), n);
            buffer[n] = 0;
            return static_cast<LRESULT>(n);
        }
        case WM_GETTEXTLENGTH: {
            auto text = storedText(window);
            return text ? static_cast<LRESULT>(text->size()) : 0;
        }
        default: return 0;
    }
}

LRESULT WindowSystem::wheel(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int delta = static_cast<short>(HIWORD(wParam));
    // Wheel up (away from the user) goes back, as a tilt to the left does.
    const int notches = (message == WM_MOUSEWHEEL ? -delta : delta) / WHEEL_DELTA;
    HWND parent = nullptr;
    int target = 0;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) return 0;
        if (!w->scrollBar.canScroll()) {
            parent = w->parent;
        } else {
            if (notches == 0) return 0;
            target = w->scrollBar.wheelPosition(notches);
            w->scrollBar.holdTrack(target);
        }
    }
    if (parent) return send(parent, message, wParam, lParam);
    if (!isWindow(window)) return 0;
    // Delivered as a thumb drag to the new position, so the window moves once.
    send(window, WM_HSCROLL, SB_THUMBTRACK | static_cast<WPARAM>(target & 0xFFFF) << 16, 0);
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) return 0;
        target = w->scrollBar.endTrack();
    }
    send(window, WM_HSCROLL, SB_THUMBPOSITION | static_cast<WPARAM>(target & 0xFFFF) << 16, 0);
    send(window, WM_HSCROLL, SB_ENDSCROLL, 0);
    return 0;
}

// ---------------------------------------------------------------- painting

bool WindowSystem::invalidate(HWND window, const RECT* rect, bool erase) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w) {
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    const gdi::PixelRect r = rect ? gdi::PixelRect{rect->left, rect->top, rect->right, rect->bottom}
                                  : gdi::PixelRect{0, 0, w->clientWidth(), w->clientHeight()};
    invalidateLocked(*w, r, erase);
    return true;
}

bool WindowSystem::validate(HWND window, const RECT* rect) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w) return false;
    // The update region is kept as its bounding box: validating a part that covers the
    // box clears it, a smaller part leaves the box as it is.
    const gdi::PixelRect r = rect ? gdi::PixelRect{rect->left, rect->top, rect->right, rect->bottom}
                                  : gdi::PixelRect{0, 0, w->clientWidth(), w->clientHeight()};
    if (r.intersect(w->update).width() == w->update.width() && r.intersect(w->update).height() == w->update.height()) {
        w->update = {};
        w->erase = false;
    }
    return true;
}

bool WindowSystem::updateRect(HWND window, RECT* rect) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w) return false;
    if (rect) *rect = RECT{w->update.left, w->update.top, w->update.right, w->update.bottom};
    return !w->update.empty();
}

bool WindowSystem::updateWindow(HWND window) {
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        if (w->update.empty() || !visibleChain(*w)) return true;
    }
    send(window, WM_PAINT, 0, 0);
    return true;
}

HDC WindowSystem::beginPaint(HWND window, PAINTSTRUCT* paint) {
    if (!paint) return nullptr;
    std::shared_ptr<gdi::Surface> surface;
    gdi::PixelRect area, client;
    bool erase = false;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        area = w->update;
        erase = w->erase;
        w->update = {};
        w->erase = false;
        surface = w->surface;
        client = w->clientInWindow();
    }
    HDC dc = gdi::createWindowDC(surface, client.left, client.top, area.offset(client.left, client.top), window);
    bool erased = false;
    if (erase) erased = send(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->fErase = erase && !erased;
    paint->rcPaint = RECT{area.left, area.top, area.right, area.bottom};
    return dc;
}

bool WindowSystem::endPaint(HWND window, const PAINTSTRUCT* paint) {
    return paint && releaseDC(window, paint->hdc);
}

HDC WindowSystem::getDC(HWND window) {
    std::shared_ptr<gdi::Surface> surface;
    gdi::PixelRect client;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        surface = w->surface;
        client = w->clientInWindow();
    }
    return gdi::createWindowDC(surface, client.left, client.top, client, window);
}

bool WindowSystem::releaseDC(HWND window, HDC dc) {
    // Drawing through a window's device context ends here: its pixels have changed.
    if (!gdi::releaseWindowDC(window, dc)) return false;
    std::lock_guard lock(mutex_);
    if (Window* w = find(window)) pixelsChangedLocked(*w);
    return true;
}

// ---------------------------------------------------------------- timers and capture

UINT_PTR WindowSystem::setTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc) {
    std::lock_guard lock(mutex_);
    MessageQueue* q = nullptr;
    if (window) {
        Window* w = find(window);
        if (!w) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        q = w->queue;
    } else {
        q = &ownQueue();
        id = nextThreadTimer_++;
    }
    period = std::max(period, kMinimumTimerPeriod);
    std::erase_if(q->timers, [&](const Timer& t) { return t.window == window && t.id == id; });
    q->timers.push_back(Timer{window, id, period, proc, Clock::now() + std::chrono::milliseconds(period)});
    wakeQueue(*q);
    return window ? (id ? id : 1) : id;
}

bool WindowSystem::killTimer(HWND window, UINT_PTR id) {
    std::lock_guard lock(mutex_);
    MessageQueue* q = nullptr;
    if (window) {
        Window* w = find(window);
        q = w ? w->queue : nullptr;
    } else {
        q = queueIfAny();
    }
    if (!q) return false;
    return std::erase_if(q->timers, [&](const Timer& t) { return t.window == window && t.id == id; }) > 0;
}

HWND WindowSystem::setCapture(HWND window) {
    HWND previous = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!find(window)) return capture_;
        previous = capture_;
        capture_ = window;
    }
    if (previous && previous != window) send(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return previous;
}

bool WindowSystem::releaseCapture() {
    HWND previous = nullptr;
    {
        std::lock_guard lock(mutex_);
        previous = std::exchange(capture_, nullptr);
    }
    if (previous) send(previous, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND WindowSystem::capture() {
    std::lock_guard lock(mutex_);
    return capture_;
}

// ---------------------------------------------------------------- scroll bars

std::optional<int> WindowSystem::setScrollInfo(HWND window, const SCROLLINFO& info, bool redraw) {
    Change change;
    int position = 0;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(window);
        if (!w) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return std::nullopt;
        }
        const bool wasVisible = w->scrollBar.visible();
        position = w->scrollBar.set(info);
        if (wasVisible != w->scrollBar.visible()) {
            // The bar took or gave back its row of the client area: repaint the client
            // and tell the window its new size.
            change.sized = true;
            change.clientWidth = w->clientWidth();
            change.clientHeight = w->clientHeight();
            invalidateLocked(*w, {0, 0, change.clientWidth, change.clientHeight}, true);
            drawNonClient(*w);
        } else if (redraw) {
            drawNonClient(*w);
        }
    }
    announce(window, change);
    return position;
}

bool WindowSystem::getScrollInfo(HWND window, SCROLLINFO* info) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w || !info || !w->scrollBar.present()) return false;
    w->scrollBar.get(*info);
    return true;
}

std::optional<bool> WindowSystem::enableScrollBar(HWND window, UINT arrows) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w) {
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return std::nullopt;
    }
    const bool changed = w->scrollBar.enableArrows(arrows);
    drawNonClient(*w);
    return changed;
}

// ---------------------------------------------------------------- display support

bool WindowSystem::injectWheel(UINT message, int delta, int screenX, int screenY) {
    if (message != WM_MOUSEWHEEL && message != WM_MOUSEHWHEEL) return false;
    std::lock_guard lock(mutex_);
    rawInput_.push_back(RawMouse{message, POINT{screenX, screenY}, tickCount(), delta});
    for (MessageQueue* q : queues_) wakeQueue(*q);
    return true;
}

bool WindowSystem::watchPixels(HWND window, HWND notify, UINT message) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w || (notify && !find(notify))) {
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    w->pixelNotify = notify;
    w->pixelMessage = message;
    w->pixelPending = false;
    return true;
}

bool WindowSystem::injectMouse(UINT message, int screenX, int screenY) {
    switch (message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: break;
        default: return false;
    }
    std::lock_guard lock(mutex_);
    rawInput_.push_back(RawMouse{message, POINT{screenX, screenY}, tickCount()});
    for (MessageQueue* q : queues_) wakeQueue(*q);
    return true;
}

void WindowSystem::buildNode(const Window& w, WindowNode& node) {
    node.window = w.handle;
    node.surface = w.surface;
    node.rect = {w.x, w.y, w.x + w.width, w.y + w.height};
    node.client = w.clientInWindow();
    for (HWND h : w.children) {
        const Window* child = find(h);
        if (!child || !child->visible) continue;
        node.children.emplace_back();
        buildNode(*child, node.children.back());
    }
}

std::optional<WindowNode> WindowSystem::tree(HWND window) {
    std::lock_guard lock(mutex_);
    Window* w = find(window);
    if (!w) return std::nullopt;
    w->pixelPending = false;
    WindowNode node;
    buildNode(*w, node);
    return node;
}

}  // namespace wd::window
