// The editors' texts are UTF-8; Win32's menus, tool bar and status bar take UTF-16.
#pragma once

#include <windows.h>

#include <string>

namespace desktop {

inline std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

/** A label with GTK's mnemonic mark ("Save _As…") as Win32 marks it ("Save &As…"). */
inline std::wstring mnemonic(const std::string& label) {
    std::string out;
    for (char c : label) {
        if (c == '&') out += "&&";
        else out += c == '_' ? '&' : c;
    }
    return wide(out);
}

}  // namespace desktop
