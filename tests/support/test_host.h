// A test host for window tests: makes windows of its own class whose messages are
// logged (and optionally handled by a test's function), pumps messages with deadlines,
// captures windows as pixels or picture files, and injects mouse input at client points.
// Everything runs on the thread that made the TestHost (the test's UI thread).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "wavedeck_win.h"

namespace wdtest {

using namespace std::chrono_literals;

struct LoggedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

/** Handles a message for a host window; nullopt leaves it to DefWindowProcA. */
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

/** A captured window: 0x00RRGGBB pixels, rows top to bottom. */
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

/** 0x00RRGGBB from components, the form Image and captures use. */
constexpr uint32_t rgbPixel(int r, int g, int b) { return static_cast<uint32_t>(r << 16 | g << 8 | b); }
/** The low and high 16 bits of a message word, and as signed coordinates. */
constexpr unsigned lowWord(uintptr_t v) { return static_cast<unsigned>(v & 0xFFFFu); }
constexpr unsigned highWord(uintptr_t v) { return static_cast<unsigned>(v >> 16 & 0xFFFFu); }
constexpr int pointX(LPARAM l) { return static_cast<int16_t>(lowWord(static_cast<uintptr_t>(l))); }
constexpr int pointY(LPARAM l) { return static_cast<int16_t>(highWord(static_cast<uintptr_t>(l))); }

/** A COLORREF (0x00BBGGRR) from components. */
constexpr COLORREF colorRef(int r, int g, int b) { return static_cast<COLORREF>(r | g << 8 | b << 16); }

class TestHost {
public:
    /** Makes the visible top-level frame window at screen (0, 0). */
    explicit TestHost(int width = 640, int height = 480);
    /** Destroys the frame (and with it every child) and pumps what is left. */
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    HWND frame() const { return frame_; }
    /** A visible child window of the host class at (x, y) in parent's client area. */
    HWND addChild(HWND parent, int x, int y, int width, int height, DWORD extraStyle = 0, Handler handler = {});
    /** Any window of the host class (style decides child or top-level). */
    HWND addWindow(HWND parent, DWORD style, int x, int y, int width, int height, Handler handler = {});
    void setHandler(HWND window, Handler handler);

    const std::vector<LoggedMessage>& log() const { return log_; }
    /** The logged messages of one window (and one message number unless it is 0). */
    std::vector<LoggedMessage> messages(HWND window, UINT message = 0) const;
    size_t count(HWND window, UINT message) const { return messages(window, message).size(); }
    void clearLog() { log_.clear(); }

    /** Dispatches everything available now (sent, posted, input, paints, due timers);
     * returns how many messages were dispatched. Stops at WM_QUIT (left for quit()). */
    int pump();
    /** Pumps until done() is true or the deadline passes; true when done. */
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline = 5000ms);
    /** Pumps until the window has received the message `times` times in all. */
    bool waitForMessage(HWND window, UINT message, std::chrono::milliseconds deadline = 5000ms, size_t times = 1);
    /** Pumps for the whole span (for timers). */
    void pumpFor(std::chrono::milliseconds span);
    /** The exit code when a WM_QUIT was met by pump(), else nothing. */
    std::optional<int> quit() const { return quit_; }

    /** Pumps, then captures the window with its visible children. */
    Image capture(HWND window);
    /** Pumps, then writes the window as <build folder>/test-output/<name>.png (a .bmp on
     * Windows); returns the path, or an empty text on failure. */
    std::string capturePicture(HWND window, const std::string& name);

    /** Injects a mouse message at a client point of the window (no pumping). */
    void mouse(UINT message, HWND window, int x, int y);
    /** Injects a left click (down then up) at a client point and pumps. */
    void click(HWND window, int x, int y);

private:
    static LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND frame_ = nullptr;
    std::vector<LoggedMessage> log_;
    std::vector<std::pair<HWND, Handler>> handlers_;
    std::optional<int> quit_;
};

/** Copies the window's pixels, its visible children's included, into image, whose size is
 * set; false on failure. */
bool copyWindowPixels(HWND window, Image& image);

/** The GDI objects this process holds; nothing where the system does not count them (Wine). */
std::optional<DWORD> gdiObjects();

/** The height of a horizontal scroll bar, which a window's client area loses to it. */
int scrollBarHeight();

/** <build folder>/test-output/<name>, the folder made when missing. */
std::string outputPath(const std::string& name);

}  // namespace wdtest
