// Playback and recording exports.
#include "audio/player.h"
#include "audio/recorder.h"
#include "model/track_list.h"
#include "ui/record_window.h"
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

namespace {

/** The recorder, with the record window made so that it shows every take, also one begun
 * before the host made the window. */
wd::Recorder& recorder() {
    wd::RecordWindow::instance();
    return wd::Recorder::instance();
}

/** Stops recording and the player, before a take is kept or discarded. */
void stopAll(wd::Recorder& recorder) {
    if (recorder.isRecording()) recorder.stop();
    wd::Player::instance().stop();
}

}  // namespace

int WDXSetRecordParam(int channels, int sampleRate, int bitsPerSample) {
    wd::RecordWindow::instance().setChannelCount(channels);
    recorder().setFormat(channels, sampleRate, bitsPerSample);
    return 0;
}

// -1 (nothing of the take remains) when the device refuses the format or cannot record.
int WDXBeginRecord(void) {
    try {
        return recorder().begin() ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

int WDXStopRecord(void) {
    wd::Recorder& r = recorder();
    if (r.isRecording()) {
        r.stop();
    } else {
        wd::Player& player = wd::Player::instance();
        player.stop();
        player.setPlayingRecording(false);
    }
    return 0;
}

int WDXPlayRecord(void) {
    try {
        wd::Track* take = recorder().recordedTrack();
        if (!take) return -1;
        return wd::Player::instance().play(*take, wd::Player::kPlaySelection, true) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

int WDXSureRecord(void) {
    wd::Recorder& r = recorder();
    stopAll(r);
    return r.keep() ? 0 : -1;
}

int WDXCancelRecord(void) {
    wd::Recorder& r = recorder();
    stopAll(r);
    return r.discard() ? 0 : -1;
}

int WDXGetRecordInfo(int what) {
    const wd::Recorder& r = recorder();
    if (!r.recordedTrack()) return -1;
    switch (what) {
        case 0: return r.recordedSamples();
        case 1: return r.lastPeak();
        case 2: return r.isRecording() ? 1 : 0;
        default: return -1;
    }
}
