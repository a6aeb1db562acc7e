// Playback and recording exports.
#include "audio/player.h"
#include "model/track_list.h"
#include "wavedeck.h"

namespace {

/** Plays the current track in the mode; -1 without a current track, for an unknown mode
 * or when the buffers cannot be allocated. */
int playCurrentTrack(int mode) {
    try {
        wd::Track* track = wd::TrackList::instance().current();
        if (!track) return -1;
        return wd::Player::instance().play(*track, mode, false) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

}  // namespace

int WDXPlayTrack(int mode) { return playCurrentTrack(mode); }

int WDXPauseTrack(void) {
    wd::Player::instance().pause();
    return 0;
}

int WDXRestartTrack(void) {
    wd::Player::instance().resume();
    return 0;
}

int WDXStopTrack(void) {
    wd::Player::instance().stop();
    return 0;
}

// Paused: resume. Otherwise play anew, so a running play starts again from the captured
// selection.
int WDXPlayControl(int mode) {
    wd::Player& player = wd::Player::instance();
    if (player.isPaused()) {
        player.resume();
    } else {
        playCurrentTrack(mode);
    }
    return 0;
}
