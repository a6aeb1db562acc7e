#include "platform/registry/registry.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/registry/registry_store.h"

namespace {

using wd::platform::RegistryStore;
using wd::platform::RegistryValue;

struct OpenKey {
    std::string path;
    RegistryStore* store;
};

// Opened keys by handle. Handles count up and are never reused, so a closed handle
// is never mistaken for a newer key.
struct KeyTable {
    std::mutex mutex;
    std::map<uintptr_t, OpenKey> keys;
    uintptr_t next = 0x1000;
};

KeyTable& table() {
    static KeyTable* t = new KeyTable;
    return *t;
}

const char* rootName(HKEY key) {
    switch (reinterpret_cast<uintptr_t>(key)) {
        case 0x80000000u: return "HKEY_CLASSES_ROOT";
        case 0x80000001u: return "HKEY_CURRENT_USER";
        case 0x80000002u: return "HKEY_LOCAL_MACHINE";
        case 0x80000003u: return "HKEY_USERS";
        default: return nullptr;
    }
}

// The full path and store of a handle; false for an unknown handle.
bool resolve(HKEY key, OpenKey& out) {
    if (const char* root = rootName(key)) {
        out = {root, &RegistryStore::process()};
        return true;
    }
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.keys.find(reinterpret_cast<uintptr_t>(key));
    if (it == t.keys.end()) return false;
    out = it->second;
    return true;
}

HKEY addHandle(const OpenKey& key) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    uintptr_t id = t.next++;
    t.keys[id] = key;
    return reinterpret_cast<HKEY>(id);
}

std::string childPath(const std::string& parent, LPCSTR subKey) {
    std::string path = parent;
    if (subKey && *subKey) path += std::string("\\") + subKey;
    return path;
}

}  // namespace

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, DWORD, void*, HKEY* result, DWORD* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    OpenKey parent;
    if (!resolve(key, parent)) return ERROR_INVALID_HANDLE;
    std::string path = childPath(parent.path, subKey);
    bool existed = parent.store->keyExists(path);
    if (!existed && !parent.store->createKey(path)) return ERROR_ACCESS_DENIED;
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = addHandle({path, parent.store});
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, DWORD, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    OpenKey parent;
    if (!resolve(key, parent)) return ERROR_INVALID_HANDLE;
    std::string path = childPath(parent.path, subKey);
    if (!parent.store->keyExists(path)) return ERROR_FILE_NOT_FOUND;
    *result = addHandle({path, parent.store});
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (rootName(key)) return ERROR_ACCESS_DENIED;
    if (!data && size) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (!resolve(key, k)) return ERROR_INVALID_HANDLE;
    RegistryValue v{type, std::vector<uint8_t>(data, data + size)};
    return k.store->setValue(k.path, name ? name : "", v) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
    if (data && !size) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (!resolve(key, k)) return ERROR_INVALID_HANDLE;
    auto v = k.store->value(k.path, name ? name : "");
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (type) *type = v->type;
    DWORD needed = static_cast<DWORD>(v->data.size());
    if (data) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (needed) std::memcpy(data, v->data.data(), needed);
    }
    if (size) *size = needed;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (rootName(key)) return ERROR_SUCCESS;
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return t.keys.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
