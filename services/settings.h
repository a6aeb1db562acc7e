// The library's persistent settings: the temporary folder and the lossy formats' quality.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "services/registry_key.h"

namespace wd {

/** Format numbers of the quality settings. */
enum class QualityFormat : int { Mp3 = 1, Wma = 2, Ogg = 3 };

/**
 * Read from the registry at attach and written back at detach; quality changes are also
 * written at once. The temporary folder is handed to the block factory whenever it changes. Readable from any thread: workers read the temporary folder and the
 * qualities while the user-interface thread may change them.
 */
class Settings {
public:
    static Settings& instance();
    /** A set of settings of its own (tests); the library uses instance(). */
    Settings();

    /** Opens the four keys and reads the values, writing defaults for missing ones. A value
     * of the wrong type, or a temporary folder that is not an absolute path, counts as
     * missing. The default temporary folder is $XDG_CACHE_HOME/wavedeck (~/.cache/wavedeck). */
    void load();
    /** Writes every value back: the folder, then the Ogg, MP3 and WMA qualities. */
    void save();

    std::string tempFolder() const;
    /** Accepts only an existing folder, given by its absolute path, that this process can
     * write to, and only when the setting can be stored (it is written at once and at
     * detach). */
    bool setTempFolder(const char* folder);

    /** 0 for an unknown format. */
    int formatQuality(int format) const;
    /** Writes the value at once and keeps it; false (the old value stays) for an unknown
     * format or when it cannot be stored. */
    bool setFormatQuality(int format, int value);

    static constexpr int kDefaultMp3Bitrate = 128;
    static constexpr int kDefaultWmaBitrate = 128;
    static constexpr int kDefaultOggQuality = 5;

private:
    static std::string defaultTempFolder();
    /** Keeps the folder and hands it to the block factory (for the process's settings). */
    void storeTempFolder(const std::string& folder);
    RegistryKey* keyOf(int format);

    RegistryKey tempDirKey_;
    RegistryKey mp3Key_;
    RegistryKey wmaKey_;
    RegistryKey oggKey_;
    mutable std::mutex folderMutex_;
    std::string tempFolder_;
    std::atomic<int> mp3Bitrate_{kDefaultMp3Bitrate};
    std::atomic<int> wmaBitrate_{kDefaultWmaBitrate};
    std::atomic<int> oggQuality_{kDefaultOggQuality};
};

}  // namespace wd
