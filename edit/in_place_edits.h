// The edits that change a track at once: trim, delete, silence, insert silence or noise.
#pragma once

namespace wd {

class Track;

/** The noise WDXInsertNoise inserts. */
enum class NoiseKind : int { White = 0, Pink = 1 };

// Each acts on the selection of channel 0 (start s, length n) in the user-interface
// thread: it saves an undo state first, changes the track, refreshes its view (the track
// window is repainted and the selection and view times reported) and, except the
// silencing, posts NotifySelectionChanged and NotifyTrackChanged to the host windows.
// Each returns 0, or -1 with nothing changed and no undo state when the edit does not
// apply or another worker holds the track (BusyTracks), or -1 after the undo state was
// saved when a block could not be written (the channel concerned is then unchanged).

/** Keeps only the selection, in every channel; the cursor goes to 0. -1 when n < 1. The
 * redo states stay. */
int trimSelection(Track& track);
/** Removes the selection; in a stereo track with one channel selected it silences that
 * channel's range instead, so both keep one length. The cursor goes to s. -1 without a
 * selection (hasSelection). */
int deleteSelection(Track& track);
/** Silences the selection in the selected channels (every channel of a mono track); the
 * selection stays. -1 without a selection. */
int silenceSelection(Track& track);
/** Inserts milliseconds of silence (rounded to samples at the track's rate) at the
 * cursor in every channel; the cursor stays. -1 for less than 1 ms or more samples than a
 * track holds. */
int insertSilence(Track& track, int milliseconds);
/** As insertSilence(), with noise of the amplitude (each channel its own); an unknown
 * kind inserts nothing but refreshes and notifies. -1 also for an amplitude that is not a
 * finite number. */
int insertNoise(Track& track, int milliseconds, float amplitude, int kind);

}  // namespace wd
