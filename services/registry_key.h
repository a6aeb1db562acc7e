// One registry key held open by the settings.
#pragma once

#include <cstdint>
#include <string>

#include "wavedeck_types.h"

namespace wd {

/**
 * Holds a single key handle: the root it was made with until createKey or openKey
 * succeeds, then that key. Reads and writes go to whatever the handle holds, so after a
 * failed create and open they go to the root and fail, and the caller's defaults apply.
 * Results are 1 for success and 0 for failure.
 */
class RegistryKey {
public:
    explicit RegistryKey(HKEY root);
    virtual ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    int createKey(const char* path);
    int openKey(const char* path);
    int setDword(const char* name, uint32_t value);
    /** Stores text as a string value whose size counts the terminating zero. */
    int setString(const char* name, const char* text);
    /** Reads a value of at most 4 bytes; out is unchanged on failure. */
    int getDword(const char* name, uint32_t& out);
    /** Reads a string of less than kMaxString bytes; out is unchanged on failure. */
    int getString(const char* name, std::string& out);
    void close();

    /** Longest string value read back, terminating zero included. */
    static constexpr uint32_t kMaxString = 4096;

private:
    HKEY handle_;
};

}  // namespace wd
