// The label-beside-input rows of the editor's dialogs.
#pragma once

#include <gtk/gtk.h>

namespace desktop {

/** Puts each input in column 1 of its row, its mnemonic label left-aligned in column 0. */
inline void attachLabelledRows(GtkWidget* grid, const char* const* labels, GtkWidget* const* inputs, int count) {
    for (int i = 0; i < count; ++i) {
        GtkWidget* label = gtk_label_new_with_mnemonic(labels[i]);
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        gtk_label_set_mnemonic_widget(GTK_LABEL(label), inputs[i]);
        gtk_widget_set_hexpand(inputs[i], TRUE);
        gtk_grid_attach(GTK_GRID(grid), label, 0, i, 1, 1);
        gtk_grid_attach(GTK_GRID(grid), inputs[i], 1, i, 1, 1);
    }
}

}  // namespace desktop
