#include "effects/filter_effect.h"

#include <cmath>

#include "model/track.h"

namespace wd {

FilterEffect::FilterEffect(Shape shape) : shape_(shape) {}

int FilterEffect::frequencyCount() const {
    return shape_ == Shape::LowPass || shape_ == Shape::HighPass ? 1 : 2;
}

bool FilterEffect::setParameters(const void* block) {
    if (block) {
        for (int i = 0; i < frequencyCount(); ++i) frequencies_[i] = floatWord(block, i);
    }
    return true;
}

Effect::Plan FilterEffect::plan() {
    const double rate = track_->sampleRate;
    for (int i = 0; i < frequencyCount(); ++i) {
        const float f = frequencies_[i];
        // A band's centre enters the design only through a cosine: 0 Hz is a band at DC.
        const bool centre = i == 0 && (shape_ == Shape::BandPass || shape_ == Shape::BandStop);
        if (!std::isfinite(f) || f < 0 || (f == 0 && !centre) || f >= rate / 2) return Plan::Refuse;
    }
    switch (shape_) {
        case Shape::LowPass:
            filter_.designLowPass(frequencies_[0], rate);
            break;
        case Shape::HighPass:
            filter_.designHighPass(frequencies_[0], rate);
            break;
        case Shape::BandPass:
            filter_.designBandPass(frequencies_[0], frequencies_[1], rate);
            break;
        case Shape::BandStop:
            filter_.designBandStop(frequencies_[0], frequencies_[1], rate);
            break;
    }
    return planForSelection();
}

bool FilterEffect::process() {
    return overwriteSelectedChannels([this](int index, int) { filter_.setChannelIndex(index); },
                                     [this](float* x, int count, int) { filter_.process(x, count); });
}

}  // namespace wd
