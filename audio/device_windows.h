// Where device and mixer notifications go.
#pragma once

#include <vector>

#include "wavedeck_types.h"

namespace wd {

/**
 * The windows that device selection and the mixers report to. They belong to the main
 * window object, which hands itself to WaveDevices::setWindows when it is made; until
 * then there are none and nothing is posted. Called on the user-interface thread.
 */
class DeviceWindows {
public:
    virtual ~DeviceWindows() = default;

    /** The library's main window: callback window of the output mixer controls. */
    virtual HWND mainWindow() const = 0;
    /** The ruler window: callback window of the recording-line mixer. */
    virtual HWND rulerWindow() const = 0;
    /** The window registered with WDXRegNotifyRecHWND, or null. */
    virtual HWND recordNotifyWindow() const = 0;
    /** The windows registered with WDXRegisterMainWnd, in registration order. */
    virtual std::vector<HWND> hostWindows() const = 0;
};

}  // namespace wd
