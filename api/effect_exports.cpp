// Effect exports: whether an effect can run, and running one on the current track.
#include <memory>

#include "audio/player.h"
#include "effects/effect.h"
#include "effects/effect_factory.h"
#include "model/track_list.h"
#include "services/host_windows.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

int WDXCanDoEffect(int effectId) {
    try {
        if (wd::Player::instance().isPlaying()) return 0;
        const wd::Track* track = wd::TrackList::instance().current();
        return track && wd::canDoEffect(effectId, track) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int WDXCancelEffect(void) {
    try {
        const wd::Track* track = wd::TrackList::instance().current();
        return track && wd::Effect::stopOn(track->id()) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

// An unknown id makes nothing and still answers 0. An effect that cannot start is dropped
// and answers -1: without a current track, while the Player plays it (it reads the samples
// the effect replaces), while another worker holds the track, or without a thread. Once
// started, the main window deletes the effect when its end message arrives.
int WDXDoEffect(HWND progressWindow, int effectId, LPARAM parameter) {
    int result = 0;
    try {
        std::unique_ptr<wd::Effect> effect(wd::createEffect(effectId));
        if (effect) {
            effect->setParameters(reinterpret_cast<const void*>(parameter));
            effect->setProgressWindow(progressWindow);
            wd::Track* track = wd::Player::instance().isPlaying() ? nullptr : wd::TrackList::instance().current();
            if (track && effect->run(track)) {
                effect.release();
            } else {
                result = -1;
            }
        }
    } catch (...) {
        result = -1;
    }
    wd::HostWindows::instance().broadcast(NotifySelectionChanged);
    return result;
}
