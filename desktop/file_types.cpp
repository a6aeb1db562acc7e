#include "file_types.h"

#include <algorithm>
#include <cctype>

namespace desktop {

std::string lowerExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.'), slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

int fileTypeOf(const std::string& path) {
    const std::string ext = lowerExtension(path);
    for (const FileType& t : kFileTypes) {
        if (ext == t.extension) return t.type;
    }
    return 0;
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace desktop
