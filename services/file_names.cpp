#include "services/file_names.h"

#include <cstring>
#include <string>

#include "platform/files/files.h"

namespace {

// The last "\" or, when the path has none, the last "/".
const char* lastSeparator(const char* path) {
    const char* sep = std::strrchr(path, '\\');
    return sep ? sep : std::strrchr(path, '/');
}

void copyText(char* out, const char* begin, size_t length) {
    std::memcpy(out, begin, length);
    out[length] = 0;
}

}  // namespace

namespace wd {

bool directoryOf(const char* path, char* out) {
    if (!path || !out) return false;
    size_t length = std::strlen(path);
    if (length < 2) return false;
    for (size_t i = length - 1; i-- > 0;) {
        if (path[i] == '\\' || path[i] == '/') {
            copyText(out, path, i);
            return true;
        }
    }
    return false;
}

bool createDirectoryPath(const char* path) {
    if (!path) return false;
    std::string text = path;
    for (size_t i = 0; i < text.size(); ++i) {
        bool separator = text[i] == '\\' || text[i] == '/';
        if (separator && i + 1 < text.size() && i > 0) {
            CreateDirectoryA(text.substr(0, i).c_str(), nullptr);
        }
    }
    if (!text.empty() && text.back() != '\\' && text.back() != '/') CreateDirectoryA(text.c_str(), nullptr);
    return true;
}

bool fileExists(const char* path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path, &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

int toLowerAscii(char* text) {
    if (!text) return -1;
    for (; *text; ++text) {
        if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
    }
    return 0;
}

int fileExtension(const char* path, char* out) {
    if (!out || !path) return -1;
    const char* dot = std::strrchr(path, '.');
    if (!dot || dot[1] == 0) return -1;
    std::strcpy(out, dot + 1);
    return 0;
}

int fileNameNoExtension(const char* path, char* out) {
    if (!out || !path) return -1;
    const char* dot = std::strrchr(path, '.');
    if (!dot) {
        std::strcpy(out, path);
        return -1;
    }
    const char* sep = lastSeparator(path);
    if (!sep) return -1;
    const char* begin = sep + 1;
    const char* end = dot > sep ? dot : path + std::strlen(path);
    if (end == begin) return -1;
    copyText(out, begin, static_cast<size_t>(end - begin));
    return 0;
}

int fileNameHasExt(const char* path, char* out) {
    if (!out) return 0;
    if (!path) {
        *out = 0;
        return 0;
    }
    const char* sep = std::strrchr(path, '\\');
    std::memmove(out, sep ? sep + 1 : path, std::strlen(sep ? sep + 1 : path) + 1);
    return 0;
}

int filePath(const char* path, char* out) {
    if (!out || !path) return -1;
    const char* sep = lastSeparator(path);
    if (!sep || sep == path) return -1;
    copyText(out, path, static_cast<size_t>(sep - path));
    return 0;
}

}  // namespace wd
