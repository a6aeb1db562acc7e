// The exported window and message calls: thin forwards to the WindowSystem, with the
// Windows results for bad arguments.
#include <cstring>
#include <string>

#include "platform/gdi/gdi_handles.h"
#include "platform/window/window_system.h"
#include "wavedeck_win.h"

using wd::window::WindowSystem;

namespace {
WindowSystem& windows() { return WindowSystem::instance(); }
}  // namespace

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) { return windowClass ? windows().registerClass(*windowClass) : 0; }

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    return className && windows().unregisterClass(className, instance) ? TRUE : FALSE;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // Only the system's cursors exist; their handle is their resource number.
    if (instance || !IS_INTRESOURCE(name) || !name) return nullptr;
    return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (!className) return nullptr;
    return windows().createWindow(className, windowName, style, x, y, width, height, parent, menu, instance, param, exStyle);
}

BOOL WINAPI DestroyWindow(HWND window) { return windows().destroyWindow(window) ? TRUE : FALSE; }
BOOL WINAPI IsWindow(HWND window) { return window && windows().isWindow(window) ? TRUE : FALSE; }
BOOL WINAPI IsWindowVisible(HWND window) { return windows().isVisible(window) ? TRUE : FALSE; }
BOOL WINAPI IsWindowEnabled(HWND window) { return windows().isEnabled(window) ? TRUE : FALSE; }
BOOL WINAPI ShowWindow(HWND window, int command) { return windows().showWindow(window, command) ? TRUE : FALSE; }
BOOL WINAPI UpdateWindow(HWND window) { return windows().updateWindow(window) ? TRUE : FALSE; }

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    return windows().moveWindow(window, x, y, width, height, repaint != FALSE) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) { return windows().enableWindow(window, enable != FALSE) ? TRUE : FALSE; }
HWND WINAPI GetParent(HWND window) { return windows().parentOf(window); }
BOOL WINAPI GetClientRect(HWND window, RECT* rect) { return windows().clientRect(window, rect) ? TRUE : FALSE; }
BOOL WINAPI GetWindowRect(HWND window, RECT* rect) { return windows().screenRect(window, rect) ? TRUE : FALSE; }

BOOL WINAPI ClientToScreen(HWND window, POINT* point) {
    POINT origin{};
    if (!point || !windows().clientOrigin(window, &origin)) return FALSE;
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND window, POINT* point) {
    POINT origin{};
    if (!point || !windows().clientOrigin(window, &origin)) return FALSE;
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    if (!IsWindow(window)) return FALSE;
    return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    // The text of another thread's window is read directly, without a message.
    auto text = windows().storedText(window);
    if (!text) {
        buffer[0] = 0;
        return 0;
    }
    return static_cast<int>(SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthA(HWND window) { return static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)); }
intptr_t WINAPI GetWindowLongPtrA(HWND window, int index) { return windows().getLong(window, index); }
intptr_t WINAPI SetWindowLongPtrA(HWND window, int index, intptr_t value) { return windows().setLong(window, index, value); }

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(window, message, wParam, lParam) : 0;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return windows().post(window, message, wParam, lParam) ? TRUE : FALSE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return windows().send(window, message, wParam, lParam);
}

BOOL WINAPI GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    if (!msg) return FALSE;
    return windows().nextMessage(msg, window, filterMin, filterMax, true, true) > 0 ? TRUE : FALSE;
}

BOOL WINAPI PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
    if (!msg) return FALSE;
    return windows().nextMessage(msg, window, filterMin, filterMax, (remove & PM_REMOVE) != 0, false) >= 0 ? TRUE : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }
LRESULT WINAPI DispatchMessageA(const MSG* msg) { return msg ? windows().dispatch(*msg) : 0; }

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return windows().defaultProc(window, message, wParam, lParam);
}

void WINAPI PostQuitMessage(int exitCode) { windows().postQuit(exitCode); }

int WDXGetWakeDescriptor(void) { return windows().wakeDescriptor(); }

DWORD WINAPI GetQueueStatus(UINT flags) {
    const DWORD status = windows().queueStatus() & flags & 0xFFFFu;
    return status << 16 | status;
}
DWORD WINAPI GetTickCount(void) { return wd::window::tickCount(); }
DWORD WINAPI GetLastError(void) { return wd::window::lastError(); }
void WINAPI SetLastError(DWORD error) { wd::window::setLastError(error); }

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    return windows().invalidate(window, rect, erase != FALSE) ? TRUE : FALSE;
}
BOOL WINAPI ValidateRect(HWND window, const RECT* rect) { return windows().validate(window, rect) ? TRUE : FALSE; }
BOOL WINAPI GetUpdateRect(HWND window, RECT* rect, BOOL) { return windows().updateRect(window, rect) ? TRUE : FALSE; }
HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint) { return windows().beginPaint(window, paint); }
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) { return windows().endPaint(window, paint) ? TRUE : FALSE; }
HDC WINAPI GetDC(HWND window) { return windows().getDC(window); }
int WINAPI ReleaseDC(HWND window, HDC dc) { return windows().releaseDC(window, dc) ? 1 : 0; }

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc) {
    return windows().setTimer(window, id, period, proc);
}
BOOL WINAPI KillTimer(HWND window, UINT_PTR id) { return windows().killTimer(window, id) ? TRUE : FALSE; }
HWND WINAPI SetCapture(HWND window) { return windows().setCapture(window); }
BOOL WINAPI ReleaseCapture(void) { return windows().releaseCapture() ? TRUE : FALSE; }
HWND WINAPI GetCapture(void) { return windows().capture(); }

int WINAPI SetScrollInfo(HWND window, int bar, const SCROLLINFO* info, BOOL redraw) {
    if (bar != SB_HORZ || !info) return 0;
    return windows().setScrollInfo(window, *info, redraw != FALSE).value_or(0);
}

BOOL WINAPI GetScrollInfo(HWND window, int bar, SCROLLINFO* info) {
    if (bar != SB_HORZ) return FALSE;
    return windows().getScrollInfo(window, info) ? TRUE : FALSE;
}

int WINAPI SetScrollPos(HWND window, int bar, int position, BOOL redraw) {
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(window, bar, &info)) return 0;
    const int previous = info.nPos;
    info.nPos = position;
    SetScrollInfo(window, bar, &info, redraw);
    return previous;
}

int WINAPI GetScrollPos(HWND window, int bar) {
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(window, bar, &info) ? info.nPos : 0;
}

BOOL WINAPI EnableScrollBar(HWND window, UINT bar, UINT arrows) {
    if (bar != SB_HORZ && bar != 3 /* SB_BOTH: only the horizontal bar exists */) return FALSE;
    return windows().enableScrollBar(window, arrows).value_or(false) ? TRUE : FALSE;
}

DWORD WINAPI GetGuiResources(HANDLE, DWORD flags) {
    if (flags == GR_GDIOBJECTS) return static_cast<DWORD>(wd::gdi::GdiHandles::instance().counts().total());
    if (flags == GR_USEROBJECTS) return static_cast<DWORD>(windows().windowCount());
    return 0;
}
