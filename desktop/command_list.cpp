#include "command_list.h"

#include <cctype>

#include "effect_catalog.h"

namespace desktop {

namespace {

KeySpec ctrl(int code) { return {code, kCtrl}; }
KeySpec ctrlShift(int code) { return {code, kCtrl | kShift}; }
KeySpec shift(int code) { return {code, kShift}; }
KeySpec plain(int code) { return {code, 0}; }

std::vector<CommandSpec> build() {
    std::vector<CommandSpec> c = {
        {"open", "_File", "_Open…", {ctrl('o')}, "document-open", 1, 1},
        {"save", "_File", "_Save", {ctrl('s')}, "document-save", 1, 2},
        {"save-as", "_File", "Save _As…", {ctrlShift('s')}, "document-save-as", 1, 2},
        {"save-selection", "_File", "Save Se_lection As…", {}, nullptr, 1, 4},
        {"close", "_File", "_Close", {ctrl('w')}, nullptr, 1, 3, true},
        {"quit", "_File", "_Quit", {ctrl('q')}, nullptr, 0, 0, true},

        {"undo", "_Edit", "_Undo", {ctrl('z')}, "edit-undo", 2, 1, true},
        {"redo", "_Edit", "_Redo", {ctrl('y'), ctrlShift('z')}, "edit-redo", 2, 2},
        {"cut", "_Edit", "Cu_t", {ctrl('x')}, "edit-cut", 2, 3, true},
        {"copy", "_Edit", "_Copy", {ctrl('c')}, "edit-copy", 2, 4},
        // Paste inserts, as in the editors people know; overwriting and mixing have keys of their own.
        {"paste-insert", "_Edit", "_Paste", {ctrl('v')}, "edit-paste", 2, 16},
        {"paste", "_Edit", "Paste _Over Selection", {ctrlShift('v')}, nullptr, 2, 5},
        {"paste-mix", "_Edit", "Paste _Mix", {ctrl('m')}, nullptr, 2, 6},
        {"delete", "_Edit", "_Delete", {plain(kKeyDelete)}, nullptr, 2, 10, true},
        {"trim", "_Edit", "T_rim to Selection", {ctrl('t')}, nullptr, 2, 13},
        {"silence", "_Edit", "_Silence Selection", {ctrl('l')}, nullptr, 2, 14},
        {"insert-silence", "_Edit", "Insert Silence…", {}, nullptr, 2, 8},
        {"insert-noise", "_Edit", "Insert _Noise…", {}, nullptr, 2, 9},
        {"select-all", "_Edit", "Select _All", {ctrl('a')}, nullptr, 2, 7, true},

        {"cursor-start", "_Select", "Cursor to _Start", {plain(kKeyHome)}, nullptr, 3, 1},
        {"cursor-end", "_Select", "Cursor to _End", {plain(kKeyEnd)}, nullptr, 3, 4},
        {"cursor-back", "_Select", "Cursor _Back", {ctrl(kKeyLeft)}, nullptr, 3, 2},
        {"cursor-forward", "_Select", "Cursor _Forward", {ctrl(kKeyRight)}, nullptr, 3, 3},
        {"select-to-start", "_Select", "Select to S_tart", {shift(kKeyHome)}, nullptr, 3, 5, true},
        {"select-to-end", "_Select", "Select to En_d", {shift(kKeyEnd)}, nullptr, 3, 6},

        {"play", "_Play", "_Play", {plain(' ')}, "media-playback-start", 0, 0, true},
        {"play-loop", "_Play", "Play _Loop", {shift(' ')}, "media-playlist-repeat"},
        {"pause", "_Play", "P_ause", {ctrl('p')}, "media-playback-pause"},
        // Escape stops what can be stopped: the running operation first, else the play.
        {"cancel-work", "", "", {plain(kKeyEscape)}, nullptr},
        {"stop", "_Play", "_Stop", {plain(kKeyEscape)}, "media-playback-stop"},
        {"record", "_Play", "_Record…", {ctrl('r')}, "media-record", 0, 0, true},

        {"zoom-in", "_View", "Zoom _In", {plain('+'), plain('='), plain(kKeyPadPlus)}, "zoom-in", 4, 7, true},
        {"zoom-out", "_View", "Zoom _Out", {plain('-'), plain(kKeyPadMinus)}, "zoom-out", 4, 8},
        {"zoom-fit", "_View", "Zoom to _Fit", {ctrl('0')}, "zoom-fit-best", 4, 9},
    };
    bool filtersStarted = false;
    for (const Effect& e : EffectCatalog::all()) {
        CommandSpec s{"effect-" + std::to_string(e.id), "Effe_cts", e.label, {}, nullptr, e.group, e.item, e.filter && !filtersStarted};
        s.effect = e.id;
        filtersStarted = filtersStarted || e.filter;
        c.push_back(std::move(s));
    }
    c.push_back({"batch", "_Tools", "_Batch Convert…", {ctrl('b')}, nullptr, 7, 1});
    c.push_back({"devices", "_Tools", "Sound _Devices…", {}, nullptr, 7, 2});
    c.push_back({"settings", "_Tools", "_Settings…", {}, nullptr, 7, 3});
    c.push_back({"about", "_Help", "_About WaveDeck", {}, nullptr});
    return c;
}

}  // namespace

const std::vector<CommandSpec>& CommandList::all() {
    static const std::vector<CommandSpec>* commands = new std::vector<CommandSpec>(build());
    return *commands;
}

std::string CommandList::plainLabel(const std::string& label) {
    std::string name;
    for (char c : label) {
        if (c != '_') name += c;
    }
    static const std::string kEllipsis = "…";
    if (name.size() > kEllipsis.size() && name.compare(name.size() - kEllipsis.size(), kEllipsis.size(), kEllipsis) == 0)
        name.erase(name.size() - kEllipsis.size());
    return name;
}

std::string CommandList::keyName(const KeySpec& key) {
    std::string name;
    if (key.modifiers & kCtrl) name += "Ctrl+";
    if (key.modifiers & kShift) name += "Shift+";
    switch (key.code) {
        case kKeyDelete: return name + "Delete";
        case kKeyHome: return name + "Home";
        case kKeyEnd: return name + "End";
        case kKeyLeft: return name + "Left";
        case kKeyRight: return name + "Right";
        case kKeyEscape: return name + "Esc";
        case kKeyPadPlus: return name + "Num +";
        case kKeyPadMinus: return name + "Num -";
        case ' ': return name + "Space";
        default: return name + static_cast<char>(std::toupper(key.code));
    }
}

}  // namespace desktop
