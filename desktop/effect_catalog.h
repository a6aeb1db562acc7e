// The library's effects as the editors offer them: number, name, where the availability
// query finds it, a sentence on what it does, and its parameters with their defaults
// and ranges. No toolkit: the GTK and the Win32 editor both build from it.
#pragma once

#include <string>
#include <vector>

#include "parameters.h"

namespace desktop {

struct Effect {
    int id = 0;
    std::string label;        // menu label with a mnemonic
    int group = 0;            // WDXCanOperate group and item of the command
    int item = 0;
    std::string explanation;
    bool filter = false;      // listed under the filters
};

class EffectCatalog {
public:
    /** Every effect once (ids 19 and 20 are the same filters as 17 and 16). */
    static const std::vector<Effect>& all();
    /** The parameters of an effect for the current track (sample rate and channel count
     * bound some ranges and defaults); empty for an effect without parameters. */
    static std::vector<Parameter> parameters(int id, int sampleRate, int channels);
    /** The effect of an id; null for an id not offered. */
    static const Effect* find(int id);
    /** What Insert Silence (noise false) or Insert Noise asks for: the length in
     * milliseconds in word 0; for noise the amplitude's bits in word 1, the kind in 2. */
    static std::vector<Parameter> insertParameters(bool noise);
};

}  // namespace desktop
