// The editors' commands, without a toolkit: each has its menu, label, keys, tool-bar icon
// and the place in the library's availability query that enables it. The GTK and the
// Win32 editor build their menus, tool bars and keys from this one list and bind each id
// to what it does.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace desktop {

/** Keys with no character of their own (a character key is its character: a lower-case
 * letter, a digit, ' ', '+', '-' or '='). */
enum KeyCode : int { kKeyDelete = 0x100, kKeyHome, kKeyEnd, kKeyLeft, kKeyRight, kKeyEscape, kKeyPadPlus, kKeyPadMinus };
enum KeyModifier : unsigned { kCtrl = 1, kShift = 2 };

struct KeySpec {
    int code = 0;
    unsigned modifiers = 0;
};

struct CommandSpec {
    std::string id;
    std::string menu;          // the menu it appears in ("_File"); empty: keys only
    std::string label;         // with a mnemonic ("_Open…")
    std::vector<KeySpec> keys;  // the first is shown in the menu
    const char* icon = nullptr;  // a tool-bar button with this icon name, or none
    int group = 0;             // WDXCanOperate(group, item) enables it; group 0: the
    int item = 0;              // editor's own test does (play, stop, quit...)
    bool separatorBefore = false;
    int effect = 0;            // the effect it runs, for the "effect-N" commands
};

/** What a command does and when it is available (empty: always). */
struct CommandBinding {
    std::function<void()> run;
    std::function<bool()> available = {};
};

class CommandList {
public:
    /** Every command in menu order: File, Edit, Select, Play, View, Effects, Tools, Help. */
    static const std::vector<CommandSpec>& all();
    /** The label without its mnemonic and ellipsis: what a dialog or Undo calls it. */
    static std::string plainLabel(const std::string& label);
    /** The key as a menu shows it ("Ctrl+Shift+S", "Space"). */
    static std::string keyName(const KeySpec& key);
};

}  // namespace desktop
