// Copies the selection into a new track.
#pragma once

#include "effects/effect.h"

namespace wd {

/**
 * Id 23: channel 0's selection becomes a new track "Selection_NNN" (NNN counting 001 to
 * 999 and round again, per process) at the source's rate: with both channels of a stereo
 * source selected a stereo track, else a mono one from channel 0 when it is selected,
 * else from channel 1. The source and its undo history stay as they are. The new track
 * goes to the main window as a track just read (MsgImportComplete); then, like every
 * effect, the effect hands itself back (MsgEffectFinished, with no track). An empty
 * selection makes no track; a copy that fails leaves none behind.
 */
class CopyToNewTrack final : public Effect {
private:
    Plan plan() override;
    bool process() override;
    bool changesTrack() const override { return false; }
    void postEnd(HWND mainWindow) override;

    Track* copy_ = nullptr;
};

}  // namespace wd
