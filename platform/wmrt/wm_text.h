// Paths between the library's 8-bit text and the runtime's UTF-16.
#pragma once

#include <string>

namespace wd::wm {

/**
 * UTF-8 to UTF-16. Bytes that are not UTF-8 become the lone surrogates U+DC80 to U+DCFF,
 * so any Linux path survives the trip back through narrowText unchanged.
 */
std::u16string widenText(const std::string& text);
/** The reverse of widenText: UTF-16 to UTF-8, lone surrogates U+DC80 to U+DCFF back to
 * their bytes (other lone surrogates become U+FFFD). */
std::string narrowText(const std::u16string& text);

}  // namespace wd::wm
