#include "quit_question.h"

namespace desktop {

QuitQuestion::Answer QuitQuestion::ask(GtkWindow* parent, const std::vector<std::string>& names) {
    const std::string question = names.size() == 1 ? "Save the changes to 1 track before quitting?"
                                                   : "Save the changes to " + std::to_string(names.size()) + " tracks before quitting?";
    GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "%s", question.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), "Quit WaveDeck");
    std::string list;
    for (const std::string& n : names) list += "•  " + n + "\n";
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%sChanges that are not saved are lost.", list.c_str());
    gtk_dialog_add_buttons(GTK_DIALOG(dialog), "Quit _without Saving", GTK_RESPONSE_REJECT, "_Cancel", GTK_RESPONSE_CANCEL, "_Save All",
                           GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return response == GTK_RESPONSE_ACCEPT ? Answer::Save : response == GTK_RESPONSE_REJECT ? Answer::Discard : Answer::Cancel;
}

}  // namespace desktop
