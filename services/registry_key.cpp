#include "services/registry_key.h"

#include <cstring>
#include <vector>

#include "platform/registry/registry.h"

namespace wd {

RegistryKey::RegistryKey(HKEY root) : handle_(root) {}

RegistryKey::~RegistryKey() { close(); }

int RegistryKey::createKey(const char* path) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(handle_, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        return 0;
    }
    close();
    handle_ = key;
    return 1;
}

int RegistryKey::openKey(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(handle_, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 0;
    close();
    handle_ = key;
    return 1;
}

int RegistryKey::setDword(const char* name, uint32_t value) {
    BYTE bytes[4];
    std::memcpy(bytes, &value, 4);
    return RegSetValueExA(handle_, name, 0, REG_DWORD, bytes, 4) == ERROR_SUCCESS ? 1 : 0;
}

int RegistryKey::setString(const char* name, const char* text) {
    if (!text) return 0;
    auto size = static_cast<DWORD>(std::strlen(text) + 1);
    return RegSetValueExA(handle_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size) == ERROR_SUCCESS
               ? 1
               : 0;
}

int RegistryKey::getDword(const char* name, uint32_t& out) {
    BYTE bytes[4] = {};
    DWORD size = 4;
    DWORD type = 0;
    // A value of another type (a text where a number belongs) counts as missing.
    if (RegQueryValueExA(handle_, name, nullptr, &type, bytes, &size) != ERROR_SUCCESS || type != REG_DWORD) return 0;
    uint32_t value = 0;
    std::memcpy(&value, bytes, size);
    out = value;
    return 1;
}

int RegistryKey::getString(const char* name, std::string& out) {
    std::vector<BYTE> buffer(kMaxString, 0);
    DWORD size = kMaxString;
    DWORD type = 0;
    if (RegQueryValueExA(handle_, name, nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS || type != REG_SZ) return 0;
    // A stored text may lack its zero when it fills the buffer exactly: it is cut there.
    buffer[kMaxString - 1] = 0;
    out.assign(reinterpret_cast<const char*>(buffer.data()));
    return 1;
}

void RegistryKey::close() {
    // The predefined roots are never closed; only keys this object opened are.
    if (handle_ && reinterpret_cast<uintptr_t>(handle_) < 0x80000000u) RegCloseKey(handle_);
    handle_ = nullptr;
}

}  // namespace wd
