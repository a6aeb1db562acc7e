// The headless display: windows live only in their backing stores.
#pragma once

#include "platform/display/display.h"

namespace wd::display {

class HeadlessDisplay : public Display {
public:
    const char* name() const override { return "headless"; }
    bool capture(HWND window, gdi::Surface& out) override;
    bool injectMouse(UINT message, int screenX, int screenY) override;
    bool injectWheel(UINT message, int delta, int screenX, int screenY) override;
};

}  // namespace wd::display
