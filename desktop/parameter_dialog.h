// A modal dialog asking for the numbers of one command (an effect's parameter block, the
// length of inserted silence): a spin button or a choice per parameter, with its range.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace desktop {

/** One parameter: where it goes in the block of eight 32-bit words, and how it is asked. */
struct Parameter {
    enum class Kind { Float, Int, Choice };
    /** What the user types when the word holds something else: decibels for a gain
     * factor, semitones for a pitch change in percent. */
    enum class Unit { Plain, Decibel, Semitone };
    std::string label;
    int word = 0;  // 0..7
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

class ParameterDialog {
public:
    /** Shows the dialog over parent; the block when the user pressed OK. */
    static std::optional<ParameterBlock> ask(GtkWindow* parent, const std::string& title, const std::string& explanation,
                                             const std::vector<Parameter>& parameters);
    /** The block of the defaults, as OK without a change gives it. */
    static ParameterBlock defaults(const std::vector<Parameter>& parameters);
    static float floatOf(uint32_t word);
};

}  // namespace desktop
