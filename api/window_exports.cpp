// Exports that make the library's windows inside the host's frame.
#include "ui/main_window.h"
#include "ui/record_window.h"
#include "ui/tab_window.h"
#include "ui/time_window.h"
#include "ui/track_window.h"
#include "ui/volume_window.h"
#include "wavedeck.h"

namespace {

// Makes a window through its object's create; nothing is thrown across the exported
// interface (a failure gives no window). `show`: update and show the new window here (the
// objects that do not do it themselves).
template <class Object>
HWND make(Object& object, HWND parent, int x, int y, int width, int height, bool show) {
    try {
        HWND window = object.create(parent, x, y, width, height);
        if (window && show) {
            UpdateWindow(window);
            ShowWindow(window, SW_SHOWNORMAL);
        }
        return window;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

HWND WCreateTrackWnd(HWND parent, int x, int y, int width, int height) {
    if (!IsWindow(parent)) return nullptr;
    return make(wd::TrackWindow::instance(), parent, x, y, width, height, true);
}

HWND WCreateTrackTab(HWND parent, int x, int y, int width, int height) {
    return make(wd::TabWindow::instance(), parent, x, y, width, height, true);
}

HWND WDXCreateTrackMainWnd(HWND parent, int x, int y, int width, int height) {
    return make(wd::MainWindow::instance(), parent, x, y, width, height, false);
}

HWND WDXCreateTimeWnd(HWND parent, int x, int y, int width, int height) {
    return make(wd::TimeWindow::instance(), parent, x, y, width, height, false);
}

HWND WDXCreateRecordWnd(HWND parent, int x, int y, int width, int height) {
    return make(wd::RecordWindow::instance(), parent, x, y, width, height, false);
}

HWND WDXCreateVolumeWnd(HWND parent, int x, int y, int width, int height) {
    return make(wd::VolumeWindow::instance(), parent, x, y, width, height, false);
}
