// A two-pole, two-zero filter with one history per channel.
#pragma once

namespace wd {

/**
 * The section every filter effect runs: y = a0 x + a1 x1 + a2 x2 - b1 y1 - b2 y2 in 32-bit
 * floats, with the input and the output clamped to [-1, 1]. The coefficients are made by
 * the design functions (Butterworth low- and high-pass, band-pass, band-stop, with the
 * bilinear transform's tangent warping); a frequency f stands for f / sampleRate.
 * Two histories (channel 0 and 1) start at zero; setChannelIndex chooses the one used.
 */
class BiquadFilter {
public:
    void designLowPass(double cutoff, double sampleRate);
    void designHighPass(double cutoff, double sampleRate);
    void designBandPass(double centre, double bandwidth, double sampleRate);
    void designBandStop(double centre, double bandwidth, double sampleRate);

    /** Chooses history 0 or 1; any other index is ignored. */
    void setChannelIndex(int index);
    /** Filters the samples in place, carrying the chosen history on. */
    void process(float* samples, int count);

private:
    struct History {
        float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    };

    int channelIndex_ = 0;
    History history_[2];
    float c_ = 0, d_ = 0, a0_ = 0, a1_ = 0, a2_ = 0, b1_ = 0, b2_ = 0;
};

}  // namespace wd
