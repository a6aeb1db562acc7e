#include "services/settings.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "services/file_names.h"
#include "platform/files/file_io.h"
#include "platform/files/files.h"
#include "platform/registry/registry.h"
#include "model/block_factory.h"

namespace wd {
namespace {

constexpr const char* kTempDirKey = "SOFTWARE\\Quillmark\\SoundLoom\\TempDir";
constexpr const char* kMp3Key = "SOFTWARE\\Quillmark\\SoundLoom\\MP3Format";
constexpr const char* kWmaKey = "SOFTWARE\\Quillmark\\SoundLoom\\WMAFormat";
constexpr const char* kOggKey = "SOFTWARE\\Quillmark\\SoundLoom\\OGGFormat";
constexpr const char* kFolderValue = "Folder";
constexpr const char* kBitrateValue = "Bitrate";


void openOrCreate(RegistryKey& key, const char* path) {
    if (!key.createKey(path)) key.openKey(path);
}

}  // namespace

Settings& Settings::instance() {
    static Settings* settings = new Settings;
    return *settings;
}

Settings::Settings()
    : tempDirKey_(HKEY_LOCAL_MACHINE), mp3Key_(HKEY_LOCAL_MACHINE), wmaKey_(HKEY_LOCAL_MACHINE), oggKey_(HKEY_LOCAL_MACHINE) {}

std::string Settings::defaultTempFolder() {
    // Block files can take gigabytes: the user's cache, not a RAM-backed /tmp, and never the
    // library's own folder (a system folder once installed).
    return userCacheFolder() + "/wavedeck";
}

void Settings::load() {
    openOrCreate(tempDirKey_, kTempDirKey);
    openOrCreate(mp3Key_, kMp3Key);
    openOrCreate(wmaKey_, kWmaKey);
    openOrCreate(oggKey_, kOggKey);

    // A folder that is not absolute would depend on where the program happens to start:
    // it counts as missing, like a value of the wrong type.
    std::string folder;
    if (tempDirKey_.getString(kFolderValue, folder) && isAbsolutePath(folder)) {
        storeTempFolder(folder);
    } else {
        folder = defaultTempFolder();
        storeTempFolder(folder);
        tempDirKey_.setString(kFolderValue, folder.c_str());
        createDirectoryPath(folder.c_str());
    }

    struct Quality {
        RegistryKey& key;
        std::atomic<int>& value;
        int fallback;
    };
    for (Quality q : {Quality{mp3Key_, mp3Bitrate_, kDefaultMp3Bitrate}, Quality{wmaKey_, wmaBitrate_, kDefaultWmaBitrate},
                      Quality{oggKey_, oggQuality_, kDefaultOggQuality}}) {
        uint32_t stored = 0;
        if (q.key.getDword(kBitrateValue, stored)) {
            q.value = static_cast<int>(stored);
        } else {
            q.value = q.fallback;
            q.key.setDword(kBitrateValue, static_cast<uint32_t>(q.fallback));
        }
    }
}

void Settings::save() {
    std::string folder = tempFolder();
    tempDirKey_.setString(kFolderValue, folder.c_str());
    oggKey_.setDword(kBitrateValue, static_cast<uint32_t>(oggQuality_.load()));
    mp3Key_.setDword(kBitrateValue, static_cast<uint32_t>(mp3Bitrate_.load()));
    wmaKey_.setDword(kBitrateValue, static_cast<uint32_t>(wmaBitrate_.load()));
}

std::string Settings::tempFolder() const {
    std::lock_guard lock(folderMutex_);
    return tempFolder_;
}

bool Settings::setTempFolder(const char* folder) {
    if (!folder || !isAbsolutePath(folder) || !canCreateFilesIn(folder)) return false;
    // Written at once (and again at detach), so a folder that cannot be kept is refused
    // now rather than lost at the end.
    if (!tempDirKey_.setString(kFolderValue, folder)) return false;
    storeTempFolder(folder);
    return true;
}

void Settings::storeTempFolder(const std::string& folder) {
    {
        std::lock_guard lock(folderMutex_);
        tempFolder_ = folder;
    }
    // Blocks made from now on go to the new folder.
    if (this == &instance()) BlockFactory::instance().setTempFolder(folder);
}

int Settings::formatQuality(int format) const {
    switch (static_cast<QualityFormat>(format)) {
        case QualityFormat::Mp3: return mp3Bitrate_;
        case QualityFormat::Wma: return wmaBitrate_;
        case QualityFormat::Ogg: return oggQuality_;
    }
    return 0;
}

RegistryKey* Settings::keyOf(int format) {
    switch (static_cast<QualityFormat>(format)) {
        case QualityFormat::Mp3: return &mp3Key_;
        case QualityFormat::Wma: return &wmaKey_;
        case QualityFormat::Ogg: return &oggKey_;
    }
    return nullptr;
}

bool Settings::setFormatQuality(int format, int value) {
    RegistryKey* key = keyOf(format);
    if (!key) return false;
    // A value that cannot be kept is refused and the old one stays.
    if (!key->setDword(kBitrateValue, static_cast<uint32_t>(value))) return false;
    switch (static_cast<QualityFormat>(format)) {
        case QualityFormat::Mp3: mp3Bitrate_ = value; break;
        case QualityFormat::Wma: wmaBitrate_ = value; break;
        case QualityFormat::Ogg: oggQuality_ = value; break;
    }
    return true;
}

}  // namespace wd
