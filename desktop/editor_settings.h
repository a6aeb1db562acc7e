// What the editor keeps between runs, in its own file under $XDG_CONFIG_HOME/wavedeck/
// (a GKeyFile). The library's settings are the library's; these are the editor's habits.
#pragma once

#include <string>

namespace desktop {

class EditorSettings {
public:
    /** The folder the open and save dialogs start in; empty when none was kept or it is
     * gone. */
    static std::string lastFolder();
    /** Keeps the folder. The file is replaced whole (written aside, then renamed), so a
     * crash or a full disk leaves the old file or the new one, never half of one. */
    static void setLastFolder(const std::string& folder);
};

}  // namespace desktop
