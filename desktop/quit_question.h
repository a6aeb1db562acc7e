// Asked once when the editor quits while tracks hold changes that were not saved: it
// lists every such track (recorded takes and copies too, whichever tab they are in).
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace desktop {

class QuitQuestion {
public:
    enum class Answer { Cancel, Discard, Save };
    /** names: one line per unsaved track. */
    static Answer ask(GtkWindow* parent, const std::vector<std::string>& names);
};

}  // namespace desktop
