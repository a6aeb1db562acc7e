#include "selection_fields.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>

#include "event_log.h"
#include "time_format.h"
#include "wavedeck.h"

namespace desktop {

SelectionFields::SelectionFields(std::function<void(const std::string&)> refused) : refused_(std::move(refused)) {
    box_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    // Mnemonics the menus and the record panel leave free.
    const char* labels[] = {"St_art", "E_nd", "Len_gth"};
    for (int i = 0; i < 3; ++i) {
        GtkWidget* label = gtk_label_new_with_mnemonic(labels[i]);
        GtkWidget* entry = gtk_entry_new();
        gtk_entry_set_width_chars(GTK_ENTRY(entry), 11);
        gtk_label_set_mnemonic_widget(GTK_LABEL(label), entry);
        gtk_box_pack_start(GTK_BOX(box_), label, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(box_), entry, FALSE, FALSE, 0);
        g_object_set_data(G_OBJECT(entry), "field", GINT_TO_POINTER(i));
        g_signal_connect(entry, "activate", G_CALLBACK(+[](GtkEntry* e, gpointer self) {
            static_cast<SelectionFields*>(self)->typed(static_cast<Field>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(e), "field"))));
        }), this);
        entries_[static_cast<size_t>(i)] = entry;
    }
    gtk_widget_set_sensitive(box_, FALSE);
}

void SelectionFields::show(const std::array<std::string, 3>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] == texts_[i]) continue;
        texts_[i] = texts[i];
        const auto ms = TimeFormat::parse(texts[i]);
        gtk_entry_set_text(GTK_ENTRY(entries_[i]), ms ? TimeFormat::format(*ms).c_str() : "");
    }
    gtk_widget_set_sensitive(box_, !texts_[2].empty());
}

void SelectionFields::restore() {
    auto shown = texts_;
    texts_ = {};
    show(shown);
}

void SelectionFields::typed(Field field) {
    const auto value = TimeFormat::parse(gtk_entry_get_text(GTK_ENTRY(entries_[field])));
    const auto start = TimeFormat::parse(texts_[Start]), length = TimeFormat::parse(texts_[Length]);
    const int64_t rate = WDXGetTrackInfo(1);
    EventLog::instance().event("typed " + std::string(gtk_entry_get_text(GTK_ENTRY(entries_[field]))));
    if (!value || !start || !length || rate <= 0) {
        refused_("Type a time as h:mm:ss.mmm, for example 0:01:30.250.");
        restore();
        return;
    }
    int64_t newStart = field == Start ? *value : *start;
    int64_t newLength = field == Start ? *length : field == Length ? *value : *value - *start;
    if (newLength < 0) {
        refused_("The end must not come before the start.");
        restore();
        return;
    }
    // Milliseconds to samples; the library cuts a range that runs past the end.
    auto samples = [rate](int64_t ms) { return static_cast<int>(std::min<int64_t>((ms * rate + 500) / 1000, INT_MAX)); };
    if (WDXSetSelection(samples(newStart), samples(newLength)) != 0) {
        refused_("The selection cannot change while the track plays or an operation runs.");
    }
    restore();
}

}  // namespace desktop
