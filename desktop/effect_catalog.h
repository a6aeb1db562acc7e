// The library's effects as the editor offers them: number, name, where the availability
// query finds it, a sentence on what it does, and its parameters with their defaults
// and ranges.
#pragma once

#include <string>
#include <vector>

#include "parameter_dialog.h"

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
};

}  // namespace desktop
