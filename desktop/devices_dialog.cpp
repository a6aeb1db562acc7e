#include "devices_dialog.h"

#include <string>
#include <vector>

#include "form_grid.h"
#include "wavedeck.h"

namespace desktop {

namespace {

struct Widgets {
    GtkWidget* line = nullptr;
    GtkWidget* level = nullptr;
    GtkWidget* volume = nullptr;
    GtkWidget* mute = nullptr;
};

GtkWidget* deviceCombo(int count, int (*name)(int, char*), int current) {
    GtkWidget* combo = gtk_combo_box_text_new();
    std::vector<char> buffer(WD_MAX_TEXT);
    for (int i = 0; i < count; ++i) {
        buffer[0] = 0;
        name(i, buffer.data());
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), buffer[0] ? buffer.data() : ("Device " + std::to_string(i + 1)).c_str());
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(combo), current);
    gtk_widget_set_sensitive(combo, count > 1);
    return combo;
}

// The recording lines and level follow the input device.
void fillLines(Widgets& w) {
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(w.line));
    std::vector<char> buffer(WD_MAX_TEXT);
    const int count = WDXGetRecLineCount();
    for (int i = 0; i < count; ++i) {
        buffer[0] = 0;
        WDXGetRecLineName(i, buffer.data());
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(w.line), buffer.data());
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(w.line), WDXGetRecCurLine());
    const int lowest = WDXGetRecLineMin(), highest = WDXGetRecLineMax();
    gtk_widget_set_sensitive(w.level, highest > lowest);
    if (highest > lowest) {
        gtk_range_set_range(GTK_RANGE(w.level), lowest, highest);
        gtk_range_set_value(GTK_RANGE(w.level), WDXGetRecCurLineValue());
    }
}

}  // namespace

void DevicesDialog::run(GtkWindow* parent) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons("Sound Devices", parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    "_Close", GTK_RESPONSE_CLOSE, nullptr);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
    Widgets w;
    GtkWidget* output = deviceCombo(WDXGetWaveOutDeviceCount(), &WDXGetWaveOutDeviceName, WDXGetWaveOutDevice());
    GtkWidget* input = deviceCombo(WDXGetWaveInDeviceCount(), &WDXGetWaveInDeviceName, WDXGetWaveInDevice());
    w.line = gtk_combo_box_text_new();
    w.level = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 1, 1);
    int lowest = 0, highest = 0, left = 0, right = 0;
    WDXGetVolMinMax(0, &lowest, &highest);
    WDXGetVolVol(0, &left, &right);
    w.volume = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, lowest, highest > lowest ? highest : lowest + 1, 1);
    gtk_range_set_value(GTK_RANGE(w.volume), left);
    gtk_widget_set_sensitive(w.volume, highest > lowest && left >= 0);
    w.mute = gtk_check_button_new_with_mnemonic("_Mute output");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.mute), WDXGetVolMute(0) != 0);
    fillLines(w);
    const char* labels[] = {"_Output device", "_Input device", "Recording _line", "Recording le_vel", "Output vol_ume"};
    GtkWidget* inputs[] = {output, input, w.line, w.level, w.volume};
    attachLabelledRows(grid, labels, inputs, 5);
    gtk_grid_attach(GTK_GRID(grid), w.mute, 1, 5, 1, 1);
    g_signal_connect(output, "changed", G_CALLBACK(+[](GtkComboBox* c, gpointer) { WDXSetWaveOutDevice(gtk_combo_box_get_active(c)); }), nullptr);
    g_signal_connect(input, "changed", G_CALLBACK(+[](GtkComboBox* c, gpointer data) {
        WDXSetWaveInDevice(gtk_combo_box_get_active(c));
        fillLines(*static_cast<Widgets*>(data));
    }), &w);
    g_signal_connect(w.line, "changed", G_CALLBACK(+[](GtkComboBox* c, gpointer) {
        if (gtk_combo_box_get_active(c) >= 0 && gtk_combo_box_get_active(c) != WDXGetRecCurLine()) WDXSetRecCurLine(gtk_combo_box_get_active(c));
    }), nullptr);
    g_signal_connect(w.level, "value-changed", G_CALLBACK(+[](GtkRange* r, gpointer) { WDXSetRecCurLineValue(static_cast<int>(gtk_range_get_value(r))); }), nullptr);
    g_signal_connect(w.volume, "value-changed", G_CALLBACK(+[](GtkRange* r, gpointer) {
        const int v = static_cast<int>(gtk_range_get_value(r));
        WDXSetVolVol(0, v, v);
    }), nullptr);
    g_signal_connect(w.mute, "toggled", G_CALLBACK(+[](GtkToggleButton* b, gpointer) { WDXSetVolMute(0, gtk_toggle_button_get_active(b)); }), nullptr);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid);
    gtk_widget_set_size_request(dialog, 420, -1);
    gtk_widget_show_all(dialog);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

}  // namespace desktop
