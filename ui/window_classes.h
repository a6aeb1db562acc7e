// The library's seven window classes, registered at attach and unregistered at detach.
#pragma once

#include "wavedeck_types.h"

namespace wd {

/** Registers "trackwndclass", "TrackTabClass", "trackmainclass", "markwdclass",
 * "wdrecordclass", "WdVolueme" and "wdtimewnd", in this order, each with the styles
 * CS_HREDRAW | CS_VREDRAW, the arrow cursor, no icon, no background brush, no menu,
 * no extra bytes and the given module. Failures are not reported. */
void registerWindowClasses(HINSTANCE module);
/** Unregisters "TrackTabClass", "trackwndclass", "trackmainclass", "markwdclass",
 * "wdrecordclass", "WdVolueme" and "wdtimewnd", in this order. A class that still has
 * windows stays registered. */
void unregisterWindowClasses(HINSTANCE module);

}  // namespace wd
