// The sound devices: which output plays and which input records, the recording line
// with its level, and the output volume and mute. Changes apply at once.
#pragma once

#include <gtk/gtk.h>

namespace desktop {

class DevicesDialog {
public:
    /** Modal over parent until closed. */
    static void run(GtkWindow* parent);
};

}  // namespace desktop
