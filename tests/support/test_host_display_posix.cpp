// Pictures and input through the headless display's exports.
#include "support/test_host.h"

namespace wdtest {

bool copyWindowPixels(HWND window, Image& image) {
    return WDXCaptureWindowPixels(window, reinterpret_cast<DWORD*>(image.pixels.data()), image.width, image.height) != 0;
}

std::string TestHost::capturePicture(HWND window, const std::string& name) {
    pump();
    const std::string path = outputPath(name + ".png");
    return WDXCaptureWindowPng(window, path.c_str()) ? path : std::string();
}

void TestHost::mouse(UINT message, HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    WDXInjectMouse(message, p.x, p.y);
}

std::optional<DWORD> gdiObjects() { return GetGuiResources(nullptr, GR_GDIOBJECTS); }

int scrollBarHeight() { return WD_SCROLLBAR_SIZE; }

}  // namespace wdtest
