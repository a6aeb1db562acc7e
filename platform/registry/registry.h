// The registry calls the settings code is written against, over RegistryStore.
// Keys live in one per-user text file; see registry_store.h for where and how.
#pragma once

#include "wavedeck_types.h"

#ifdef _WIN32
// advapi32's own registry.
#include <windows.h>
#else
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000003u)))

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_WRITE_FAULT = 29;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

/** Creates (or opens, when it exists) subKey below key. Creating writes the store at
 * once; a store that cannot be written refuses new keys with ERROR_ACCESS_DENIED. */
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, DWORD access,
                     void* security, HKEY* result, DWORD* disposition);
/** Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist. */
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, DWORD access, HKEY* result);
/** Stores a value under an opened key, rewriting the store atomically. Values directly
 * under a predefined root are refused, as on Windows. */
LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
/** Reads a value. With data null only the type and size are reported; a buffer too small
 * gives ERROR_MORE_DATA with *size set to the size needed and the buffer untouched. */
LONG RegQueryValueExA(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
/** Forgets an opened key; closing a predefined root is a no-op. */
LONG RegCloseKey(HKEY key);

#endif  // _WIN32
