// The editor's one way of writing a time, h:mm:ss.mmm, and its reading of the library's
// time texts ("mm:ss.mmm" or "mm:ss:mmm", minutes past 99 as they come).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace desktop {

class TimeFormat {
public:
    /** Milliseconds of a library time text, or of one the user typed (h:mm:ss.mmm, with
     * the hours, minutes or milliseconds left out as people do); nullopt when it is none. */
    static std::optional<int64_t> parse(const std::string& text);
    static std::string format(int64_t milliseconds);
};

}  // namespace desktop
