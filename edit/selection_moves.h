// Moving the cursor and setting the selection of a track.
#pragma once

namespace wd {

class Track;

// Each acts on both channels of the track (the cursor is channel 0's selection start
// with an empty selection), repaints the track window and reports the selection times;
// none saves an undo state or posts a message. User-interface thread. The track length
// is its longest channel's.

/** Cursor to sample 0 and the view to the start (the display columns scroll back). */
void moveToStart(Track& track);
/** Cursor to the track's end and the view to its last viewColumns columns (or the
 * start when the track is shorter). */
void moveToEnd(Track& track, int viewColumns);
/** Cursor one column (samplesPerColumn samples) to the left, stopping at 0. */
void moveBackward(Track& track);
/** Cursor one column to the right, stopping at the last sample. */
void moveForward(Track& track);
/** Selects the whole track. */
void selectAll(Track& track);
/** Selects from sample 0 to the cursor (nothing changes with the cursor at 0). */
void selectToStart(Track& track);
/** Selects from the cursor to the end. @returns false (nothing changes) when the cursor
 * is at or past the end. */
bool selectToEnd(Track& track);
/** Selects length samples from start, cut at the track's end (a start past the end puts
 * the cursor there). @returns false (nothing changes) for a negative start or length. */
bool selectRange(Track& track, int start, int length);
/** Whether a selected channel has a non-empty selection (what saving a selection and the
 * selection edits need). */
bool hasSelection(const Track& track);

}  // namespace wd
