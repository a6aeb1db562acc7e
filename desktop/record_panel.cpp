#include "record_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "event_log.h"
#include "time_format.h"
#include "wavedeck.h"

namespace desktop {

namespace {
constexpr int kPaneHeight = 110;
}

RecordPanel::RecordPanel(std::function<void(const std::string&)> say, std::function<void(const std::string&)> fail, std::function<void()> changed,
                         std::function<void()> kept)
    : say_(std::move(say)), fail_(std::move(fail)), changed_(std::move(changed)), kept_(std::move(kept)) {
    box_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    auto combo = [row](const char* label, std::initializer_list<const char*> items, int active) {
        gtk_box_pack_start(GTK_BOX(row), gtk_label_new(label), FALSE, FALSE, 0);
        GtkWidget* c = gtk_combo_box_text_new();
        for (const char* item : items) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(c), item);
        gtk_combo_box_set_active(GTK_COMBO_BOX(c), active);
        gtk_box_pack_start(GTK_BOX(row), c, FALSE, FALSE, 0);
        return c;
    };
    channels_ = combo("Channels", {"1", "2"}, 1);
    rateBox_ = combo("Rate", {"8000", "11025", "22050", "32000", "44100", "48000"}, 4);
    bits_ = combo("Bits", {"8", "16"}, 1);
    record_ = button("_Record", row);
    stop_ = button("_Stop", row);
    play_ = button("_Play Take", row);
    keep_ = button("_Keep", row);
    discard_ = button("_Discard", row);
    elapsed_ = gtk_label_new("");
    gtk_box_pack_start(GTK_BOX(row), elapsed_, FALSE, FALSE, 6);
    level_ = gtk_level_bar_new_for_interval(0, 60);  // dB above -60 (a level bar starts at 0)
    gtk_widget_set_size_request(level_, 120, 10);
    gtk_widget_set_valign(level_, GTK_ALIGN_CENTER);
    gtk_widget_set_tooltip_text(level_, "Input level of the last buffer, -60 to 0 dB");
    gtk_box_pack_start(GTK_BOX(row), level_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box_), row, FALSE, FALSE, 0);
    pane_ = std::make_unique<LibraryPane>("record", -1, kPaneHeight,
                                          [](HWND parent, int w, int h) { return WDXCreateRecordWnd(parent, 0, 0, w, h); });
    gtk_box_pack_start(GTK_BOX(box_), pane_->widget(), FALSE, TRUE, 0);
    gtk_widget_show_all(box_);
    gtk_widget_set_no_show_all(box_, TRUE);
    gtk_widget_hide(box_);
}

RecordPanel::~RecordPanel() {
    if (timer_) g_source_remove(timer_);
}

GtkWidget* RecordPanel::button(const char* label, GtkWidget* row) {
    GtkWidget* b = gtk_button_new_with_mnemonic(label);
    g_signal_connect(b, "clicked", G_CALLBACK(&RecordPanel::onClicked), this);
    gtk_box_pack_start(GTK_BOX(row), b, FALSE, FALSE, 0);
    return b;
}

void RecordPanel::open() {
    gtk_widget_show(box_);
    updateButtons();
}

void RecordPanel::close() {
    if (recording_ || takeHeld_) WDXCancelRecord();
    recording_ = takeHeld_ = false;
    gtk_widget_hide(box_);
    changed_();
}

gboolean RecordPanel::onTick(gpointer data) {
    auto* self = static_cast<RecordPanel*>(data);
    if (!self->recording_ || WDXGetRecordInfo(2) != 1) {
        self->timer_ = 0;
        return G_SOURCE_REMOVE;
    }
    self->showProgress();
    return G_SOURCE_CONTINUE;
}

void RecordPanel::showProgress() {
    const int length = WDXGetRecordInfo(0), peak = WDXGetRecordInfo(1);
    const int64_t ms = rate_ > 0 && length > 0 ? int64_t{length} * 1000 / rate_ : 0;
    const double dB = peak > 0 ? 20 * std::log10(peak / 32767.0) : -60;
    gtk_level_bar_set_value(GTK_LEVEL_BAR(level_), std::clamp(dB, -60.0, 0.0) + 60);
    char text[64];
    std::snprintf(text, sizeof text, "%s  %s", TimeFormat::format(ms).c_str(), peak > 0 ? (std::to_string(static_cast<int>(std::lround(dB))) + " dB").c_str() : "silence");
    gtk_label_set_text(GTK_LABEL(elapsed_), text);
    EventLog::instance().event(std::string("recording ") + text);
}

void RecordPanel::updateButtons() {
    gtk_widget_set_sensitive(record_, !recording_);
    gtk_widget_set_sensitive(stop_, recording_ || takeHeld_);
    gtk_widget_set_sensitive(play_, takeHeld_ && !recording_);
    gtk_widget_set_sensitive(keep_, takeHeld_ || recording_);
    gtk_widget_set_sensitive(discard_, takeHeld_ || recording_);
    for (GtkWidget* c : {channels_, rateBox_, bits_}) gtk_widget_set_sensitive(c, !recording_);
}

void RecordPanel::onClicked(GtkButton* button, gpointer data) {
    auto* self = static_cast<RecordPanel*>(data);
    GtkWidget* b = GTK_WIDGET(button);
    auto number = [](GtkWidget* combo) {
        gchar* text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(combo));
        const int value = text ? std::atoi(text) : 0;
        g_free(text);
        return value;
    };
    if (b == self->record_) {
        WDXSetRecordParam(number(self->channels_), number(self->rateBox_), number(self->bits_));
        if (WDXBeginRecord() != 0) {
            self->fail_("The input device cannot record " + std::string(number(self->channels_) == 1 ? "mono" : "stereo") + " at " +
                        std::to_string(number(self->rateBox_)) + " Hz with " + std::to_string(number(self->bits_)) +
                        " bits: choose another format, or another device in Tools > Sound Devices.");
        } else {
            self->recording_ = true;
            self->takeHeld_ = true;
            self->rate_ = number(self->rateBox_);
            self->say_("Recording…");
            // Polled only while recording: an idle editor stays asleep.
            self->timer_ = g_timeout_add(100, &RecordPanel::onTick, self);
        }
    } else if (b == self->stop_) {
        // Stops the recording, or the playing of the take.
        WDXStopRecord();
        if (self->recording_) {
            self->showProgress();
            self->say_("Recording stopped: play the take, keep it as a new track or discard it.");
        }
        self->recording_ = false;
    } else if (b == self->play_) {
        WDXPlayRecord();
    } else if (b == self->keep_) {
        WDXSureRecord();
        self->recording_ = self->takeHeld_ = false;
        self->say_("The take became a new track.");
        self->kept_();
        gtk_widget_hide(self->box_);
    } else if (b == self->discard_) {
        WDXCancelRecord();
        self->recording_ = self->takeHeld_ = false;
        self->say_("The take was discarded.");
    }
    self->updateButtons();
    self->changed_();
}

}  // namespace desktop
