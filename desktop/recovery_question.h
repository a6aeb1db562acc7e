// Asked at start when an earlier run ended without closing its tracks and the library
// offers them back from its journal: Recover brings back every one that can be,
// Discard deletes them all. Closing the question leaves them for the next start.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace desktop {

class RecoveryQuestion {
public:
    struct Offer {
        std::string name;
        int length = 0;   // samples
        int problem = 0;  // a WD_FAILURE_ code: why it cannot come back
    };
    enum class Answer { Later, Discard, Recover };

    /** What the library offers, in its order. */
    static std::vector<Offer> offers();
    static Answer ask(GtkWindow* parent, const std::vector<Offer>& offers);
};

}  // namespace desktop
