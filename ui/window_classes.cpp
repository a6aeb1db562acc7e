#include "ui/window_classes.h"

#include "wavedeck_win.h"

namespace wd {

namespace {

struct ClassEntry {
    const char* name;
    WNDPROC proc;
};

// Registration order. Each window's own procedure replaces DefWindowProcA here when
// its window is built; until then the class gives default processing.
constexpr ClassEntry kClasses[] = {
    {"trackwndclass", DefWindowProcA},  // TrackWindow
    {"TrackTabClass", DefWindowProcA},  // TabWindow
    {"trackmainclass", DefWindowProcA}, // MainWindow
    {"markwdclass", DefWindowProcA},    // RulerWindow
    {"wdrecordclass", DefWindowProcA},  // RecordWindow
    {"WdVolueme", DefWindowProcA},      // VolumeWindow
    {"wdtimewnd", DefWindowProcA},      // TimeWindow
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
