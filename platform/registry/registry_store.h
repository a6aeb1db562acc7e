// Persistent key/value store behind the registry calls.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace wd::platform {

/** One registry value: its Windows type number and raw bytes. */
struct RegistryValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool operator==(const RegistryValue&) const = default;
};

/**
 * A text file of keys and values, shared by every process of the user.
 *
 * Each read loads the file afresh and each change is read-modify-write under an advisory
 * lock, replacing the file by rename, so a crash mid-write never leaves it half written
 * and two processes never lose each other's changes. A missing or unreadable file reads
 * as empty; lines that cannot be parsed are skipped, and before such a file is first
 * rewritten its original is kept beside it as "<file>.corrupt".
 *
 * Key paths use "\" between parts and compare without regard to ASCII letter case.
 * Thread-safe.
 */
class RegistryStore {
public:
    explicit RegistryStore(std::string path);

    /** The store of this process: $WAVEDECK_REGISTRY, else
     * $XDG_CONFIG_HOME/wavedeck/registry (XDG_CONFIG_HOME defaults to ~/.config). */
    static RegistryStore& process();
    /** Points the process store at another file (tests). */
    static void setProcessPath(const std::string& path);
    static std::string defaultPath();

    const std::string& path() const { return path_; }

    bool keyExists(const std::string& key) const;
    /** Adds the key (and its parents); true when it exists afterwards and is stored. */
    bool createKey(const std::string& key);
    std::optional<RegistryValue> value(const std::string& key, const std::string& name) const;
    /** False when the key does not exist or the file cannot be rewritten. */
    bool setValue(const std::string& key, const std::string& name, const RegistryValue& value);

    /** Text form of the whole store, as written to the file. */
    struct Contents {
        // key (lower-cased) -> original spelling and values (name lower-cased -> spelling, value)
        struct Key {
            std::string spelling;
            std::map<std::string, std::pair<std::string, RegistryValue>> values;
        };
        std::map<std::string, Key> keys;
        bool malformed = false;
        // The store is not a regular file of reasonable size: it is neither read nor
        // replaced.
        bool unreadable = false;
    };
    static Contents parse(const std::string& text);
    static std::string format(const Contents& contents);

private:
    Contents load() const;
    bool store(Contents& contents, bool sourceWasMalformed);
    template <typename Change>
    bool modify(Change change);

    std::string path_;
};

}  // namespace wd::platform
