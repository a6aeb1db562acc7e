#include "effects/sound_touch_effect.h"

#include <soundtouch/SoundTouch.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/windowed_reader.h"
#include "model/track.h"

namespace wd {
namespace {

// The ranges SoundTouch's own tools accept.
constexpr double kMaxSemitones = 60;
constexpr double kMinTempoPercent = -95;
constexpr double kMaxTempoPercent = 5000;

}  // namespace

SoundTouchEffect::SoundTouchEffect() : processor_(std::make_unique<soundtouch::SoundTouch>()) {}

SoundTouchEffect::~SoundTouchEffect() = default;

bool SoundTouchEffect::setParameters(const void* block) {
    if (block) percent_ = floatWord(block, 0);
    return true;
}

Effect::Plan SoundTouchEffect::plan() {
    if (!std::isfinite(percent_) || track_->sampleRate <= 0 || !track_->channel(0)) return Plan::Refuse;
    const Channel& first = *track_->channel(0);
    count_ = selectionSize(first);
    const double ratio = 1 + percent_ / 100.0;
    if (!configure(*processor_, percent_)) return Plan::Refuse;
    // A slower tempo lengthens the range (up to 20 times): the channel must still fit.
    if (first.sequence().length() - count_ + count_ / ratio > Sequence::kMaxLength) return Plan::Refuse;
    return count_ > 0 ? Plan::Work : Plan::Nothing;
}

bool SoundTouchEffect::process() {
    const int channels = track_->channelCount() == 2 && track_->channel(1) ? 2 : 1;
    const int start = track_->channel(0)->selStart;
    processor_->setChannels(static_cast<uint>(channels));
    processor_->setSampleRate(static_cast<uint>(track_->sampleRate));
    written_ = 0;
    for (int c = 0; c < channels; ++c) {
        if (track_->channel(c)->sequence().beginReplace(start, count_) != 0) {
            for (int k = 0; k < c; ++k) track_->channel(k)->sequence().cancelSplice();
            return false;
        }
    }
    std::vector<std::unique_ptr<WindowedReader>> readers;
    for (int c = 0; c < channels; ++c)
        readers.push_back(std::make_unique<WindowedReader>(track_->channel(c)->sequence()));
    std::vector<float> samples(kChunk), frames(static_cast<size_t>(kChunk * channels));
    bool ok = true;
    for (int fed = 0; ok && fed < count_;) {
        const int n = std::min(kChunk, count_ - fed);
        for (int c = 0; ok && c < channels; ++c) {
            const Sequence& sequence = track_->channel(c)->sequence();
            WindowedReader& reader = *readers[static_cast<size_t>(c)];
            // Channel 1 may be shorter than channel 0: past its end it is silence.
            const int has = std::clamp(sequence.length() - (start + fed), 0, n);
            std::fill(samples.begin(), samples.end(), 0.0f);
            ok = reader.read(samples.data(), start + fed, has) == has;
            for (int i = 0; i < n; ++i) frames[static_cast<size_t>(i * channels + c)] = samples[static_cast<size_t>(i)];
        }
        if (!ok) break;
        processor_->putSamples(frames.data(), static_cast<uint>(n));
        fed += n;
        ok = drain(channels);
        if (fed < count_) notifyProgress(std::lround(fed * 100.0 / count_));
        ok = ok && !stopRequested();
    }
    if (ok) {
        processor_->flush();
        ok = drain(channels);
        notifyProgress(100);
    }
    for (int c = 0; c < channels; ++c) {
        Sequence& sequence = track_->channel(c)->sequence();
        if (!ok) {
            sequence.cancelSplice();
        } else if (sequence.commitReplace() != 0) {
            ok = false;
        }
    }
    replaced_ = ok;
    return ok;
}

bool SoundTouchEffect::drain(int channels) {
    std::vector<float> frames(static_cast<size_t>(kChunk * channels)), samples(kChunk);
    while (processor_->numSamples() > 0) {
        const int n = static_cast<int>(processor_->receiveSamples(frames.data(), kChunk));
        for (int c = 0; c < channels; ++c) {
            for (int i = 0; i < n; ++i) samples[static_cast<size_t>(i)] = frames[static_cast<size_t>(i * channels + c)];
            if (track_->channel(c)->sequence().writeSplice(samples.data(), n) != n) return false;
        }
        written_ += n;
    }
    return true;
}

bool ChangePitch::configure(soundtouch::SoundTouch& processor, double percent) {
    const double semitones = 12 * std::log((percent + 100) * 0.01) / std::log(2.0);
    if (!(std::fabs(semitones) <= kMaxSemitones)) return false;
    processor.setPitchSemiTones(semitones);
    return true;
}

bool ChangeTempo::configure(soundtouch::SoundTouch& processor, double percent) {
    if (percent < kMinTempoPercent || percent > kMaxTempoPercent) return false;
    processor.setTempoChange(percent);
    return true;
}

void ChangeTempo::complete(Track& track) {
    if (!replaced_) return;
    for (int c = 0; c < track.channelCount(); ++c) {
        if (Channel* channel = track.channel(c)) channel->selLength = written_;
    }
}

}  // namespace wd
