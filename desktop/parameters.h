// The numbers a command asks for (an effect's parameter block, the length of inserted
// silence), described without a toolkit: both editors build their dialogs from these.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace desktop {

/** One parameter: where it goes in the block of eight 32-bit words, and how it is asked. */
struct Parameter {
    enum class Kind { Float, Int, Choice };
    /** What the user types when the word holds something else: decibels for a gain
     * factor, semitones for a pitch change in percent. */
    enum class Unit { Plain, Decibel, Semitone };
    std::string label;  // with a mnemonic ("_Gain (dB)")
    int word = 0;       // 0..7
    Kind kind = Kind::Float;
    double minimum = 0;
    double maximum = 1;
    double value = 0;        // the default shown (for a choice: its index)
    double step = 0.1;
    int digits = 2;
    double scale = 1;        // stored = shown * scale (a ratio kept as tenths)
    std::vector<std::string> choices;  // Choice: stored as index + choiceBase
    int choiceBase = 0;
    Unit unit = Unit::Plain;
};

/** Eight words: floats as their bits, integers as themselves. */
using ParameterBlock = std::array<uint32_t, 8>;

class Parameters {
public:
    /** The block of the values shown, one per parameter in their order. */
    static ParameterBlock block(const std::vector<Parameter>& parameters, const std::vector<double>& shown);
    /** The block of the defaults, as OK without a change gives it. */
    static ParameterBlock defaults(const std::vector<Parameter>& parameters);
    static float floatOf(uint32_t word);
};

}  // namespace desktop
