// Host registration exports: the windows that learn about changes.
#include "services/host_windows.h"
#include "services/sel_view_windows.h"
#include "wavedeck.h"

int WDXRegisterMainWnd(HWND window) {
    try {
        wd::HostWindows::instance().add(window);
    } catch (...) {
        // Out of memory: the window is not registered; the result carries no failure.
    }
    return 0;
}

int WDXRegNotifyRecHWND(HWND window) {
    wd::HostWindows::instance().setRecordNotifyWindow(window);
    return 0;
}

int WDXRegSelViewHWND(HWND selStart, HWND selEnd, HWND selLength, HWND viewStart, HWND viewEnd, HWND viewLength) {
    wd::SelViewWindows::instance().set(selStart, selEnd, selLength, viewStart, viewEnd, viewLength);
    return 0;
}
