// Runs the library's window messages from GTK's main loop: the loop polls the window
// system's wake descriptor and, when it is readable, dispatches what the UI thread's
// queue holds. Nothing is polled on a timer, so an idle editor sleeps.
#pragma once

#include <functional>

namespace desktop {

class MessagePump {
public:
    /** Attaches the calling (UI) thread's queue to the default main context; false when
     * the library gives no descriptor. Call once, after gtk_init. */
    static bool attach();
    /** Runs the function from the main loop once the current dispatch has returned. A
     * modal dialog opened from a library message must go this way: GLib does not re-enter
     * the descriptor's source while it dispatches, so the library's messages would wait
     * for the dialog to close. */
    static void defer(std::function<void()> work);
};

}  // namespace desktop
