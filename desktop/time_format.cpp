#include "time_format.h"

#include <cstdio>
#include <vector>

namespace desktop {

namespace {
bool allDigits(const std::string& s) { return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string::npos; }
}  // namespace

std::optional<int64_t> TimeFormat::parse(const std::string& text) {
    const size_t point = text.find('.');
    std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    std::vector<std::string> fields;
    const std::string whole = text.substr(0, point);
    for (size_t start = 0;;) {
        const size_t colon = whole.find(':', start);
        fields.push_back(whole.substr(start, colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    // The library writes "mm:ss:mmm": a third field of three digits after two colons.
    if (point == std::string::npos && fields.size() == 3 && fields[2].size() == 3) {
        fraction = fields[2];
        fields.pop_back();
    }
    if (fields.size() > 3 || (point != std::string::npos && !allDigits(fraction))) return std::nullopt;
    int64_t seconds = 0;
    for (const std::string& f : fields) {
        if (!allDigits(f)) return std::nullopt;
        seconds = seconds * 60 + std::stoll(f);
    }
    fraction = (fraction + "000").substr(0, 3);
    return seconds * 1000 + std::stoll(fraction);
}

std::string TimeFormat::format(int64_t milliseconds) {
    if (milliseconds < 0) milliseconds = 0;
    const int64_t seconds = milliseconds / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld", static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60), static_cast<long long>(milliseconds % 1000));
    return text;
}

}  // namespace desktop
