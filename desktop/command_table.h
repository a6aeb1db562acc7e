// The editor's commands in one table: each has its menu, label, keys, tool-bar icon,
// the test that enables it and what it does. Menus, the tool bar and the keyboard are
// built from the table, and refresh() asks every command whether it is available.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace desktop {

struct Key {
    guint keyval = 0;
    GdkModifierType modifiers = static_cast<GdkModifierType>(0);
};

struct Command {
    std::string id;
    std::string menu;   // the menu it appears in ("_File"); empty: keys only
    std::string label;  // with a mnemonic
    std::vector<Key> keys;  // the first is shown in the menu
    const char* icon = nullptr;  // a tool-bar button with this icon name, or none
    std::function<bool()> available;
    std::function<void()> run;
    bool separatorBefore = false;
    std::function<void()> ran;  // set by the table: what follows every run
};

class CommandTable {
public:
    void add(Command command) {
        command.ran = [this] {
            if (afterRun_) afterRun_();
        };
        commands_.push_back(std::move(command));
    }
    /** Runs after every command (a command may change what the others can do). */
    void afterRun(std::function<void()> after) { afterRun_ = std::move(after); }

    /** A menu bar with the menus in the order of their first command. */
    GtkWidget* buildMenuBar();
    /** A tool bar of the commands that have icons, in table order. */
    GtkWidget* buildToolBar();
    /** A pop-up menu of the given commands, each enabled from its test. */
    GtkWidget* buildPopup(const std::vector<std::string>& ids);
    /** Enables each command's menu item and button from its test. */
    void refresh();
    /** Runs the command of a key press when it is available; true when one matched. */
    bool handleKey(const GdkEventKey* event);
    /** Runs a command by id when it is available; false otherwise. */
    bool run(const std::string& id);
    bool isAvailable(const std::string& id) const;
    /** The menu item of a command (null before the menu bar is built). */
    GtkWidget* menuItem(const std::string& id) const;
    /** Changes a command's menu label (with its mnemonic). */
    void setLabel(const std::string& id, const std::string& label);

private:
    std::vector<Command> commands_;
    std::function<void()> afterRun_;
    std::vector<GtkWidget*> items_;   // menu item per command (or null)
    std::vector<GtkWidget*> buttons_;  // tool button per command (or null)
};

}  // namespace desktop
