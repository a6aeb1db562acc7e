// The library's settings: the folder of its temporary block files and the quality of
// the MP3, WMA and Ogg Vorbis writers.
#pragma once

#include <gtk/gtk.h>

namespace desktop {

class SettingsDialog {
public:
    /** Modal over parent; OK applies, and a folder the library refuses is said in words. */
    static void run(GtkWindow* parent);
};

}  // namespace desktop
