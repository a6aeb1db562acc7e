#include "platform/display/display.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/display/headless_display.h"

namespace wd::display {

Display& Display::current() {
    // Chosen once; never destroyed (windows may be captured during the process's exit).
    static Display* display = [] {
        const char* wanted = std::getenv("WAVEDECK_DISPLAY");
        if (wanted && *wanted && std::strcmp(wanted, "headless") != 0) {
            std::fprintf(stderr, "wavedeck: display '%s' is not built; using headless\n", wanted);
        }
        return static_cast<Display*>(new HeadlessDisplay);
    }();
    return *display;
}

}  // namespace wd::display
