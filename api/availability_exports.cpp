// The availability query behind the host's menus and toolbars: one answer per numbered command.
#include "audio/player.h"
#include "model/track_list.h"
#include "wavedeck.h"

namespace {

bool playing() { return wd::Player::instance().isPlaying(); }
bool haveTrack() { return wd::TrackList::instance().current() != nullptr; }
bool idleWithTrack() { return !playing() && haveTrack(); }

// File commands.
bool fileItem(int item) {
    switch (item) {
        case 1:
        case 5: return true;
        case 2: return idleWithTrack();
        case 3: return haveTrack();
        case 4: return WDXCanSaveSelect() != 0;
        default: return false;
    }
}

// Edit commands: the clipboard, undo and redo, the in-place edits, the track operations.
bool editItem(int item) {
    if (playing()) return false;
    switch (item) {
        case 1: return WDXCanUndo() != 0;
        case 2: return WDXCanRedo() != 0;
        case 3:
        case 4:
        case 10:
        case 13:
        case 14: return WDXCanCutOrCopy() != 0;
        case 5:
        case 6:
        case 16: return haveTrack() && WDXCanPaste() != 0;
        case 7:
        case 8:
        case 9:
        case 11:
        case 12: return haveTrack();
        case 15: return wd::TrackList::instance().count() >= 2;
        case 17: return WDXCanDoEffect(22) != 0;
        case 18: return WDXCanDoEffect(23) != 0;
        default: return false;
    }
}

// View and play commands.
bool viewItem(int item) {
    if (item >= 1 && item <= 5) return haveTrack();
    if (item == 6) return true;
    if (item >= 7 && item <= 10) return idleWithTrack();
    return false;
}

// An effect menu: item i runs effect ids[i - 1]; other items ask for id 0, which answers
// as an ordinary effect does.
template <int N>
bool effectItem(int item, const int (&ids)[N]) {
    if (!idleWithTrack()) return false;
    return WDXCanDoEffect(item >= 1 && item <= N ? ids[item - 1] : 0) != 0;
}

constexpr int kEffectMenu[] = {1, 2, 10, 3, 4, 5, 6, 11, 8, 9, 12, 13, 14, 24, 25};
constexpr int kFilterMenu[] = {16, 17, 18, 19, 20, 21, 15};

}  // namespace

int WDXCanOperate(int group, int item) {
    try {
        bool available = false;
        switch (group) {
            case 1: available = fileItem(item); break;
            case 2: available = editItem(item); break;
            case 3: available = idleWithTrack(); break;
            case 4: available = viewItem(item); break;
            case 5: available = effectItem(item, kEffectMenu); break;
            case 6:
            case 8: available = true; break;
            case 7: available = item >= 1 && item <= 3; break;
            case 9: available = effectItem(item, kFilterMenu); break;
            default: break;
        }
        return available ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
