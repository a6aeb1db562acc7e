// The library's numbered effects as the command line names them, and their parameter blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

/** An effect's parameter block: words 0 to 3 are floats, words 4 to 7 ints. */
struct EffectBlock {
    float floats[4] = {0, 0, 0, 0};
    int32_t ints[4] = {0, 0, 0, 0};
};

struct EffectParameter {
    const char* name;
    int word;             // 0 to 7
    double defaultValue;  // in the unit the name gives
    double scale;         // an int word holds round(value x scale)
    const char* meaning;
};

struct EffectInfo {
    int id;
    const char* name;
    const char* description;
    std::vector<EffectParameter> parameters;
};

/** Every effect, by id. */
const std::vector<EffectInfo>& effectCatalogue();
/** The effect of a number ("12") or name ("speed"), or null. */
const EffectInfo* findEffect(const std::string& idOrName);
/**
 * The block for an effect: its defaults, then each "NAME=VALUE" setting.
 * @returns false with a sentence in error for an unknown name or a value that is no number.
 */
bool buildBlock(const EffectInfo& effect, const std::vector<std::string>& settings, EffectBlock& block,
                std::string& error);
/** The list for 'wavedeck help effect': every effect with its parameters and defaults. */
std::string effectHelp();

}  // namespace host
