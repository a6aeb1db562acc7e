// The numbered effects: making one by its number, and whether it can run on a track.
#pragma once

namespace wd {

class Effect;
class Track;

/** A new effect of the id (1 to 25) with its defaults, or null for any other id. */
Effect* createEffect(int id);

/**
 * Whether effect id can run on track: id 7 when more than one track is open; without a
 * track never; id 22 always; id 24 on a stereo track with channel 0's selection not
 * empty; every other id when channel 0 (or channel 1 of a stereo track) is selected with
 * a selection of at least one sample that starts before the channel's last sample.
 */
bool canDoEffect(int id, const Track* track);

}  // namespace wd
