// The library's seven window classes, registered at attach and unregistered at detach.
#pragma once

#include "wavedeck_types.h"

namespace wd {

/** Registers "trackwndclass", "TrackTabClass", "trackmainclass", "markwdclass",
 * "wdrecordclass", "WdVolueme" and "wdtimewnd", in this order. Failures are not reported. */
void registerWindowClasses(HINSTANCE module);
/** Unregisters "TrackTabClass", "trackwndclass", "trackmainclass", "markwdclass",
 * "wdrecordclass", "WdVolueme" and "wdtimewnd", in this order. */
void unregisterWindowClasses(HINSTANCE module);

}  // namespace wd
