// Plain, slow reference computations of what the data model stores and reads.
#pragma once

#include <cstdint>
#include <vector>

namespace wdtest {

/** samples[i] = first + i: any sample tells where it came from. */
std::vector<float> staircase(int count, int first = 0);

/** The minimum and maximum of samples[from, to) by the stored floats' own comparisons,
 * starting from the first sample (ties keep the first value). */
void referenceMinMax(const std::vector<float>& samples, int64_t from, int64_t to, float& lo, float& hi);

/**
 * What Sequence::readColumns must deliver for a sequence holding `samples` in blocks of
 * the given sample counts: columns of samplesPerColumn samples from start, built from raw
 * samples below 256 samples per column, else from summary units of 256 or 65,536 samples
 * counted from each block's start (a unit belongs to the column in which it starts).
 * @returns the columns filled.
 */
int referenceColumns(const std::vector<float>& samples, const std::vector<int>& blockSampleCounts, int columns, int start,
                     int samplesPerColumn, std::vector<float>& mins, std::vector<float>& maxs);

/** The samples of every channel of a track or of the clipboard (a missing clipboard
 * channel is an empty vector). */
using ChannelSamples = std::vector<std::vector<float>>;

enum class PasteKind { Overwrite, Mix, Insert };

/**
 * What a paste of clip (one or two channels, at the track's rate) leaves in a track with
 * these selection starts and selected flags per channel: the written channels and their
 * positions by the rules of each kind, the clipboard channel to channel, as the mean of
 * two into one, or one into every written channel, then a stereo track's shorter channel
 * padded with silence.
 */
ChannelSamples referencePaste(const ChannelSamples& track, const std::vector<int>& starts, const std::vector<bool>& flags,
                              const ChannelSamples& clip, PasteKind kind);

}  // namespace wdtest
