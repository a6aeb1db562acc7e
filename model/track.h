// One open audio document: one or two channels, its rate, name, id and view state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/channel.h"

namespace wd {

/**
 * Made by the TrackList with the defaults below and no channels; its opener sets the
 * channel count and fills the sequences. Copies for the undo history share its blocks.
 * The view fields (in samples and columns) are changed only by the user-interface thread.
 */
class Track {
public:
    static constexpr int kDefaultSamplesPerColumn = 2048;
    static constexpr int kDefaultViewColumns = 585;
    static constexpr int kDefaultSampleRate = 44100;

    Track();
    /** Destroys the channels, whose sequences release their blocks. */
    ~Track();
    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;

    /**
     * Replaces the channels by n new, empty ones.
     * @returns n, or -1 (nothing changes) for n other than 1 or 2.
     */
    int setChannelCount(int n);
    int channelCount() const { return channelCount_; }
    /** The channel for i = 0 or 1, or null. */
    Channel* channel(int i) const;
    /** Installs c for i = 0 or 1 (the channel there before is destroyed); the channel
     * count is the caller's to set. @returns 0, or -1 for another i (c is then destroyed). */
    int setChannel(int i, std::unique_ptr<Channel> c);

    /** Samples of the longest channel. */
    int length() const;

    /** Unique within the process and never reused: tells one Track object (a saved state
     * never changes after it is made) from another that took its address. */
    uint64_t instanceSerial() const { return instanceSerial_; }

    uint32_t id() const { return id_; }
    void setId(uint32_t id) { id_ = id; }
    std::string name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    /**
     * Makes this track equal to other: channels are dropped or made to match, each
     * channel is assigned (its sequence shares other's blocks), and the channel count,
     * name, id, rate and view fields are copied.
     * @returns false when other is null.
     */
    bool assignFrom(const Track* other);
    /** other.assignFrom(this). */
    bool copyTo(Track* other) const;

    /**
     * Brings the view in line with the length after a change of samples: the fit and the
     * zoom (halved while the track is shorter than the zoomed view), the view start (back
     * to 0 when the view would run past the end), the selections (cut to end one sample
     * before the end), the selection times, and every channel's display columns read
     * again from viewStart.
     */
    void refreshView();

    /**
     * Reports start's time ("%02d:%02d.%03d") as the cursor text (the time window); then,
     * unless length is negative, the selection start, end and length (a
     * cursor, length 0, sends the start twice and "00:00.000" as the length; a selection
     * sends its end and length as "%02d:%02d:%03d").
     */
    void reportSelectionTimes(int start, int length) const;
    /** Sends the view start (position, or viewStart when position is negative), end and
     * span (samplesPerColumn x viewColumns) as "%02d:%02d:%03d" to the registered windows. */
    void reportViewTimes(int position) const;

    /** Samples per column that fit the whole track into viewColumns. */
    int fitSamplesPerColumn = 0;
    /** How many view widths the whole track spans (a power of two, at least 1). */
    int zoomFactor = 1;
    int samplesPerColumn = kDefaultSamplesPerColumn;
    /** Width of the view in columns. */
    int viewColumns = kDefaultViewColumns;
    /** First sample shown. */
    int viewStart = 0;
    /** Samples per second. */
    int sampleRate = kDefaultSampleRate;

private:
    int channelCount_ = 0;
    std::unique_ptr<Channel> channels_[2];
    std::string name_;
    uint32_t id_ = 0;
    const uint64_t instanceSerial_;
};

}  // namespace wd
