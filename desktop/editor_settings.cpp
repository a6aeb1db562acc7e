#include "editor_settings.h"

#include <glib.h>

#include <memory>

namespace desktop {

namespace {

constexpr const char* kGroup = "Dialogs";
constexpr const char* kLastFolder = "LastFolder";

struct KeyFileFree {
    void operator()(GKeyFile* k) const { g_key_file_free(k); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

std::string folderPath() {
    gchar* folder = g_build_filename(g_get_user_config_dir(), "wavedeck", nullptr);
    std::string path = folder;
    g_free(folder);
    return path;
}

std::string filePath() { return folderPath() + "/wavedeck-gui.conf"; }

// The file as it is; an empty one when it is missing or unreadable.
KeyFile load() {
    KeyFile file(g_key_file_new());
    g_key_file_load_from_file(file.get(), filePath().c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr);
    return file;
}

}  // namespace

std::string EditorSettings::lastFolder() {
    gchar* folder = g_key_file_get_string(load().get(), kGroup, kLastFolder, nullptr);
    std::string result = folder && g_file_test(folder, G_FILE_TEST_IS_DIR) ? folder : "";
    g_free(folder);
    return result;
}

void EditorSettings::setLastFolder(const std::string& folder) {
    KeyFile file = load();
    g_key_file_set_string(file.get(), kGroup, kLastFolder, folder.c_str());
    // An editor that cannot keep its habits still works: a failure is not the user's concern.
    if (g_mkdir_with_parents(folderPath().c_str(), 0700) == 0) g_key_file_save_to_file(file.get(), filePath().c_str(), nullptr);
}

}  // namespace desktop
