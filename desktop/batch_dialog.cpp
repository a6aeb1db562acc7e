#include "batch_dialog.h"

#include "event_log.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace desktop {

namespace {
enum Response { kAdd = 1, kRemove, kConvert, kCancelRun };
}

BatchDialog::BatchDialog(GtkWindow* parent) {
    dialog_ = gtk_dialog_new_with_buttons("Batch Convert", parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                          "_Add Files…", kAdd, "_Remove", kRemove, "Con_vert", kConvert, "_Stop", kCancelRun,
                                          "_Close", GTK_RESPONSE_CLOSE, nullptr);
    convert_ = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog_), kConvert);
    cancel_ = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog_), kCancelRun);
    gtk_widget_set_sensitive(cancel_, FALSE);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(box), 12);
    files_ = gtk_list_store_new(1, G_TYPE_STRING);
    list_ = gtk_tree_view_new_with_model(GTK_TREE_MODEL(files_));
    gtk_tree_view_append_column(GTK_TREE_VIEW(list_), gtk_tree_view_column_new_with_attributes("Files", gtk_cell_renderer_text_new(), "text", 0, nullptr));
    gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(list_)), GTK_SELECTION_MULTIPLE);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_widget_set_size_request(scroller, 520, 200);
    gtk_container_add(GTK_CONTAINER(scroller), list_);
    gtk_box_pack_start(GTK_BOX(box), scroller, TRUE, TRUE, 0);
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_box_pack_start(GTK_BOX(row), gtk_label_new("Into"), FALSE, FALSE, 0);
    folder_ = gtk_file_chooser_button_new("Output folder", GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER);
    gtk_box_pack_start(GTK_BOX(row), folder_, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), gtk_label_new("as"), FALSE, FALSE, 0);
    type_ = gtk_combo_box_text_new();
    for (const char* t : {"WAV", "MP3", "WMA", "Ogg Vorbis"}) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(type_), t);
    gtk_combo_box_set_active(GTK_COMBO_BOX(type_), 0);
    gtk_box_pack_start(GTK_BOX(row), type_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);
    bar_ = gtk_progress_bar_new();
    gtk_progress_bar_set_show_text(GTK_PROGRESS_BAR(bar_), TRUE);
    gtk_progress_bar_set_text(GTK_PROGRESS_BAR(bar_), "");
    gtk_box_pack_start(GTK_BOX(box), bar_, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog_))), box);
    progress_ = std::make_unique<HostWindow>([this](UINT m, WPARAM w, LPARAM l) { return onMessage(m, w, l); });
}

BatchDialog::~BatchDialog() {
    if (running_) WDXCancelConvert();
    WDXUninitBatchConvert();
    gtk_widget_destroy(dialog_);
    g_object_unref(files_);
}

void BatchDialog::run(GtkWindow* parent) {
    BatchDialog self(parent);
    gtk_widget_show_all(self.dialog_);
    while (true) {
        const int response = gtk_dialog_run(GTK_DIALOG(self.dialog_));
        if (response == kAdd) {
            self.addFiles();
        } else if (response == kRemove) {
            GList* rows = gtk_tree_selection_get_selected_rows(gtk_tree_view_get_selection(GTK_TREE_VIEW(self.list_)), nullptr);
            rows = g_list_reverse(rows);  // from the bottom, so the paths stay valid
            for (GList* r = rows; r; r = r->next) {
                GtkTreeIter it;
                if (gtk_tree_model_get_iter(GTK_TREE_MODEL(self.files_), &it, static_cast<GtkTreePath*>(r->data))) gtk_list_store_remove(self.files_, &it);
            }
            g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
        } else if (response == kConvert) {
            self.start();
        } else if (response == kCancelRun) {
            WDXCancelConvert();
            self.finish("Stopped.");
        } else {
            break;
        }
    }
}

void BatchDialog::addFiles() {
    GtkWidget* chooser = gtk_file_chooser_dialog_new("Add Files", GTK_WINDOW(dialog_), GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
                                                     "_Add", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser), TRUE);
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        GSList* names = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(chooser));
        for (GSList* n = names; n; n = n->next) gtk_list_store_insert_with_values(files_, nullptr, -1, 0, static_cast<char*>(n->data), -1);
        g_slist_free_full(names, g_free);
    }
    gtk_widget_destroy(chooser);
}

void BatchDialog::start() {
    gchar* folder = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(folder_));
    total_ = gtk_tree_model_iter_n_children(GTK_TREE_MODEL(files_), nullptr);
    if (!folder || total_ == 0) {
        gtk_progress_bar_set_text(GTK_PROGRESS_BAR(bar_), total_ == 0 ? "Add the files to convert first." : "Choose the output folder first.");
        g_free(folder);
        return;
    }
    WDXInitBatchConvert();
    GtkTreeIter it;
    for (bool more = gtk_tree_model_get_iter_first(GTK_TREE_MODEL(files_), &it); more; more = gtk_tree_model_iter_next(GTK_TREE_MODEL(files_), &it)) {
        gchar* path = nullptr;
        gtk_tree_model_get(GTK_TREE_MODEL(files_), &it, 0, &path, -1);
        WDXAddFiles(path);
        g_free(path);
    }
    WDXSetOutputDir(folder);
    g_free(folder);
    WDXSetOutputType(gtk_combo_box_get_active(GTK_COMBO_BOX(type_)) + 1);
    WDXSetProgHWND(progress_->handle());
    finished_ = failed_ = 0;
    running_ = true;
    gtk_widget_set_sensitive(convert_, FALSE);
    gtk_widget_set_sensitive(cancel_, TRUE);
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar_), 0);
    gtk_progress_bar_set_text(GTK_PROGRESS_BAR(bar_), "Converting…");
    WDXBeginConvert();
}

void BatchDialog::finish(const std::string& sentence) {
    running_ = false;
    gtk_widget_set_sensitive(convert_, TRUE);
    gtk_widget_set_sensitive(cancel_, FALSE);
    gtk_progress_bar_set_text(GTK_PROGRESS_BAR(bar_), sentence.c_str());
    EventLog::instance().status("Batch conversion: " + sentence);
}

std::optional<LRESULT> BatchDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!running_) return std::nullopt;
    // Each file: reading (half of its share), then writing (the other half).
    auto show = [&](double part) {
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar_), (finished_ + part) / total_);
        const std::string text = "File " + std::to_string(std::min(finished_ + 1, total_)) + " of " + std::to_string(total_);
        gtk_progress_bar_set_text(GTK_PROGRESS_BAR(bar_), text.c_str());
    };
    switch (message) {
        case NotifyImportProgress: show(wParam ? 0.5 * static_cast<double>(lParam) / static_cast<double>(wParam) : 0); return 0;
        case NotifySaveProgress: show(wParam ? 0.5 + 0.5 * static_cast<double>(lParam) / static_cast<double>(wParam) : 0.5); return 0;
        case NotifySaveDone: ++finished_; return 0;
        case NotifyImportFailed:
        case NotifyUnsupportedFile:
        case NotifySaveFailed: ++failed_; ++finished_; return 0;
        case NotifyBatchDone:
            gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar_), 1);
            finish(failed_ ? std::to_string(total_ - failed_) + " of " + std::to_string(total_) +
                                 " files converted; the others could not be read or written."
                           : "All " + std::to_string(total_) + " files converted.");
            return 0;
        default: return std::nullopt;
    }
}

}  // namespace desktop
