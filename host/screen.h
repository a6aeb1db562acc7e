// The host's frame as a user and a camera meet it: where it is made, a drag of the mouse
// across it, a picture of it. One implementation per system (screen_posix.cpp on the
// library's headless display, screen_win32.cpp on the Windows desktop).
#pragma once

#include <string>

#include "wavedeck_win.h"

namespace host {

/** A top-level window of the class whose client area is width x height. On a desktop it
 * shows only while it is pictured, so that a command flashes no window. */
HWND createFrame(const char* className, int width, int height);

/** The height of a horizontal scroll bar, which a window loses from its client area. */
int scrollBarHeight();

/** Presses the left button at one screen point over the frame's windows, moves to the
 * other and releases it there, as a user's hand would. The messages may still be queued:
 * the caller pumps until it sees their effect. */
void dragMouse(HWND frame, POINT from, POINT to);

/** Writes the window, with its children as they are drawn now, as an RGB PNG file; false
 * when it cannot, with the reason in why when there is one to tell. */
bool writeSnapshot(HWND window, const std::string& path, std::string& why);

}  // namespace host
