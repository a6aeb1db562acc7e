#include "effects/effect_factory.h"

#include "effects/change_speed.h"
#include "effects/channel_mixer.h"
#include "effects/compressor.h"
#include "effects/convert_format.h"
#include "effects/copy_to_new_track.h"
#include "effects/echo.h"
#include "effects/filter_effect.h"
#include "effects/mix_tracks.h"
#include "effects/normalize.h"
#include "effects/phaser.h"
#include "effects/repeat.h"
#include "effects/sample_effects.h"
#include "effects/sound_touch_effect.h"
#include "effects/three_band_equalizer.h"
#include "model/track_list.h"

namespace wd {
namespace {

bool selectionUsable(const Channel* c) {
    return c && c->selectedFlag && c->selStart < c->sequence().length() - 1 && c->selLength > 0;
}

}  // namespace

Effect* createEffect(int id) {
    using Shape = FilterEffect::Shape;
    // clang-format off
    switch (id) {
        case 1: return new Amplify;
        case 2: return new Normalize;
        case 3: return new Reverse;
        case 4: return new Invert;
        case 5: return new Repeat;
        case 6: return new Echo;
        case 7: return new MixTracks;
        case 8: return new FadeIn;
        case 9: return new FadeOut;
        case 10: return new Compressor;
        case 11: return new Phaser;
        case 12: return new ChangeSpeed;
        case 13: return new ChangePitch;
        case 14: return new ChangeTempo;
        case 15: return new ThreeBandEqualizer;
        case 16:
        case 20: return new FilterEffect(Shape::LowPass);
        case 17:
        case 19: return new FilterEffect(Shape::HighPass);
        case 18: return new FilterEffect(Shape::BandPass);
        case 21: return new FilterEffect(Shape::BandStop);
        case 22: return new ConvertFormat;
        case 23: return new CopyToNewTrack;
        case 24: return new ChannelMixer;
        case 25: return new GainRamp;
        default: return nullptr;
    }
    // clang-format on
}

bool canDoEffect(int id, const Track* track) {
    if (id == 7) return TrackList::instance().count() > 1;
    if (!track) return false;
    if (id == 22) return true;
    const Channel* first = track->channel(0);
    const Channel* second = track->channelCount() == 2 ? track->channel(1) : nullptr;
    if (id == 24) return second && first && first->selLength > 0;
    return selectionUsable(first) || selectionUsable(second);
}

}  // namespace wd
