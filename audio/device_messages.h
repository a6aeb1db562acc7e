// Numbers of the messages the device and mixer code posts (WM_USER + n).
#pragma once

#include "wavedeck_types.h"

namespace wd {

/** To the first registered host window: a mixer control of the output changed
 * (wParam the mixer handle, lParam the control ID). */
constexpr UINT kNotifyMixerChanged = WM_USER + 123;
/** To the record-notify window: a recording-line control changed (same parameters). */
constexpr UINT kNotifyRecordMixerChanged = WM_USER + 124;
/** To every registered host window: another wave-out device was chosen. */
constexpr UINT kNotifyWaveOutDeviceChanged = WM_USER + 125;
/** To the record-notify window: another wave-in device was chosen. */
constexpr UINT kNotifyWaveInDeviceChanged = WM_USER + 126;

}  // namespace wd
