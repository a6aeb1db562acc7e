#include "settings_dialog.h"

#include <string>
#include <vector>

#include "form_grid.h"
#include "wavedeck.h"

namespace desktop {

void SettingsDialog::run(GtkWindow* parent) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons("Settings", parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
    std::vector<char> folder(WD_MAX_TEXT, 0);
    WDXGetTempFolder(folder.data());
    GtkWidget* chooser = gtk_file_chooser_button_new("Folder for temporary files", GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER);
    gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), folder.data());
    // Bit rates in kbit/s for MP3 (1) and WMA (2); quality 0 to 10 for Ogg Vorbis (3).
    GtkWidget* mp3 = gtk_spin_button_new_with_range(32, 320, 8);
    GtkWidget* wma = gtk_spin_button_new_with_range(32, 320, 8);
    GtkWidget* ogg = gtk_spin_button_new_with_range(0, 10, 1);
    GtkWidget* qualities[] = {mp3, wma, ogg};
    for (int format = 1; format <= 3; ++format) gtk_spin_button_set_value(GTK_SPIN_BUTTON(qualities[format - 1]), WDXGetFormatQuality(format));
    const char* labels[] = {"_Temporary files", "_MP3 bit rate (kbit/s)", "_WMA bit rate (kbit/s)", "_Ogg Vorbis quality (0 to 10)"};
    GtkWidget* inputs[] = {chooser, mp3, wma, ogg};
    attachLabelledRows(grid, labels, inputs, 4);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid);
    gtk_widget_show_all(dialog);
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
        for (int format = 1; format <= 3; ++format) {
            WDXSetFormatQuality(format, gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(qualities[format - 1])));
        }
        gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        if (chosen && std::string(chosen) != folder.data() && !WDXSetTempFolder(chosen)) {
            GtkWidget* error = gtk_message_dialog_new(GTK_WINDOW(dialog), GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE,
                                                      "The folder %s cannot hold the temporary files: it must exist and be writable.", chosen);
            gtk_dialog_run(GTK_DIALOG(error));
            gtk_widget_destroy(error);
        }
        g_free(chosen);
    }
    gtk_widget_destroy(dialog);
}

}  // namespace desktop
