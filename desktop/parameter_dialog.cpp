#include "parameter_dialog.h"

namespace desktop {

std::optional<ParameterBlock> ParameterDialog::ask(GtkWindow* parent, const std::string& title, const std::string& explanation,
                                                   const std::vector<Parameter>& parameters) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons(title.c_str(), parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
    int row = 0;
    if (!explanation.empty()) {
        GtkWidget* text = gtk_label_new(explanation.c_str());
        gtk_label_set_line_wrap(GTK_LABEL(text), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(text), 48);
        gtk_label_set_xalign(GTK_LABEL(text), 0);
        gtk_grid_attach(GTK_GRID(grid), text, 0, row++, 2, 1);
    }
    std::vector<GtkWidget*> inputs;
    for (const Parameter& p : parameters) {
        GtkWidget* label = gtk_label_new_with_mnemonic(p.label.c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        GtkWidget* input = nullptr;
        if (p.kind == Parameter::Kind::Choice) {
            input = gtk_combo_box_text_new();
            for (const std::string& c : p.choices) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(input), c.c_str());
            gtk_combo_box_set_active(GTK_COMBO_BOX(input), static_cast<int>(p.value));
        } else {
            input = gtk_spin_button_new_with_range(p.minimum, p.maximum, p.step);
            gtk_spin_button_set_digits(GTK_SPIN_BUTTON(input), static_cast<guint>(p.kind == Parameter::Kind::Int ? 0 : p.digits));
            gtk_spin_button_set_value(GTK_SPIN_BUTTON(input), p.value);
            gtk_entry_set_activates_default(GTK_ENTRY(input), TRUE);
        }
        gtk_label_set_mnemonic_widget(GTK_LABEL(label), input);
        gtk_grid_attach(GTK_GRID(grid), label, 0, row, 1, 1);
        gtk_grid_attach(GTK_GRID(grid), input, 1, row++, 1, 1);
        inputs.push_back(input);
    }
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid);
    gtk_widget_show_all(dialog);
    std::optional<ParameterBlock> result;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
        std::vector<double> values;
        for (size_t i = 0; i < parameters.size(); ++i) {
            const Parameter& p = parameters[i];
            double shown = 0;
            if (p.kind == Parameter::Kind::Choice) {
                shown = std::max(0, gtk_combo_box_get_active(GTK_COMBO_BOX(inputs[i])));
            } else {
                gtk_spin_button_update(GTK_SPIN_BUTTON(inputs[i]));  // a typed value not yet taken
                shown = gtk_spin_button_get_value(GTK_SPIN_BUTTON(inputs[i]));
            }
            values.push_back(shown);
        }
        result = Parameters::block(parameters, values);
    }
    gtk_widget_destroy(dialog);
    return result;
}

}  // namespace desktop
