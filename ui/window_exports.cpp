// Exports that make the library's windows and act on the view and the open tracks.
#include "audio/player.h"
#include "model/track_list.h"
#include "ui/main_window.h"
#include "ui/tab_window.h"
#include "ui/time_window.h"
#include "ui/track_window.h"
#include "wavedeck.h"

// Nothing is thrown across the exported interface: a failure gives the documented
// "nothing made" or neutral result.

HWND WCreateTrackWnd(HWND parent, int x, int y, int width, int height) {
    try {
        if (!IsWindow(parent)) return nullptr;
        HWND window = wd::TrackWindow::instance().create(parent, x, y, width, height);
        if (window) {
            UpdateWindow(window);
            ShowWindow(window, SW_SHOWNORMAL);
        }
        return window;
    } catch (...) {
        return nullptr;
    }
}

HWND WCreateTrackTab(HWND parent, int x, int y, int width, int height) {
    try {
        HWND window = wd::TabWindow::instance().create(parent, x, y, width, height);
        if (window) {
            UpdateWindow(window);
            ShowWindow(window, SW_SHOWNORMAL);
        }
        return window;
    } catch (...) {
        return nullptr;
    }
}

HWND WDXCreateTrackMainWnd(HWND parent, int x, int y, int width, int height) {
    try {
        return wd::MainWindow::instance().create(parent, x, y, width, height);
    } catch (...) {
        return nullptr;
    }
}

HWND WDXCreateTimeWnd(HWND parent, int x, int y, int width, int height) {
    try {
        return wd::TimeWindow::instance().create(parent, x, y, width, height);
    } catch (...) {
        return nullptr;
    }
}

int WDXZoomIn(void) {
    try {
        return wd::TrackWindow::instance().zoomIn();
    } catch (...) {
        return 0;
    }
}

int WDXZoomOut(void) {
    try {
        return wd::TrackWindow::instance().zoomOut();
    } catch (...) {
        return 0;
    }
}

int WDXZoomFit(void) {
    try {
        return wd::TrackWindow::instance().zoomFit();
    } catch (...) {
        return 0;
    }
}

int WDXCloseCurTrack(void) {
    try {
        wd::TabWindow::instance().closeCurrent();
    } catch (...) {
    }
    return 0;
}

void WDXExitProgram(void) {
    try {
        wd::Player& player = wd::Player::instance();
        if (player.isPlaying()) player.stop();
        // A running open or save is stopped and its worker waited for: no worker may go
        // on writing into tracks or posting to windows that are about to go.
        wd::MainWindow::instance().setImporter(nullptr);
        wd::MainWindow::instance().setExporter(nullptr);
        // Closes the tracks one by one through the tab strip. A close that removes nothing
        // (no main window listening) ends the loop instead of spinning.
        wd::TrackList& list = wd::TrackList::instance();
        while (const wd::Track* current = list.current()) {
            const uint32_t id = current->id();
            wd::TabWindow::instance().closeCurrent();
            if (list.findById(id)) break;
        }
    } catch (...) {
    }
}
