// Batch conversion: a list of files, an output folder and type, and the run with its
// progress per file and Cancel.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "host_window.h"

namespace desktop {

class BatchDialog {
public:
    /** Modal over parent until closed; a run still going when it closes is cancelled. */
    static void run(GtkWindow* parent);

private:
    explicit BatchDialog(GtkWindow* parent);
    ~BatchDialog();
    void start();
    void finish(const std::string& sentence);
    std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void addFiles();

    GtkWidget* dialog_ = nullptr;
    GtkListStore* files_ = nullptr;
    GtkWidget* list_ = nullptr;
    GtkWidget* folder_ = nullptr;
    GtkWidget* type_ = nullptr;
    GtkWidget* bar_ = nullptr;
    GtkWidget* convert_ = nullptr;
    GtkWidget* cancel_ = nullptr;
    std::unique_ptr<HostWindow> progress_;
    bool running_ = false;
    int total_ = 0;
    int finished_ = 0;  // files read and written, or refused
    int failed_ = 0;
};

}  // namespace desktop
