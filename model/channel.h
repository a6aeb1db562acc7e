// One channel of a track: its samples, selection and display columns.
#pragma once

#include <cstdint>

#include "model/display_columns.h"
#include "model/sequence.h"

namespace wd {

class Track;

/**
 * A Sequence with the channel's selection, view record and display columns. The
 * selection and view fields are plain values changed by the user-interface thread (and
 * by the worker of the running operation where its Part says so).
 */
class Channel {
public:
    /** Values kept with the channel for the importers and the track window. */
    struct ViewRecord {
        int sampleRate = 0;           // the channel's rate word, set by its importer
        int viewStart = 0;            // set by the track window when it scrolls
        int fitSamplesPerColumn = 0;  // set when the track is opened in the view
    };

    Channel() = default;
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    Sequence& sequence() { return sequence_; }
    const Sequence& sequence() const { return sequence_; }
    DisplayColumns& columns() { return columns_; }
    const DisplayColumns& columns() const { return columns_; }

    /** Makes this channel equal to other: the sequence shares other's blocks (see
     * Sequence::assignFrom), every other field is copied. */
    void assignFrom(const Channel& other);

    /**
     * Keeps the display columns up to date as the track window scrolls and zooms, with
     * the track's viewStart and samplesPerColumn and this channel's viewColumns:
     *   0 scroll forward by n columns (only the n entering columns are read),
     *   1 scroll back by n columns (likewise),
     *   2, 3 rebuild from viewStart after zooming in or out,
     *   4 rebuild from sample 0 for the fitted view.
     * Scrolling by n >= count (or by a negative n) rebuilds from viewStart. Other modes,
     * or a track with fewer than one sample per column, change nothing. At most
     * DisplayColumns::kMaxColumns columns are kept.
     */
    void updateColumns(int mode, int n, const Track& track);

    ViewRecord viewRecord;
    /** First selected sample; the cursor when selLength is 0. */
    int selStart = 0;
    /** Selected samples; 0 means a cursor only. */
    int selLength = 0;
    /** True when the channel takes part in selection edits. */
    bool selectedFlag = true;
    /** Width of the waveform view in columns. */
    int viewColumns = 0;
    /** Height of the channel's band of the view, in pixels. */
    int viewHeight = 0;

private:
    void rebuild(int viewStart, int samplesPerColumn);

    Sequence sequence_;
    DisplayColumns columns_;
};

}  // namespace wd
