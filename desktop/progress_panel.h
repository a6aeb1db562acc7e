// The progress of the one long operation that runs (opening, saving, an effect, a cut or
// paste): a bar with a sentence and, where the library can stop the work, Cancel.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

namespace desktop {

class ProgressPanel {
public:
    ProgressPanel();
    GtkWidget* widget() const { return box_; }

    /** Shows the panel; cancel: what Cancel does (empty: no Cancel button). */
    void begin(const std::string& text, std::function<void()> cancel);
    /** done out of total (any unit); a total of 0 leaves the bar as it is. */
    void update(double done, double total);
    void end();
    bool active() const { return active_; }

private:
    static void onCancel(GtkButton*, gpointer self);

    GtkWidget* box_ = nullptr;
    GtkWidget* bar_ = nullptr;
    GtkWidget* cancel_ = nullptr;
    std::function<void()> onCancel_;
    bool active_ = false;
};

}  // namespace desktop
