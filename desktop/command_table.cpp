#include "command_table.h"

#include <algorithm>

#include "event_log.h"

namespace desktop {

namespace {

void runLogged(Command& command) {
    EventLog::instance().event("command " + command.id);
    command.run();
    if (command.ran) command.ran();
}

void activate(GtkWidget*, gpointer data) {
    auto* command = static_cast<Command*>(data);
    if (command->run) runLogged(*command);
}

// Letters compare without case; Shift is part of the key only when asked for.
bool matches(const Key& key, const GdkEventKey* event) {
    constexpr auto kModifiers = static_cast<guint>(GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK);
    const guint state = event->state & kModifiers;
    if (gdk_keyval_to_lower(event->keyval) != gdk_keyval_to_lower(key.keyval)) return false;
    if (key.keyval == GDK_KEY_plus) return (state & ~static_cast<guint>(GDK_SHIFT_MASK)) == static_cast<guint>(key.modifiers);
    return state == static_cast<guint>(key.modifiers);
}

}  // namespace

GtkWidget* CommandTable::buildMenuBar() {
    GtkWidget* bar = gtk_menu_bar_new();
    std::vector<std::pair<std::string, GtkWidget*>> menus;
    items_.assign(commands_.size(), nullptr);
    for (size_t i = 0; i < commands_.size(); ++i) {
        Command& c = commands_[i];
        if (c.menu.empty()) continue;
        auto it = std::find_if(menus.begin(), menus.end(), [&](const auto& m) { return m.first == c.menu; });
        if (it == menus.end()) {
            GtkWidget* top = gtk_menu_item_new_with_mnemonic(c.menu.c_str());
            GtkWidget* menu = gtk_menu_new();
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
            gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
            menus.emplace_back(c.menu, menu);
            it = menus.end() - 1;
        }
        if (c.separatorBefore) gtk_menu_shell_append(GTK_MENU_SHELL(it->second), gtk_separator_menu_item_new());
        GtkWidget* item = gtk_menu_item_new_with_mnemonic(c.label.c_str());
        if (!c.keys.empty()) {
            // The key is only shown here: the window's key handler runs it, so keys
            // without a modifier (Space, Delete, Home) work as well.
            gtk_accel_label_set_accel(GTK_ACCEL_LABEL(gtk_bin_get_child(GTK_BIN(item))), c.keys[0].keyval, c.keys[0].modifiers);
        }
        g_signal_connect(item, "activate", G_CALLBACK(&activate), &c);
        gtk_menu_shell_append(GTK_MENU_SHELL(it->second), item);
        items_[i] = item;
    }
    return bar;
}

GtkWidget* CommandTable::buildToolBar() {
    GtkWidget* bar = gtk_toolbar_new();
    gtk_toolbar_set_style(GTK_TOOLBAR(bar), GTK_TOOLBAR_ICONS);
    buttons_.assign(commands_.size(), nullptr);
    for (size_t i = 0; i < commands_.size(); ++i) {
        Command& c = commands_[i];
        if (!c.icon) continue;
        if (c.separatorBefore && i > 0) gtk_toolbar_insert(GTK_TOOLBAR(bar), gtk_separator_tool_item_new(), -1);
        GtkToolItem* button = gtk_tool_button_new(gtk_image_new_from_icon_name(c.icon, GTK_ICON_SIZE_SMALL_TOOLBAR), nullptr);
        std::string tip;
        for (char ch : c.label) {
            if (ch != '_') tip += ch;
        }
        gtk_widget_set_tooltip_text(GTK_WIDGET(button), tip.c_str());
        g_signal_connect(button, "clicked", G_CALLBACK(&activate), &c);
        gtk_toolbar_insert(GTK_TOOLBAR(bar), button, -1);
        buttons_[i] = GTK_WIDGET(button);
    }
    return bar;
}

GtkWidget* CommandTable::buildPopup(const std::vector<std::string>& ids) {
    GtkWidget* menu = gtk_menu_new();
    for (const std::string& id : ids) {
        for (Command& c : commands_) {
            if (c.id != id) continue;
            GtkWidget* item = gtk_menu_item_new_with_mnemonic(c.label.c_str());
            gtk_widget_set_sensitive(item, !c.available || c.available());
            g_signal_connect(item, "activate", G_CALLBACK(&activate), &c);
            gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
        }
    }
    gtk_widget_show_all(menu);
    return menu;
}

void CommandTable::refresh() {
    for (size_t i = 0; i < commands_.size(); ++i) {
        const bool on = !commands_[i].available || commands_[i].available();
        if (i < items_.size() && items_[i]) {
            // A script reads the menu as the user sees it.
            if (gtk_widget_get_sensitive(items_[i]) != on) EventLog::instance().event((on ? "enabled " : "disabled ") + commands_[i].id);
            gtk_widget_set_sensitive(items_[i], on);
        }
        if (i < buttons_.size() && buttons_[i]) gtk_widget_set_sensitive(buttons_[i], on);
    }
}

bool CommandTable::handleKey(const GdkEventKey* event) {
    // A key may serve several commands: the first available one runs.
    bool matched = false;
    for (Command& c : commands_) {
        for (const Key& key : c.keys) {
            if (!matches(key, event)) continue;
            matched = true;
            if ((!c.available || c.available()) && c.run) {
                runLogged(c);
                return true;
            }
        }
    }
    return matched;
}

GtkWidget* CommandTable::menuItem(const std::string& id) const {
    for (size_t i = 0; i < commands_.size() && i < items_.size(); ++i) {
        if (commands_[i].id == id) return items_[i];
    }
    return nullptr;
}

void CommandTable::setLabel(const std::string& id, const std::string& label) {
    for (size_t i = 0; i < commands_.size() && i < items_.size(); ++i) {
        if (commands_[i].id != id || !items_[i] || commands_[i].label == label) continue;
        commands_[i].label = label;
        gtk_menu_item_set_label(GTK_MENU_ITEM(items_[i]), label.c_str());
        EventLog::instance().event("label " + id + " " + label);
    }
}

bool CommandTable::isAvailable(const std::string& id) const {
    for (const Command& c : commands_) {
        if (c.id == id) return !c.available || c.available();
    }
    return false;
}

bool CommandTable::run(const std::string& id) {
    for (Command& c : commands_) {
        if (c.id == id && (!c.available || c.available()) && c.run) {
            runLogged(c);
            return true;
        }
    }
    return false;
}

}  // namespace desktop
