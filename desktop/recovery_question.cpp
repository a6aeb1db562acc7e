#include "recovery_question.h"

#include <algorithm>

#include "failure_text.h"
#include "wavedeck.h"

namespace desktop {

std::vector<RecoveryQuestion::Offer> RecoveryQuestion::offers() {
    std::vector<Offer> found(static_cast<size_t>(std::max(0, WDXGetRecoveryTrackCount())));
    for (size_t i = 0; i < found.size(); ++i) {
        const int index = static_cast<int>(i);
        char name[512] = {};
        WDXGetRecoveryTrackName(index, name, sizeof name);
        found[i] = {name, WDXGetRecoveryTrackLength(index), WDXGetRecoveryTrackProblem(index)};
    }
    return found;
}

RecoveryQuestion::Answer RecoveryQuestion::ask(GtkWindow* parent, const std::vector<Offer>& offers) {
    const std::string question = (offers.size() == 1 ? std::string("1 track") : std::to_string(offers.size()) + " tracks") +
                                 " from a session that ended unexpectedly";
    GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "%s", question.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), "Recover Tracks");
    std::string list;
    for (const Offer& o : offers) {
        list += "•  " + o.name + ", " + std::to_string(o.length) + " samples";
        if (o.problem != WD_FAILURE_NONE) list += ": cannot be recovered, " + failureReason(o.problem, false);
        list += "\n";
    }
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%sRecovered tracks are not saved until you save them.", list.c_str());
    gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Discard", GTK_RESPONSE_REJECT, "_Recover", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return response == GTK_RESPONSE_ACCEPT ? Answer::Recover : response == GTK_RESPONSE_REJECT ? Answer::Discard : Answer::Later;
}

}  // namespace desktop
