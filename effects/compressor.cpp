#include "effects/compressor.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/track.h"

namespace wd {

bool Compressor::setParameters(const void* block) {
    if (block) {
        threshold_ = intWord(block, 4);
        ratioWord_ = intWord(block, 5);
        attackWord_ = intWord(block, 6);
        ratio_ = ratioWord_ / 10.0;
        attackTime_ = attackWord_ / 1000.0;
    }
    return true;
}

Effect::Plan Compressor::plan() {
    sampleRate_ = track_->sampleRate;
    if (ratioWord_ <= 0 || attackWord_ < 0 || sampleRate_ <= 0) return Plan::Refuse;
    return planForSelection();
}

void Compressor::reset() {
    std::fill(std::begin(squares_), std::end(squares_), 0.0);
    ringPosition_ = 0;
    rmsSum_ = 0;
    lastLevel_ = 0;
    linearThreshold_ = std::pow(10.0, threshold_ * 0.05);
    attackFactor_ = std::exp(-std::log(floor_) / (attackTime_ * sampleRate_ + 0.5));
    decayFactor_ = std::exp(std::log(floor_) / (decayTime_ * sampleRate_ + 0.5));
}

float Compressor::averageLevel(float x) {
    rmsSum_ -= squares_[ringPosition_];
    squares_[ringPosition_] = static_cast<double>(x) * x;
    rmsSum_ += squares_[ringPosition_];
    const auto level = static_cast<float>(std::sqrt(rmsSum_ / kRingSize));
    ringPosition_ = (ringPosition_ + 1) % kRingSize;
    return level;
}

void Compressor::follow(float x, double* envelope, int i) {
    const float level = averageLevel(x);
    const auto high = static_cast<float>(lastLevel_ * attackFactor_);
    auto low = static_cast<float>(lastLevel_ * decayFactor_);
    if (low < floor_) low = static_cast<float>(floor_);
    if (level < low) {
        envelope[i] = low;
    } else if (level < high) {
        envelope[i] = level;
    } else {
        // A rise faster than the attack: raise the envelope before it to meet this level.
        double t = level / attackFactor_;
        const int back = std::min(kLookBack, i);
        int j = i - 1;
        bool met = false;
        for (int step = 0; step < back - 2; ++step) {
            if (envelope[j] >= t) {
                met = true;
                break;
            }
            envelope[j--] = t;
            t /= attackFactor_;
        }
        if (!met && back > 1 && envelope[j] < t) {
            // The walk found no meeting point: rise from the oldest value at the attack's rate.
            t = envelope[j];
            for (int step = 0; step < back - 1; ++step) {
                t *= attackFactor_;
                envelope[++j] = t;
            }
        } else {
            envelope[i] = level;
        }
    }
    lastLevel_ = envelope[i];
}

void Compressor::compress(float* samples, int count) {
    if (lastLevel_ == 0.0) {
        for (int i = 0; i < std::min(kRingSize, count); ++i) averageLevel(samples[i]);
    }
    std::vector<double> envelope(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) follow(samples[i], envelope.data(), i);
    const double exponent = 1.0 - 1.0 / ratio_;
    // At the default ratio of 2 the power is a square root, several times cheaper.
    const bool squareRoot = exponent == 0.5;
    for (int i = 0; i < count; ++i) {
        const double e = envelope[static_cast<size_t>(i)];
        float gain = 1.0f;
        if (e > linearThreshold_) {
            const double under = linearThreshold_ / e;
            gain = static_cast<float>(squareRoot ? std::sqrt(under) : std::pow(under, exponent));
        }
        samples[i] = std::clamp(samples[i] * gain, -1.0f, 1.0f);
    }
}

bool Compressor::process() {
    return overwriteSelectedChannels([this](int, int) { reset(); },
                                     [this](float* x, int count, int) { compress(x, count); });
}

}  // namespace wd
