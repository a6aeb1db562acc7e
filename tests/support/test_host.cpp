#include "support/test_host.h"

#include <filesystem>
#include <thread>

namespace wdtest {

namespace {

constexpr const char* kClassName = "wdtest_host";
constexpr int kPumpLimit = 100000;  // a window that never validates must not hang a test

void registerHostClass() {
    static bool registered = [] {
        WNDCLASSA c{};
        c.style = CS_HREDRAW | CS_VREDRAW;
        c.lpfnWndProc = &DefWindowProcA;
        c.lpszClassName = kClassName;
        RegisterClassA(&c);
        return true;
    }();
    (void)registered;
}

}  // namespace

std::string outputPath(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(WAVEDECK_BINARY_DIR) / "test-output";
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

TestHost::TestHost(int width, int height) {
    registerHostClass();
    frame_ = addWindow(nullptr, WS_POPUP | WS_VISIBLE, 0, 0, width, height);
}

TestHost::~TestHost() {
    if (IsWindow(frame_)) DestroyWindow(frame_);
    pump();
}

HWND TestHost::addChild(HWND parent, int x, int y, int width, int height, DWORD extraStyle, Handler handler) {
    return addWindow(parent, WS_CHILD | WS_VISIBLE | extraStyle, x, y, width, height, std::move(handler));
}

HWND TestHost::addWindow(HWND parent, DWORD style, int x, int y, int width, int height, Handler handler) {
    HWND window = CreateWindowExA(0, kClassName, "test", style & ~static_cast<DWORD>(WS_VISIBLE), x, y, width, height,
                                  parent, nullptr, nullptr, nullptr);
    if (!window) return nullptr;
    // Messages of the creation itself (WM_CREATE, WM_SIZE) reach DefWindowProcA; from
    // here on the host procedure logs and handles them.
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<intptr_t>(this));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&TestHost::hostProc));
    if (handler) setHandler(window, std::move(handler));
    if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    return window;
}

void TestHost::setHandler(HWND window, Handler handler) {
    for (auto& entry : handlers_) {
        if (entry.first == window) {
            entry.second = std::move(handler);
            return;
        }
    }
    handlers_.emplace_back(window, std::move(handler));
}

LRESULT CALLBACK TestHost::hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<TestHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!host) return DefWindowProcA(window, message, wParam, lParam);
    return host->handle(window, message, wParam, lParam);
}

LRESULT TestHost::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    log_.push_back({window, message, wParam, lParam});
    for (auto& entry : handlers_) {
        if (entry.first == window && entry.second) {
            Handler handler = entry.second;  // the handler may replace itself
            if (auto result = handler(window, message, wParam, lParam)) return *result;
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<LoggedMessage> TestHost::messages(HWND window, UINT message) const {
    std::vector<LoggedMessage> out;
    for (const auto& m : log_) {
        if (m.window == window && (message == 0 || m.message == message)) out.push_back(m);
    }
    return out;
}

int TestHost::pump() {
    int dispatched = 0;
    MSG msg;
    while (dispatched < kPumpLimit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit_ = static_cast<int>(msg.wParam);
            break;
        }
        DispatchMessageA(&msg);
        ++dispatched;
    }
    return dispatched;
}

bool TestHost::pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (true) {
        pump();
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(1ms);
    }
}

bool TestHost::waitForMessage(HWND window, UINT message, std::chrono::milliseconds deadline, size_t times) {
    return pumpUntil([&] { return count(window, message) >= times; }, deadline);
}

void TestHost::pumpFor(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end) {
        pump();
        std::this_thread::sleep_for(1ms);
    }
}

Image TestHost::capture(HWND window) {
    pump();
    Image image;
    RECT r{};
    if (!GetWindowRect(window, &r)) return image;
    image.width = r.right - r.left;
    image.height = r.bottom - r.top;
    image.pixels.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height), 0);
    if (!copyWindowPixels(window, image)) image = Image{};
    return image;
}

void TestHost::click(HWND window, int x, int y) {
    mouse(WM_LBUTTONDOWN, window, x, y);
    mouse(WM_LBUTTONUP, window, x, y);
    pump();
}

}  // namespace wdtest
