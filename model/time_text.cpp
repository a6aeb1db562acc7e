#include "model/time_text.h"

#include <cstdio>

namespace wd {

std::string timeText(int64_t samples, int sampleRate, TimeTextStyle style) {
    const int64_t r = sampleRate;
    int64_t m = 0, c = 0, f = 0;
    if (r > 0) {
        m = samples / (r * 60);
        c = (samples - r * 60 * m) / r;
        f = (samples - r * c - r * 60 * m) * 1000 / r;
    }
    char text[64];
    std::snprintf(text, sizeof text, style == TimeTextStyle::Point ? "%02lld:%02lld.%03lld" : "%02lld:%02lld:%03lld",
                  static_cast<long long>(m), static_cast<long long>(c), static_cast<long long>(f));
    return text;
}

}  // namespace wd
