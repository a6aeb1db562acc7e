#include "ui/window_classes.h"

#include "ui/main_window.h"
#include "ui/record_window.h"
#include "ui/ruler_window.h"
#include "ui/tab_window.h"
#include "ui/time_window.h"
#include "ui/track_window.h"
#include "ui/volume_window.h"
#include "wavedeck_win.h"

namespace wd {

namespace {

struct ClassEntry {
    const char* name;
    WNDPROC proc;
};

// Registration order.
constexpr ClassEntry kClasses[] = {
    {"trackwndclass", TrackWindow::windowProc},
    {"TrackTabClass", TabWindow::windowProc},
    {"trackmainclass", MainWindow::windowProc},
    {"markwdclass", RulerWindow::windowProc},
    {"wdrecordclass", RecordWindow::windowProc},
    {"WdVolueme", VolumeWindow::windowProc},
    {"wdtimewnd", TimeWindow::windowProc},
};

// Unregistration order, which differs from registration in its first two entries.
constexpr const char* kUnregisterOrder[] = {"TrackTabClass", "trackwndclass", "trackmainclass", "markwdclass",
                                            "wdrecordclass", "WdVolueme",     "wdtimewnd"};

}  // namespace

void registerWindowClasses(HINSTANCE module) {
    for (const ClassEntry& entry : kClasses) {
        WNDCLASSA windowClass{};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = entry.proc;
        windowClass.cbClsExtra = 0;
        windowClass.cbWndExtra = 0;
        windowClass.hInstance = module;
        windowClass.hIcon = nullptr;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = nullptr;
        windowClass.lpszMenuName = nullptr;
        windowClass.lpszClassName = entry.name;
        RegisterClassA(&windowClass);  // a failure is not reported
    }
}

void unregisterWindowClasses(HINSTANCE module) {
    for (const char* name : kUnregisterOrder) UnregisterClassA(name, module);
}

}  // namespace wd
