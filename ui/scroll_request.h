// What a WM_HSCROLL asks of a window's horizontal scroll bar.
#pragma once

#include <optional>

#include "wavedeck_win.h"

namespace wd {

/**
 * The bar position that the scroll code in wParam's low word asks for, from the bar's
 * present state: line, page and end codes step one position left (not below 0) or right
 * (at most maximum - page); thumb tracking takes the full tracking position (the message's
 * high word holds only 16 bits, and ranges reach 65,536). Nothing for the codes that
 * change nothing (thumb position, end of scroll). The window's thread.
 */
std::optional<int> scrollRequest(HWND window, WPARAM wParam);

}  // namespace wd
