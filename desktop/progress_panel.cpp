#include "progress_panel.h"

#include <algorithm>

#include "event_log.h"

namespace desktop {

ProgressPanel::ProgressPanel() {
    box_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    bar_ = gtk_progress_bar_new();
    gtk_progress_bar_set_show_text(GTK_PROGRESS_BAR(bar_), TRUE);
    gtk_widget_set_size_request(bar_, 260, -1);
    gtk_widget_set_valign(bar_, GTK_ALIGN_CENTER);
    cancel_ = gtk_button_new_with_mnemonic("_Cancel");
    g_signal_connect(cancel_, "clicked", G_CALLBACK(&ProgressPanel::onCancel), this);
    gtk_box_pack_start(GTK_BOX(box_), bar_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box_), cancel_, FALSE, FALSE, 0);
    gtk_widget_set_no_show_all(box_, TRUE);
}

void ProgressPanel::begin(const std::string& text, std::function<void()> cancel) {
    onCancel_ = std::move(cancel);
    active_ = true;
    gtk_progress_bar_set_text(GTK_PROGRESS_BAR(bar_), text.c_str());
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar_), 0);
    gtk_widget_show(bar_);
    gtk_widget_set_visible(cancel_, static_cast<bool>(onCancel_));
    gtk_widget_show(box_);
}

void ProgressPanel::update(double done, double total) {
    if (total <= 0) return;
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar_), std::clamp(done / total, 0.0, 1.0));
}

void ProgressPanel::end() {
    active_ = false;
    onCancel_ = nullptr;
    gtk_widget_hide(box_);
}

void ProgressPanel::onCancel(GtkButton*, gpointer data) {
    auto* self = static_cast<ProgressPanel*>(data);
    if (!self->onCancel_) return;
    EventLog::instance().event("cancel");
    self->onCancel_();
}

}  // namespace desktop
