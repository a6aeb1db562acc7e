// Pitch and tempo changes through SoundTouch.
#pragma once

#include <memory>

#include "effects/effect.h"

namespace soundtouch {
class SoundTouch;
}

namespace wd {

/**
 * Runs channel 0's selection (on both channels of a stereo track, interleaved frame by
 * frame, whatever their flags) through one SoundTouch processor and replaces it by
 * everything the processor gives, flushed at the end; SoundTouch's other settings stay at
 * its defaults. Word 0: the change in percent (float, default 0), a ratio of 1 + p / 100.
 * Progress is the rounded percentage of frames fed.
 */
class SoundTouchEffect : public Effect {
public:
    ~SoundTouchEffect() override;
    bool setParameters(const void* block) override;

protected:
    SoundTouchEffect();
    /** Whether the change is one the effect takes; then hands it to the processor. */
    virtual bool configure(soundtouch::SoundTouch& processor, double percent) = 0;
    /** How many times as long the selection becomes. */
    virtual double lengthFactor() const { return 1; }

    float percent_ = 0.0f;
    /** Frames written in place of the selection, once the splices are in place. */
    int written_ = 0;
    bool replaced_ = false;

private:
    Plan plan() override;
    bool process() override;
    /** Takes everything the processor has ready and adds it to the splices. */
    bool drain(int channels);

    std::unique_ptr<soundtouch::SoundTouch> processor_;
    int count_ = 0;  // frames of the selection
};

/** Id 13: the pitch changes by p percent (12 x log2(1 + p / 100) semitones), the length
 * stays. Refused unless finite and within SoundTouch's +-60 semitones. */
class ChangePitch final : public SoundTouchEffect {
private:
    bool configure(soundtouch::SoundTouch& processor, double percent) override;
};

/** Id 14: the tempo changes by p percent (the selection becomes 100 / (100 + p) times as
 * long) and the selection then covers the new frames. Refused unless finite and within
 * SoundTouch's -95 % to +5000 %, or when the track would grow past the longest sequence. */
class ChangeTempo final : public SoundTouchEffect {
public:
    void complete(Track& track) override;

private:
    bool configure(soundtouch::SoundTouch& processor, double percent) override;
    double lengthFactor() const override;
};

}  // namespace wd
