// Recording: the format of the take, the buttons that start, stop, play, keep and
// discard it, and the library's record window showing the take as it grows.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "library_pane.h"

namespace desktop {

class RecordPanel {
public:
    /** say: a sentence for the status bar; fail: an error to show; changed: the editor's commands may have
     * changed (the recorder started or stopped); kept: the take became a new track. */
    RecordPanel(std::function<void(const std::string&)> say, std::function<void(const std::string&)> fail, std::function<void()> changed,
                std::function<void()> kept);
    ~RecordPanel();
    RecordPanel(const RecordPanel&) = delete;
    RecordPanel& operator=(const RecordPanel&) = delete;
    GtkWidget* widget() const { return box_; }

    /** Shows the panel, ready for a take. */
    void open();
    /** Discards a take that was not kept and hides the panel. */
    void close();
    bool recording() const { return recording_; }

private:
    static void onClicked(GtkButton* button, gpointer self);
    GtkWidget* button(const char* label, GtkWidget* row);
    void updateButtons();
    static gboolean onTick(gpointer self);
    void showProgress();

    std::function<void(const std::string&)> say_;
    std::function<void(const std::string&)> fail_;
    std::function<void()> changed_;
    std::function<void()> kept_;
    GtkWidget* box_ = nullptr;
    GtkWidget* channels_ = nullptr;
    GtkWidget* rateBox_ = nullptr;
    GtkWidget* bits_ = nullptr;
    GtkWidget* record_ = nullptr;
    GtkWidget* stop_ = nullptr;
    GtkWidget* play_ = nullptr;
    GtkWidget* keep_ = nullptr;
    GtkWidget* discard_ = nullptr;
    GtkWidget* elapsed_ = nullptr;  // the take's length and the last buffer's level
    GtkWidget* level_ = nullptr;
    int rate_ = 0;                  // of the take being recorded
    guint timer_ = 0;
    std::unique_ptr<LibraryPane> pane_;
    bool recording_ = false;
    bool takeHeld_ = false;
};

}  // namespace desktop
